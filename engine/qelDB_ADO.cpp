#include "qelDB_ADO.h"

#include "qelADOConnString.h"
#include "qelSQLite.h"
#include "qelText.h"

#include <algorithm>
#include "qelDataSet.h"
#include "qelErrors.h"

namespace qel {

namespace {

// A file path ("C:\db\x.db", "x.db") rather than a database name ("demo").
bool HasFolderOrExtension(const std::string& d)
{
    return d.find_first_of("\\/:") != std::string::npos || d.find('.') != std::string::npos;
}

} // namespace

std::string BuildADOConnectionString(TDatabaseType DatabaseType, const std::string& HostName,
                                     const std::string& DatabaseName, TQELProtocol Protocol, int Port,
                                     bool UseWindowsAuthentication, const std::string& Password,
                                     const std::string& UserName)
{
    using DT = TDatabaseType;
    const std::string& H = HostName;
    const std::string& D = DatabaseName;
    const std::string P = Port != 0 ? std::to_string(Port) : std::string();
    std::string s;
    switch (DatabaseType) {
    case DT::dbSybaseASA:
        s = "Provider=ASAProv;";
        if (!H.empty()) s += "Extended Properties=\"ServerName=" + H + "\";";
        if (!D.empty()) s += (HasFolderOrExtension(D) ? "DBF=" : "DBN=") + D + ";";
        break;
    case DT::dbOracle:
        s = "Provider=OraOLEDB.Oracle;";
        if (!H.empty()) s += "Data Source=" + H + ";";
        else if (!D.empty()) s += "Data Source=" + D + ";";
        break;
    case DT::dbMSSQL:
        s = "Provider=SQLOLEDB;Initial Catalog=" + D + ";" + "Data Source=" + H + ";";
        if (Protocol == TQELProtocol::ptTCP) s += "Network Library=DBMSSOCN;";
        break;
    case DT::dbPostgreSQL:
        s = "Provider=PostgreSQL;";
        if (!H.empty()) s += "Data Source=" + H + ";";
        if (!D.empty()) s += "Location=" + D + ";";
        break;
    case DT::dbDB2:
        s = "Provider=IBMDADB2;";
        if (!H.empty()) s += "Location=" + H + (P.empty() ? ":50000;" : ":" + P + ";");
        s += "Persist Security Info=True;";
        if (!D.empty()) s += "Data Source=" + D + ";";
        break;
    case DT::dbSybaseASE:
        s = "Provider=Sybase.ASEOLEDBProvider;";
        if (!H.empty()) s += "Server Name=" + H + (P.empty() ? "" : "," + P) + ";";
        if (!D.empty()) s += "Initial Catalog=" + D + ";";
        s += "Optimize Prepare=Partial;";
        s += "Select Method=Direct;Raise Error Behavior=MS Compatible;";
        s += "Print Statement Behavior=MS Compatible;";
        s += "Extended ErrorInfo=FALSE;Stored Proc Row Count=Last Statement Only;";
        break;
    case DT::dbPervasiveSQL:
        s = "Provider=PervasiveOLEDB;";
        if (!H.empty()) s += "Location=" + H + ";";
        if (!D.empty()) s += "Data Source=" + D + ";";
        s += "Persist Security Info=False;";
        break;
    case DT::dbMSAccess:
    case DT::dbCustomOLEDB:
        return D;
    default:
        break;
    }
    const bool integrated = DatabaseType == DT::dbMSSQL && UseWindowsAuthentication;
    if (DatabaseType == DT::dbMSSQL)
        s += integrated ? "Integrated Security=SSPI;Persist Security Info=False;" : "Persist Security Info=True;";
    if (!integrated) {
        if (!UserName.empty()) s += "User ID=" + UserName + ";";
        if (!Password.empty()) s += "Password=" + Password + ";";
        else if (DatabaseType == DT::dbSybaseASE) s += "Password=\"\";";
    }
    return s;
}

// ---- database object ---------------------------------------------------

TQELADODatabase::TQELADODatabase(TQELCustomConnection* Connection)
    : TQELDatabase(Connection), m_connection(std::make_unique<TADOConnection>())
{
    m_connection->IsolationLevel = TIsolationLevel::ilReadCommitted;
    m_connection->CommandTimeout = 0;
}

TQELADODatabase::~TQELADODatabase() = default;

bool TQELADODatabase::GetConnected() { return m_connection->Connected(); }

void TQELADODatabase::SetConnected(bool Value)
{
    if (Value == m_connection->Connected()) return;
    if (!Value) {
        if (m_connection->InTransaction()) m_connection->CommitTrans();
        m_connection->Close();
        return;
    }
    TQELCustomConnection& c = *Connection();
    static const TDatabaseSetType supported = {
        TDatabaseType::dbSybaseASA, TDatabaseType::dbOracle,       TDatabaseType::dbMSSQL,
        TDatabaseType::dbPostgreSQL, TDatabaseType::dbDB2,          TDatabaseType::dbSybaseASE,
        TDatabaseType::dbPervasiveSQL, TDatabaseType::dbMSAccess, TDatabaseType::dbCustomOLEDB};
    if (!supported.Contains(c.DatabaseType())) c.ErrorMessage("Not supported DatabaseType select.");
    const TConnectionOptions& co = c.ConnectionOptions();
    const std::string cs = !co.ConnectionString.empty()
                               ? co.ConnectionString
                               : BuildADOConnectionString(c.DatabaseType(), co.HostName, co.DatabaseName, co.Protocol,
                                                          co.Port, co.UseWindowsAuthentication, co.Password,
                                                          co.UserName);
    m_connection->SetConnectionString(cs);
    // The log shows the string as set, but never the password.
    c.DoLogNextLine(HidePassword(m_connection->ConnectionString()));
    m_connection->Open();
}

void TQELADODatabase::StartTransaction() { m_connection->BeginTrans(); }
void TQELADODatabase::Commit() { m_connection->CommitTrans(); }
void TQELADODatabase::Rollback() { m_connection->RollbackTrans(); }
bool TQELADODatabase::InTransaction() { return m_connection->InTransaction(); }

std::string TQELADODatabase::ClientCharSet() { return m_connection->Connected() ? "UTF8" : ""; }

std::string TQELADODatabase::DBMSName() { return m_connection->Connected() ? m_connection->DBMSName() : ""; }

bool TQELADODatabase::ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns)
{
    ListADOColumns(*m_connection, Table, Columns);
    return true;
}

