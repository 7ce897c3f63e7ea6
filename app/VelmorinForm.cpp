#include "VelmorinForm.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelIBSQLExec.h"
#include "qelIniFile.h"
#include "qelMSSQLExec.h"
#include "qelStrings.h"
#include "qelVelmorin.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <utility>

using namespace qel;

namespace {

const char* const IniSection = "Databases";
const char* const IniFileName = "Kestrova.Ini";
// The InterBase administrator's default login, offered for an InterBase side.
const char* const DefaultIBUser = "SYSDBA";
const char* const DefaultIBPassword = "cobaltfin";

constexpr int ClientWidth = 784;
constexpr int ClientHeight = 502;

std::string Key(const char* Name, char Suffix) { return std::string(Name) + Suffix; }

QString FromBytes(const std::string& Bytes) { return QString::fromUtf8(Bytes.data(), static_cast<qsizetype>(Bytes.size())); }

// A pane the user reads, selects and copies from but cannot change: the
// script pane shows what Update will run, not something Update reads back.
QPlainTextEdit* CreatePane(const QString& Name, const QString& FirstLine, QWidget* Parent)
{
    auto* pane = new QPlainTextEdit(Parent);
    pane->setObjectName(Name);
    pane->setLineWrapMode(QPlainTextEdit::NoWrap);
    pane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane->setReadOnly(true);
    pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    pane->setUndoRedoEnabled(false);
    pane->setPlainText(FirstLine);
    return pane;
}

// Thrown out of the comparer's progress report when the window is to close:
// the comparer's merge stops there and withdraws what it made so far.
class ECompareStopped : public std::runtime_error {
public:
    ECompareStopped() : std::runtime_error("Comparing stopped: the window is closing.") {}
};

// The window knows two server types; any other stored number is InterBase.
TDatabaseType TypeFromSetting(int Value)
{
    return Value == static_cast<int>(TDatabaseType::dbMSSQL) ? TDatabaseType::dbMSSQL : TDatabaseType::dbInterBase;
}

template <class T>
T* Named(T* Widget, const char* Name)
{
    Widget->setObjectName(QString::fromLatin1(Name));
    return Widget;
}

} // namespace

// Marks the window busy for one run: both buttons are disabled, and a close
// asked for meanwhile happens once the run has ended.
class TForm1::TBusyScope {
public:
    TBusyScope(TForm1& Form, TRun Run) : m_form(Form)
    {
        m_form.m_busy = true;
        m_form.m_run = Run;
        m_form.m_stopRequested = false;
        m_form.BtnCompare->setEnabled(false);
        m_form.BtnUpdate->setEnabled(false);
    }
    ~TBusyScope()
    {
        m_form.FlushDisplay();
        m_form.m_busy = false;
        m_form.m_run = TRun::None;
        m_form.BtnCompare->setEnabled(true);
        m_form.BtnUpdate->setEnabled(true);
        if (m_form.m_closePending) {
            m_form.m_closePending = false;
            QTimer::singleShot(0, &m_form, &QWidget::close);
        }
    }
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

private:
    TForm1& m_form;
};

TForm1::TForm1(const QString& SettingsFolder, QWidget* Parent)
    : QWidget(Parent),
      m_settingsFolder(SettingsFolder.isEmpty() ? QCoreApplication::applicationDirPath() : SettingsFolder)
{
    CreateControls();
    CreateComponents();

    m_previousShowMessage = SetShowMessageHook([this](const std::string& Text) {
        QString text = FromBytes(Text);
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        QMessageBox::information(isVisible() ? this : nullptr, windowTitle(), text);
    });
    // The executor asks after every statement: during a run only every 50 ms
    // is honoured, or repainting would cost more than the statements.
    m_previousProcessMessages = SetProcessMessagesHook([this] {
        if (m_busy) KeepResponsive();
        else QCoreApplication::processEvents();
    });

    FormCreate();
}

TForm1::~TForm1()
{
    FormDestroy();
    SetShowMessageHook(std::move(m_previousShowMessage));
    SetProcessMessagesHook(std::move(m_previousProcessMessages));
}

// ---------------------------------------------------------------- controls

