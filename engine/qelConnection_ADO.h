// A connection component over an ADO connection object the application
// supplies and owns, outside the back-end registry. When the supplied object
// is destroyed, Connection becomes nullptr and the component acts as
// disconnected. Transactions are the supplied object's business: the
// transaction calls here do nothing.
#pragma once

#include "qelDBEngine.h"

namespace qel {

class TADOConnection;

class TQELConnectionADO : public TQELCustomConnection {
public:
    explicit TQELConnectionADO(TComponent* AOwner = nullptr);
    ~TQELConnectionADO() override;
    std::string ClassName() const override { return "TQELConnectionADO"; }

    TADOConnection* Connection() const { return m_connection; }
    void SetConnection(TADOConnection* Value);

    bool GetConnected() override;
    void SetConnected(bool Value) override;
    std::unique_ptr<TQELQuery> CreateQuery() override;
    void StartTransaction() override {}
    void Commit() override {}
    void Rollback() override {}
    bool InTransaction() override { return false; }
    // Without a Connection: "<class>(<name>): Database not assigned." and
    // False; otherwise disconnects the object and answers True.
    bool CreateDatabase() override;
    void ChangeCharSet(const std::string& CharSet) override;
    std::string ClientCharSet() override;
    std::string DBMSName() override;
    bool ListColumns(const std::string& Table, std::vector<TColumnListing>& Columns) override;
    bool StoredValue(const std::string& DeclaredType, TValue& Value) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TADOConnection* m_connection = nullptr;
};

} // namespace qel
