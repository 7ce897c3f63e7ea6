#include "qelSQL_Exec.h"

#include "qelClasses.h"
#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelDataSet.h"
#include "qelErrors.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelObjsScriptFormat.h"
#include "qelSQLParser.h"
#include "qelText.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace qel {

namespace {

constexpr const char* NotAssigned = "): Connection property not assigned.";

// Statements that change the database: they connect a disconnected
// connection and mark a list as modifying.
bool IsModifying(TStatType t)
{
    using enum TStatType;
    switch (t) {
    case stStatement:
    case stProcedure:
    case stTrigger:
    case stDescription:
    case stInsert:
    case stUpdate:
    case stDelete: return true;
    default: return false;
    }
}

// Statements that do work in the database run once. The others (CONNECT,
// SET NAMES, SET BLOBFILE, COMMIT, comments) set the stage for them: while
// work is left they stay, so that the next run on a fresh connection and a
// written script still connect, pick the character set and open the BLOB
// file for it; once no work is left they are done too.
bool RunsOnce(TStatType t)
{
    // A SELECT may call a selectable procedure that changes the database.
    return IsModifying(t) || t == TStatType::stPackage || t == TStatType::stCreateDb || t == TStatType::stExecuteBlock ||
           t == TStatType::stSelect;
}

void MarkFinishedList(const std::vector<std::unique_ptr<TStatement>>& List)
{
    for (const auto& st : List)
        if (RunsOnce(st->StatType) && !st->Executed) return;
    for (const auto& st : List) st->Executed = true;
}

const char* OperationText(TDbOperation op)
{
    using enum TDbOperation;
    switch (op) {
    case odbCreate: return ": create";
    case odbAlter: return ": alter";
    case odbDrop: return ": drop";
    case odbEmpty: return ": empty body";
    case odbRestore: return ": restore body";
    case odbEmptyCreate: return ": create empty";
    case odbEmptyDrop: return ": empty before drop";
    case odbDescription: return ": description";
    case odbInsert: return ": insert";
    case odbUpdate: return ": update";
    case odbDelete: return ": delete";
    default: return "";
    }
}

bool IsIdentChar(char c)
{
    const char u = AsciiUpper(c);
    return (u >= 'A' && u <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    const char u = AsciiUpper(c);
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

bool AllHex(std::string_view s)
{
    for (char c : s)
        if (HexDigit(c) < 0) return false;
    return !s.empty();
}

// Hexadecimal digits to a 64-bit number; EConvertError when a digit is not
// hexadecimal or the number needs more than 64 bits.
std::uint64_t HexToUInt64(std::string_view Digits, std::string_view Name)
{
    std::uint64_t v = 0;
    for (char c : Digits) {
        const int d = HexDigit(c);
        if (d < 0)
            throw EConvertError("'" + std::string(Digits) + "' is not a valid hexadecimal number in BLOB parameter " +
                                std::string(Name));
        if (v > (UINT64_MAX >> 4))
            throw EConvertError("'" + std::string(Digits) + "' is too large for a BLOB position in parameter " +
                                std::string(Name));
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    return v;
}

// Errors that leave neither the connection nor its transaction usable: the
// statements run in the transaction are gone with it.
bool MeansTransactionLost(const std::exception& E)
{
    const auto* db = dynamic_cast<const EDatabaseError*>(&E);
    if (db == nullptr) return false;
    // SQLSTATE class 08: connection exception (ODBC and Firebird alike);
    // SQLCODE -902: Firebird's "cannot go on" class (shutdown, network).
    return db->SQLState().starts_with("08") || db->SQLCode() == -902;
}

} // namespace

// ---- TConnectionErrorCapture ----------------------------------------------

TConnectionErrorCapture::TConnectionErrorCapture(TQELCustomConnection& Connection, TPassOn PassOn)
    : m_connection(Connection), m_saved(std::move(Connection.OnErrorMessage))
{
    m_connection.OnErrorMessage = [this, PassOn](TObject& Sender, const std::string& Text) {
        if (!m_text.empty()) m_text += CRLF;
        m_text += Text;
        m_last = Text;
        if (PassOn == TPassOn::Yes && m_saved) m_saved(Sender, Text);
    };
}

TConnectionErrorCapture::~TConnectionErrorCapture() { m_connection.OnErrorMessage = std::move(m_saved); }

// ---- TStatement ------------------------------------------------------------

TStatement::TStatement(TCustomSQLExec* Owner) : m_owner(Owner)
{
    SQL.OnChange = [this](TStringList&) {
        m_hasExact = false;
        m_exact.reset();
    };
}

void TStatement::SetExactText(const std::string& Text)
{
    SQL.SetText(Text);
    m_exact = std::make_shared<const std::string>(Text);
    m_hasExact = true;
}

void TStatement::ShareTextOf(const TStatement& Other)
{
    SQL = Other.SQL;
    m_exact = Other.m_exact;
    m_hasExact = Other.m_hasExact;
    LineCount = Other.LineCount;
}

TStatement::~TStatement() { SQL.Clear(); }

std::string TStatement::GetSummary() const
{
    std::string r;
    if (ObjType == TDbObject::dboField) r = ParentName + " (" + ObjName + ")" + ": alter";
    else r = ObjName + OperationText(Operation);
    if (r.empty() && SQL.Count() > 0) r = SQL[0];
    return r;
}

// ---- TCustomSQLExec --------------------------------------------------------

TCustomSQLExec::TCustomSQLExec(TComponent* AOwner)
    : TComponent(AOwner), m_messages(std::make_unique<TMsgManager>())
{
}

TCustomSQLExec::~TCustomSQLExec()
{
    m_statements.clear();
    m_messages.reset();
}

std::unique_ptr<TStatement> TCustomSQLExec::CreateStatement()
{
    std::unique_ptr<TStatement> st;
    if (OnStatementCreate) OnStatementCreate(*this, st);
    if (!st) st = std::make_unique<TStatement>(this);
    return st;
}

TStatement* TCustomSQLExec::AddStatement(const std::string& SQL, TStatType StatType, const std::string& ObjName,
                                         TDbObject ObjType, TDbOperation Operation, const std::string& ParentName,
                                         const std::string& Terminator)
{
    if (SQL.empty() && StatType != TStatType::stComment) return nullptr;
    std::unique_ptr<TStatement> st = CreateStatement();
    st->SetExactText(SQL);
    st->StatType = StatType;
    st->ObjName = ObjName;
    st->ParentName = ParentName;
    st->ObjType = ObjType;
    st->Operation = Operation;
    st->LineCount = st->SQL.Count();
    if (!Terminator.empty()) st->Terminator = Terminator;
    else if (StatType != TStatType::stComment) st->Terminator = StatementTerminator(m_databaseType);
    else st->Terminator.clear();

    bool accept = true;
    DoStatementAdd(*st, accept);
    if (!accept) return nullptr;
    TStatement* raw = st.get();
    m_statements.push_back(std::move(st));
    m_lineTotal += raw->LineCount + 1;
    if (IsModifying(StatType)) m_hasModifyingStatements = true;
    return raw;
}

TStatement* TCustomSQLExec::AddDescription(TDbObj& Obj)
{
    std::string parentName;
    const TDbObject kind = Obj.ObjectType();
    if (kind == TDbObject::dboField || kind == TDbObject::dboParam) {
        const TDbObj* parent = Obj.GetParentObj();
        const std::string name = Obj.GetParentName();
        if (parent != nullptr && !name.empty() &&
            (parent->ObjectType() == TDbObject::dboTable || parent->ObjectType() == TDbObject::dboView ||
             parent->ObjectType() == TDbObject::dboProcedure))
            parentName = name;
    }
    TStatement* st = AddStatement(Obj.GetDescriptionScript(), TStatType::stDescription, Obj.Name(), kind,
                                  TDbOperation::odbDescription, parentName, {});
    if (st != nullptr) st->Description = Obj.Description();
    return st;
}

TStatement* TCustomSQLExec::AddComment(const std::string&) { return nullptr; }
TStatement* TCustomSQLExec::AddCommit() { return nullptr; }
void TCustomSQLExec::AddConnectStatement() {}

void TCustomSQLExec::Clear()
{
    m_statements.clear();
    m_lineTotal = 0;
    m_hasModifyingStatements = false;
}

void TCustomSQLExec::DeleteStatement(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EUsageError("List index out of bounds (" + IntToStr(Index) + ")");
    m_statements.erase(m_statements.begin() + Index);
}

void TCustomSQLExec::WriteScript(TStringList&, bool) {}

void TCustomSQLExec::LoadScript(const std::string& FileName)
{
    if (OnLoadScript) {
        TStringList lines;
        bool loaded = false;
        OnLoadScript(*this, FileName, lines, loaded);
        // A handler that declines leaves the file to be read as usual.
        if (loaded) {
            ScriptFileName = FileName;
            ParseScript(lines);
            return;
        }
    }
    ScriptFileName.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FileName, ec)) {
        ErrorMessage("File not found: " + FileName);
        return;
    }
    std::ifstream file(FileName, std::ios::binary);
    if (!file) {
        ErrorMessage("Cannot open file: " + FileName);
        return;
    }
    ScriptFileName = FileName;
    LoadFromStream(&file);
}

void TCustomSQLExec::LoadFromStream(std::istream* Stream)
{
    TStringList lines;
    if (Stream != nullptr) {
        std::string text((std::istreambuf_iterator<char>(*Stream)), std::istreambuf_iterator<char>());
        DecodeScriptText(text);
        lines.SetText(text);
    }
    ParseScript(lines);
}

void TCustomSQLExec::ParseScript(TStringList&) {}
void TCustomSQLExec::ParseConnectString(const std::string&) {}
void TCustomSQLExec::Connect() {}
void TCustomSQLExec::Disconnect() {}
void TCustomSQLExec::ExecSingleStatement(TStatement&) {}

bool TCustomSQLExec::Execute()
{
    m_errorCount = 0;
    return true;
}

void TCustomSQLExec::LogNextLine(const std::string& Text)
{
    if (OnLogNextLine) OnLogNextLine(*this, Text);
}

void TCustomSQLExec::ProgressUpdate(int Value, int MaxValue)
{
    if (OnProgressUpdate) OnProgressUpdate(*this, Value, MaxValue);
}

void TCustomSQLExec::ErrorMessage(const std::string& Text)
{
    if (OnErrorMessage) OnErrorMessage(*this, Text);
    else ShowMessage(Text);
    ++m_errorCount;
}

void TCustomSQLExec::DoStatementAdd(TStatement& St, bool& Accept)
{
    if (OnStatementAdd) OnStatementAdd(St, Accept);
}

void TCustomSQLExec::DoBeforeStatementExecute(int Index)
{
    if (OnBeforeStatementExecute) OnBeforeStatementExecute(*this, Index);
}

void TCustomSQLExec::DoAfterStatementExecute(int Index)
{
    if (OnAfterStatementExecute) OnAfterStatementExecute(*this, Index);
}

// ---- free routines ---------------------------------------------------------

bool MatchNameMask(std::string_view Name, std::string_view Mask)
{
    std::string m(Mask);
    for (char& c : m)
        if (c == '*') c = '%';
    if (m.empty()) return false;
    if (m.back() == '%') {
        const std::string_view text = std::string_view(m).substr(0, m.size() - 1);
        return Name.size() >= text.size() && SameText(Name.substr(0, text.size()), text);
    }
    if (m.front() == '%') {
        const std::string_view text = std::string_view(m).substr(1);
        return Name.size() >= text.size() && SameText(Name.substr(Name.size() - text.size()), text);
    }
    return false;
}

bool NameFilterAccepts(std::string_view Name, const TStringList& IncludeMasks, const TStringList& ExcludeMasks)
{
    for (const auto& mask : ExcludeMasks.Lines())
        if (MatchNameMask(Name, mask)) return false;
    if (IncludeMasks.Empty()) return true;
    for (const auto& mask : IncludeMasks.Lines())
        if (MatchNameMask(Name, mask)) return true;
    return false;
}

std::string HideStatementPassword(std::string_view Text)
{
    static constexpr std::string_view Word = "PASSWORD";
    std::string out;
    out.reserve(Text.size());
    size_t i = 0;
    const size_t n = Text.size();
    while (i < n) {
        const bool atWord = i + Word.size() <= n && SameText(Text.substr(i, Word.size()), Word) &&
                            (i == 0 || !IsIdentChar(Text[i - 1])) &&
                            (i + Word.size() == n || !IsIdentChar(Text[i + Word.size()]));
        if (!atWord) {
            out += Text[i++];
            continue;
        }
        out.append(Text.substr(i, Word.size()));
        i += Word.size();
        while (i < n && static_cast<unsigned char>(Text[i]) <= ' ') out += Text[i++];
        if (i < n && (Text[i] == '\'' || Text[i] == '"')) {
            const char q = Text[i];
            size_t j = i + 1;
            // The literal runs to its closing quote; a doubled quote is part of it.
            while (j < n) {
                if (Text[j] == q) {
                    if (j + 1 < n && Text[j + 1] == q) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += q;
            out += "***";
            if (j < n) out += q;
            i = j < n ? j + 1 : n;
        }
    }
    // Connection strings keep theirs in Password= or Pwd= items.
    if (out.find('=') != std::string::npos) return NameWithoutPassword(out);
    return out;
}

bool ParseBlobParamName(std::string_view Name, std::uint64_t& Offset, std::uint64_t& Size)
{
    if (Name.size() < 18 || (Name[0] != 'h' && Name[0] != 'H')) return false;
    if (Name.size() == 18 && Name[9] == '_') {
        // The fixed shape is a reference whatever its digits: a bad digit
        // fails the statement rather than passing the value as Null.
        Offset = HexToUInt64(Name.substr(1, 8), Name);
        Size = HexToUInt64(Name.substr(10, 8), Name);
        return true;
    }
    // Offsets and sizes beyond 32 bits are written with more digits.
    const size_t us = Name.find('_');
    if (us == std::string_view::npos || Name.find('_', us + 1) != std::string_view::npos) return false;
    const std::string_view off = Name.substr(1, us - 1);
    const std::string_view size = Name.substr(us + 1);
    if (off.size() < 8 || size.size() < 8 || !AllHex(off) || !AllHex(size)) return false;
    Offset = HexToUInt64(off, Name);
    Size = HexToUInt64(size, Name);
    return true;
}

// ---- TSQLExec --------------------------------------------------------------

struct TSQLExec::TBlobFile {
    std::ifstream Stream;
    std::uint64_t FileSize = 0;
    std::string Buffer;
};

TSQLExec::TSQLExec(TComponent* AOwner)
    : TCustomSQLExec(AOwner)
{
}

TSQLExec::~TSQLExec()
{
    m_query.reset();
    m_blobFile.reset();
    m_pending.clear();
    m_currentStatement = nullptr;
}

void TSQLExec::SetQELConnection(TQELCustomConnection* Value)
{
    if (Value == m_connection) return;
    if (m_connection != nullptr) RemoveFreeNotification(m_connection);
    m_connection = Value;
    if (m_connection != nullptr) FreeNotification(m_connection);
}

void TSQLExec::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == m_connection) {
        // The run's query belongs to the connection's back end.
        m_query.reset();
        m_connection = nullptr;
    }
    TCustomSQLExec::Notification(AComponent, Operation);
}

void TSQLExec::Clear()
{
    ClearOptions();
    m_pending.clear();
    m_currentStatement = nullptr;
    TCustomSQLExec::Clear();
}

void TSQLExec::ErrorMessage(const std::string& Text)
{
    if (m_currentStatement != nullptr) m_currentStatement->ErrorText = Text;
    TCustomSQLExec::ErrorMessage(Text);
}

TStatement* TSQLExec::AddCommit()
{
    if (m_databaseType == TDatabaseType::dbSybaseASA)
        return AddStatement(std::string("Commit Work") + CRLF + "go", TStatType::st_Commit, "Commit Work",
                            TDbObject::dboUnknown, TDbOperation::odbCommit, {}, {});
    return AddStatement("COMMIT WORK;", TStatType::st_Commit, "COMMIT WORK", TDbObject::dboUnknown,
                        TDbOperation::odbCommit, {}, {});
}

TStatement* TSQLExec::AddComment(const std::string& Text)
{
    return AddStatement(Text, TStatType::stComment, "/*  */", TDbObject::dboUnknown, TDbOperation::odbComment, {}, {});
}

void TSQLExec::AddConnectStatement()
{
    if (m_databaseType != TDatabaseType::dbInterBase) return;
    if (IBServerOptions().IBCompareOptions().UseRECONNECT) {
        AddStatement("RECONNECT", TStatType::stReconnect);
        return;
    }
    const std::string sql = IBServerOptions().GetConnectSQL(ConnectionOptions());
    if (!sql.empty()) AddStatement(sql, TStatType::stConnect);
}

std::string TSQLExec::QuoteName(const std::string& Name) const
{
    return QuoteIdentifier(Name, m_databaseType, IBServerOptions().SQLServerVersion, 3);
}

std::unique_ptr<TCustomSQLParser> TSQLExec::CreateParser() { return MakeParser<TCustomSQLParser>(); }

void TSQLExec::LoadScriptLines(TStringList& Lines)
{
    TObjs objs;
    const std::unique_ptr<TCustomSQLParser> parser = CreateParser();
    PrepareScriptLoad(*parser);
    BeforeScriptParse(*parser, objs);
    LogNextLine("Loading script...");
    parser->ParseScript(Lines, &objs);
    ConnectionOptions().Assign(parser->ConnectionOptions());
    Messages().AddMessages(&parser->Messages());
    AfterScriptParse(*parser, objs, Lines);
}

void TSQLExec::BeforeScriptParse(TCustomSQLParser&, TObjs& Objs) { Objs.SetDatabaseType(m_databaseType); }

void TSQLExec::AfterScriptParse(TCustomSQLParser&, const TObjs&, const TStringList&) { LogNextLine("Script loaded."); }

void TSQLExec::PrepareScriptLoad(TCustomSQLParser& Parser)
{
    // TSQLExec::Clear would reset the options as well.
    TCustomSQLExec::Clear();
    m_pending.clear();
    m_currentStatement = nullptr;
    Messages().Clear();
    Parser.ConnectionOptions().Assign(ConnectionOptions());
    Parser.ScriptName = ScriptFileName;
    Parser.OnErrorMessage = OnErrorMessage;
    Parser.OnLogNextLine = OnLogNextLine;
    Parser.OnProgressUpdate = OnProgressUpdate;
    Parser.OnAddStatement = [this](TObject&, const std::string& SQL, TStatType StatType, const std::string& ObjName,
                                   TDbObject ObjType, TDbOperation Operation, const std::string& ParentName,
                                   TStatement*& Statement) {
        Statement = AddStatement(SQL, StatType, ObjName, ObjType, Operation, ParentName);
    };
}

void TSQLExec::ApplyOptions()
{
    if (m_connection == nullptr) return;
    m_connection->AssignOptions(*this);
}

// ---- script writer ---------------------------------------------------------

int TSQLExec::AddScriptLines(std::string_view Text, TStringList& Lines)
{
    int added = 0;
    size_t start = 0;
    for (;;) {
        const size_t p = Text.find("\r\n", start);
        if (p == std::string_view::npos) break;
        Lines.Add(std::string(Text.substr(start, p - start)));
        ++added;
        start = p + 2;
    }
    Lines.Add(std::string(Text.substr(start)));
    return added + 1;
}

int TSQLExec::PosEx(std::string_view SubStr, std::string_view S, int Offset)
{
    if (SubStr.empty() || Offset < 1 || static_cast<size_t>(Offset) > S.size()) return 0;
    const size_t p = S.find(SubStr, static_cast<size_t>(Offset - 1));
    return p == std::string_view::npos ? 0 : static_cast<int>(p) + 1;
}

// The server's script format decides the blocks: a statement needs one by
// its kind and object kind, so that a routine the script parser hands on as
// a DDL statement gets the same SET TERM as one the comparer wrote. Every
// statement but a comment ends with its terminator.
void TSQLExec::WriteScript(TStringList& Lines, bool RecordLineNumbers)
{
    using enum TStatType;
    const TDatabaseType D = m_databaseType;
    const bool ib = D == TDatabaseType::dbInterBase;
    const TScriptFormat format(D);
    const std::string term = StatementTerminator(D);
    const bool generateCommit = ib && IBServerOptions().IBCompareOptions().GenerateCOMMIT;

    struct TUpdateGuard {
        TStringList& L;
        explicit TUpdateGuard(TStringList& l) : L(l) { L.BeginUpdate(); }
        ~TUpdateGuard() { L.EndUpdate(); }
    } guard(Lines);

    m_lineTotal = Lines.Count();
    bool inBlock = false;
    const auto blockLine = [&](const std::string& Line, TStatement& St) {
        if (Line.empty()) return;
        AddScriptLines(Line + CRLF, Lines);
        if (RecordLineNumbers) St.LineNo = Lines.Count();
    };
    for (const auto& ptr : m_statements) {
        TStatement& st = *ptr;
        if (RecordLineNumbers) st.LineNo = Lines.Count();
        if (st.Executed) continue;
        const bool block = format.NeedsBlock(st.StatType, st.ObjType);
        if (block && !inBlock) {
            blockLine(format.BlockOpener(), st);
            inBlock = true;
        }
        if (!block && st.StatType != stComment && inBlock) {
            blockLine(format.BlockCloser(), st);
            inBlock = false;
        }

        const std::string text = st.SQL.Text();
        const std::string trimmed = Trim(text);
        if (block) {
            AddScriptLines(TScriptFormat::Terminated(TrimRight(text), format.BlockTerminator()) + CRLF, Lines);
        } else if (st.StatType == stDescription) {
            AddScriptLines(TScriptFormat::Terminated(trimmed, ";") + CRLF, Lines);
        } else if (st.ObjType == TDbObject::dboView) {
            if (ib && st.SQL.Count() == 1) {
                AddScriptLines(TScriptFormat::Terminated(trimmed, term), Lines);
            } else {
                AddScriptLines(trimmed, Lines);
                AddScriptLines(term, Lines);
            }
        } else {
            switch (st.StatType) {
            case stConnect:
            case stCreateDb:
            case stSet:
            case stStatement:
            case stSetNames:
            case stCharSet:
            case stSqlDialect: AddScriptLines(TScriptFormat::Terminated(trimmed, st.Terminator), Lines); break;
            // A comment ends with no terminator; a commit's text has its own.
            case stComment:
            case st_Commit: AddScriptLines(trimmed, Lines); break;
            default: AddScriptLines(TScriptFormat::Terminated(trimmed, term), Lines); break;
            }
        }

        if (generateCommit && (st.StatType == stStatement || block || st.StatType == stDescription))
            Lines.Add(inBlock ? "COMMIT WORK ^" : "COMMIT WORK;");
    }
    if (inBlock) {
        const std::string closer = format.BlockCloser();
        if (!closer.empty()) AddScriptLines(closer + CRLF, Lines);
    }
}

// ---- connection helpers ----------------------------------------------------

bool TSQLExec::Connected()
{
    if (m_connection == nullptr) return false;
    try {
        return m_connection->Connected();
    } catch (const std::exception&) {
        return false;
    }
}

bool TSQLExec::InTransaction()
{
    if (m_connection == nullptr) return false;
    try {
        return m_connection->InTransaction();
    } catch (const std::exception&) {
        return false;
    }
}

void TSQLExec::EnsureQuery()
{
    if (!m_query && m_connection != nullptr) m_query = m_connection->CreateQuery();
    if (!m_query) throw EUsageError(ClassName() + "(" + Name() + "): the connection has no back end to run statements.");
}

void TSQLExec::LogStatement(const std::string& Prefix, const TStatement& St)
{
    if (GetLogFullSQL()) {
        LogNextLine(Prefix);
        LogNextLine(HideStatementPassword(St.SQL.TrimmedText()));
    } else {
        LogNextLine(Prefix + " " + HideStatementPassword(St.GetSummary()));
    }
}

namespace {

// How the executor names a database in its log lines: in double quotes and
// without a password (an ODBC string may carry one).
std::string QuotedForLog(const std::string& Name) { return "\"" + NameWithoutPassword(Name) + "\""; }

} // namespace

void TSQLExec::Connect()
{
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return;
    }
    TConnectionErrorCapture capture(*m_connection);
    try {
        if (m_connection->Connected()) {
            CommitPending();
            m_connection->SetConnected(false);
        }
        ApplyOptions();
        m_connection->SetConnected(true);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    if (!capture.Text().empty() || !Connected()) {
        ErrorMessage(capture.Text().empty() ? "Cannot connect to " + QuotedForLog(ConnectionOptions().DatabaseName)
                                            : capture.Text());
        return;
    }
    LogNextLine("Connect: " + QuotedForLog(ConnectionOptions().DatabaseName));
}

void TSQLExec::Disconnect()
{
    if (m_connection == nullptr || !Connected()) return;
    LogNextLine("Disconnect: " + QuotedForLog(m_connection->ConnectionOptions().DatabaseName));
    TConnectionErrorCapture capture(*m_connection);
    try {
        CommitPending();
        m_connection->SetConnected(false);
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    if (!capture.Text().empty()) ErrorMessage(capture.Text());
}

// ---- transactions of a run -------------------------------------------------

int TSQLExec::LosePending(const std::string& Reason)
{
    try {
        if (InTransaction()) m_connection->Rollback();
    } catch (const std::exception&) {
        // The connection is gone, and its transaction with it.
    }
    const int lost = static_cast<int>(m_pending.size());
    for (TStatement* st : m_pending) {
        st->ErrorText = "Rolled back: " + Reason;
        LogNextLine("< Rolled back >: " + HideStatementPassword(st->GetSummary()));
    }
    m_pending.clear();
    return lost;
}

std::string TSQLExec::LostText(const std::string& Message, int Lost)
{
    if (Lost == 0) return Message;
    return Message + CRLF + "The transaction was rolled back: " + IntToStr(Lost) +
           (Lost == 1 ? " statement run in it was undone." : " statements run in it were undone.");
}

bool TSQLExec::CommitPending()
{
    if (!InTransaction()) {
        m_pending.clear();
        return true;
    }
    try {
        m_connection->Commit();
        // A data statement counts as run only once its transaction is kept.
        for (TStatement* st : m_pending) st->Executed = true;
        m_pending.clear();
        return true;
    } catch (const std::exception& e) {
        const std::string message = e.what();
        TStatement* current = m_currentStatement;
        m_currentStatement = nullptr;
        const int lost = LosePending(message);
        ErrorMessage(LostText(message, lost));
        m_currentStatement = current;
        return false;
    }
}

void TSQLExec::StatementFailed(const std::exception& E)
{
    const std::string message = E.what();
    int lost = 0;
    if (MeansTransactionLost(E)) {
        // The failed statement's text stays with its own error.
        TStatement* current = m_currentStatement;
        lost = LosePending(message);
        m_currentStatement = current;
    }
    ErrorMessage(LostText(message, lost));
}

void TSQLExec::ClearBlobFile()
{
    m_blobFile.reset();
}

// ---- running ---------------------------------------------------------------

bool TSQLExec::Execute()
{
    m_errorCount = 0;
    m_currentStatement = nullptr;
    if (Count() == 0) {
        LogNextLine("Update script is empty.");
        return true;
    }
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return false;
    }
    if (m_running) {
        ErrorMessage(ClassName() + "(" + Name() + "): a script is already running.");
        return false;
    }
    struct TRunGuard {
        TSQLExec& E;
        explicit TRunGuard(TSQLExec& e) : E(e) { E.m_running = true; }
        ~TRunGuard()
        {
            E.m_running = false;
            E.m_currentStatement = nullptr;
            E.m_pending.clear();
            E.m_blobFile.reset();
            E.m_query.reset();
        }
    } guard(*this);

    bool result = true;
    ConnectionOptions().Assign(m_connection->ConnectionOptions());
    const bool wasConnected = Connected();
    m_pending.clear();
    m_query = m_connection->CreateQuery();
    LogNextLine("Updating target database...");
    ProgressUpdate(0, Count() - 1);
    if (!m_query) {
        ErrorMessage(ClassName() + "(" + Name() + "): the connection has no back end to run statements.");
        result = false;
    }

    for (int i = 0; m_query && i < Count(); ++i) {
        if (!result && BreakOnError) {
            LogNextLine("< Break on Error! >");
            break;
        }
        DoBeforeStatementExecute(i);
        if (i >= Count()) break;
        TStatement& st = Statements(i);
        if (!st.Executed) {
            const bool ok = ExecuteStatement(st);
            result = result && ok;
        } else if (GetLogFullSQL()) {
            LogNextLine("< Skipping statement >:");
            for (const auto& line : st.SQL.Lines()) LogNextLine("// " + HideStatementPassword(line));
        } else {
            LogNextLine("< Skipping statement >: " + HideStatementPassword(st.GetSummary()));
        }
        ProgressUpdate(i, Count() - 1);
        DoAfterStatementExecute(i);
        ProcessMessages();
    }

    m_currentStatement = nullptr;
    ClearBlobFile();
    if (m_connection != nullptr) {
        if (InTransaction() && !CommitPending()) result = false;
        if (!wasConnected) Disconnect();
    }
    if (m_query) MarkFinishedList(m_statements);
    if (m_errorCount > 0) {
        LogNextLine("< Script executed: " + IntToStr(m_errorCount) + " errors... >");
        result = false;
    } else {
        LogNextLine("< Script executed succesfully! >");
    }
    return result;
}

void TSQLExec::ExecSingleStatement(TStatement& St)
{
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return;
    }
    try {
        EnsureQuery();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return;
    }
    const bool wasConnected = Connected();
    // The connection's own settings serve: outside a run the executor's
    // options have not been taken from it.
    m_currentStatement = &St;
    if (wasConnected || ConnectForStatement()) {
        m_pending.clear();
        ExecuteStatement(St);
        // A data statement run on its own is kept: its transaction ends here.
        CommitPending();
    }
    m_currentStatement = nullptr;
    if (!wasConnected) DisconnectForStatement();
    m_query.reset();
}

