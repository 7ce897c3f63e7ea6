// Number generators: InterBase/Firebird generators, sequences of the other
// servers, and the identity generator a table column owns.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qel {

class TFldData;

// One generator or sequence. Numbers are kept as the script wrote them. Owns
// ValueField, the field that gives the value's data type (none for the
// generator of a column).
class TGnrData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboGenerator;
    // AOwner is the column whose identity this generator is, or anything
    // else (nullptr included) for a generator of its own.
    explicit TGnrData(TCustomObjs* AObjs, TDbObj* AOwner = nullptr);
    ~TGnrData() override;
    std::string ClassName() const override { return "TGnrData"; }

    const std::string& MaxValue() const { return m_maxValue; }
    // 27 nines stand for no maximum: MaxValue empty, NoMaxValue set.
    void SetMaxValue(std::string_view Value);
    const std::string& Cache() const { return m_cache; }
    // "0" stands for no cache: Cache empty, NoCache set.
    void SetCache(std::string_view Value);
    bool NoCache() const { return m_noCache; }
    // Setting it also empties Cache.
    void SetNoCache(bool Value);

    std::unique_ptr<TFldData> ValueField;
    std::string MinValue;
    std::string StartWith;
    std::string IncrementBy;
    std::string OwnedBy;
    bool NoMinValue = true;
    bool NoMaxValue = true;
    bool Order = false;
    bool Cycle = false;
    bool Temporary = false;
    // The value a script's SET GENERATOR gave it (InterBase); read by nothing
    // that writes the generator.
    std::int64_t CurrentValue = 0;

    // ---- texts ----
    // Oracle "CREATE SEQUENCE SEQ\r\ncache 20"; MS SQL "CREATE SEQUENCE S\r\n
    //     MINVALUE 1\r\n    CYCLE\r\n    CACHE 20"; PostgreSQL "CREATE
    // SEQUENCE s INCREMENT BY 2 CACHE 20 OWNED BY t.id"; InterBase and the
    // rest "CREATE GENERATOR G".
    std::string GetCreateDDL() const override;
    // "DROP GENERATOR G" (InterBase 6 and before delete the system-table
    // row); "DROP SEQUENCE s.S" for Oracle, MS SQL and PostgreSQL; empty for
    // the servers without either.
    std::string GetDropScript() const override;
    // DB2 only: "(START WITH 1, INCREMENT BY 1, CACHE 20)", the options set.
    std::string GetIdentityOptionsText() const;

protected:
    // Kept while the source side holds another generator of its key.
    bool KeptBySourceSide() const override;

private:
    std::string m_maxValue;
    std::string m_cache;
    bool m_noCache = false;
};

} // namespace qel