QWidget* TForm1::CreateSide(TSide& Side, QLabel*& Caption, const QString& CaptionText, QWidget* Parent)
{
    const QString s(QChar::fromLatin1(Side.Suffix));
    auto* box = new QWidget(Parent);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    Caption = new QLabel(CaptionText, box);
    Caption->setObjectName(Side.Suffix == 'M' ? "Label1" : "Label2");
    QFont bold = Caption->font();
    bold.setBold(true);
    Caption->setFont(bold);

    Side.rbIB = new QRadioButton(tr("InterBase"), box);
    Side.rbIB->setObjectName("rb" + s + "IB");
    Side.rbMS = new QRadioButton(tr("MS SQL"), box);
    Side.rbMS->setObjectName("rb" + s + "MS");
    auto* group = new QButtonGroup(box);
    group->addButton(Side.rbIB);
    group->addButton(Side.rbMS);
    Side.rbIB->setChecked(true);

    auto* labelDB = new QLabel(tr("Database name"), box);
    labelDB->setObjectName("LabelDBName" + s);
    Side.EditDBName = new QLineEdit(box);
    Side.EditDBName->setObjectName("EditDBName" + s);
    Side.LabelUser = new QLabel(tr("User"), box);
    Side.LabelUser->setObjectName("LabelUser" + s);
    Side.EditUser = new QLineEdit(box);
    Side.EditUser->setObjectName("EditUser" + s);
    Side.LabelPswd = new QLabel(tr("Password"), box);
    Side.LabelPswd->setObjectName("LabelPswd" + s);
    Side.EditPswd = new QLineEdit(box);
    Side.EditPswd->setObjectName("EditPswd" + s);
    Side.cbAuth = new QCheckBox(tr("Windows authentication"), box);
    Side.cbAuth->setObjectName("cbAuth" + s);
    Side.LabelServer = new QLabel(tr("Server name"), box);
    Side.LabelServer->setObjectName("LabelServer" + s);
    Side.EditServer = new QLineEdit(box);
    Side.EditServer->setObjectName("EditServer" + s);
    auto* labelTable = new QLabel(tr("Table name"), box);
    labelTable->setObjectName("LabelTable" + s);
    Side.EditTable = new QLineEdit(box);
    Side.EditTable->setObjectName("EditTable" + s);
    Side.ProgressBar = new QProgressBar(box);
    Side.ProgressBar->setObjectName("ProgressBar" + s);
    Side.ProgressBar->setRange(0, 100);
    Side.ProgressBar->setValue(0);
    Side.ProgressBar->setTextVisible(false);
    Side.ProgressBar->setMaximumHeight(16);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    top->addWidget(Caption);
    top->addWidget(Side.rbIB);
    top->addWidget(Side.rbMS);
    top->addStretch(1);

    grid->addLayout(top, 0, 0, 1, 3);
    grid->addWidget(labelDB, 1, 0);
    grid->addWidget(Side.LabelUser, 1, 1);
    grid->addWidget(Side.LabelPswd, 1, 2);
    grid->addWidget(Side.EditDBName, 2, 0);
    grid->addWidget(Side.EditUser, 2, 1);
    grid->addWidget(Side.EditPswd, 2, 2);
    grid->addWidget(Side.cbAuth, 3, 1, 1, 2);
    grid->addWidget(Side.LabelServer, 4, 0);
    grid->addWidget(labelTable, 4, 1, 1, 2);
    grid->addWidget(Side.EditServer, 5, 0);
    grid->addWidget(Side.EditTable, 5, 1, 1, 2);
    grid->addWidget(Side.ProgressBar, 6, 1, 1, 2);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(7, 1);
    return box;
}

