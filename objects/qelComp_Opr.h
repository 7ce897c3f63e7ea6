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
    explicit TOprData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TOprData"; }

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

    TOpcData* OpClass;
    std::int32_t SupportNumber = 0;
    std::string FunctionName;
    TOwnedNameList<TFldData> ArgTypes;
};

// One operator class; owns its operator and function entries.
class TOpcData : public TDbObj {
public:
    explicit TOpcData(TCustomObjs* AObjs);
    ~TOpcData() override;
    std::string ClassName() const override { return "TOpcData"; }

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
