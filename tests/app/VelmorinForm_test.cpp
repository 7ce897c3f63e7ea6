#include "VelmorinForm.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelDataSet.h"
#include "qelIBSQLExec.h"
#include "qelMsg.h"
#include "qelEngineTestSupport.h"
#include "qelVelmorin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace qel;

namespace {

// One QApplication for the whole program, on the offscreen platform unless
// the caller chose another one.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
            m_runtime = std::make_unique<qeltest::TempDir>();
            ::chmod(m_runtime->Path().c_str(), 0700);
            ::setenv("XDG_RUNTIME_DIR", m_runtime->Path().c_str(), 1);
        }
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "VelmorinForm";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<qeltest::TempDir> m_runtime;
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const TheQtEnvironment =
    ::testing::AddGlobalTestEnvironment(std::make_unique<QtEnvironment>().release());

using qeltest::ReadFile;
using qeltest::WriteFile;

QString Q(const char* Utf8) { return QString::fromUtf8(Utf8); }

// Clicks a button where its indicator is, so that check boxes wider than
// their caption are hit too.
void Click(QAbstractButton* Button) { QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(6, Button->height() / 2)); }

QStringList LogLines(const TForm1& Form) { return Form.MemoLog->toPlainText().split(QLatin1Char('\n')); }

bool HasLineStartingWith(const QStringList& Lines, const QString& Start)
{
    for (const QString& line : Lines)
        if (line.startsWith(Start)) return true;
    return false;
}

// A window over a settings folder of its own.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No modal box may block a test; messages are collected instead.
        m_previousShow = SetShowMessageHook([this](const std::string& Text) { shown.push_back(Text); });
    }
    void TearDown() override { SetShowMessageHook(std::move(m_previousShow)); }

    std::unique_ptr<TForm1> Open()
    {
        auto form = std::make_unique<TForm1>(QString::fromStdString(dir.Path().string()));
        SetShowMessageHook([this](const std::string& Text) { shown.push_back(Text); });
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    std::string IniFile() const { return dir.File("Kestrova.Ini"); }

    // A side's server kind and login as text, "IB SYSDBA/cobaltfin login:on
    // auth:off,disabled": login is on when its two edits and their labels are
    // all in use, off when none is.
    static std::string Side(const TForm1& F, bool Master)
    {
        const QLineEdit* user = Master ? F.EditUserM : F.EditUserT;
        const QLineEdit* pswd = Master ? F.EditPswdM : F.EditPswdT;
        const QCheckBox* auth = Master ? F.cbAuthM : F.cbAuthT;
        const QWidget* loginWidgets[] = {user, pswd, Master ? F.LabelUserM : F.LabelUserT,
                                         Master ? F.LabelPswdM : F.LabelPswdT};
        std::string login;
        for (const QWidget* w : loginWidgets) login += w->isEnabled() ? '1' : '0';
        return std::string((Master ? F.rbMIB : F.rbTIB)->isChecked() ? "IB" : "") +
               ((Master ? F.rbMMS : F.rbTMS)->isChecked() ? "MS" : "") + " " + user->text().toStdString() + "/" +
               pswd->text().toStdString() + " login:" + (login == "1111" ? "on" : login == "0000" ? "off" : login) +
               " auth:" + (auth->isChecked() ? "on" : "off") + (auth->isEnabled() ? "" : ",disabled");
    }
    static constexpr const char* FirstStartSide = "IB SYSDBA/cobaltfin login:on auth:off,disabled";

    qeltest::TempDir dir;
    std::vector<std::string> shown;

private:
    TShowMessageHook m_previousShow;
};

TEST_F(FormTest, FirstStartWithoutSettingsFile)
{
    auto form = Open();
    EXPECT_EQ(form->windowTitle(), Q("Velmorin"));
    EXPECT_EQ(form->size(), QSize(784, 502));
    EXPECT_EQ(form->GetIniFileName(), QString::fromStdString(IniFile()));
    EXPECT_EQ(form->Label1->text(), Q("Master:"));
    EXPECT_EQ(form->Label2->text(), Q("Target:"));
    EXPECT_TRUE(form->Label1->font().bold());
    EXPECT_EQ(form->BtnCompare->text(), Q("Compare"));
    EXPECT_EQ(form->BtnUpdate->text(), Q("Update"));
    EXPECT_EQ(form->MemoScript->toPlainText(), Q("< Script is empty >"));
    EXPECT_EQ(form->MemoLog->toPlainText(), Q("< Log >"));
    EXPECT_TRUE(form->MemoLog->isReadOnly());

    for (bool master : {true, false}) EXPECT_EQ(Side(*form, master), FirstStartSide);
    EXPECT_EQ(form->rbTIB->text() + "|" + form->rbTMS->text() + "|" + form->cbAuthT->text(),
              Q("InterBase|MS SQL|Windows authentication"));
    EXPECT_EQ(form->EditPswdM->echoMode(), QLineEdit::Normal);
    EXPECT_TRUE(form->EditServerM->isEnabled() && form->EditServerT->isEnabled());
    EXPECT_EQ(form->GetDatabaseTypeM(), TDatabaseType::dbInterBase);
    EXPECT_EQ(form->GetDatabaseTypeT(), TDatabaseType::dbInterBase);
}