void TForm1::CreateControls()
{
    setObjectName("Form1");
    setWindowTitle(tr("Velmorin"));

    TSide m{};
    m.Suffix = 'M';
    TSide t{};
    t.Suffix = 'T';
    QWidget* masterBox = CreateSide(m, Label1, tr("Master:"), this);
    QWidget* targetBox = CreateSide(t, Label2, tr("Target:"), this);
    rbMIB = m.rbIB, rbMMS = m.rbMS, EditDBNameM = m.EditDBName, LabelUserM = m.LabelUser, EditUserM = m.EditUser;
    LabelPswdM = m.LabelPswd, EditPswdM = m.EditPswd, cbAuthM = m.cbAuth, LabelServerM = m.LabelServer;
    EditServerM = m.EditServer, EditTableM = m.EditTable, ProgressBarM = m.ProgressBar;
    rbTIB = t.rbIB, rbTMS = t.rbMS, EditDBNameT = t.EditDBName, LabelUserT = t.LabelUser, EditUserT = t.EditUser;
    LabelPswdT = t.LabelPswd, EditPswdT = t.EditPswd, cbAuthT = t.cbAuth, LabelServerT = t.LabelServer;
    EditServerT = t.EditServer, EditTableT = t.EditTable, ProgressBarT = t.ProgressBar;

    auto* divider = Named(new QFrame(this), "Divider");
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Sunken);

    BtnCompare = Named(new QPushButton(tr("Compare"), this), "BtnCompare");
    BtnUpdate = Named(new QPushButton(tr("Update"), this), "BtnUpdate");
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(BtnCompare);
    buttons->addWidget(BtnUpdate);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(masterBox, 1);
    top->addWidget(divider);
    top->addWidget(targetBox, 1);
    top->addLayout(buttons);

    MemoScript = CreatePane("MemoScript", QStringLiteral("< Script is empty >"), this);
    MemoScript->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // The script pane keeps its height; the log takes what the window gains.
    MemoScript->setFixedHeight(150);
    MemoLog = CreatePane("MemoLog", QStringLiteral("< Log >"), this);
    // Long error texts wrap instead of running past the pane's edge.
    MemoLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    MemoLog->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(MemoScript);
    layout->addWidget(MemoLog, 1);

    resize(ClientWidth, ClientHeight);
    if (QScreen* s = screen()) move(s->availableGeometry().center() - QPoint(ClientWidth / 2, ClientHeight / 2));

    connect(BtnCompare, &QPushButton::clicked, this, [this] { BtnCompareClick(); });
    connect(BtnUpdate, &QPushButton::clicked, this, [this] { BtnUpdateClick(); });
    // A radio button acts when it becomes checked (clicking the checked one
    // again changes nothing); the check box on every click.
    for (QRadioButton* rb : {rbMIB, rbMMS})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool On) { if (On) rbMClick(rb); });
    for (QRadioButton* rb : {rbTIB, rbTMS})
        connect(rb, &QRadioButton::toggled, this, [this, rb](bool On) { if (On) rbTClick(rb); });
    connect(cbAuthM, &QCheckBox::clicked, this, [this] { rbMClick(cbAuthM); });
    connect(cbAuthT, &QCheckBox::clicked, this, [this] { rbTClick(cbAuthT); });
}

void TForm1::CreateComponents()
{
    auto logLine = [this](TObject& Sender, const std::string& Text) { LogNextLine(Sender, Text); };
    auto logError = [this](TObject& Sender, const std::string& Text) { LogErrorMessage(Sender, Text); };

    QELConnectionM = std::make_unique<TQELConnection>();
    QELConnectionM->SetName("QELConnectionM");
    QELConnectionM->OnErrorMessage = logError;
    QELConnectionT = std::make_unique<TQELConnection>();
    QELConnectionT->SetName("QELConnectionT");
    QELConnectionT->OnErrorMessage = logError;

    IBSQLExec = std::make_unique<TIBSQLExec>();
    IBSQLExec->SetName("IBSQLExec");
    IBSQLExec->SetQELConnection(QELConnectionT.get());
    IBSQLExec->OnLogNextLine = logLine;
    IBSQLExec->OnErrorMessage = logError;
    IBSQLExec->OnProgressUpdate = [this](TObject& Sender, int Value, int MaxValue) {
        SQLExecProgressUpdate(Sender, Value, MaxValue);
    };
    MSSQLExec = std::make_unique<TMSSQLExec>();
    MSSQLExec->SetName("MSSQLExec");
    MSSQLExec->SetQELConnection(QELConnectionT.get());
    MSSQLExec->OnLogNextLine = logLine;
    MSSQLExec->OnErrorMessage = logError;
    MSSQLExec->OnProgressUpdate = IBSQLExec->OnProgressUpdate;

    Velmorin = std::make_unique<TVelmorin>();
    Velmorin->SetName("Velmorin");
    Velmorin->SetQELConnectionMaster(QELConnectionM.get());
    Velmorin->SetQELConnectionTarget(QELConnectionT.get());
    // Relative names: the script and its BLOB file land in the current folder.
    Velmorin->SetScriptFileName("Result.SQL");
    Velmorin->SetBlobFileName("Result.LOB");
    Velmorin->OnLogNextLine = logLine;
    Velmorin->OnErrorMessage = logError;
    Velmorin->OnProgressUpdateMaster = [this](TObject& Sender, int Value, int MaxValue) {
        VelmorinProgressUpdateMaster(Sender, Value, MaxValue);
    };
    Velmorin->OnProgressUpdateTarget = [this](TObject& Sender, int Value, int MaxValue) {
        VelmorinProgressUpdateTarget(Sender, Value, MaxValue);
    };
}

