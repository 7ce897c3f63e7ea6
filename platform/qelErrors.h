// The exception family of the whole system. Every exception carries the text
// that the user finally sees; subclasses add what their source knows.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace qel {

class EQELError : public std::runtime_error {
public:
    explicit EQELError(const std::string& message) : std::runtime_error(message) {}
};

// Misuse of a component: an unsupported choice, a call out of order.
class EUsageError : public EQELError {
public:
    using EQELError::EQELError;
};

// The standard assignment error of persistent objects and failed conversions
// of field and parameter values.
class EConvertError : public EQELError {
public:
    using EQELError::EQELError;
};

// A failure reported by a database server or its client library. The message
// is the server's whole text; SQLCODE and SQLSTATE are kept when known.
class EDatabaseError : public EQELError {
public:
    EDatabaseError(const std::string& message, int sqlCode = 0, std::string sqlState = {})
        : EQELError(message), m_sqlCode(sqlCode), m_sqlState(std::move(sqlState)) {}
    int SQLCode() const { return m_sqlCode; }
    const std::string& SQLState() const { return m_sqlState; }

private:
    int m_sqlCode;
    std::string m_sqlState;
};

// One diagnostic record of an ODBC call.
struct TODBCDiagRecord {
    std::string SQLState;
    long NativeError = 0;
    std::string Text;
};

// A failure of an ODBC call, with every diagnostic record the driver gave.
class EODBCError : public EDatabaseError {
public:
    EODBCError(const std::string& message, std::vector<TODBCDiagRecord> records)
        : EDatabaseError(message, 0, records.empty() ? std::string() : records.front().SQLState),
          m_records(std::move(records)) {}
    const std::vector<TODBCDiagRecord>& Records() const { return m_records; }

private:
    std::vector<TODBCDiagRecord> m_records;
};

// A script that cannot be read, with the position where reading stopped.
class EParseError : public EQELError {
public:
    EParseError(const std::string& message, int line, int column)
        : EQELError(message), m_line(line), m_column(column) {}
    int Line() const { return m_line; }
    int Column() const { return m_column; }

private:
    int m_line;
    int m_column;
};

} // namespace qel
