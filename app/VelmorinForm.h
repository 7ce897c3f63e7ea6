// The program's one window, TForm1: the entries of the master and target
// databases, "Compare" and "Update", the script pane and the log.
//
// The window owns the two connections, the comparer and the two executors
// and only turns their events into widget updates: log lines and errors go
// to the log pane, row progress to the progress bars. Its entries live in
// the settings file "Kestrova.Ini" (section "Databases"), read when the
// window is made and written when it goes.
//
// While it lives, the window is the system's user interface: modal messages
// become a message box and long runs let Qt process pending events every
// 50 ms, so the progress bars and the log repaint while costing the run next
// to nothing. A run cannot be started again until the run under way has
// ended; a close asked for meanwhile stops the run at its next step (the
// executor between statements, the comparer at its next row) and the window
// closes once it has. Closing saves the settings; a file that cannot be
// saved is said in a message box, unless the close came from a signal.
#pragma once

#include "qelMsg.h"
#include "qelTypes.h"

#include <QElapsedTimer>

#include <cstdint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

class QCheckBox;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qel {
class TIBSQLExec;
class TMSSQLExec;
class TObject;
class TQELConnection;
class TVelmorin;
} // namespace qel

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // SettingsFolder holds Kestrova.Ini; empty means the program's folder.
    explicit TForm1(const QString& SettingsFolder = {}, QWidget* Parent = nullptr);
    ~TForm1() override;

    // ---- handlers ----
    void FormCreate();
    void FormDestroy();
    void BtnCompareClick();
    void BtnUpdateClick();
    // Sender: the radio button or check box clicked, or nullptr.
    void rbMClick(QObject* Sender);
    void rbTClick(QObject* Sender);
    void LogNextLine(qel::TObject& Sender, const std::string& LogText);
    void LogErrorMessage(qel::TObject& Sender, const std::string& ErrText);
    void VelmorinProgressUpdateMaster(qel::TObject& Sender, int Value, int MaxValue);
    void VelmorinProgressUpdateTarget(qel::TObject& Sender, int Value, int MaxValue);
    // The executors' progress during Update: statements run of all, on the
    // target's bar.
    void SQLExecProgressUpdate(qel::TObject& Sender, int Value, int MaxValue);
    // SIGINT or SIGTERM arrived: the window closes as if the user closed it
    // (a run under way stops first), without asking anything.
    void QuitOnSignal(int Signal);

    // ---- routines ----
    qel::TDatabaseType GetDatabaseTypeM() const;
    qel::TDatabaseType GetDatabaseTypeT() const;
    void SetDatabaseTypeM(qel::TDatabaseType Type);
    void SetDatabaseTypeT(qel::TDatabaseType Type);
    // Appends Text (CR LF inside it starts new lines) and shows the last line.
    // A line equal to the one before is not repeated: the line shows how
    // many times it came instead, "< Exec SQL >: T: insert (3 times)".
    void AddLog(const QString& Text);
    QString GetIniFileName() const;
    // A comparison or an update is running.
    bool Busy() const { return m_busy; }

    // ---- components ----
    std::unique_ptr<qel::TQELConnection> QELConnectionM;
    std::unique_ptr<qel::TQELConnection> QELConnectionT;
    std::unique_ptr<qel::TIBSQLExec> IBSQLExec;
    std::unique_ptr<qel::TMSSQLExec> MSSQLExec;
    std::unique_ptr<qel::TVelmorin> Velmorin;

    // ---- controls (children of the window) ----
    QLabel* Label1 = nullptr;
    QRadioButton* rbMIB = nullptr;
    QRadioButton* rbMMS = nullptr;
    QLineEdit* EditDBNameM = nullptr;
    QLabel* LabelUserM = nullptr;
    QLineEdit* EditUserM = nullptr;
    QLabel* LabelPswdM = nullptr;
    QLineEdit* EditPswdM = nullptr;
    QCheckBox* cbAuthM = nullptr;
    QLabel* LabelServerM = nullptr;
    QLineEdit* EditServerM = nullptr;
    QLineEdit* EditTableM = nullptr;
    QProgressBar* ProgressBarM = nullptr;

    QLabel* Label2 = nullptr;
    QRadioButton* rbTIB = nullptr;
    QRadioButton* rbTMS = nullptr;
    QLineEdit* EditDBNameT = nullptr;
    QLabel* LabelUserT = nullptr;
    QLineEdit* EditUserT = nullptr;
    QLabel* LabelPswdT = nullptr;
    QLineEdit* EditPswdT = nullptr;
    QCheckBox* cbAuthT = nullptr;
    QLabel* LabelServerT = nullptr;
    QLineEdit* EditServerT = nullptr;
    QLineEdit* EditTableT = nullptr;
    QProgressBar* ProgressBarT = nullptr;

    QPushButton* BtnCompare = nullptr;
    QPushButton* BtnUpdate = nullptr;
    QPlainTextEdit* MemoScript = nullptr;
    QPlainTextEdit* MemoLog = nullptr;

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    // The controls of one side, so that both sides share one code path.
    struct TSide {
        QRadioButton* rbIB;
        QRadioButton* rbMS;
        QLineEdit* EditDBName;
        QLabel* LabelUser;
        QLineEdit* EditUser;
        QLabel* LabelPswd;
        QLineEdit* EditPswd;
        QCheckBox* cbAuth;
        QLabel* LabelServer;
        QLineEdit* EditServer;
        QLineEdit* EditTable;
        QProgressBar* ProgressBar;
        char Suffix; // 'M' or 'T' in the settings keys
    };
    class TBusyScope;
    enum class TRun : std::uint8_t { None, Compare, Update };

    void CreateControls();
    void CreateComponents();
    QWidget* CreateSide(TSide& Side, QLabel*& Caption, const QString& CaptionText, QWidget* Parent);
    TSide SideM() const;
    TSide SideT() const;
    void SideClick(const TSide& Side, QObject* Sender);
    // Step 4 of a side click: user and password usable unless Windows
    // authentication stands in for them.
    void UpdateLoginEnabling(const TSide& Side);
    void ConfigureConnection(qel::TQELConnection& Connection, qel::TDatabaseType Type, const TSide& Side);
    void ShowProgress(QProgressBar* Bar, int Value, int MaxValue);
    // During a run: shows what the run reported since the last time and lets
    // Qt handle pending events, at most every 50 ms.
    void KeepResponsive();
    // Puts the progress and log repeat count a run holds back on screen.
    void FlushDisplay();
    void ShowRepeatCount();
    // The last line with its count when it came more than once.
    QString CountedLine() const;
    // A close during a run: the executor stops before its next statement,
    // the comparer at its next progress report.
    void RequestStop();
    void ThrowIfCompareStopped();

    // The bytes of an edit's text. A value read from the settings file that
    // the user has not changed keeps its bytes, even ones that are not UTF-8.
    std::string EditBytes(const QLineEdit* Edit) const;
    void SetEditBytes(QLineEdit* Edit, const std::string& Bytes);

    QString m_settingsFolder;
    std::map<const QLineEdit*, std::string> m_loadedBytes;
    bool m_busy = false;
    TRun m_run = TRun::None;
    bool m_closePending = false;
    bool m_stopRequested = false;
    bool m_compareStopped = false;
    bool m_quitBySignal = false;
    bool m_destroyed = false;
    // Why the settings were not saved at close; empty when they were.
    QString m_settingsError;
    QElapsedTimer m_sinceRepaint;
    // What a run reported and the screen does not show yet.
    struct TPendingProgress {
        bool Pending = false;
        int Value = 0;
        int MaxValue = 0;
    };
    TPendingProgress m_progressM, m_progressT;
    bool m_scrollPending = false;
    // Complete log lines the pane does not show yet, then the last line (0
    // when it cannot be counted), how many times it came, whether the pane
    // shows it and with which count.
    QStringList m_pendingLog;
    QString m_lastLogLine;
    int m_lastLogCount = 0;
    bool m_lastInPane = false;
    int m_lastLogShown = 0;
    // The executors' first report of a run comes before any statement.
    bool m_execProgressStarted = false;
    qel::TShowMessageHook m_previousShowMessage;
    qel::TProcessMessagesHook m_previousProcessMessages;
};