TForm1::TSide TForm1::SideM() const
{
    return {rbMIB, rbMMS, EditDBNameM, LabelUserM, EditUserM, LabelPswdM, EditPswdM,
            cbAuthM, LabelServerM, EditServerM, EditTableM, ProgressBarM, 'M'};
}

TForm1::TSide TForm1::SideT() const
{
    return {rbTIB, rbTMS, EditDBNameT, LabelUserT, EditUserT, LabelPswdT, EditPswdT,
            cbAuthT, LabelServerT, EditServerT, EditTableT, ProgressBarT, 'T'};
}

// ---------------------------------------------------------------- settings

QString TForm1::GetIniFileName() const
{
    QString folder = m_settingsFolder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder + QLatin1String(IniFileName);
}

std::string TForm1::EditBytes(const QLineEdit* Edit) const
{
    const auto loaded = m_loadedBytes.find(Edit);
    if (loaded != m_loadedBytes.end() && FromBytes(loaded->second) == Edit->text()) return loaded->second;
    return Edit->text().toStdString();
}

void TForm1::SetEditBytes(QLineEdit* Edit, const std::string& Bytes)
{
    Edit->setText(FromBytes(Bytes));
    m_loadedBytes[Edit] = Bytes;
}

void TForm1::FormCreate()
{
    const TIniFile ini(QFile::encodeName(GetIniFileName()).toStdString());
    try {
        SetDatabaseTypeM(TypeFromSetting(ini.ReadInteger(IniSection, "DatabaseTypeM", 1)));
        SetDatabaseTypeT(TypeFromSetting(ini.ReadInteger(IniSection, "DatabaseTypeT", 1)));
    } catch (const std::exception&) {
        // An unreadable type leaves the InterBase radios as they are.
    }
    rbMClick(nullptr);
    rbTClick(nullptr);

    // A key the file lacks leaves the control as the steps above set it, so a
    // first start offers the InterBase login.
    const TSide m = SideM(), t = SideT();
    auto read = [&](const char* Name, const TSide& Side, QLineEdit* Edit) {
        SetEditBytes(Edit, ini.ReadString(IniSection, Key(Name, Side.Suffix), EditBytes(Edit)));
    };
    read("DBName", m, m.EditDBName);
    read("DBName", t, t.EditDBName);
    read("HostName", m, m.EditServer);
    read("HostName", t, t.EditServer);
    read("UserName", m, m.EditUser);
    read("UserName", t, t.EditUser);
    read("Password", m, m.EditPswd);
    read("Password", t, t.EditPswd);
    for (const TSide& side : {m, t}) {
        side.cbAuth->setChecked(ini.ReadBool(IniSection, Key("WinAuthentication", side.Suffix), side.cbAuth->isChecked()));
        UpdateLoginEnabling(side);
    }
    read("TableName", m, m.EditTable);
    read("TableName", t, t.EditTable);
}