TEST_F(FormTest, SwitchingASideToMSSQLAndBack)
{
    auto form = Open();
    for (bool master : {true, false}) {
        Click(master ? form->rbMMS : form->rbTMS);
        EXPECT_EQ(Side(*form, master), "MS / login:off auth:on");
        QCheckBox* auth = master ? form->cbAuthM : form->cbAuthT;
        Click(auth);
        EXPECT_EQ(Side(*form, master), "MS / login:on auth:off");
        QTest::keyClicks(master ? form->EditUserM : form->EditUserT, "sa");
        Click(auth);
        EXPECT_EQ(Side(*form, master), "MS / login:off auth:on");
        Click(master ? form->rbMIB : form->rbTIB);
        EXPECT_EQ(Side(*form, master), FirstStartSide);
    }
    // The other side is never touched by a side's buttons.
    Click(form->rbMMS);
    EXPECT_EQ(Side(*form, false), FirstStartSide);
}

TEST_F(FormTest, ClickingTheCheckedRadioAgainKeepsTheEntries)
{
    auto form = Open();
    form->EditPswdM->setText(Q("typed"));
    Click(form->rbMIB);
    EXPECT_TRUE(form->rbMIB->isChecked());
    EXPECT_EQ(form->EditPswdM->text(), Q("typed"));
}

TEST_F(FormTest, SavedMSSQLSideIsRestoredWithAndWithoutWindowsAuthentication)
{
    WriteFile(IniFile(), "[Databases]\nDatabaseTypeM=5\nDatabaseTypeT=5\nDBNameM=Sales\nDBNameT=SalesCopy\n"
                         "HostNameM=sqlhost\nHostNameT=sqlhost2\nUserNameM=sa\nUserNameT=ignored\nPasswordM=secret\n"
                         "PasswordT=ignored too\nWinAuthenticationM=0\nWinAuthenticationT=1\nTableNameM=ORDERS\n"
                         "TableNameT=ORDERS2\n");
    auto form = Open();
    EXPECT_EQ(form->GetDatabaseTypeM(), TDatabaseType::dbMSSQL);
    EXPECT_EQ(form->EditDBNameM->text(), Q("Sales"));
    EXPECT_EQ(form->EditServerM->text(), Q("sqlhost"));
    EXPECT_EQ(form->EditTableT->text(), Q("ORDERS2"));
    // Without Windows authentication the saved login, usable; with it, the
    // login out of use.
    EXPECT_EQ(Side(*form, true), "MS sa/secret login:on auth:off");
    EXPECT_EQ(Side(*form, false), "MS ignored/ignored too login:off auth:on");
}

TEST_F(FormTest, UnreadableDatabaseTypeKeepsInterBase)
{
    WriteFile(IniFile(), "[Databases]\nDatabaseTypeM=MS SQL\nDatabaseTypeT=7\n");
    auto form = Open();
    for (bool master : {true, false}) EXPECT_EQ(Side(*form, master), FirstStartSide);
}

TEST_F(FormTest, SettingsAreWrittenOnCloseAndReadBackByteForByte)
{
    {
        auto form = Open();
        Click(form->rbTMS);
        Click(form->cbAuthT);
        form->EditDBNameM->setText(Q("C:\\Program Files\\Data\\Main DB.fdb"));
        form->EditServerM->setText(Q("srv/3051"));
        form->EditUserM->setText(Q("  sysdba"));
        form->EditPswdM->setText(Q("p=a\"ss'w;o#rd "));
        form->EditTableM->setText(Q("\"Mixed Case\""));
        form->EditDBNameT->setText(Q("\\\\server\\share\\Z\xC3\xBCrich.fdb"));
        form->EditServerT->setText(Q("sqlhost"));
        form->EditUserT->setText(Q("sa"));
        form->EditPswdT->setText(Q(""));
        form->EditTableT->setText(Q("dbo.ORDERS"));
    }
    const std::string expected = "[Databases]\n"
                                 "DatabaseTypeM=1\n"
                                 "DatabaseTypeT=5\n"
                                 "DBNameM=C:\\Program Files\\Data\\Main DB.fdb\n"
                                 "DBNameT=\\\\server\\share\\Z\xC3\xBCrich.fdb\n"
                                 "HostNameM=srv/3051\n"
                                 "HostNameT=sqlhost\n"
                                 "UserNameM=\"  sysdba\"\n"
                                 "UserNameT=sa\n"
                                 "PasswordM=\"p=a\"ss'w;o#rd \"\n"
                                 "PasswordT=\n"
                                 "WinAuthenticationM=0\n"
                                 "WinAuthenticationT=0\n"
                                 "TableNameM=\"\"Mixed Case\"\"\n"
                                 "TableNameT=dbo.ORDERS\n";
    EXPECT_EQ(ReadFile(IniFile()), expected);

    auto form = Open();
    EXPECT_TRUE(form->rbMIB->isChecked());
    EXPECT_TRUE(form->rbTMS->isChecked());
    EXPECT_FALSE(form->cbAuthT->isChecked());
    EXPECT_EQ(form->EditDBNameM->text(), Q("C:\\Program Files\\Data\\Main DB.fdb"));
    EXPECT_EQ(form->EditUserM->text(), Q("  sysdba"));
    EXPECT_EQ(form->EditPswdM->text(), Q("p=a\"ss'w;o#rd "));
    EXPECT_EQ(form->EditTableM->text(), Q("\"Mixed Case\""));
    EXPECT_EQ(form->EditDBNameT->text(), Q("\\\\server\\share\\Z\xC3\xBCrich.fdb"));
    EXPECT_EQ(form->EditUserT->text(), Q("sa"));
    EXPECT_EQ(form->EditPswdT->text(), QString());
    form.reset();
    EXPECT_EQ(ReadFile(IniFile()), expected);
}

