// The comparer component: properties, the run (Execute, RunCompare),
// reporting and the routing of every produced statement.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelConnectionErrorCapture.h"
#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelMsg.h"
#include "qelMsgMngr.h"
#include "qelSQL_Exec.h"
#include "qelText.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qel {

using namespace velmorin;

namespace {

// The folder of the running program, where the script goes by default.
std::string ProgramFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// The file name with another extension: "/a/out.sql" -> "/a/out.LOB".
std::string ChangeFileExt(const std::string& Name, const std::string& Ext)
{
    std::filesystem::path p(Name);
    if (p.has_extension()) p.replace_extension();
    return p.string() + Ext;
}

} // namespace

TVelmorin::TVelmorin(TComponent* AOwner)
    : TComponent(AOwner),
      m_tableOptionsMaster(std::make_unique<TCmpTableOptions>(this)),
      m_tableOptionsTarget(std::make_unique<TCmpTableOptions>(this)),
      m_scriptOptions(std::make_unique<TScriptOptions>()),
      m_messages(std::make_unique<TMsgManager>()),
      m_connectionOptions(std::make_unique<TConnectionOptions>()),
      m_IBOptions(std::make_unique<TIBVelmorinOptions>()),
      m_MSSQLOptions(std::make_unique<TMSSQLServerOptions>()),
      m_MySQLOptions(std::make_unique<TMySQLServerOptions>())
{
    const std::string folder = ProgramFolder();
    SetScriptFileName(folder.empty() ? std::string("Result.SQL") : (std::filesystem::path(folder) / "Result.SQL").string());
}

TVelmorin::~TVelmorin()
{
    m_merge.reset();
    m_execQuery.reset();
    m_targetQuery.reset();
    m_masterQuery.reset();
}

void TVelmorin::SetTableNameMaster(const std::string& Value)
{
    m_tableOptionsMaster->TableName = Value;
}

void TVelmorin::SetTableNameTarget(const std::string& Value)
{
    m_tableOptionsTarget->TableName = Value;
}

void TVelmorin::SetUpdateImmediately(bool Value)
{
    m_updateImmediately = Value;
    m_scriptOptions->GenerateScript = !Value;
}

void TVelmorin::SetScriptOptions(const TScriptOptions& Value)
{
    m_scriptOptions->Assign(Value);
}

void TVelmorin::SetScriptFileName(const std::string& Value)
{
    m_scriptFileName = Value;
    m_blobFileName = ChangeFileExt(Value, ".LOB");
}

// A watched component is released only when no other reference still
// points at it (one connection may serve both sides).
void TVelmorin::ChangeWatched(TComponent* Old, TComponent* New)
{
    if (Old != nullptr && Old != m_connectionMaster && Old != m_connectionTarget &&
        Old != static_cast<TComponent*>(m_sqlExec))
        RemoveFreeNotification(Old);
    if (New != nullptr) FreeNotification(New);
}

void TVelmorin::SetQELConnectionMaster(TQELCustomConnection* Value)
{
    if (Value == m_connectionMaster) return;
    TQELCustomConnection* old = m_connectionMaster;
    m_connectionMaster = Value;
    ChangeWatched(old, Value);
    m_tableOptionsMaster->SetConnection(Value);
}

void TVelmorin::SetQELConnectionTarget(TQELCustomConnection* Value)
{
    if (Value == m_connectionTarget) return;
    TQELCustomConnection* old = m_connectionTarget;
    m_connectionTarget = Value;
    ChangeWatched(old, Value);
    m_tableOptionsTarget->SetConnection(Value);
}

void TVelmorin::SetSQLExec(TCustomSQLExec* Value)
{
    if (Value == m_sqlExec) return;
    TCustomSQLExec* old = m_sqlExec;
    m_sqlExec = Value;
    ChangeWatched(old, Value);
}

void TVelmorin::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove) {
        if (AComponent == m_connectionMaster) {
            m_connectionMaster = nullptr;
            m_tableOptionsMaster->SetConnection(nullptr);
        }
        if (AComponent == m_connectionTarget) {
            m_connectionTarget = nullptr;
            m_tableOptionsTarget->SetConnection(nullptr);
        }
        if (AComponent == static_cast<TComponent*>(m_sqlExec)) m_sqlExec = nullptr;
    }
    TComponent::Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------