bool TSQLExec::ExecuteStatement(TStatement& St)
{
    using enum TStatType;
    m_currentStatement = &St;
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + NotAssigned);
        return false;
    }
    // An EXECUTE BLOCK does its work in the database too.
    if (!Connected() && (IsModifying(St.StatType) || St.StatType == stExecuteBlock || St.StatType == stSelect)) {
        Connect();
        // A failed connect has been reported; the statement is not tried.
        if (!Connected()) return false;
    }
    LogStatement("< Exec SQL >:", St);
    bool ok = true;
    switch (St.StatType) {
    case stConnect: ok = ExecConnect(); break;
    case stReconnect: ok = ExecReconnect(); break;
    case stCreateDb: ok = ExecCreateDatabase(); break;
    case stSet: ok = m_databaseType != TDatabaseType::dbOracle || ExecSQL(); break;
    case stSetBlobFile: ok = ExecSetBlobFile(); break;
    case stStatement:
    case stProcedure:
    case stTrigger:
    case stPackage:
    case stExecuteBlock:
    case stSelect: ok = ExecSQL(); break;
    case stDescription: ok = ExecDescriptionStatement(); break;
    case stInsert:
    case stUpdate:
    case stDelete: ok = ExecDML(); break;
    default: break;
    }
    // A data statement still in the open transaction waits for its commit
    // (CommitPending); one whose transaction is lost stays to run again.
    const bool waitsForCommit = !m_pending.empty() && m_pending.back() == &St;
    if (ok && RunsOnce(St.StatType) && !waitsForCommit) St.Executed = true;
    return ok;
}

