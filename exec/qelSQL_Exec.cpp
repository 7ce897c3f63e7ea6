#include "qelSQL_Exec.h"
#include "qelSQL_ExecPrivate.h"
#include "qelWords.h"

namespace qel {

using namespace sqlexec;

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

void TCustomSQLExec::ReadConnectStatement(const TStatement& St) { ParseConnectString(St.SQL.Text()); }
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
            const size_t end = QuotedRunEnd(Text, i, q);
            out += q;
            out += "***";
            if (end != std::string_view::npos) out += q;
            i = end != std::string_view::npos ? end : n;
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
    m_loadErrorsKeptBack = 0;
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

int TSQLExec::CountLoadErrors(const TMsgManager& Messages)
{
    int errors = 0;
    for (int i = 0; i < Messages.Count(); ++i)
        if (Messages.Items(i).Kind == TMsgKind::mkError) ++errors;
    return errors;
}

void TSQLExec::LoadScriptLines(TStringList& Lines)
{
    TObjs objs;
    const std::unique_ptr<TCustomSQLParser> parser = CreateParser();
    PrepareScriptLoad(*parser);
    BeforeScriptParse(*parser, objs);
    LogNextLine("Loading script...");
    parser->ParseScript(Lines, &objs);
    // Errors after the last statement handed on name nothing that runs.
    m_loadErrorsKeptBack += CountLoadErrors(parser->Messages()) - m_loadErrorsSeen;
    m_loadErrorsSeen = 0;
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
    m_loadErrorsKeptBack = 0;
    m_loadErrorsSeen = 0;
    Parser.OnAddStatement = [this, &Parser](TObject&, const TParsedStatement& Parsed, TStatement*& Statement) {
        Statement = AddStatement(Parsed.SQL, Parsed.StatType, Parsed.ObjName, Parsed.ObjType, Parsed.Operation,
                                 Parsed.ParentName);
        // An error reported since the statement before belongs to this one,
        // which the parser hands on whole so that the server judges it.
        const int errors = CountLoadErrors(Parser.Messages());
        if (errors > m_loadErrorsSeen && Statement != nullptr) {
            Statement->LoadError = true;
            m_loadErrorsKeptBack += errors - m_loadErrorsSeen - 1;
        } else {
            m_loadErrorsKeptBack += errors - m_loadErrorsSeen;
        }
        m_loadErrorsSeen = errors;
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

} // namespace qel
