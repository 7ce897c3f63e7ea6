// PostgreSQL operators and operator classes.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel {

class TFldData;
class TOpcData;

// One operator; its symbol is Name.
class TOprData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboOperator;
    explicit TOprData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TOprData"; }

    std::string GetDisplayName() const override { return GetKey(); }
    // "s.+ (NONE, int4)": schema (when set), symbol and argument types as
    // stored, so that overloads of one symbol get keys of their own.
    std::string GetKey() const override;
    // "CREATE OPERATOR s.+(\r\nPROCEDURE = f,\r\nRIGHTARG = int4)".
    std::string GetCreateDDL() const override;
    // "DROP OPERATOR s.+(NONE, int4)".
    std::string GetDropScript() const override;
    // "(int4, NONE)" for a postfix operator, "(NONE, int4)" for a prefix one.
    std::string GetArgsText() const;
    // "s.+": the symbol, after its quoted schema when it has one.
    std::string GetSymbolText() const;

    std::string ProcedureName;
    std::string LeftArg;
    std::string RightArg;
    std::string Commutator;
    std::string Negator;
    std::string RestrictProc;
    std::string JoinProc;
    bool Hashes = false;
    bool Merges = false;
    std::string Sort1;
    std::string Sort2;
    std::string LtCmp;
    std::string GtCmp;
};

// One OPERATOR entry of an operator class; OpClass owns it.
class TOpcOprData {
public:
    explicit TOpcOprData(TOpcData* AOpClass) : OpClass(AOpClass) {}
    TOpcOprData(const TOpcOprData&) = delete;
    TOpcOprData& operator=(const TOpcOprData&) = delete;

    // "OPERATOR 1 < (int4, int4)"; no types part when both types are empty.
    std::string GetText() const;
    std::string GetTypesText() const;

    TOpcData* OpClass;
    std::int32_t StrategyNumber = 0;
    std::string OperatorName;
    std::string LeftType;
    std::string RightType;
};

// One FUNCTION entry of an operator class; OpClass owns it and quotes its
// function name. An argument type's object, when there is one, is owned.
class TOpcFncData {
public:
    explicit TOpcFncData(TOpcData* AOpClass);
    ~TOpcFncData();
    TOpcFncData(const TOpcFncData&) = delete;
    TOpcFncData& operator=(const TOpcFncData&) = delete;

    // "FUNCTION 1 btint4cmp(int4, int4)".
    std::string GetText() const;
    std::string GetArgsText() const;

    TOpcData* OpClass;
    std::int32_t SupportNumber = 0;
    std::string FunctionName;
    TOwnedNameList<TFldData> ArgTypes;
};

// One operator class; owns its operator and function entries.
class TOpcData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboOperatorClass;
    explicit TOpcData(TCustomObjs* AObjs);
    ~TOpcData() override;
    std::string ClassName() const override { return "TOpcData"; }

    std::string GetDisplayName() const override { return GetKey(); }
    // "c(btree)".
    std::string GetKey() const override;
    // "CREATE OPERATOR CLASS s.c DEFAULT FOR TYPE int4 USING btree AS\r\n
    // OPERATOR 1 <,\r\nFUNCTION 1 f(int4, int4)": the operator entries, the
    // function entries and the storage type, one a line.
    std::string GetCreateDDL() const override;
    // "DROP OPERATOR CLASS s.c USING btree".
    std::string GetDropScript() const override;

    // Append a new entry of this class and return it.
    TOpcOprData* AddOperator();
    TOpcFncData* AddFunction();

    bool IsDefault = false;
    std::string ForType;
    std::string IndexMethod;
    std::vector<std::unique_ptr<TOpcOprData>> Operators;
    std::vector<std::unique_ptr<TOpcFncData>> Functions;
    std::string StorageType;
};

} // namespace qel