TEST_F(FormTest, HandWrittenSettingsFileIsReadAsItStandsAndKeptOnClose)
{
    WriteFile(IniFile(), "; my databases\r\n"
                        "[Databases]\r\n"
                        "TableNameM = PRODUCTS\r\n"
                        "DBNameM = /data/master.fdb\r\n"
                        "DBNameT=/data/caf\xE9.fdb\r\n"
                        "PasswordM=\"masterkey\"\r\n"
                        "\r\n"
                        "[Other]\r\n"
                        "Keep=this\r\n");
    {
        auto form = Open();
        EXPECT_EQ(form->EditTableM->text(), Q("PRODUCTS"));
        EXPECT_EQ(form->EditDBNameM->text(), Q("/data/master.fdb"));
        EXPECT_EQ(form->EditPswdM->text(), Q("masterkey"));
        // Keys the file lacks keep the first-start entries.
        EXPECT_EQ(form->EditUserM->text(), Q("SYSDBA"));
        EXPECT_EQ(form->EditPswdT->text(), Q("cobaltfin"));
    }
    // The byte that is not UTF-8 survives, and so do the comment, the other
    // section and the order the user gave the keys.
    EXPECT_EQ(ReadFile(IniFile()), "; my databases\r\n"
                                  "[Databases]\r\n"
                                  "TableNameM=PRODUCTS\r\n"
                                  "DBNameM=/data/master.fdb\r\n"
                                  "DBNameT=/data/caf\xE9.fdb\r\n"
                                  "PasswordM=masterkey\r\n"
                                  "DatabaseTypeM=1\r\n"
                                  "DatabaseTypeT=1\r\n"
                                  "HostNameM=\r\n"
                                  "HostNameT=\r\n"
                                  "UserNameM=SYSDBA\r\n"
                                  "UserNameT=SYSDBA\r\n"
                                  "PasswordT=cobaltfin\r\n"
                                  "WinAuthenticationM=0\r\n"
                                  "WinAuthenticationT=0\r\n"
                                  "TableNameT=\r\n"
                                  "\r\n"
                                  "[Other]\r\n"
                                  "Keep=this\r\n");
}

TEST_F(FormTest, UnreadableSettingsFileGivesDefaultsAndIsNotReplaced)
{
    std::filesystem::create_directory(IniFile());
    {
        auto form = Open();
        EXPECT_TRUE(form->rbMIB->isChecked());
        EXPECT_EQ(form->EditUserM->text(), Q("SYSDBA"));
        form->EditDBNameM->setText(Q("lost.fdb"));
    }
    EXPECT_TRUE(std::filesystem::is_directory(IniFile()));
}

