#include "qelComp_Gnr.h"

#include "qelCompText.h"
#include "qelComp_Fld.h"
#include "qelCustomObjs.h"
#include "qelWalk.h"

#include <vector>

namespace qel {

namespace {
constexpr std::string_view NoMaximum = "999999999999999999999999999";
}

TGnrData::TGnrData(TCustomObjs* AObjs, TDbObj* AOwner) : TDbObj(AObjs, Kind)
{
    SetNoCache(false);
    SetCache("20");
    SetMaxValue({});
    if (dynamic_cast<TFldData*>(AOwner) == nullptr) ValueField = std::make_unique<TFldData>(AObjs, this);
}

TGnrData::~TGnrData() = default;

void TGnrData::SetMaxValue(std::string_view Value)
{
    if (Value == NoMaximum) {
        m_maxValue.clear();
        NoMaxValue = true;
    } else {
        m_maxValue = Value;
    }
}

void TGnrData::SetCache(std::string_view Value)
{
    if (Value == "0") {
        m_cache.clear();
        SetNoCache(true);
    } else {
        m_cache = Value;
    }
}

void TGnrData::SetNoCache(bool Value)
{
    m_noCache = Value;
    if (Value) m_cache.clear();
}

// ---- texts ----

namespace {
using enum TDatabaseType;
}

std::string TGnrData::GetCreateDDL() const
{
    std::string text;
    const auto add = [&text](bool Condition, const std::string& Clause) {
        if (Condition) text += Clause;
    };
    const std::string nl = CRLF;
    switch (GetDatabaseType()) {
    case dbOracle:
        // The start value stays out: the sequence starts at its minimum.
        text = "CREATE SEQUENCE " + SchemaQualified(*this, Schema(), Name());
        add(!MinValue.empty() && MinValue != "1", nl + "minvalue " + MinValue);
        add(!m_maxValue.empty(), nl + "maxvalue " + m_maxValue);
        add(!IncrementBy.empty() && IncrementBy != "1", nl + "increment by " + IncrementBy);
        if (!m_cache.empty()) text += nl + "cache " + m_cache;
        else add(m_noCache, nl + "nocache");
        add(Order, nl + "order");
        add(Cycle, nl + "cycle");
        return text;
    case dbMSSQL:
        // MINVALUE is written even when 1: the default minimum is the
        // type's, from which a CYCLE sequence would wrap into negatives.
        text = "CREATE SEQUENCE " + GetQualifiedName();
        if (ValueField != nullptr && ValueField->DataType != 0) text += nl + "    AS " + ValueField->GetTypeText();
        add(!StartWith.empty(), nl + "    START WITH " + StartWith);
        add(!IncrementBy.empty() && IncrementBy != "1", nl + "    INCREMENT BY " + IncrementBy);
        add(!MinValue.empty(), nl + "    MINVALUE " + MinValue);
        add(!m_maxValue.empty(), nl + "    MAXVALUE " + m_maxValue);
        add(Cycle, nl + "    CYCLE");
        if (!m_cache.empty()) text += nl + "    CACHE " + m_cache;
        else add(m_noCache, nl + "    NOCACHE");
        return text;
    case dbPostgreSQL:
        text = std::string("CREATE ") + (Temporary ? "TEMPORARY " : "") + "SEQUENCE " + GetQualifiedName();
        add(!IncrementBy.empty(), " INCREMENT BY " + IncrementBy);
        add(!MinValue.empty(), " MINVALUE " + MinValue);
        add(!m_maxValue.empty(), " MAXVALUE " + m_maxValue);
        add(!StartWith.empty(), " START WITH " + StartWith);
        add(!m_cache.empty(), " CACHE " + m_cache);
        add(Cycle, " CYCLE");
        add(!OwnedBy.empty(), " OWNED BY " + OwnedBy);
        return text;
    case dbInterBase: {
        // Firebird 3 keeps a sequence's start and step: "CREATE GENERATOR G
        // START WITH 10 INCREMENT BY 5". Earlier versions have neither.
        text = "CREATE GENERATOR " + QuoteName(Name());
        const TIBSQLServerVersionType version = IBVersionOf(*this);
        if (version != TIBSQLServerVersionType::st_Firebird_30 && version != TIBSQLServerVersionType::st_Firebird_40)
            return text;
        add(!StartWith.empty() && StartWith != "0", " START WITH " + StartWith);
        add(!IncrementBy.empty() && IncrementBy != "1", " INCREMENT BY " + IncrementBy);
        return text;
    }
    default: return "CREATE GENERATOR " + QuoteName(Name());
    }
}

std::string TGnrData::GetDropScript() const
{
    switch (GetDatabaseType()) {
    case dbInterBase:
        if (IBVersionOf(*this) >= TIBSQLServerVersionType::st_FireBird_1x) return "DROP GENERATOR " + QuoteName(Name());
        // InterBase 6 and before have no DROP GENERATOR.
        return "/* Drop generator: " + BlockCommentText(QuoteName(Name())) + " */" + CRLF +
               "DELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = " + SQLQuotedStr(Name(), dbInterBase);
    case dbPostgreSQL:
    case dbOracle:
    case dbMSSQL: return "DROP SEQUENCE " + GetQualifiedName();
    default: return {};
    }
}

// A DB2 identity's options: "(START WITH 1, INCREMENT BY 1, CACHE 20)"; an
// option not set is left out ("NO CACHE" for a generator without one), and
// with none set the text is empty.
std::string TGnrData::GetIdentityOptionsText() const
{
    if (GetDatabaseType() != dbDB2) return {};
    std::vector<std::string> options;
    if (!StartWith.empty()) options.push_back("START WITH " + StartWith);
    if (!IncrementBy.empty()) options.push_back("INCREMENT BY " + IncrementBy);
    if (!m_cache.empty()) options.push_back("CACHE " + m_cache);
    else if (m_noCache) options.push_back("NO CACHE");
    return options.empty() ? std::string() : "(" + Join(options, ", ") + ")";
}

bool TGnrData::KeptBySourceSide() const { return SourceSideHoldsOther(*this, &TCustomObjs::Generators); }

} // namespace qel