void TForm1::FormDestroy()
{
    if (m_destroyed) return;
    m_destroyed = true;
    TIniFile ini(QFile::encodeName(GetIniFileName()).toStdString());
    if (!ini.Readable()) {
        // Replacing a file we cannot read would lose whatever else it holds.
        m_settingsError = QStringLiteral("The settings file \"%1\" cannot be read; the settings are not saved.")
                              .arg(GetIniFileName());
        qWarning("Velmorin: %s", qPrintable(m_settingsError));
        return;
    }
    try {
        ini.WriteInteger(IniSection, "DatabaseTypeM", static_cast<int>(GetDatabaseTypeM()));
    } catch (const std::exception&) {
    }
    try {
        ini.WriteInteger(IniSection, "DatabaseTypeT", static_cast<int>(GetDatabaseTypeT()));
    } catch (const std::exception&) {
    }
    const TSide m = SideM(), t = SideT();
    for (const auto& [name, edit] : std::initializer_list<std::pair<const char*, const QLineEdit*>>{
             {"DBNameM", m.EditDBName},
             {"DBNameT", t.EditDBName},
             {"HostNameM", m.EditServer},
             {"HostNameT", t.EditServer},
             {"UserNameM", m.EditUser},
             {"UserNameT", t.EditUser},
             {"PasswordM", m.EditPswd},
             {"PasswordT", t.EditPswd}})
        ini.WriteString(IniSection, name, EditBytes(edit));
    ini.WriteBool(IniSection, "WinAuthenticationM", m.cbAuth->isChecked());
    ini.WriteBool(IniSection, "WinAuthenticationT", t.cbAuth->isChecked());
    ini.WriteString(IniSection, "TableNameM", EditBytes(m.EditTable));
    ini.WriteString(IniSection, "TableNameT", EditBytes(t.EditTable));
    try {
        ini.UpdateFile();
    } catch (const std::exception& e) {
        m_settingsError = FromBytes(e.what());
        qWarning("Velmorin: %s", e.what());
    }
}

// ---------------------------------------------------------------- sides

TDatabaseType TForm1::GetDatabaseTypeM() const
{
    return rbMMS->isChecked() ? TDatabaseType::dbMSSQL : TDatabaseType::dbInterBase;
}

TDatabaseType TForm1::GetDatabaseTypeT() const
{
    return rbTMS->isChecked() ? TDatabaseType::dbMSSQL : TDatabaseType::dbInterBase;
}

void TForm1::SetDatabaseTypeM(TDatabaseType Type)
{
    (Type == TDatabaseType::dbMSSQL ? rbMMS : rbMIB)->setChecked(true);
}

void TForm1::SetDatabaseTypeT(TDatabaseType Type)
{
    (Type == TDatabaseType::dbMSSQL ? rbTMS : rbTIB)->setChecked(true);
}

void TForm1::rbMClick(QObject* Sender) { SideClick(SideM(), Sender); }

void TForm1::rbTClick(QObject* Sender) { SideClick(SideT(), Sender); }

void TForm1::SideClick(const TSide& Side, QObject* Sender)
{
    const bool ib = Side.rbIB->isChecked();
    const bool ms = Side.rbMS->isChecked();
    Side.EditUser->setText(ib ? QString::fromLatin1(DefaultIBUser) : QString());
    Side.EditPswd->setText(ib ? QString::fromLatin1(DefaultIBPassword) : QString());
    if (Sender != Side.cbAuth) Side.cbAuth->setChecked(ms);
    Side.cbAuth->setEnabled(ms);
    UpdateLoginEnabling(Side);
    Side.LabelServer->setEnabled(ib || ms);
    Side.EditServer->setEnabled(ib || ms);
}

void TForm1::UpdateLoginEnabling(const TSide& Side)
{
    const bool on = Side.rbIB->isChecked() || (Side.rbMS->isChecked() && !Side.cbAuth->isChecked());
    Side.EditUser->setEnabled(on);
    Side.EditPswd->setEnabled(on);
    Side.LabelUser->setEnabled(on);
    Side.LabelPswd->setEnabled(on);
}

// ---------------------------------------------------------------- runs

void TForm1::ConfigureConnection(TQELConnection& Connection, TDatabaseType Type, const TSide& Side)
{
    if (Type == TDatabaseType::dbInterBase) {
        Connection.SetConnectionType(TconnectionType::cnIBX);
        Connection.ConnectionOptions().Protocol =
            Side.EditServer->text().isEmpty() ? TQELProtocol::ptLocal : TQELProtocol::ptTCP;
    } else {
        Connection.SetConnectionType(TconnectionType::cnADO);
    }
    Connection.SetDatabaseType(Type);
}