// Reporting

void TVelmorin::LogNextLine(const std::string& Text)
{
    if (OnLogNextLine) OnLogNextLine(*this, Text);
    m_messages->Add(Text, TMsgKind::mkInfo);
}

void TVelmorin::ErrorMessage(const std::string& Text)
{
    ++ErrorCount;
    if (OnErrorMessage) OnErrorMessage(*this, "Error: " + Text);
    else ShowMessage("Error: " + Text);
    m_messages->Add(Text, TMsgKind::mkError);
}

int TVelmorin::GetKeyFieldCount() const
{
    return std::min(m_tableOptionsMaster->KeyList.Count(), m_tableOptionsTarget->KeyList.Count());
}

int TVelmorin::GetDataFieldCount() const
{
    return std::min(m_tableOptionsMaster->DataList.Count(), m_tableOptionsTarget->DataList.Count());
}

TDatabaseType TVelmorin::GetScriptDatabaseType() const
{
    if (m_connectionTarget != nullptr) return m_connectionTarget->DatabaseType();
    if (m_connectionMaster != nullptr) return m_connectionMaster->DatabaseType();
    return TDatabaseType::dbAbstract;
}

void TVelmorin::DoProgressUpdateMaster()
{
    if (OnProgressUpdateMaster) OnProgressUpdateMaster(*this, ProgressValueMaster, ProgressMaxMaster);
}

void TVelmorin::DoProgressUpdateTarget()
{
    if (OnProgressUpdateTarget) OnProgressUpdateTarget(*this, ProgressValueTarget, ProgressMaxTarget);
}

void TVelmorin::BuildSelectSQL(TStringList& SQLM, TStringList& SQLT)
{
    if (OnGetSelectSQL) {
        OnGetSelectSQL(*this, SQLM, SQLT);
        return;
    }
    SQLM.SetText(m_tableOptionsMaster->GetSelectSQL());
    SQLT.SetText(m_tableOptionsTarget->GetSelectSQL());
}

// ---------------------------------------------------------------------------
// The run