TEST_F(FormTest, SettingsFileIsCreatedForTheOwnerOnly)
{
    const mode_t old = ::umask(022);
    Open().reset();
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat(IniFile().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FormTest, UpdateBeforeCompareDoesNothing)
{
    auto form = Open();
    Click(form->BtnUpdate);
    EXPECT_EQ(form->MemoLog->toPlainText(), Q("< Log >"));
    EXPECT_EQ(form->MemoScript->toPlainText(), Q("< Script is empty >"));
    EXPECT_FALSE(form->QELConnectionT->GetConnected());
    EXPECT_TRUE(shown.empty());
}

TEST_F(FormTest, ComponentsAreWiredAsTheWindowNeedsThem)
{
    auto form = Open();
    TVelmorin& v = *form->Velmorin;
    EXPECT_EQ(v.QELConnectionMaster(), form->QELConnectionM.get());
    EXPECT_EQ(v.QELConnectionTarget(), form->QELConnectionT.get());
    EXPECT_EQ(v.ScriptFileName(), "Result.SQL");
    EXPECT_EQ(v.BlobFileName(), "Result.LOB");
    EXPECT_EQ(v.SQLExec(), nullptr);
}

TEST_F(FormTest, HooksAreSetWhileTheWindowLivesAndRestoredAfter)
{
    bool ownProcess = false;
    const TProcessMessagesHook before = SetProcessMessagesHook([&] { ownProcess = true; });
    {
        auto form = std::make_unique<TForm1>(QString::fromStdString(dir.Path().string()));
        form->show();
        // A message is a modal box with the text on lines of its own.
        QString boxText;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxText = box->text();
                box->accept();
            }
        });
        ShowMessage("Error: first\r\nsecond");
        EXPECT_EQ(boxText, Q("Error: first\nsecond"));
        EXPECT_TRUE(shown.empty());
        // The window's own hooks are in place.
        TProcessMessagesHook windows = SetProcessMessagesHook({});
        ASSERT_TRUE(static_cast<bool>(windows));
        windows();
        EXPECT_FALSE(ownProcess);
        SetProcessMessagesHook(std::move(windows));
    }
    ProcessMessages();
    EXPECT_TRUE(ownProcess);
    SetProcessMessagesHook(before);
    ShowMessage("after");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown.back(), "after");
}

TEST_F(FormTest, LogAndProgress)
{
    auto form = Open();
    for (int i = 0; i < 200; ++i) form->AddLog(QString::number(i));
    form->AddLog(Q("Error: first\r\nsecond"));
    const QStringList lines = LogLines(*form);
    EXPECT_EQ(lines.front(), Q("< Log >"));
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[lines.size() - 2], Q("Error: first"));
    EXPECT_EQ(lines.back(), Q("second"));
    QScrollBar* bar = form->MemoLog->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    TObject sender;
    form->VelmorinProgressUpdateMaster(sender, 5, 10);
    EXPECT_EQ(form->ProgressBarM->maximum(), 10);
    EXPECT_EQ(form->ProgressBarM->value(), 5);
    form->VelmorinProgressUpdateTarget(sender, 0, 0);
    EXPECT_EQ(form->ProgressBarT->value(), 0);
    EXPECT_GT(form->ProgressBarT->maximum(), form->ProgressBarT->minimum()); // a bar, not a busy indicator
}

TEST_F(FormTest, ARunCannotBeStartedAgainNorTheWindowClosedWhileItLasts)
{
    auto form = Open();
    form->EditDBNameM->setText(QString::fromStdString(dir.File("missing-master.fdb")));
    form->EditDBNameT->setText(QString::fromStdString(dir.File("missing-target.fdb")));
    form->EditTableM->setText(Q("T"));
    form->EditTableT->setText(Q("T"));

    int nested = 0;
    bool enabledDuringRun = true, closedDuringRun = true;
    const TLogNextLineEvent log = form->Velmorin->OnLogNextLine;
    form->Velmorin->OnLogNextLine = [&](TObject& Sender, const std::string& Text) {
        if (nested++ == 0) {
            enabledDuringRun = form->BtnCompare->isEnabled() || form->BtnUpdate->isEnabled();
            form->BtnCompareClick();
            form->BtnUpdateClick();
            closedDuringRun = form->close();
        }
        log(Sender, Text);
    };
    form->BtnCompareClick();
    EXPECT_GT(nested, 0);
    EXPECT_FALSE(enabledDuringRun);
    EXPECT_FALSE(closedDuringRun);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(LogLines(*form).filter(Q("< Comparing finished")).size(), 1);
    EXPECT_TRUE(form->BtnCompare->isEnabled());
    EXPECT_TRUE(form->BtnUpdate->isEnabled());
    // The close asked for during the run happens once it is over.
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 2000);
    EXPECT_FALSE(form->isVisible());
}

// What Update runs is the executor's list: the pane shows it and takes no
// edit, but its text can still be selected and copied.
TEST_F(FormTest, ScriptPaneIsReadOnlyButSelectableAndCopyable)
{
    auto form = Open();
    const QString before = form->MemoScript->toPlainText();
    form->MemoScript->setFocus();
    QTest::keyClicks(form->MemoScript, Q("-- replaced"));
    QTest::keyClick(form->MemoScript, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->MemoScript, Qt::Key_Delete);
    QTest::keyClick(form->MemoScript, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->MemoScript->toPlainText(), before);
    EXPECT_TRUE(form->MemoScript->isReadOnly());
    QApplication::clipboard()->clear();
    QTest::keyClick(form->MemoScript, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form->MemoScript, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), before);
    // The log wraps its long lines instead of running past the edge.
    EXPECT_EQ(form->MemoLog->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    form->AddLog(QString(2000, QLatin1Char('x')));
    EXPECT_EQ(form->MemoLog->horizontalScrollBar()->maximum(), 0);
}