void TForm1::BtnCompareClick()
{
    if (m_busy) return;
    TBusyScope busy(*this, TRun::Compare);
    try {
        ConfigureConnection(*QELConnectionM, GetDatabaseTypeM(), SideM());
        ConfigureConnection(*QELConnectionT, GetDatabaseTypeT(), SideT());
        if (GetDatabaseTypeT() == TDatabaseType::dbMSSQL)
            Velmorin->SetSQLExec(MSSQLExec.get());
        else
            Velmorin->SetSQLExec(IBSQLExec.get());

        for (const auto& [connection, side] : {std::pair{QELConnectionM.get(), SideM()}, std::pair{QELConnectionT.get(), SideT()}}) {
            TConnectionOptions& options = connection->ConnectionOptions();
            options.DatabaseName = EditBytes(side.EditDBName);
            options.HostName = EditBytes(side.EditServer);
            options.UserName = EditBytes(side.EditUser);
            options.Password = EditBytes(side.EditPswd);
            options.UseWindowsAuthentication = side.cbAuth->isChecked();
        }
        Velmorin->SetTableNameMaster(EditBytes(EditTableM));
        Velmorin->SetTableNameTarget(EditBytes(EditTableT));

        MemoScript->clear();
        m_compareStopped = false;
        // A comparison stopped half-way reports the stop as its error and
        // withdraws its statements, yet counts as run.
        if (Velmorin->Execute() && !m_compareStopped) {
            TStringList lines;
            Velmorin->SQLExec()->WriteScript(lines, true);
            QStringList text;
            text.reserve(lines.Count());
            for (const std::string& line : lines.Lines()) text.append(FromBytes(line));
            MemoScript->setPlainText(text.join(QLatin1Char('\n')));
            AddLog(QStringLiteral("< Comparing finished. >"));
        } else {
            AddLog(QStringLiteral("< Comparing finished abnormally! >"));
        }
    } catch (const std::exception& e) {
        // A failure the comparer lets through (a column listing that raises,
        // say) ends this run only; connections it left open are closed so
        // that the next run starts from the entries again.
        AddLog(QStringLiteral("Error: ") + FromBytes(e.what()));
        QELConnectionM->SetConnected(false);
        QELConnectionT->SetConnected(false);
        AddLog(QStringLiteral("< Comparing finished abnormally! >"));
    }
}

void TForm1::BtnUpdateClick()
{
    if (m_busy || Velmorin->SQLExec() == nullptr) return;
    TBusyScope busy(*this, TRun::Update);
    // The master's bar has nothing to do with an update.
    ShowProgress(ProgressBarM, 0, 1);
    m_execProgressStarted = false;
    try {
        QELConnectionT->SetConnected(true);
        Velmorin->SQLExec()->Execute();
        QELConnectionT->SetConnected(false);
    } catch (const std::exception& e) {
        AddLog(QStringLiteral("Error: ") + FromBytes(e.what()));
        QELConnectionT->SetConnected(false);
    }
}

// ---------------------------------------------------------------- events

void TForm1::AddLog(const QString& Text)
{
    QString text = Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (m_lastLogCount > 0 && text == m_lastLogLine) {
        ++m_lastLogCount;
    } else {
        // The line before is complete: in the pane it gets its final count,
        // else it waits with the others for the next repaint.
        if (m_lastLogCount > 0) {
            if (m_lastInPane) ShowRepeatCount();
            else m_pendingLog.append(CountedLine());
        }
        // Only a line of its own can be counted.
        if (text.contains(QLatin1Char('\n'))) {
            m_pendingLog.append(text);
            m_lastLogLine.clear();
            m_lastLogCount = 0;
        } else {
            m_lastLogLine = text;
            m_lastLogCount = 1;
        }
        m_lastInPane = false;
    }
    if (!m_busy) FlushDisplay();
    KeepResponsive();
}

QString TForm1::CountedLine() const
{
    return m_lastLogCount > 1 ? m_lastLogLine + QStringLiteral(" (%1 times)").arg(m_lastLogCount) : m_lastLogLine;
}

void TForm1::ShowRepeatCount()
{
    if (!m_lastInPane || m_lastLogCount == m_lastLogShown) return;
    m_lastLogShown = m_lastLogCount;
    QTextCursor cursor(MemoLog->document()->lastBlock());
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(CountedLine());
    m_scrollPending = true;
}

