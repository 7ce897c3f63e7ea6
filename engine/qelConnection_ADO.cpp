#include "qelConnection_ADO.h"

#include "qelADO.h"
#include "qelDB_ADO.h"

namespace qel {

TQELConnectionADO::TQELConnectionADO(TComponent* AOwner) : TQELCustomConnection(AOwner)
{
    m_databaseType = TDatabaseType::dbMSSQL;
    m_connectionType = TconnectionType::cnADO;
}

TQELConnectionADO::~TQELConnectionADO() = default;

void TQELConnectionADO::SetConnection(TADOConnection* Value)
{
    if (m_connection == Value) return;
    if (m_connection != nullptr) RemoveFreeNotification(m_connection);
    m_connection = Value;
    if (m_connection != nullptr) FreeNotification(m_connection);
}

void TQELConnectionADO::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove && AComponent == m_connection) m_connection = nullptr;
    TQELCustomConnection::Notification(AComponent, Operation);
}

bool TQELConnectionADO::GetConnected() { return m_connection != nullptr && m_connection->Connected(); }

void TQELConnectionADO::SetConnected(bool Value)
{
    if (m_connection == nullptr || Value == m_connection->Connected()) return;
    if (Value) {
        DoBeforeConnect();
        try {
            m_connection->Open();
        } catch (const std::exception& e) {
            ErrorMessage(e.what());
        }
        if (m_connection->Connected()) {
            try {
                DoAfterConnect();
            } catch (const std::exception& e) {
                ErrorMessage(e.what());
            }
        }
        return;
    }
    DoBeforeDisconnect();
    try {
        if (m_connection->InTransaction()) m_connection->CommitTrans();
        m_connection->Close();
    } catch (const std::exception& e) {
        ErrorMessage(e.what());
    }
    DoAfterDisconnect();
}

std::unique_ptr<TQELQuery> TQELConnectionADO::CreateQuery()
{
    auto q = std::make_unique<TQELADOQuery>();
    q->SetConnection(this);
    q->BindConnection(m_connection);
    return q;
}

bool TQELConnectionADO::CreateDatabase()
{
    if (m_connection == nullptr) {
        ErrorMessage(ClassName() + "(" + Name() + "): Database not assigned.");
        return false;
    }
    if (m_connection->Connected()) m_connection->Close();
    return true;
}

void TQELConnectionADO::ChangeCharSet(const std::string& /*CharSet*/)
{
    if (m_connection == nullptr) return;
    if (m_connection->Connected()) m_connection->Close();
    m_connection->Open();
}

std::string TQELConnectionADO::ClientCharSet() { return GetConnected() ? "UTF8" : ""; }

std::string TQELConnectionADO::DBMSName() { return GetConnected() ? m_connection->DBMSName() : ""; }

bool TQELConnectionADO::StoredValue(const std::string& DeclaredType, TValue& Value)
{
    return m_connection != nullptr && ADOStoredValue(*m_connection, DeclaredType, Value);
}

bool TQELConnectionADO::ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns)
{
    if (m_connection == nullptr) return false;
    ListADOColumns(*m_connection, Table, Columns);
    return true;
}

} // namespace qel
