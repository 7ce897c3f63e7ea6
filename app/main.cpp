// The program: one window over the comparer, running until it is closed or
// until SIGINT or SIGTERM ends it (closing its connections and saving its
// settings as a close does).
//
//   velmorin                              the window
//   velmorin --compare                    the window, "Compare" run at once
//                                         with the saved entries
//   velmorin --screenshot FILE [--compare]
//       shows the window, optionally runs "Compare", saves a picture of the
//       window to FILE (PNG) and ends; the README's picture is made this way.
#include "VelmorinForm.h"
#include "qelDBEngine.h"
#include "qelSignalQuit.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmorin"));

    QString screenshot;
    bool compare = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size()) {
            screenshot = args[++i];
        } else if (args[i] == QLatin1String("--compare")) {
            compare = true;
        } else {
            std::fprintf(stderr, "usage: velmorin [--compare] [--screenshot FILE]\n");
            return 2;
        }
    }

    // Both before the first connect: our handler is then the one the client
    // library finds and keeps calling, and its own shutdown on the signal is
    // refused, so that the window can close its connections itself.
    std::unique_ptr<TSignalQuit> quitSignals;
    try {
        quitSignals = std::make_unique<TSignalQuit>();
        qel::KeepConnectionsOnSignals();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmorin: SIGINT and SIGTERM end the program abruptly: %s\n", e.what());
    }

    TForm1 form;
    if (quitSignals) {
        QObject::connect(quitSignals.get(), &TSignalQuit::Received, &form,
                         [&form](int Signal) { form.QuitOnSignal(Signal); });
    }
    form.show();

    int result = 0;
    if (compare || !screenshot.isEmpty()) {
        QTimer::singleShot(300, &form, [&] {
            if (compare) form.BtnCompare->click();
            if (screenshot.isEmpty()) return;
            if (!form.grab().save(screenshot, "PNG")) {
                std::fprintf(stderr, "velmorin: cannot save %s\n", qPrintable(screenshot));
                result = 1;
            }
            form.close();
        });
    }
    const int code = app.exec();
    return result != 0 ? result : code;
}