void TForm1::FlushDisplay()
{
    for (auto [bar, progress] : {std::pair{ProgressBarM, &m_progressM}, std::pair{ProgressBarT, &m_progressT}}) {
        if (!progress->Pending) continue;
        progress->Pending = false;
        // A maximum of 0 would turn Qt's bar into a busy indicator; an empty
        // table shows an empty bar instead.
        const int maximum = progress->MaxValue > 0 ? progress->MaxValue : 1;
        bar->setMaximum(maximum);
        bar->setValue(std::clamp(progress->Value, 0, maximum));
    }
    // The lines that came since the last repaint go in with one edit: one
    // edit a line costs more than the statements they stand for.
    if (m_lastLogCount > 0 && !m_lastInPane) {
        m_pendingLog.append(CountedLine());
        m_lastInPane = true;
        m_lastLogShown = m_lastLogCount;
    }
    if (!m_pendingLog.isEmpty()) {
        MemoLog->appendPlainText(m_pendingLog.join(QLatin1Char('\n')));
        m_pendingLog.clear();
        m_scrollPending = true;
    }
    ShowRepeatCount();
    if (m_scrollPending) {
        m_scrollPending = false;
        MemoLog->moveCursor(QTextCursor::End);
        MemoLog->ensureCursorVisible();
    }
}

void TForm1::LogNextLine(TObject& /*Sender*/, const std::string& LogText) { AddLog(FromBytes(LogText)); }

void TForm1::LogErrorMessage(TObject& /*Sender*/, const std::string& ErrText) { AddLog(FromBytes(ErrText)); }

void TForm1::ShowProgress(QProgressBar* Bar, int Value, int MaxValue)
{
    // A run reports on every row or statement; the bar follows at the pace
    // the window repaints.
    TPendingProgress& progress = Bar == ProgressBarM ? m_progressM : m_progressT;
    progress = {true, Value, MaxValue};
    if (!m_busy) FlushDisplay();
    KeepResponsive();
}

void TForm1::KeepResponsive()
{
    // The comparer reports progress on every row and the executor asks after
    // every statement; a few times a second is enough for the bars to move.
    if (!m_busy) return;
    if (m_sinceRepaint.isValid() && m_sinceRepaint.elapsed() < 50) return;
    FlushDisplay();
    QCoreApplication::processEvents();
    m_sinceRepaint.start();
}

void TForm1::ThrowIfCompareStopped()
{
    if (!m_stopRequested || m_run != TRun::Compare) return;
    m_compareStopped = true;
    throw ECompareStopped();
}

void TForm1::VelmorinProgressUpdateMaster(TObject& /*Sender*/, int Value, int MaxValue)
{
    ShowProgress(ProgressBarM, Value, MaxValue);
    ThrowIfCompareStopped();
}

void TForm1::VelmorinProgressUpdateTarget(TObject& /*Sender*/, int Value, int MaxValue)
{
    ShowProgress(ProgressBarT, Value, MaxValue);
    ThrowIfCompareStopped();
}

void TForm1::SQLExecProgressUpdate(TObject& /*Sender*/, int Value, int MaxValue)
{
    // The executor reports statement Value after running it, and once with 0
    // before the first: the bar counts statements done.
    if (!m_execProgressStarted) {
        m_execProgressStarted = true;
        ShowProgress(ProgressBarT, 0, MaxValue + 1);
    } else {
        ShowProgress(ProgressBarT, Value + 1, MaxValue + 1);
    }
}

void TForm1::RequestStop()
{
    if (m_stopRequested) return;
    m_stopRequested = true;
    if (m_run == TRun::Update) {
        AddLog(QStringLiteral("< Closing: the update stops before its next statement. >"));
        IBSQLExec->Stop();
        MSSQLExec->Stop();
    } else {
        AddLog(QStringLiteral("< Closing: the comparison stops at its next row. >"));
    }
}

void TForm1::QuitOnSignal(int Signal)
{
    m_quitBySignal = true;
    const char* name = Signal == SIGINT ? "SIGINT" : Signal == SIGTERM ? "SIGTERM" : "a signal";
    AddLog(QStringLiteral("< %1 received: the program ends. >").arg(QLatin1String(name)));
    std::fprintf(stderr, "velmorin: %s received: the program ends.\n", name);
    // A message box open now would hold the close up.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == this || !modal->close()) break;
    }
    close();
}

void TForm1::closeEvent(QCloseEvent* Event)
{
    if (m_busy) {
        m_closePending = true;
        RequestStop();
        Event->ignore();
        return;
    }
    FormDestroy();
    // Nobody is there to answer a box when a signal ends the program; the
    // reason went to standard error already.
    if (!m_settingsError.isEmpty() && !m_quitBySignal) ShowMessage(m_settingsError.toStdString());
    QWidget::closeEvent(Event);
}

// The meta-object code of TForm1, generated by moc.
#include "moc_VelmorinForm.cpp"