bool TVelmorin::Execute()
{
    Inserted = Updated = Deleted = Equal = ErrorCount = 0;
    BlobSaveFailed = false;
    m_messages->Clear();
    for (TCmpTableOptions* side : {m_tableOptionsMaster.get(), m_tableOptionsTarget.get()}) {
        side->AllFields.Clear();
        side->PrimaryKeyList.Clear();
        side->UniqueKeyList.Clear();
    }
    if (m_sqlExec != nullptr) m_sqlExec->Clear();

    if (m_connectionMaster == nullptr) {
        ErrorMessage("TVelmorin: Master connection not assigned...");
        return false;
    }
    if (!TableNameTarget().empty() && m_connectionTarget == nullptr) {
        ErrorMessage("TVelmorin: Target connection not assigned...");
        return false;
    }
    const TCmpTableOptions& M = *m_tableOptionsMaster;
    const TCmpTableOptions& T = *m_tableOptionsTarget;
    if (M.DataFields().Count() != T.DataFields().Count()) {
        ErrorMessage(std::string("The number of data fields in Master and Target do not match.") + CRLF +
                     "Please correct: TableOptionsMaster.DataFields, TableOptionsTarget.DataFields properties.");
        return false;
    }
    if (M.KeyFields().Count() != T.KeyFields().Count()) {
        ErrorMessage(std::string("The number of key fields in Master and Target do not match.") + CRLF +
                     "Please correct: TableOptionsMaster.KeyFields, TableOptionsTarget.KeyFields properties.");
        return false;
    }
    if (M.ExcludeFields().Count() != T.ExcludeFields().Count()) {
        ErrorMessage(std::string("The number of exclude fields in Master and Target do not match.") + CRLF +
                     "Please correct: TableOptionsMaster.ExcludeFields, TableOptionsTarget.ExcludeFields properties.");
        return false;
    }

    TargetWasConnected = m_connectionTarget != nullptr && m_connectionTarget->GetConnected();
    MasterWasConnected = m_connectionMaster->GetConnected();

    // A connection reports its own connect failure and stays closed; the
    // comparer learns of it by asking afterwards, and reports it too.
    auto connect = [&](TQELCustomConnection& c, const char* side) {
        std::string reported;
        {
            TConnectionErrorCapture capture(c, TConnectionErrorCapture::TPassOn::Yes);
            c.SetConnected(true);
            reported = capture.LastText();
        }
        if (!c.GetConnected())
            throw EDatabaseError(reported.empty() ? std::string("Cannot connect to the ") + side + " database." : reported);
    };

    try {
        if (m_connectionTarget != nullptr) {
            if (!TargetWasConnected) {
                LogNextLine("Connecting to target-database...: " + m_connectionTarget->ConnectionOptions().DatabaseName);
                connect(*m_connectionTarget, "target");
                LogNextLine("Connecting: Successfull...");
            }
            m_targetQuery = m_connectionTarget->CreateQuery();
            m_execQuery = m_connectionTarget->CreateQuery();
            if (!m_targetQuery || !m_execQuery)
                throw EUsageError("TVelmorin: the target connection has no back end.");
        }
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        return false;
    }
    try {
        if (!MasterWasConnected) {
            LogNextLine("Connecting to master-database...: " + m_connectionMaster->ConnectionOptions().DatabaseName);
            connect(*m_connectionMaster, "master");
            LogNextLine("Connecting: Successfull...");
        }
        m_masterQuery = m_connectionMaster->CreateQuery();
        if (!m_masterQuery) throw EUsageError("TVelmorin: the master connection has no back end.");
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        // The target opened for this run is not left open behind a failed run.
        m_targetQuery.reset();
        m_execQuery.reset();
        if (m_connectionTarget != nullptr && !TargetWasConnected) m_connectionTarget->SetConnected(false);
        return false;
    }

    try {
        AlignCharSets();
        PinTimeZones();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
    if (!m_messages->HasErrors()) RunCompare();
    RestoreTimeZones();
    RestoreCharSets();

    if (m_connectionTarget != nullptr && !TargetWasConnected) {
        m_connectionTarget->SetConnected(false);
        LogNextLine("Disconnecting from target database: Ok.");
    }
    if (m_connectionMaster != nullptr && !MasterWasConnected) {
        m_connectionMaster->SetConnected(false);
        LogNextLine("Disconnecting from master database: Ok.");
    }
    if (ErrorCount != 0) LogNextLine("Errors: " + IntToStr(ErrorCount));
    m_targetQuery.reset();
    m_masterQuery.reset();
    m_execQuery.reset();
    return true;
}

void TVelmorin::RunCompare()
{
    TQELCustomConnection* source = m_connectionTarget != nullptr ? m_connectionTarget : m_connectionMaster;
    m_connectionOptions->Assign(source->ConnectionOptions());
    m_IBOptions->Assign(source->IBServerOptions());
    m_MSSQLOptions->Assign(source->MSSQLServerOptions());
    m_MySQLOptions->Assign(source->MySQLServerOptions());
    if (auto* exec = dynamic_cast<TSQLExec*>(m_sqlExec)) {
        exec->SetConnectionOptions(*m_connectionOptions);
        exec->SetIBServerOptions(*m_IBOptions);
        exec->SetMSSQLServerOptions(*m_MSSQLOptions);
        exec->SetMySQLServerOptions(*m_MySQLOptions);
        exec->ScriptFileName = m_scriptFileName;
    }

    TCmpTableOptions& M = *m_tableOptionsMaster;
    TCmpTableOptions& T = *m_tableOptionsTarget;
    auto clearLists = [&] {
        for (TCmpTableOptions* side : {&M, &T}) {
            side->DataList.Clear();
            side->KeyList.Clear();
            side->ExcludeList.Clear();
        }
    };
    clearLists();
    M.ForgetStoredTableName();
    T.ForgetStoredTableName();

    try {
        if (OnGetDataFields) OnGetDataFields(*this, M.DataList, T.DataList);
        if (OnGetKeyFields) OnGetKeyFields(*this, M.KeyList, T.KeyList);
        if (OnGetExcludeFields) OnGetExcludeFields(*this, M.ExcludeList, T.ExcludeList);

        // Column resolution: an error of a catalogue listing is reported
        // like any other error of the run, and the clean-up still runs.
        if (T.PrepareFields(m_targetQuery.get()) && M.PrepareFields(m_masterQuery.get()) && PairColumns() &&
            CheckMomentRanges()) {
            if (!m_targetQuery) {
                // Without a target the target side stands for the master's table.
                T.m_storedTableName = M.StoredTableName();
                T.m_storedFromCatalogue = M.m_storedFromCatalogue;
                T.DataList.Assign(M.DataList);
            }
            if (!m_messages->HasErrors() && !m_scriptFileName.empty() && m_scriptOptions->GenerateScript) {
                auto stream = CreateOwnerOnlyFile(m_scriptFileName);
                if (stream) m_scriptStream = std::move(stream);
                else ErrorMessage("Cannot create file \"" + m_scriptFileName + "\". " + std::strerror(errno));
            }
            if (!m_messages->HasErrors()) {
                try {
                    MergeTables();
                } catch (const ERowOrderError& e) {
                    StopReaders();
                    WithdrawStatements();
                    ErrorMessage(e.what());
                } catch (const std::exception& e) {
                    // A merge that stopped half-way leaves statements that
                    // look complete: they go the same way.
                    StopReaders();
                    WithdrawStatements();
                    ErrorMessage(std::string(e.what()) + CRLF + "No statements were produced.");
                }
            }
            CloseStreams();
        }
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
        CloseStreams();
    }
    m_merge.reset();
    clearLists();
}

void TVelmorin::AlignCharSets()
{
    m_charSetsAligned = false;
    m_charSetsChanged.clear();
    // A side attached without a character set (NONE, as isql attaches) is
    // read through its database's own set, which its options took at
    // connect: text of every column then arrives in that one set.
    for (TQELCustomConnection* c : {m_connectionMaster, m_connectionTarget}) {
        if (c == nullptr || c->DatabaseType() != TDatabaseType::dbInterBase || !c->GetConnected()) continue;
        const std::string own = c->IBServerOptions().DBCharSet();
        if (!own.empty() && own != "NONE" && UpperCase(c->ClientCharSet()) == "NONE") c->ChangeCharSet(own);
    }
    if (m_connectionTarget == nullptr) return;
    const std::string csM = UpperCase(m_connectionMaster->ClientCharSet());
    const std::string csT = UpperCase(m_connectionTarget->ClientCharSet());
    if (csM.empty() || csT.empty() || csM == csT) return;
    // NONE holds bytes in no set: no transliteration can be trusted with
    // them, so both sides are read, and the target written, as bytes, as
    // Firebird itself assigns NONE values.
    const bool none = csM == "NONE" || csT == "NONE";
    m_alignedCharSet = none ? "NONE" : "UTF8";
    LogNextLine("Character sets differ (master " + csM + ", target " + csT + "): both sides are read through " +
                m_alignedCharSet + ".");
    m_charSetsAligned = true;
    for (TQELCustomConnection* c : {m_connectionMaster, m_connectionTarget}) {
        if (c->DatabaseType() != TDatabaseType::dbInterBase || UpperCase(c->ClientCharSet()) == m_alignedCharSet)
            continue;
        m_charSetsChanged.emplace_back(c, c->IBServerOptions().DBCharSet());
        c->IBServerOptions().SetDBCharSet(m_alignedCharSet);
        c->ChangeCharSet(m_alignedCharSet);
    }
}

void TVelmorin::RestoreCharSets()
{
    for (auto& [c, charSet] : m_charSetsChanged) {
        c->IBServerOptions().SetDBCharSet(charSet);
        const bool stays = c == m_connectionTarget ? TargetWasConnected : MasterWasConnected;
        if (!stays || !c->GetConnected()) continue;
        try {
            c->ChangeCharSet(charSet);
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    m_charSetsChanged.clear();
}

// psqlODBC hands a time stamp with time zone over as the session's local
// time without its offset: in a zone with summer time two instants of the
// autumn change read alike, and a local time written back is taken in that
// zone. In UTC each instant has one reading.
void TVelmorin::PinTimeZones()
{
    m_timeZonesChanged.clear();
    for (TQELCustomConnection* c : {m_connectionMaster, m_connectionTarget}) {
        if (c == nullptr || c->DatabaseType() != TDatabaseType::dbPostgreSQL) continue;
        if (c == m_connectionTarget && c == m_connectionMaster) continue; // pinned as the master
        std::unique_ptr<TQELQuery> q = c->CreateQuery();
        if (!q) continue;
        q->SetParamCheck(false);
        q->SetSQLText("select current_setting('TimeZone') as tz");
        q->Open();
        const std::string zone = q->Eof() ? std::string() : q->FieldByName("tz")->AsString();
        q->Close();
        if (zone == "UTC") continue;
        q->SetSQLText("SET TIME ZONE 'UTC'");
        q->ExecSQL();
        m_timeZonesChanged.emplace_back(c, zone);
    }
}

bool TVelmorin::TargetColumnZoned(const TField* TargetField) const
{
    if (TargetField == nullptr) return false;
    const TCmpTableOptions::TColumnInfo* info = m_tableOptionsTarget->ColumnInfoOf(TargetField->FieldName());
    return info != nullptr && info->Zoned;
}

void TVelmorin::RestoreTimeZones()
{
    for (auto& [c, zone] : m_timeZonesChanged) {
        const bool stays = c == m_connectionTarget ? TargetWasConnected : MasterWasConnected;
        if (!stays || !c->GetConnected()) continue;
        try {
            std::unique_ptr<TQELQuery> q = c->CreateQuery();
            q->SetParamCheck(false);
            q->SetSQLText("SET TIME ZONE " + Quoted(zone));
            q->ExecSQL();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    m_timeZonesChanged.clear();
}

// The reading threads end before anything else touches their connections.
void TVelmorin::StopReaders()
{
    if (!m_merge) return;
    if (m_merge->readerM) m_merge->readerM->Stop();
    if (m_merge->readerT) m_merge->readerT->Stop();
}

void TVelmorin::CloseStreams()
{
    if (m_scriptStream) {
        m_scriptStream->close();
        if (m_scriptStream->fail()) ErrorMessage("Cannot write file \"" + m_scriptFileName + "\".");
        m_scriptStream.reset();
    }
    if (m_blobStream) {
        m_blobStream->close();
        if (m_blobStream->fail()) ErrorMessage("Cannot write file \"" + m_blobFileName + "\".");
        m_blobStream.reset();
    }
}

// Rows out of key order or a merge that failed half-way: the statements
// made so far cannot be trusted, so every statement of the run is taken
// back: the executor's list is emptied, both files are emptied and the
// immediate updates are rolled back.
void TVelmorin::WithdrawStatements()
{
    if (m_merge) m_merge->heldInserts.Clear();
    if (m_sqlExec != nullptr) m_sqlExec->Clear();
    if (m_scriptStream) {
        m_scriptStream->close();
        m_scriptStream->open(m_scriptFileName, std::ios::binary | std::ios::trunc);
    }
    if (m_blobStream) {
        m_blobStream->close();
        m_blobStream->open(m_blobFileName, std::ios::binary | std::ios::trunc);
        m_blobPosition = 0;
    }
    if (m_updateImmediately && m_connectionTarget != nullptr && m_connectionTarget->GetConnected() &&
        m_connectionTarget->InTransaction()) {
        try {
            m_connectionTarget->Rollback();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
    }
    Inserted = Updated = Deleted = Equal = 0;
}

void TVelmorin::AddResultSQL(const std::string& SQL, TStatType StatType, const std::string& ObjName,
                             TDbObject ObjType, TDbOperation Operation)
{
    TProducedStatement s;
    s.ScriptSQL = SQL;
    if (m_updateImmediately) s.ImmediateSQL = SQL;
    s.StatType = StatType;
    s.ObjName = ObjName;
    s.ObjType = ObjType;
    s.Operation = Operation;
    RouteStatement(s);
}

// The event sees the text that runs against the target in immediate mode,
// else the script's text; a veto keeps the statement from everything.
bool TVelmorin::RouteStatement(TProducedStatement& S)
{
    bool applied = true;
    bool Accept = true;
    const std::string& shown = m_updateImmediately && !S.ImmediateSQL.empty() ? S.ImmediateSQL : S.ScriptSQL;
    if (OnAddResultSQL) OnAddResultSQL(*this, Accept, shown, S.StatType, S.ObjName, S.ObjType, S.Operation);
    if (!Accept) return true;
    const bool data =
        S.StatType == TStatType::stInsert || S.StatType == TStatType::stUpdate || S.StatType == TStatType::stDelete;
    const bool immediate = m_updateImmediately && data && m_execQuery && !S.ImmediateSQL.empty();
    // During the merge the statements with their values wait until both
    // sides are read: reading a table while writing it makes the engine
    // write and sync pages under the cursor, and the reading threads keep
    // their connections to themselves. Outside the merge they run at once.
    const bool deferred = immediate && m_merge && S.HeldValues;
    if (immediate && !deferred) applied = ExecuteImmediate(S);
    S.ExecIndex = -1;
    if (m_scriptOptions->GenerateScript) {
        if (m_sqlExec != nullptr) {
            TStatement* st = m_sqlExec->AddStatement(S.ScriptSQL, S.StatType, S.ObjName, S.ObjType, S.Operation, "", "");
            // Applied at once already: running the list must not apply it
            // again. A deferred statement that fails is unmarked then.
            if (st != nullptr && immediate && applied) {
                st->Executed = true;
                S.ExecIndex = m_sqlExec->Count() - 1;
            }
        }
        if (m_scriptStream) {
            *m_scriptStream << S.ScriptSQL << ";" << CRLF;
            if (!*m_scriptStream) throw EDatabaseError("Cannot write file \"" + m_scriptFileName + "\".");
        }
    }
    if (deferred) m_merge->deferred.Add(S);
    return applied;
}

void TVelmorin::ApplyDeferred()
{
    m_merge->deferred.Release([this](TProducedStatement& p) {
        if (ExecuteImmediate(p)) return;
        // Counted when it was produced; the target did not take it.
        if (p.StatType == TStatType::stInsert) --Inserted;
        else if (p.StatType == TStatType::stUpdate) --Updated;
        else --Deleted;
        if (m_sqlExec != nullptr && p.ExecIndex >= 0 && p.ExecIndex < m_sqlExec->Count())
            m_sqlExec->Statements(p.ExecIndex).Executed = false;
    });
}

// A failing statement is reported with its row and the merge goes on with
// the next row.
bool TVelmorin::ExecuteImmediate(const TProducedStatement& S)
{
    // Each statement shape (the INSERT, the DELETE, one UPDATE per set of
    // changed columns) is prepared once and run again with new values: the
    // execution query of a shape waits in a pool while others run.
    bool pooled = false;
    if (m_merge && m_connectionTarget != nullptr) {
        TMergeState& st = *m_merge;
        pooled = true;
        if (st.execText != S.ImmediateSQL) {
            auto it = st.prepared.find(S.ImmediateSQL);
            std::unique_ptr<TQELQuery> next;
            if (it != st.prepared.end()) {
                next = std::move(it->second);
                st.prepared.erase(it);
            } else if ((next = m_connectionTarget->CreateQuery())) {
                next->SetSQLText(S.ImmediateSQL);
            }
            if (next) {
                if (st.prepared.size() >= TMergeState::PreparedShapes) st.prepared.clear();
                if (!st.execText.empty()) st.prepared.emplace(st.execText, std::move(m_execQuery));
                m_execQuery = std::move(next);
                st.execText = S.ImmediateSQL;
            } else {
                pooled = false;
            }
        }
    }
    TQELQuery& q = *m_execQuery;
    try {
        if (!pooled) q.SetSQLText(S.ImmediateSQL);
        if (TParams* params = q.GetParams(); params != nullptr && params->Count() > 0) {
            auto set = [&](const std::string& name, TFieldType type, const TValue& value) {
                for (int i = 0; i < params->Count(); ++i) {
                    TParam& p = (*params)[i];
                    if (SameText(p.Name(), name)) p.SetValue(type, value);
                }
            };
            if (S.HeldValues) {
                for (const TImmediateParam& p : S.Params) set(p.Name, p.Type, p.Value);
            } else {
                // The fields the merge paired, never looked up again by a
                // name that another column may share but for its case.
                if (m_merge && m_targetQuery && !TargetEof() && S.StatType != TStatType::stInsert) {
                    for (size_t i = 0; i < m_merge->whereT.size(); ++i) {
                        const TField& f = *m_merge->whereT[i];
                        set("KEY" + IntToStr(static_cast<long long>(i)), CellParamType(f.Value(), f.DataType()), f.Value());
                    }
                }
                if (m_merge && m_masterQuery && !MasterEof() && S.StatType != TStatType::stDelete) {
                    for (size_t i = 0; i < m_merge->dataM.size(); ++i) {
                        const TField& f = *m_merge->dataM[i];
                        const TValue stored = WrittenValue(f.Value(), m_merge->dataPosM[i], m_merge->dataPosT[i]);
                        set("DATA" + IntToStr(static_cast<long long>(i)), CellParamType(stored, f.DataType()), stored);
                    }
                }
            }
        }
        if (BeforeOpen) BeforeOpen(q);
        q.ExecSQL();
        q.Close();
        if (!pooled && q.GetSQL() != nullptr) q.GetSQL()->Clear();
        return true;
    } catch (const std::exception& e) {
        try {
            q.Close();
            // A shape that failed is prepared afresh next time.
            if (q.GetSQL() != nullptr) q.GetSQL()->Clear();
            if (pooled) m_merge->execText.clear();
        } catch (...) {
        }
        const char* verb = S.StatType == TStatType::stInsert ? "INSERT INTO "
                           : S.StatType == TStatType::stUpdate ? "UPDATE "
                                                                : "DELETE FROM ";
        ErrorMessage(std::string(e.what()) + CRLF + "Not applied: " + verb + S.ObjName +
                     (S.KeyText.empty() ? "" : " (" + S.KeyText + ")"));
        return false;
    }
}

// ---------------------------------------------------------------------------
// Statements held back

namespace velmorin {

std::unique_ptr<std::ofstream> CreateOwnerOnlyFile(const std::string& Path)
{
    const int fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0) return nullptr;
    // An existing file keeps its mode through open: it is narrowed here.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    ::close(fd);
    auto stream = std::make_unique<std::ofstream>(Path, std::ios::binary | std::ios::trunc);
    if (!*stream) return nullptr;
    return stream;
}

namespace {

[[noreturn]] void HeldFileFailed(const char* what)
{
    throw EQELError(std::string("Cannot ") + what + " the temporary file of the held statements. " + std::strerror(errno));
}

void Put(std::FILE* f, const void* data, size_t size)
{
    if (size != 0 && std::fwrite(data, 1, size, f) != size) HeldFileFailed("write");
}

template <class T>
void PutNumber(std::FILE* f, T v)
{
    Put(f, &v, sizeof v);
}

void PutText(std::FILE* f, const std::string& s)
{
    PutNumber<std::uint64_t>(f, s.size());
    Put(f, s.data(), s.size());
}

void Get(std::FILE* f, void* data, size_t size)
{
    if (size != 0 && std::fread(data, 1, size, f) != size) HeldFileFailed("read");
}

template <class T>
T GetNumber(std::FILE* f)
{
    T v{};
    Get(f, &v, sizeof v);
    return v;
}

std::string GetText(std::FILE* f)
{
    std::string s(GetNumber<std::uint64_t>(f), '\0');
    Get(f, s.data(), s.size());
    return s;
}

void PutValue(std::FILE* f, const TValue& v)
{
    PutNumber<std::uint8_t>(f, static_cast<std::uint8_t>(v.Kind()));
    switch (v.Kind()) {
    case TValueKind::vkNull: break;
    case TValueKind::vkBoolean: PutNumber<std::uint8_t>(f, v.AsBoolean() ? 1 : 0); break;
    case TValueKind::vkInteger: PutNumber<std::int64_t>(f, v.AsInt64()); break;
    case TValueKind::vkFloat: PutNumber<double>(f, v.AsFloat()); break;
    case TValueKind::vkDecimal: {
        const TDecimal d = v.AsDecimal();
        PutNumber<__int128>(f, d.Unscaled());
        PutNumber<std::int32_t>(f, d.Scale());
        break;
    }
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime: {
        const TDateTimeValue d = v.AsDateTime();
        PutNumber<std::int64_t>(f, d.DayNumber());
        PutNumber<std::int64_t>(f, d.MicrosecondOfDay());
        break;
    }
    case TValueKind::vkString:
    case TValueKind::vkBytes: PutText(f, v.RawString()); break;
    }
}

TValue GetValue(std::FILE* f)
{
    const auto kind = static_cast<TValueKind>(GetNumber<std::uint8_t>(f));
    switch (kind) {
    case TValueKind::vkNull: return TValue();
    case TValueKind::vkBoolean: return TValue::Boolean(GetNumber<std::uint8_t>(f) != 0);
    case TValueKind::vkInteger: return TValue::Integer(GetNumber<std::int64_t>(f));
    case TValueKind::vkFloat: return TValue::Float(GetNumber<double>(f));
    case TValueKind::vkDecimal: {
        const auto unscaled = GetNumber<__int128>(f);
        return TValue::Decimal(TDecimal(unscaled, GetNumber<std::int32_t>(f)));
    }
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime: {
        const auto day = GetNumber<std::int64_t>(f);
        const TDateTimeValue d = TDateTimeValue::FromDayAndMicros(day, GetNumber<std::int64_t>(f));
        return kind == TValueKind::vkDate ? TValue::Date(d) : kind == TValueKind::vkTime ? TValue::Time(d) : TValue::DateTime(d);
    }
    case TValueKind::vkString: return TValue::String(GetText(f));
    case TValueKind::vkBytes: return TValue::Bytes(GetText(f));
    }
    throw EQELError("The temporary file of the held statements is damaged.");
}

} // namespace

void THeldStatements::Add(const TProducedStatement& S)
{
    if (!m_file) {
        m_file.reset(std::tmpfile());
        if (!m_file) HeldFileFailed("create");
    }
    std::FILE* f = m_file.get();
    PutText(f, S.ScriptSQL);
    PutText(f, S.ImmediateSQL);
    PutNumber<std::uint8_t>(f, static_cast<std::uint8_t>(S.StatType));
    PutText(f, S.ObjName);
    PutText(f, S.KeyText);
    PutNumber<std::uint8_t>(f, static_cast<std::uint8_t>(S.ObjType));
    PutNumber<std::uint8_t>(f, static_cast<std::uint8_t>(S.Operation));
    PutNumber<std::uint8_t>(f, S.HeldValues ? 1 : 0);
    PutNumber<std::int32_t>(f, S.ExecIndex);
    PutNumber<std::uint64_t>(f, S.Params.size());
    for (const TImmediateParam& p : S.Params) {
        PutText(f, p.Name);
        PutNumber<std::uint8_t>(f, static_cast<std::uint8_t>(p.Type));
        PutValue(f, p.Value);
    }
    ++m_count;
}

void THeldStatements::Release(const std::function<void(TProducedStatement&)>& Route)
{
    if (!m_file) return;
    std::FILE* f = m_file.get();
    if (std::fflush(f) != 0) HeldFileFailed("write");
    std::rewind(f);
    const std::size_t count = m_count;
    for (std::size_t i = 0; i < count; ++i) {
        TProducedStatement s;
        s.ScriptSQL = GetText(f);
        s.ImmediateSQL = GetText(f);
        s.StatType = static_cast<TStatType>(GetNumber<std::uint8_t>(f));
        s.ObjName = GetText(f);
        s.KeyText = GetText(f);
        s.ObjType = static_cast<TDbObject>(GetNumber<std::uint8_t>(f));
        s.Operation = static_cast<TDbOperation>(GetNumber<std::uint8_t>(f));
        s.HeldValues = GetNumber<std::uint8_t>(f) != 0;
        s.ExecIndex = GetNumber<std::int32_t>(f);
        const auto params = GetNumber<std::uint64_t>(f);
        for (std::uint64_t k = 0; k < params; ++k) {
            TImmediateParam p;
            p.Name = GetText(f);
            p.Type = static_cast<TFieldType>(GetNumber<std::uint8_t>(f));
            p.Value = GetValue(f);
            s.Params.push_back(std::move(p));
        }
        Route(s);
    }
    Clear();
}

void THeldStatements::Clear()
{
    m_file.reset();
    m_count = 0;
}

} // namespace velmorin

} // namespace qel
