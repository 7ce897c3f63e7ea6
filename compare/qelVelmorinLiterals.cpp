// The comparer's literals of numbers, Firebird text and BLOB references, the
// script header and the BLOB side file. Numbers are formatted by locale-free
// code with "." as the decimal separator.
#include "qelVelmorin.h"
#include "qelVelmorinPrivate.h"

#include "qelDBEngine.h"
#include "qelDBOptions.h"
#include "qelText.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>

namespace qel {

using namespace velmorin;

namespace {

bool ReadsBackAs(const std::string& Text, double Value)
{
    try {
        return TextToFloat(Trim(Text)) == Value;
    } catch (const EConvertError&) {
        return false;
    }
}

} // namespace

std::string TVelmorin::FloatLiteral(double Value) const
{
    if (std::isnan(Value) || std::isinf(Value))
        throw EStatementWithdrawn("The value " + FloatToText(Value) + " has no literal in SQL.");
    const TScriptOptions& o = ScriptOptions();
    // Negative zero is a value of its own in a double column; "0" or "-0"
    // would be read as the exact number zero and stored as +0.0.
    if (Value == 0 && std::signbit(Value)) {
        if (m_tableOptionsTarget->IsSQLite()) return "(-0.0)";
        switch (GetScriptDatabaseType()) {
        case TDatabaseType::dbInterBase: return "-0e0";
        case TDatabaseType::dbPostgreSQL: return "'-0'";
        default: break;
        }
    }
    // The shortest text that reads back as the same double is the answer
    // whenever a pattern or the shortened scientific form would lose digits.
    std::string text;
    if (!o.FloatFormat.empty()) {
        text = FormatFloatPattern(o.FloatFormat, Value);
    } else if (Value == std::trunc(Value) && Value < 2147483647.0 && Value >= -9.2233720368547758e18) {
        text = IntToStr(static_cast<long long>(Value));
    } else if (o.LocalSQL) {
        text = FormatFloatPattern("0.###########", Value);
    } else {
        text = ShortenedScientific(ScientificText(Value));
    }
    if (!ReadsBackAs(text, Value)) text = ShortestFloatText(Value);
    // Firebird reads long or far-scaled literals a unit off in the last
    // place: such a value is built exactly from its binary form instead.
    // POWER came with Firebird 2.1; older servers get the shortest text.
    if (GetScriptDatabaseType() == TDatabaseType::dbInterBase && !FirebirdReadsExactly(text) &&
        HasFirebird21Functions(m_IBOptions->SQLServerVersion))
        text = ExactDoubleExpression(Value);
    if (m_tableOptionsTarget->IsSQLite() && o.FloatFormat.empty() && text.find_first_of(".eE") != std::string::npos)
        text = SQLiteExactDouble(Value);
    return text;
}

namespace velmorin {

bool HasFirebird21Functions(TIBSQLServerVersionType v)
{
    switch (v) {
    case TIBSQLServerVersionType::st_Firebird_21:
    case TIBSQLServerVersionType::st_Firebird_25:
    case TIBSQLServerVersionType::st_Firebird_30:
    case TIBSQLServerVersionType::st_Firebird_40: return true;
    default: return false;
    }
}

std::string FirebirdTextLiteral(std::string_view Value, bool BlobAllowed)
{
    // Firebird refuses a literal over 32,767 bytes (65,535 since 3.0) or,
    // under a UTF8 connection, over 16,383 characters; one string
    // expression holds 32,765 bytes (65,535 since 3.0), a BLOB any length.
    constexpr std::size_t MaxPieceBytes = 32767, MaxPieceChars = 16383, MaxStringBytes = 32765;
    const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(Value[i]) & 0xC0) == 0x80; };
    std::vector<std::string> parts;
    std::size_t i = 0;
    while (i < Value.size()) {
        if (Value[i] == '\0') {
            parts.emplace_back("ASCII_CHAR(0)");
            ++i;
            continue;
        }
        std::size_t j = i, chars = 0;
        while (j < Value.size() && Value[j] != '\0' && j - i < MaxPieceBytes) {
            if (!continuation(j) && ++chars > MaxPieceChars) break;
            ++j;
        }
        // A piece cut by its byte count ends before the sequence it cut into.
        if (j < Value.size() && continuation(j)) {
            std::size_t k = j;
            while (k > i && j - k < 3 && continuation(k)) --k;
            if (k > i && !continuation(k)) j = k;
        }
        parts.push_back(Quoted(std::string(Value.substr(i, j - i))));
        i = j;
    }
    if (parts.empty()) return "''";
    if (parts.size() == 1 && parts.front().front() == '\'') return parts.front();
    std::string r = "(";
    if (BlobAllowed && Value.size() > MaxStringBytes) r += "CAST('' AS BLOB SUB_TYPE TEXT) || ";
    for (std::size_t p = 0; p < parts.size(); ++p) r += (p > 0 ? " || " : "") + parts[p];
    return r + ")";
}

} // namespace velmorin

