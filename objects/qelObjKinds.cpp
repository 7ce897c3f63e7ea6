#include "qelObjKinds.h"

#include "qelCustomObjs.h"

#include <iterator>

namespace qel {

namespace {

using enum TDbObject;
using D = TDescribed;

// One row a kind, in the order of TDbObject.
constexpr TKindInfo kKinds[] = {
    {dboUnknown, nullptr, "", D::None, ""},
    {dboTable, &TCustomObjs::Tables, "table", D::Table, ""},
    {dboProcedure, &TCustomObjs::Procedures, "procedure", D::Procedure, "Procedure"},
    {dboTrigger, &TCustomObjs::Triggers, "trigger", D::Trigger, "Trigger"},
    {dboFunction, &TCustomObjs::UDFs, "udf", D::ExternalFunction, ""},
    {dboException, &TCustomObjs::Exceptions, "exception", D::Exception, ""},
    {dboIndex, &TCustomObjs::Indexes, "index", D::Index, "Index"},
    {dboDomain, &TCustomObjs::Domains, "domain", D::Domain, ""},
    {dboView, &TCustomObjs::Views, "view", D::View, "View"},
    {dboGenerator, &TCustomObjs::Generators, "generator", D::Generator, ""},
    {dboEvent, &TCustomObjs::Events, "event", D::None, ""},
    {dboField, nullptr, "", D::Column, ""},
    {dboParam, nullptr, "", D::None, ""},
    {dboDatabase, nullptr, "", D::None, ""},
    {dboBlobFilter, nullptr, "", D::None, ""},
    {dboCollation, &TCustomObjs::Collations, "collation", D::Collation, ""},
    {dboConstraint, &TCustomObjs::Constraints, "constraint", D::Constraint, ""},
    {dboPKey, nullptr, "", D::None, ""},
    {dboFKey, nullptr, "", D::None, ""},
    {dboUnique, nullptr, "", D::None, ""},
    {dboCheck, nullptr, "", D::None, "Check-constraint"},
    {dboReferences, nullptr, "", D::None, ""},
    {dboCtrDefault, nullptr, "", D::None, ""},
    {dboRole, &TCustomObjs::Roles, "role", D::Role, ""},
    {dboGrant, &TCustomObjs::Grants, "grant", D::None, ""},
    {dboRule, &TCustomObjs::Rules, "", D::None, ""},
    {dboDefault, &TCustomObjs::Defaults, "", D::None, ""},
    {dboPackage, &TCustomObjs::Packages, "", D::Package, ""},
    {dboPackageBody, nullptr, "", D::None, ""},
    {dboPublication, &TCustomObjs::Publications, "", D::None, ""},
    {dboSchema, &TCustomObjs::Schemas, "", D::Schema, ""},
    {dboOperator, &TCustomObjs::Operators, "", D::None, ""},
    {dboOperatorClass, &TCustomObjs::OperatorClasses, "", D::None, ""},
    {dboExtension, nullptr, "", D::None, ""},
    {dboConversion, nullptr, "", D::None, ""},
    {dboUser, nullptr, "", D::None, ""},
    {dboUserGroup, nullptr, "", D::None, ""},
    {dboValidation, nullptr, "", D::None, ""},
    {dboExprIndex, nullptr, "", D::None, ""},
    {dboCount, nullptr, "", D::None, ""},
    {dboComputed, nullptr, "", D::None, ""},
    {dboDepend, nullptr, "", D::None, ""},
    {dboPrkList, nullptr, "", D::None, ""},
    {dboFrkList, nullptr, "", D::None, ""},
    {dboUnqList, nullptr, "", D::None, ""},
    {dboChkList, nullptr, "", D::None, ""},
    {dboDefList, nullptr, "", D::None, ""},
    {dboRefList, nullptr, "", D::None, ""},
    {dboIdxList, nullptr, "", D::None, ""},
    {dboExcList, nullptr, "", D::None, ""},
    {dboRolList, nullptr, "", D::None, ""},
    {dboGntList, nullptr, "", D::None, ""},
    {dboCdfList, nullptr, "", D::None, ""},
    {dboPrcList, nullptr, "", D::None, ""},
    {dboTrgList, nullptr, "", D::None, ""},
    {dboFncList, nullptr, "", D::None, ""},
    {dboRulList, nullptr, "", D::None, ""},
    {dboGnrList, nullptr, "", D::None, ""},
    {dboPkgList, nullptr, "", D::None, ""},
    {dboDmnList, nullptr, "", D::None, ""},
    {dboViwList, nullptr, "", D::None, ""},
    {dboFldList, nullptr, "", D::None, ""},
    {dboTblLIst, nullptr, "", D::None, ""},
    {dboPblList, nullptr, "", D::None, ""},
    {dboOprList, nullptr, "", D::None, ""},
    {dboOpcList, nullptr, "", D::None, ""},
    {dboCnvList, nullptr, "", D::None, ""},
    {dboEvtList, nullptr, "", D::None, ""},
    {dboCltList, nullptr, "", D::None, ""},
    {dboUseInList, nullptr, "", D::None, ""},
    {dboUseOfList, nullptr, "", D::None, ""},
};

static_assert(std::size(kKinds) == kDbObjectCount, "one row for every TDbObject value");

constexpr bool RowsInKindOrder()
{
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (static_cast<std::size_t>(kKinds[i].Kind) != i) return false;
    return true;
}
static_assert(RowsInKindOrder(), "row i holds kind i");

} // namespace

const TKindInfo& KindInfo(TDbObject Kind)
{
    const auto i = static_cast<std::size_t>(Kind);
    return i < std::size(kKinds) ? kKinds[i] : kKinds[0];
}

} // namespace qel