bool TSQLExec::ExecSQL()
{
    if (!Connected()) {
        ErrorMessage("Disconnected from database...");
        return false;
    }
    TStatement& st = *m_currentStatement;
    bool ok = true;
    try {
        EnsureQuery();
        // Data statements still open are committed before the DDL runs, so
        // that a DDL statement that fails (here or at its commit) cannot
        // take them along when it is undone.
        if (InTransaction() && !CommitPending()) ok = false;
        if (!InTransaction() && m_databaseType != TDatabaseType::dbMSSQL &&
            m_databaseType != TDatabaseType::dbSybaseASE)
            m_connection->StartTransaction();
        m_query->SetParamCheck(false);
        if (TParams* p = m_query->GetParams()) p->Clear();
        std::string text = st.ExactText();
        if (m_databaseType == TDatabaseType::dbOracle &&
            (st.StatType == TStatType::stProcedure || st.StatType == TStatType::stTrigger)) {
            std::string lf;
            for (size_t i = 0; i < text.size(); ++i)
                if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
            text = lf + "/";
        }
        m_query->SetSQLText(text);
        RunQuery(st.StatType);
        m_query->SetSQLText({});
        if (InTransaction()) m_connection->Commit();
        // Kept even when committing the data before it failed: it must not
        // run a second time.
        if (RunsOnce(st.StatType)) st.Executed = true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        try {
            if (m_query) m_query->SetSQLText({});
        } catch (const std::exception&) {
        }
        try {
            if (InTransaction()) m_connection->Rollback();
        } catch (const std::exception&) {
            // Nothing of this statement can be left: its connection is gone.
        }
        ok = false;
    }
    try {
        if (m_query) {
            m_query->SetSQLText({});
            m_query->SetParamCheck(true);
        }
    } catch (const std::exception&) {
    }
    return ok;
}