TEST_F(FormTest, RepeatedLogLinesAreCountedInPlace)
{
    auto form = Open();
    for (const char* line : {"a", "b", "b", "b", "a\r\nmore", "a\r\nmore", "c", "c"}) form->AddLog(Q(line));
    EXPECT_EQ(LogLines(*form), QStringList({Q("< Log >"), Q("a"), Q("b (3 times)"), Q("a"), Q("more"), Q("a"),
                                            Q("more"), Q("c (2 times)")}));
}

// The settings are saved when the window closes; a file that cannot be
// written is said in a box, except when a signal ends the program and no
// one is there to answer it.
TEST_F(FormTest, SettingsThatCannotBeSavedAreSaidAtCloseUnlessASignalCloses)
{
    for (const bool bySignal : {false, true}) {
        shown.clear();
        const std::filesystem::path missing = dir.Path() / "no-such-folder";
        auto form = std::make_unique<TForm1>(QString::fromStdString(missing.string()));
        SetShowMessageHook([this](const std::string& Text) { shown.push_back(Text); });
        form->show();
        if (bySignal) form->QuitOnSignal(SIGTERM);
        else EXPECT_TRUE(form->close());
        EXPECT_FALSE(form->isVisible()) << bySignal;
        if (bySignal) {
            EXPECT_TRUE(shown.empty());
            EXPECT_TRUE(LogLines(*form).contains(Q("< SIGTERM received: the program ends. >")));
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_TRUE(shown[0].starts_with("Cannot write the settings file \"" + (missing / "Kestrova.Ini").string()))
                << shown[0];
        }
        form.reset();
        EXPECT_EQ(shown.size(), bySignal ? 0u : 1u) << "reported once";
    }
    // Where the folder exists, closing saves at once.
    auto form = Open();
    form->EditTableM->setText(Q("SAVED"));
    EXPECT_TRUE(form->close());
    EXPECT_NE(ReadFile(IniFile()).find("TableNameM=SAVED"), std::string::npos);
}

// ---- comparisons of two embedded Firebird databases in the window ----

const char* const TableDDL = "CREATE TABLE PRODUCTS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), "
                             "PRICE NUMERIC(10, 2), CHANGED_AT TIMESTAMP, NOTES BLOB SUB_TYPE TEXT, "
                             "PICTURE BLOB SUB_TYPE BINARY)";

class FormDatabaseTest : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        m_oldCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
        master = Create("master.fdb", {"INSERT INTO PRODUCTS VALUES (1, 'one', 1.10, '2024-03-01 08:00:00', 'same', x'0001')",
                                       "INSERT INTO PRODUCTS VALUES (2, 'two', 2.20, '2024-03-02 09:15:30.5', 'new notes', x'0002')",
                                       "INSERT INTO PRODUCTS VALUES (3, 'three', 3.30, NULL, NULL, x'CAFE00BABE')",
                                       "INSERT INTO PRODUCTS VALUES (4, 'four', 4.40, '2024-03-04 11:45:00.1234', 'inserted', x'FF00FF')"});
        target = Create("target.fdb", {"INSERT INTO PRODUCTS VALUES (1, 'one', 1.10, '2024-03-01 08:00:00', 'same', x'0001')",
                                       "INSERT INTO PRODUCTS VALUES (2, 'two', 2.25, '2024-03-02 09:15:30.5', 'old notes', x'0002')",
                                       "INSERT INTO PRODUCTS VALUES (3, 'three', 3.30, NULL, NULL, x'CAFE01BABE')",
                                       "INSERT INTO PRODUCTS VALUES (5, 'five', 5.50, '2024-02-28 16:00:00', 'deleted', NULL)"});
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_oldCwd);
        FormTest::TearDown();
    }

    // An embedded database with the table and the rows.
    std::string Create(const std::string& Name, const std::vector<std::string>& Rows)
    {
        const std::string path = dir.File(Name);
        qeltest::CreateFirebird(path);
        qeltest::TInspector db(path);
        db.Run(TableDDL);
        for (const auto& row : Rows) db.Run(row);
        return path;
    }

    // Every row as text, BLOBs as their bytes, in key order.
    static std::vector<std::vector<std::string>> Rows(const std::string& Path)
    {
        return qeltest::TInspector(Path).Rows("SELECT ID, NAME, PRICE, CHANGED_AT, NOTES, PICTURE FROM PRODUCTS ORDER BY ID");
    }

    void Enter(TForm1& Form, const std::string& Master, const std::string& Target)
    {
        Form.EditDBNameM->setText(QString::fromStdString(Master));
        Form.EditDBNameT->setText(QString::fromStdString(Target));
        Form.EditTableM->setText(Q("PRODUCTS"));
        Form.EditTableT->setText(Q("PRODUCTS"));
    }

    std::string master, target;