bool TQELADODatabase::StoredValue(const std::string& DeclaredType, TValue& Value)
{
    return ADOStoredValue(*m_connection, DeclaredType, Value);
}

void ListADOColumns(TADOConnection& Connection, const std::string& Table, std::vector<TColumnListing>& Columns)
{
    Columns.clear();
    const std::vector<TADOColumn> listed = Connection.GetColumns(Table);
    // SQLite's catalogue matches names without regard to ASCII case, and
    // so may other drivers': the table named exactly wins over the others.
    bool exact = false;
    for (const TADOColumn& c : listed) exact = exact || c.TableName == Table;
    for (const TADOColumn& c : listed) {
        if (exact ? c.TableName != Table : !SameText(c.TableName, Table)) continue;
        Columns.push_back({c.TableName, c.ColumnName, c.FieldType, c.Nullable == TColumnNullable::cnNoNulls,
                           c.TypeName, c.Filled});
    }
}

bool ADOStoredValue(TADOConnection& Connection, const std::string& DeclaredType, TValue& Value)
{
    if (!Connection.Connected() || !SameText(Connection.DBMSName(), "SQLite")) return false;
    SQLiteStoredValue(DeclaredType, Value);
    return true;
}

// ---- TADO_Query --------------------------------------------------------

TADO_Query::TADO_Query()
{
    CommandTimeout = 0;
    m_sql.OnChange = [this](TStringList& lines) { SQLChanged(lines); };
}

void TADO_Query::SQLChanged(TStringList& Lines)
{
    const std::string text = Lines.Text();
    if (!ParamCheck()) {
        SetSQL(text);
        return;
    }
    // The ADO layer reads positional markers only: it gets the rewritten
    // text, and the own list the names in the same order.
    std::string positional;
    ParseSQL(&m_ownParams, text, true, positional);
    SetSQL(positional);
}

void TADO_Query::CopyParamValues()
{
    TParams& ado = Parameters();
    const int n = std::min(ado.Count(), m_ownParams.Count());
    for (int i = 0; i < n; ++i) ado[i].AssignValue(m_ownParams[i]);
}

// ---- TQELADOQuery ------------------------------------------------------

TQELADOQuery::TQELADOQuery() : m_query(std::make_unique<TADO_Query>()) {}

TQELADOQuery::~TQELADOQuery()
{
    if (m_query) m_query->Close();
}

TStringList* TQELADOQuery::GetSQL() { return &m_query->OwnSQL(); }
bool TQELADOQuery::Eof() { return m_query->Eof(); }
void TQELADOQuery::SetParamCheck(bool Value) { m_query->SetParamCheck(Value); }
bool TQELADOQuery::GetParamCheck() { return m_query->ParamCheck(); }
TParams* TQELADOQuery::GetParams() { return &m_query->OwnParams(); }
bool TQELADOQuery::IsActive() { return m_query && m_query->Active(); }
TFields* TQELADOQuery::GetFields() { return &m_query->Fields(); }
void TQELADOQuery::First() { m_query->First(); }
void TQELADOQuery::Next() { m_query->Next(); }
TField* TQELADOQuery::FieldByName(const std::string& Name) { return &m_query->FieldByName(Name); }
void TQELADOQuery::Close() { m_query->Close(); }
TParam* TQELADOQuery::ParamByName(const std::string& Name) { return &m_query->OwnParams().ParamByName(Name); }

bool TQELADOQuery::IsSingleFloatField(int Index)
{
    const TFields& fields = m_query->Fields();
    if (Index < 0 || Index >= fields.Count() || fields[Index].DataType() != TFieldType::ftFloat) return false;
    // ODBC drivers describe REAL with a column size of 7 or 9 digits (24
    // bits by some); DOUBLE with 15, 17 or 53.
    const int size = fields[Index].Size();
    return size == 7 || size == 9 || size == 24;
}

void TQELADOQuery::Last()
{
    // Forward only: read to the end; the last row's values stay in the fields.
    while (!m_query->Eof()) m_query->Next();
}

void TQELADOQuery::Open()
{
    m_query->CopyParamValues();
    m_query->Open();
}

void TQELADOQuery::ExecSQL()
{
    m_query->CopyParamValues();
    m_query->ExecSQL();
}

void TQELADOQuery::SetDatabase(TQELDatabase* Value)
{
    TQELQuery::SetDatabase(Value);
    if (auto* db = dynamic_cast<TQELADODatabase*>(Value)) m_query->SetConnection(&db->ADOConnection());
    else m_query->SetConnection(nullptr);
}

void TQELADOQuery::BindConnection(TADOConnection* Connection) { m_query->SetConnection(Connection); }

void TQELADOQuery::DatabaseGone() { m_query->SetConnection(nullptr); }

} // namespace qel