void TSQLExec::RunQuery(TStatType StatType)
{
    if (StatType != TStatType::stSelect) {
        m_query->ExecSQL();
        return;
    }
    // A selectable procedure runs only as far as its rows are read.
    m_query->Open();
    while (!m_query->Eof()) m_query->Next();
    m_query->Close();
}

bool TSQLExec::ExecDML()
{
    if (!Connected()) {
        ErrorMessage("Disconnected from database...");
        return false;
    }
    TStatement& st = *m_currentStatement;
    bool ok = true;
    try {
        EnsureQuery();
        if (!InTransaction()) m_connection->StartTransaction();
        m_query->SetParamCheck(true);
        if (TParams* p = m_query->GetParams()) p->Clear();
        if (TStringList* sql = m_query->GetSQL()) sql->SetLines({st.ExactText()});
        TParams* params = m_query->GetParams();
        // A value that cannot be read is never replaced by Null or part of
        // itself: the statement is not run.
        if (params != nullptr && params->Count() > 0 && !FillBlobParams()) ok = false;
        if (ok) {
            // Nothing is read back from a data statement: without parameters
            // the back end may run it in one call instead of preparing it.
            if (params != nullptr && params->Count() > 0) m_query->ExecSQL();
            else m_query->ExecSQLDirect();
            if (InTransaction()) m_pending.push_back(&st);
        }
    } catch (const std::exception& e) {
        // The server undid the failed statement alone; the statements before
        // it stay in the transaction unless the error took that along.
        StatementFailed(e);
        ok = false;
    }
    try {
        if (m_query) m_query->SetSQLText({});
    } catch (const std::exception&) {
    }
    return ok;
}