private:
    std::filesystem::path m_oldCwd;
};

TEST_F(FormDatabaseTest, CompareThenUpdateMakesTheTargetEqualToTheMaster)
{
    auto form = Open();
    Enter(*form, master, target);
    Click(form->BtnCompare);

    QStringList log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Equal: 1, Inserted: 1, Updated: 2, Deleted: 1, All: 5."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Comparing finished. >"));
    EXPECT_FALSE(HasLineStartingWith(log, Q("Error: "))) << log.join('\n').toStdString();
    EXPECT_EQ(form->QELConnectionM->ConnectionOptions().Protocol, TQELProtocol::ptLocal);
    EXPECT_EQ(form->Velmorin->SQLExec(), static_cast<TCustomSQLExec*>(form->IBSQLExec.get()));

    const QString script = form->MemoScript->toPlainText();
    EXPECT_TRUE(script.contains(Q("INSERT INTO"))) << script.toStdString();
    EXPECT_TRUE(script.contains(Q("UPDATE"))) << script.toStdString();
    EXPECT_TRUE(script.contains(Q("DELETE FROM"))) << script.toStdString();
    EXPECT_FALSE(script.contains(Q("< Script is empty >")));
    // The script and its BLOB file are in the current folder.
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "Result.SQL"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "Result.LOB"));
    EXPECT_EQ(form->ProgressBarM->value(), form->ProgressBarM->maximum());

    Click(form->BtnUpdate);
    log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Updating target database..."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Script executed succesfully! >")) << log.join('\n').toStdString();
    EXPECT_FALSE(form->QELConnectionT->GetConnected());
    EXPECT_EQ(Rows(target), Rows(master));

    Click(form->BtnCompare);
    log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Equal: 4, Inserted: 0, Updated: 0, Deleted: 0, All: 4."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Comparing finished. >"));
    EXPECT_TRUE(shown.empty());
}

// The sample databases the run command makes from samples/*.sql: "Compare"
// and then "Update" must work on them at once.
TEST_F(FormDatabaseTest, SampleDatabasesCompareAndUpdate)
{
    auto load = [&](const std::string& Name) {
        const std::string path = dir.File("sample-" + Name + ".fdb");
        qeltest::CreateFirebird(path);
        qeltest::TInspector db(path);
        for (const char* file : {"schema.sql", Name.c_str()}) {
            std::ifstream in(std::string(VELMORIN_SAMPLES_DIR) + "/" + file);
            EXPECT_TRUE(in.good()) << file;
            std::string line, statement;
            while (std::getline(in, line)) {
                if (line.starts_with("--")) continue;
                statement += line + "\n";
                if (!line.ends_with(";")) continue;
                statement.erase(statement.rfind(';'));
                if (statement != "COMMIT") db.Run(statement);
                statement.clear();
            }
        }
        return path;
    };
    const std::string sampleMaster = load("master.sql");
    const std::string sampleTarget = load("target.sql");

    auto form = Open();
    Enter(*form, sampleMaster, sampleTarget);
    form->EditPswdM->setText(Q("masterkey"));
    form->EditPswdT->setText(Q("masterkey"));
    Click(form->BtnCompare);
    QStringList log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Equal: 1, Inserted: 1, Updated: 3, Deleted: 1, All: 6."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Comparing finished. >"));
    Click(form->BtnUpdate);
    log = LogLines(*form);
    EXPECT_EQ(log.back(), Q("< Script executed succesfully! >")) << log.join('\n').toStdString();
    EXPECT_EQ(Rows(sampleTarget), Rows(sampleMaster));
    EXPECT_EQ(Rows(sampleMaster).size(), 5u);
}

TEST_F(FormDatabaseTest, UnreachableTargetIsReportedInTheLog)
{
    auto form = Open();
    Enter(*form, master, dir.File("no-such-folder/target.fdb"));
    Click(form->BtnCompare);
    const QStringList log = LogLines(*form);
    EXPECT_TRUE(HasLineStartingWith(log, Q("Error: "))) << log.join('\n').toStdString();
    EXPECT_TRUE(log.back() == Q("< Comparing finished abnormally! >") || HasLineStartingWith(log, Q("Errors: ")))
        << log.join('\n').toStdString();
    EXPECT_FALSE(form->QELConnectionM->GetConnected());
    EXPECT_FALSE(form->QELConnectionT->GetConnected());

    // Update after the failed comparison runs nothing and breaks nothing.
    Click(form->BtnUpdate);
    EXPECT_FALSE(form->QELConnectionT->GetConnected());
    EXPECT_TRUE(form->BtnCompare->isEnabled());
}

