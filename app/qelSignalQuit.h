// SIGINT and SIGTERM turned into a Qt signal on the main thread.
//
// The handler only writes the signal's number into a pipe of its own (all a
// signal handler may safely do); a socket notifier on the pipe's other end
// emits Received in the event loop, where the program can close its window
// and save its settings as on any close. Installed before the first
// database attach, the handler stays reachable when a client library puts
// its own in front of it later and calls the one it found. One instance at a
// time; its destructor puts the previous handlers back and closes the pipe.
#pragma once

#include <QObject>

#include <csignal>
#include <memory>

class QSocketNotifier;

class TSignalQuit : public QObject {
    Q_OBJECT

public:
    // Throws std::system_error when the pipe or a handler cannot be set up.
    explicit TSignalQuit(QObject* Parent = nullptr);
    ~TSignalQuit() override;
    TSignalQuit(const TSignalQuit&) = delete;
    TSignalQuit& operator=(const TSignalQuit&) = delete;

signals:
    void Received(int Signal);

private:
    void ReadPipe();

    int m_readEnd = -1;
    int m_writeEnd = -1;
    struct sigaction m_previousInt {};
    struct sigaction m_previousTerm {};
    std::unique_ptr<QSocketNotifier> m_notifier;
};