bool TSQLExec::ExecDescriptionStatement()
{
    if (GetLogFullSQL()) {
        LogNextLine("< Update Description >:");
        LogNextLine(m_currentStatement->SQL.TrimmedText());
    } else {
        LogNextLine("<Update Description>");
    }
    return ExecDescription();
}

bool TSQLExec::ExecDescription() { return ExecSQL(); }

bool TSQLExec::ConnectForStatement()
{
    TConnectionErrorCapture capture(*m_connection);
    m_connection->SetConnected(true);
    if (!capture.Text().empty() || !Connected()) {
        ErrorMessage(capture.Text().empty() ? "Cannot connect to " + QuotedForLog(ConnectionOptions().DatabaseName)
                                            : capture.Text());
        return false;
    }
    return AfterConnect();
}

void TSQLExec::DisconnectForStatement()
{
    if (!Connected()) return;
    CommitPending();
    TConnectionErrorCapture capture(*m_connection);
    m_connection->SetConnected(false);
    if (!capture.Text().empty()) ErrorMessage(capture.Text());
}

bool TSQLExec::ExecConnect()
{
    try {
        DisconnectForStatement();
        if (m_currentStatement->StatType == TStatType::stConnect)
            ParseConnectString(m_currentStatement->SQL.Text());
        ApplyOptions();
        if (!ConnectForStatement()) return false;
        LogNextLine("Connect: " + QuotedForLog(ConnectionOptions().DatabaseName));
        if (m_databaseType == TDatabaseType::dbInterBase) {
            std::string line = "Dialect: " + IntToStr(IBServerOptions().SQLDialect) + ".";
            if (!IBServerOptions().DBCharSet().empty())
                line += " DBCharSet: " + IBServerOptions().DBCharSet() + ".";
            LogNextLine(line);
        }
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecReconnect()
{
    try {
        LogNextLine("ReConnect...");
        DisconnectForStatement();
        ApplyOptions();
        return ConnectForStatement();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::ExecCreateDatabase()
{
    try {
        DisconnectForStatement();
        ApplyOptions();
        std::string reason;
        bool created = false;
        {
            TConnectionErrorCapture capture(*m_connection);
            created = m_connection->CreateDatabase();
            reason = capture.Text();
        }
        if (!created) {
            // A database that was not made fails its statement, so that a run
            // with BreakOnError stops before the statements meant for it.
            ErrorMessage(reason.empty() ? std::string("Cann't create database.")
                                        : std::string("Cann't create database.") + CRLF + reason);
            return false;
        }
        return ConnectForStatement();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

// ---- BLOB parameters -------------------------------------------------------

bool TSQLExec::ExecSetBlobFile()
{
    ClearBlobFile();
    try {
        const TStatement& st = *m_currentStatement;
        std::string name = st.ObjName;
        if (name.empty()) {
            // Only the text was given: SET BLOBFILE 'name'.
            const std::string text = st.SQL.Text();
            const size_t open = text.find('\'');
            if (open != std::string::npos) {
                for (size_t i = open + 1; i < text.size(); ++i) {
                    if (text[i] == '\'') {
                        if (i + 1 < text.size() && text[i + 1] == '\'') {
                            name += '\'';
                            ++i;
                            continue;
                        }
                        break;
                    }
                    name += text[i];
                }
            }
        }
        m_blobFileName = name;
        namespace fs = std::filesystem;
        if (!fs::path(m_blobFileName).has_parent_path()) {
            if (ScriptFileName.empty()) {
                ErrorMessage("ScriptFileName not specified (for BlobFile).");
                return false;
            }
            m_blobFileName = (fs::path(ScriptFileName).parent_path() / m_blobFileName).string();
        }
        std::error_code ec;
        if (!fs::is_regular_file(m_blobFileName, ec)) {
            ErrorMessage("BlobFile not found: " + m_blobFileName);
            return false;
        }
        auto file = std::make_unique<TBlobFile>();
        file->Stream.open(m_blobFileName, std::ios::binary);
        if (!file->Stream) throw EQELError("Cannot open BlobFile: " + m_blobFileName);
        file->FileSize = fs::file_size(m_blobFileName);
        m_blobFile = std::move(file);
        return true;
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
}

bool TSQLExec::FillBlobParams()
{
    TParams* params = m_query ? m_query->GetParams() : nullptr;
    if (params == nullptr || params->Count() == 0) return true;
    bool ok = true;
    for (int i = 0; i < params->Count(); ++i) {
        TParam& p = (*params)[i];
        std::uint64_t offset = 0, size = 0;
        const bool blobReference = ParseBlobParamName(p.Name(), offset, size);
        if (!blobReference || !m_blobFile) {
            if (!OnGetParamValue) {
                // Binding Null in place of a value nobody gave would write
                // Null over the target's data: the statement is not run.
                ErrorMessage(blobReference ? "BLOB parameter " + p.Name() + " has no BlobFile to read from."
                                           : "Parameter " + p.Name() + " has no value.");
                ok = false;
                continue;
            }
            GetParamValue(p);
            continue;
        }
        try {
            TBlobFile& f = *m_blobFile;
            if (offset > f.FileSize || size > f.FileSize - offset)
                throw EQELError("BLOB parameter " + p.Name() + " needs bytes " + IntToStr(static_cast<long long>(offset)) +
                                " to " + IntToStr(static_cast<long long>(offset + size)) + " of BlobFile " +
                                m_blobFileName + ", which has only " +
                                IntToStr(static_cast<long long>(f.FileSize)) + " bytes.");
            f.Buffer.clear();
            if (size > 0) {
                f.Stream.clear();
                f.Stream.seekg(static_cast<std::streamoff>(offset));
                f.Buffer.resize(static_cast<size_t>(size));
                f.Stream.read(f.Buffer.data(), static_cast<std::streamsize>(size));
                if (static_cast<std::uint64_t>(f.Stream.gcount()) != size)
                    throw EQELError("Cannot read " + IntToStr(static_cast<long long>(size)) + " bytes at " +
                                    IntToStr(static_cast<long long>(offset)) + " of BlobFile " + m_blobFileName +
                                    " for BLOB parameter " + p.Name() + ".");
            }
            p.SetAsBlob(f.Buffer);
            f.Buffer.clear();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
            ok = false;
        }
    }
    return ok;
}

void TSQLExec::GetParamValue(TParam& Param)
{
    Param.Clear();
    if (OnGetParamValue) OnGetParamValue(*this, Param);
}

} // namespace qel
