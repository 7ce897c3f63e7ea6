// Stored procedures and functions, and the member routines of Oracle object
// types.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <string>

namespace qel {

class TFldData;

// One procedure or function. Owns its input and output parameters, whose
// Parent is the routine; a function's result is its first output parameter.
class TPrcData : public TDbObj {
public:
    explicit TPrcData(TCustomObjs* AObjs);
    ~TPrcData() override;
    std::string ClassName() const override { return "TPrcData"; }

    bool StubCreated() const { return m_stubCreated; }
    // Sets the flag here and on the counterpart.
    void SetStubCreated(bool Value);

    // True when the routine returns a table: TableResult, or a first output
    // parameter of type TABLE.
    bool ReturnsTable() const;
    // Frees every parameter, before a routine's parameters are read again.
    void ClearParams();

    TOwnedNameList<TFldData> InputParams;
    TOwnedNameList<TFldData> OutputParams;
    bool TableResult = false;
    std::int32_t Number = 0; // MS SQL ";n"
    bool IsFunction = false;
    std::string ObjFile;
    std::string LinkSymbol;
    std::string Language; // MS SQL and ASE: set for an external routine
    std::string Attributes;
    bool Strict = false;
    std::string ReturnType;
    bool ReturnsSetOf = false;
    std::string WithOptions;
    bool ModifiesSqlData = false;
    std::int32_t DynamicResultSets = 0;
    bool IsDeterministic = false;
    bool Exportable = false;
    std::string ParameterStyle;
    std::string ExternalName;
    // MySQL: bit 0 LANGUAGE SQL, 1 DETERMINISTIC, 2 NOT DETERMINISTIC, 4 NO
    // SQL, 5 READS SQL DATA, 6 MODIFIES SQL DATA, 7 SQL SECURITY DEFINER,
    // 8 SQL SECURITY INVOKER.
    std::uint16_t Characteristics = 0;

private:
    bool m_stubCreated = false;
};

// A member routine of an Oracle object type; MemberParamsText is written
// after its name.
class TMemberPrcData : public TPrcData {
public:
    explicit TMemberPrcData(TCustomObjs* AObjs) : TPrcData(AObjs) {}
    std::string ClassName() const override { return "TMemberPrcData"; }

    std::string MemberParamsText;
    TTypeDirective Directive;
};

} // namespace qel