TEST_F(FormDatabaseTest, ServerNameConnectsOverTCP)
{
    const qeltest::TServerConfig server;
    if (const std::string why = server.Unusable(); !why.empty()) QEL_SKIP_OR_FAIL(why);

    // A copy of the master that the server creates in a folder of its own.
    const std::string remote = server.FileOf(server.NewDatabaseName("velmorin-form"));
    const auto onServer = [&](TQELConnection& c) { qeltest::ConfigureFirebirdServer(c, server, remote); };
    {
        TQELConnection c;
        onServer(c);
        qeltest::CreateDatabase(c, "UTF8");
        qeltest::TInspector db(onServer);
        db.Run(TableDDL);
        db.Run("INSERT INTO PRODUCTS VALUES (9, 'nine', 9.90, NULL, 'remote', x'09')");
    }

    auto form = Open();
    Enter(*form, remote, target);
    form->EditServerM->setText(QString::fromStdString(server.Host));
    form->EditUserM->setText(QString::fromStdString(server.User));
    form->EditPswdM->setText(QString::fromStdString(server.Password));
    Click(form->BtnCompare);
    const QStringList log = LogLines(*form);
    EXPECT_EQ(form->QELConnectionM->ConnectionOptions().Protocol, TQELProtocol::ptTCP);
    EXPECT_EQ(form->QELConnectionT->ConnectionOptions().Protocol, TQELProtocol::ptLocal);
    EXPECT_TRUE(log.contains(Q("Equal: 0, Inserted: 1, Updated: 0, Deleted: 4, All: 5."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Comparing finished. >"));

    std::error_code ec;
    std::filesystem::remove(remote, ec);
}

} // namespace

// A table without a key: every column is its key, so pressing "Update" a
// second time after one "Compare" would insert the missing rows again.
TEST_F(FormDatabaseTest, SecondUpdateSkipsWhatTheFirstDidOnATableWithoutKey)
{
    auto make = [&](const std::string& Name, const std::string& Rows) {
        return Create(Name, {"CREATE TABLE NOTES (NAME VARCHAR(20), QTY INTEGER)", "INSERT INTO NOTES " + Rows});
    };
    const std::string a = "SELECT 'a', 1 FROM RDB$DATABASE";
    const std::string m = make("nokey-master.fdb", a + " UNION ALL SELECT 'b', 2 FROM RDB$DATABASE UNION ALL "
                                                   "SELECT 'c', 3 FROM RDB$DATABASE");
    const std::string t = make("nokey-target.fdb", a);
    auto form = Open();
    Enter(*form, m, t);
    form->EditTableM->setText(Q("NOTES"));
    form->EditTableT->setText(Q("NOTES"));
    Click(form->BtnCompare);
    QStringList log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Equal: 1, Inserted: 2, Updated: 0, Deleted: 0, All: 3."))) << log.join('\n').toStdString();
    Click(form->BtnUpdate);
    const qsizetype firstUpdateEnd = LogLines(*form).size();
    Click(form->BtnUpdate);
    log = LogLines(*form).mid(firstUpdateEnd);
    EXPECT_EQ(log.count(Q("< Skipping statement >: NOTES: insert (2 times)")), 1) << log.join('\n').toStdString();
    EXPECT_FALSE(HasLineStartingWith(log, Q("< Exec SQL >"))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Script executed succesfully! >"));
    // Rows that repeat would stop the comparison of a table keyed by all its columns.
    Click(form->BtnCompare);
    log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Equal: 3, Inserted: 0, Updated: 0, Deleted: 0, All: 3."))) << log.join('\n').toStdString();
}

// Rows of the master the target lacks, added with one statement.
void AddMasterRows(const std::string& Master, int Count)
{
    qeltest::TInspector db(Master);
    db.Run("EXECUTE BLOCK AS DECLARE I INTEGER = 100; BEGIN WHILE (I < " + std::to_string(100 + Count) +
           ") DO BEGIN INSERT INTO PRODUCTS (ID, NAME, PRICE, NOTES, PICTURE) VALUES (:I, 'row ' || :I, :I / 100.0, "
           "'notes ' || :I, x'0102'); I = I + 1; END END");
}

long long CountRows(const std::string& Path)
{
    return std::stoll(qeltest::TInspector(Path).Rows("SELECT COUNT(*) FROM PRODUCTS").at(0).at(0));
}

mode_t FileMode(const std::filesystem::path& Path)
{
    struct stat st {};
    return ::stat(Path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

// Update of a few thousand statements: the target's bar follows the
// executor, the master's is empty, the log counts the repeated statement
// lines, and the script and its BLOB file, which hold the target's
// password, are the owner's only, even where they existed readable by all.
TEST_F(FormDatabaseTest, UpdateOfThousandsOfStatementsShowsItsProgress)
{
    AddMasterRows(master, 4000);
    for (const char* name : {"Result.SQL", "Result.LOB"}) {
        WriteFile(dir.File(name), "old");
        ::chmod(dir.File(name).c_str(), 0644);
    }
    auto form = Open();
    Enter(*form, master, target);
    const mode_t oldMask = ::umask(022);
    Click(form->BtnCompare);
    ::umask(oldMask);
    for (const char* name : {"Result.SQL", "Result.LOB"}) {
        EXPECT_EQ(FileMode(dir.Path() / name), 0600u) << name;
        EXPECT_GT(std::filesystem::file_size(dir.Path() / name), 3u) << name;
    }
    TIBSQLExec& exec = *form->IBSQLExec;
    int inserts = 0;
    for (int i = 0; i < exec.Count(); ++i) inserts += exec.Statements(i).StatType == TStatType::stInsert;
    ASSERT_EQ(inserts, 4001);

    std::vector<int> values;
    QObject::connect(form->ProgressBarT, &QProgressBar::valueChanged, [&](int Value) { values.push_back(Value); });
    // Half-way the run pauses longer than the window waits between repaints,
    // so that the bar shows a value between the ends however fast the disk.
    exec.OnAfterStatementExecute = [&](TObject&, int Index) {
        if (Index == exec.Count() / 2) std::this_thread::sleep_for(std::chrono::milliseconds(60));
    };
    Click(form->BtnUpdate);
    const QStringList log = LogLines(*form);
    EXPECT_EQ(log.back(), Q("< Script executed succesfully! >")) << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains(Q("< Exec SQL >: PRODUCTS: insert (4001 times)"))) << log.join('\n').toStdString();
    EXPECT_EQ(Rows(target), Rows(master));

    EXPECT_EQ(form->ProgressBarT->maximum(), exec.Count());
    EXPECT_EQ(form->ProgressBarT->value(), exec.Count());
    EXPECT_EQ(form->ProgressBarM->value(), 0);
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_TRUE(std::any_of(values.begin(), values.end(), [&](int v) { return v > 0 && v < exec.Count(); }));
    // The bar follows at the window's pace, not on every statement.
    EXPECT_LT(values.size(), 200u);
}

// A close during Update stops it between two statements: what ran is
// committed, the rest is not started, the log says how many, and then the
// window closes.
TEST_F(FormDatabaseTest, CloseDuringUpdateStopsBetweenStatements)
{
    AddMasterRows(master, 2000);
    auto form = Open();
    Enter(*form, master, target);
    Click(form->BtnCompare);
    TIBSQLExec& exec = *form->IBSQLExec;
    const int count = exec.Count();
    ASSERT_GT(count, 2000);
    bool closed = true;
    exec.OnAfterStatementExecute = [&](TObject&, int Index) {
        if (Index == 1000) closed = form->close();
    };
    Click(form->BtnUpdate);
    EXPECT_FALSE(closed);
    const QStringList log = LogLines(*form);
    const QString stopped = QStringLiteral("< Update stopped: %1 statements not run; the statements run before are "
                                           "committed >").arg(count - 1001);
    EXPECT_TRUE(log.contains(Q("< Closing: the update stops before its next statement. >")))
        << log.join('\n').toStdString();
    EXPECT_TRUE(log.contains(stopped)) << log.join('\n').toStdString();
    EXPECT_FALSE(log.contains(Q("< Script executed succesfully! >")));
    EXPECT_FALSE(form->QELConnectionT->GetConnected());
    // The statements not run are all inserts (they come last).
    EXPECT_EQ(CountRows(target), CountRows(master) - (count - 1001));
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 2000);
    EXPECT_NE(ReadFile(IniFile()).find("TableNameM=PRODUCTS"), std::string::npos);
}

// A close during Compare stops the comparison at its next row: nothing it
// made so far is kept, the connections are closed, the window closes.
TEST_F(FormDatabaseTest, CloseDuringCompareStopsItAndWithdrawsItsStatements)
{
    AddMasterRows(master, 2000);
    auto form = Open();
    Enter(*form, master, target);
    int reports = 0;
    const TProgressUpdateEvent progress = form->Velmorin->OnProgressUpdateMaster;
    form->Velmorin->OnProgressUpdateMaster = [&](TObject& Sender, int Value, int MaxValue) {
        if (++reports == 500) form->close();
        progress(Sender, Value, MaxValue);
    };
    Click(form->BtnCompare);
    const QStringList log = LogLines(*form);
    EXPECT_TRUE(log.contains(Q("Error: Comparing stopped: the window is closing."))) << log.join('\n').toStdString();
    EXPECT_EQ(log.back(), Q("< Comparing finished abnormally! >")) << log.join('\n').toStdString();
    EXPECT_LT(reports, 600);
    EXPECT_EQ(form->IBSQLExec->Count(), 0);
    EXPECT_EQ(std::filesystem::file_size(dir.Path() / "Result.SQL"), 0u);
    EXPECT_FALSE(form->QELConnectionM->GetConnected());
    EXPECT_FALSE(form->QELConnectionT->GetConnected());
    QTRY_VERIFY_WITH_TIMEOUT(!form->isVisible(), 2000);
}