std::string TVelmorin::BlobParamName(std::int64_t Offset, std::int64_t Size)
{
    auto hex = [](std::int64_t v) {
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string s;
        auto u = static_cast<std::uint64_t>(v);
        do {
            s.insert(s.begin(), digits[u & 15]);
            u >>= 4;
        } while (u != 0);
        if (s.size() < 8) s.insert(0, 8 - s.size(), '0');
        return s;
    };
    return ":h" + hex(Offset) + "_" + hex(Size);
}

std::string TVelmorin::GetBlobLiteral(TField& Field)
{
    if (Field.IsNull()) return "Null";
    // A statement whose BLOB cannot be saved is not produced at all: Null in
    // its place would overwrite the target's value.
    if (BlobSaveFailed) throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    if (!ScriptOptions().GenerateScript) return ":" + TableOptionsTarget().QuoteName(Field.FieldName());
    if (m_blobFileName.empty()) {
        ErrorMessage("BlobFileName is not specified. Cann't save BLOBs.");
        BlobSaveFailed = true;
        throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    }
    if (!m_blobStream) {
        auto stream = CreateOwnerOnlyFile(m_blobFileName);
        if (!stream) {
            ErrorMessage("Cannot create file \"" + m_blobFileName + "\". " + std::strerror(errno));
            BlobSaveFailed = true;
            throw EStatementWithdrawn("A BLOB value could not be saved.", true);
        }
        m_blobStream = std::move(stream);
        m_blobPosition = 0;
    }
    const std::int64_t start = m_blobPosition;
    std::string scratch;
    const std::string& bytes =
        Field.Value().Kind() == TValueKind::vkString || Field.Value().Kind() == TValueKind::vkBytes
            ? Field.Value().RawString()
            : (scratch = Field.AsString());
    m_blobStream->write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    m_blobStream->flush();
    if (!*m_blobStream) {
        ErrorMessage("Cannot write file \"" + m_blobFileName + "\". " + std::strerror(errno));
        BlobSaveFailed = true;
        m_blobStream->close();
        m_blobStream.reset();
        throw EStatementWithdrawn("A BLOB value could not be saved.", true);
    }
    m_blobPosition += static_cast<std::int64_t>(bytes.size());
    const std::int64_t size = m_blobPosition - start;
    if (size == 0) {
        switch (GetScriptDatabaseType()) {
        case TDatabaseType::dbSybaseASA:
        case TDatabaseType::dbMSSQL:
        case TDatabaseType::dbSybaseASE:
            // These servers cannot take an empty BLOB parameter; an empty
            // literal keeps the value empty rather than Null.
            return IsTextBlobType(Field.DataType()) ? std::string("''") : std::string("0x");
        case TDatabaseType::dbParadox: return "Null";
        default: break;
        }
    }
    return BlobParamName(start, size);
}

void TVelmorin::WriteScriptHeader()
{
    const TScriptOptions& o = ScriptOptions();
    auto add = [&](const std::string& sql, TStatType kind) {
        if (!sql.empty()) AddResultSQL(sql, kind, "", TDbObject::dboUnknown, TDbOperation::odbUnknown);
    };
    switch (GetScriptDatabaseType()) {
    case TDatabaseType::dbInterBase:
        // Values read through UTF8 from sides of two character sets are written so.
        if (o.DBCharSet || m_charSetsAligned) add(IBOptions().GetSetNamesSQL(), TStatType::stCharSet);
        if (o.SQLDialect) add(IBOptions().GetSQLDialectSQL(), TStatType::stSet);
        if (o.Connect) add(IBOptions().GetConnectSQL(ConnectionOptions()), TStatType::stConnect);
        break;
    case TDatabaseType::dbMySQL:
        if (o.DBCharSet && !MySQLOptions().CharSet.empty())
            add("SET CHARACTER SET " + MySQLOptions().CharSet, TStatType::stCharSet);
        if (o.DBCharSet && !MySQLOptions().Names.empty()) add("SET NAMES " + MySQLOptions().Names, TStatType::stSetNames);
        if (o.Connect && !ConnectionOptions().DatabaseName.empty())
            add("USE " + ConnectionOptions().DatabaseName, TStatType::stConnect);
        break;
    case TDatabaseType::dbMSSQL:
        if (o.Connect && !ConnectionOptions().DatabaseName.empty())
            add("USE " + ConnectionOptions().DatabaseName, TStatType::stConnect);
        break;
    default: break;
    }
    // Without a script no side file is written, so none is named.
    if (MasterHasBlobs && !m_blobFileName.empty() && o.GenerateScript) {
        namespace fs = std::filesystem;
        const fs::path blob(m_blobFileName);
        const std::string name =
            blob.parent_path() == fs::path(m_scriptFileName).parent_path() ? blob.filename().string() : m_blobFileName;
        AddResultSQL("SET BLOBFILE " + Quoted(name), TStatType::stSetBlobFile, m_blobFileName, TDbObject::dboUnknown,
                     TDbOperation::odbUnknown);
    }
}

} // namespace qel
