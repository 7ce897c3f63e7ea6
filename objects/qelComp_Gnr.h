// Number generators: InterBase/Firebird generators, sequences of the other
// servers, and the identity generator a table column owns.
#pragma once

#include "qelClasses.h"

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

private:
    std::string m_maxValue;
    std::string m_cache;
    bool m_noCache = false;
};

} // namespace qel
