// The inside of the Firebird client layer, shared by qelIBClient.cpp and
// qelIBQuery.cpp only: the states behind the public objects, with their raw
// isc_* handles and the links that keep them consistent when one of them
// goes first. Nothing outside platform/ includes this header, so <ibase.h>
// stays out of the rest of the system.
#pragma once

#include "qelIBClient.h"

#include <ibase.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel::ibclient {

// Throws EDatabaseError built from a failed status vector: every line of
// fb_interpret joined with CR LF, the SQLCODE and the SQLSTATE.
[[noreturn]] void RaiseStatus(const ISC_STATUS* Status);

// One status vector per call; Check() throws when the call failed.
struct TStatus {
    ISC_STATUS_ARRAY Vector{};
    ISC_STATUS* operator&() { return Vector; }
    bool Failed() const { return Vector[0] == 1 && Vector[1] != 0; }
    void Check() const
    {
        if (Failed()) RaiseStatus(Vector);
    }
};

// A number of an information buffer: Length bytes, least significant
// first, unsigned. The library's isc_vax_integer takes the top byte as a
// sign, so a length of 32768 bytes or more would come out negative.
inline std::uint64_t InfoNumber(const char* P, std::size_t Length)
{
    std::uint64_t n = 0;
    for (std::size_t i = Length; i-- > 0;) n = n << 8 | static_cast<unsigned char>(P[i]);
    return n;
}

// The byte length a column or parameter description gives: a short in the
// structure, an unsigned count up to 65535 in fact (a literal of 65,533
// bytes is described with a length the short reads as -3).
inline std::size_t VarLength(const XSQLVAR& Var) { return static_cast<unsigned short>(Var.sqllen); }

struct TDatabaseState;
struct TTransactionState;

// Something that uses a database attachment: told before the attachment ends
// so that it can give back its own handles, and when the database object is
// destroyed so that it forgets it.
class TDatabaseLink {
public:
    TDatabaseLink() = default;
    TDatabaseLink(const TDatabaseLink&) = delete;
    TDatabaseLink& operator=(const TDatabaseLink&) = delete;
    virtual ~TDatabaseLink();

    TDatabaseState* LinkedDatabase() const { return m_db; }
    void LinkDatabase(TDatabaseState* Db);

    // Before the attachment is detached: release handles, never throw.
    virtual void DatabaseDetaching() noexcept {}

private:
    friend struct TDatabaseState;
    TDatabaseState* m_db = nullptr;
};

// A statement that names a transaction or has a cursor open in it.
class TTransactionUser {
public:
    // The transaction ends (commit or rollback, not retaining): its cursors
    // are closed by the server, so close them first.
    virtual void TransactionEnding(TTransactionState* Tr) noexcept = 0;
    // The transaction object is destroyed: forget it.
    virtual void TransactionDestroyed(TTransactionState* Tr) noexcept = 0;

protected:
    ~TTransactionUser() = default;
};

struct TDatabaseState {
    TIBDatabase* Owner = nullptr;
    isc_db_handle Handle = 0;
    std::string DatabaseName;
    TStringList Params;
    int SQLDialect = 3;
    int ConnectTimeout = 10;
    TTransactionState* DefaultTransaction = nullptr;
    std::vector<TDatabaseLink*> Links;

    TDatabaseState() = default;
    TDatabaseState(const TDatabaseState&) = delete;
    TDatabaseState& operator=(const TDatabaseState&) = delete;
    ~TDatabaseState();

    bool Connected() const { return Handle != 0; }
    void RequireConnected(std::string_view What) const;
    void AfterAttach();
    // Ends every use of the attachment and detaches. Throws the detach error
    // only when asked to (Close), never from the destructor.
    void Detach(bool Throw);
};

struct TTransactionState : TDatabaseLink {
    TIBTransaction* Owner = nullptr;
    isc_tr_handle Handle = 0;
    TStringList Params;
    std::vector<TTransactionUser*> Users;

    ~TTransactionState() override;

    bool Active() const { return Handle != 0; }
    void Start();
    void StartAs(std::string_view SetTransactionSQL, int Dialect);
    // Commit (Commit true) or rollback; Retaining keeps the transaction open.
    void End(bool Commit, bool Retaining);
    void RollbackQuietly() noexcept;
    void AddUser(TTransactionUser* User);
    void RemoveUser(TTransactionUser* User);
    void DatabaseDetaching() noexcept override { RollbackQuietly(); }
};

// The attachment handle of a connected database, or an error naming What.
isc_db_handle* RequireHandle(TDatabaseState* Db, std::string_view What);

// Reads the value of one database information item: the bytes after the
// item's length word, or empty when the server does not know the item.
std::string DatabaseInfoItem(isc_db_handle* Handle, char Item);

} // namespace qel::ibclient
