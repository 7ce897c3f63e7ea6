// Domains and user-defined types, with the options of a PostgreSQL type.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TDmnData;
class TFldData;
class TMemberPrcData;

// The options of a PostgreSQL CREATE TYPE. Owns its composite attributes and
// the element field; Owner is the domain that owns the options.
class TPGTypeOptions {
public:
    explicit TPGTypeOptions(TDmnData* AOwner);
    ~TPGTypeOptions();
    TPGTypeOptions(const TPGTypeOptions&) = delete;
    TPGTypeOptions& operator=(const TPGTypeOptions&) = delete;

    TDmnData* Owner;
    bool IsType = false; // a type, not a domain
    std::string Input;
    std::string Output;
    std::string Receive;
    std::string Send;
    std::string Analyze;
    std::int32_t InternalLength = -1; // -1: not given
    std::int32_t ExternalLength = -1;
    bool PassedByValue = false;
    std::uint8_t Alignment = 93; // a data-type code ("INT4"); 0: not written
    std::string Storage = "plain";
    std::string Default;
    std::unique_ptr<TFldData> Element; // the element type; none when not given
    std::string Delimiter;
    TOwnedNameList<TFldData> Attributes;
};

// One domain or user-defined type. Owns BaseField (the base type with its
// nullability, default and check; its Parent is the domain), the attribute
// and member lists, the type directive and the PostgreSQL options. Body is
// the XML of an XML schema collection.
class TDmnData : public TDbObj {
public:
    explicit TDmnData(TCustomObjs* AObjs);
    ~TDmnData() override;
    std::string ClassName() const override { return "TDmnData"; }

    std::string GetDisplayName() const override { return Name(); }

    std::unique_ptr<TFldData> BaseField;
    std::string BaseTypeText; // "XML SCHEMA COLLECTION" marks such a collection
    std::uint8_t OracleTypeKind = 0; // 2 object, 3 VARRAY, 4 nested table, 5 the same written with IS
    std::int32_t VarrayLimit = 0;
    TOwnedNameList<TFldData> Attributes;
    TOwnedNameList<TMemberPrcData> Members;
    TOwnedNameList<TFldData> AddedAttributes;
    bool Cascade = false;
    std::string TimestampText;
    std::string OidText;
    std::string SuperType;
    TTypeDirective TypeDirective;
    TPGTypeOptions PGTypeOptions;
    bool UseCreateType = false;
};

} // namespace qel
