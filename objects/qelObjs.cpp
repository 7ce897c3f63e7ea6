#include "qelObjs.h"

#include "qelComp_Ctr.h"
#include "qelComp_Dmn.h"
#include "qelComp_Exc.h"
#include "qelComp_Fld.h"
#include "qelComp_Fnc.h"
#include "qelComp_Gnr.h"
#include "qelComp_Idx.h"
#include "qelComp_Pkg.h"
#include "qelComp_Prc.h"
#include "qelComp_Rol.h"
#include "qelComp_Tbl.h"
#include "qelComp_Trg.h"
#include "qelComp_Viw.h"

namespace qel {

TObjs::TObjs() : m_scriptOptions(std::make_unique<TScriptOptions>()) {}

TObjs::~TObjs() { TObjs::Clear(); }

void TObjs::Clear()
{
    // Duplicates that were never filed go too: the parser that made them
    // is done with them once the collection is cleared.
    m_objects.clear();
    TCustomObjs::Clear();
}

void TObjs::SaveSourceTexts()
{
    for (const TObjIndex* index : {&Views, &Procedures, &Triggers})
        for (const auto& item : *index) {
            item.Object->SourceText = item.Object->GetCreateDDL();
            item.Object->SavedText = item.Object->SourceText;
        }
}

TDmnData* TObjs::FindDomain(std::string_view Name) const { return Domains.Find<TDmnData>(Name); }
TTblData* TObjs::FindTable(std::string_view Name) const { return Tables.Find<TTblData>(Name); }
TViwData* TObjs::FindView(std::string_view Name) const { return Views.Find<TViwData>(Name); }
TPrcData* TObjs::FindProcedure(std::string_view Name) const { return Procedures.Find<TPrcData>(Name); }
TTrgData* TObjs::FindTrigger(std::string_view Name) const { return Triggers.Find<TTrgData>(Name); }
TGnrData* TObjs::FindGenerator(std::string_view Name) const { return Generators.Find<TGnrData>(Name); }
TExcData* TObjs::FindException(std::string_view Name) const { return Exceptions.Find<TExcData>(Name); }
TIdxData* TObjs::FindIndex(std::string_view Name) const { return Indexes.Find<TIdxData>(Name); }
TUdfData* TObjs::FindUDF(std::string_view Name) const { return UDFs.Find<TUdfData>(Name); }
TPkgData* TObjs::FindPackage(std::string_view Name) const { return Packages.Find<TPkgData>(Name); }
TCtrData* TObjs::FindConstraint(std::string_view Name) const { return Constraints.Find<TCtrData>(Name); }
TSchData* TObjs::FindSchema(std::string_view Name) const { return Schemas.Find<TSchData>(Name); }

TFldData* TObjs::FindTableField(std::string_view TableName, std::string_view FieldName) const
{
    const TTblData* table = FindTable(TableName);
    return table == nullptr ? nullptr : table->Fields.Find(FieldName);
}

TFldData* TObjs::FindViewField(std::string_view ViewName, std::string_view FieldName) const
{
    const TViwData* view = FindView(ViewName);
    return view == nullptr ? nullptr : view->Columns.Find(FieldName);
}

TFldData* TObjs::FindProcedureParam(std::string_view ProcName, std::string_view ParamName) const
{
    const TPrcData* procedure = FindProcedure(ProcName);
    if (procedure == nullptr) return nullptr;
    if (TFldData* param = procedure->InputParams.Find(ParamName)) return param;
    return procedure->OutputParams.Find(ParamName);
}

TRolData* TObjs::FindRoleOfKind(std::string_view Name, int Kind) const
{
    for (TRolData* role : Roles.ObjectsOf<TRolData>())
        if (role->Name() == Name && role->RoleKind == Kind) return role;
    return nullptr;
}

TRolData* TObjs::FindRole(std::string_view Name) const { return FindRoleOfKind(Name, rkRole); }
TRolData* TObjs::FindLogin(std::string_view Name) const { return FindRoleOfKind(Name, rkLogin); }
TRolData* TObjs::FindUser(std::string_view Name) const { return FindRoleOfKind(Name, rkUser); }

} // namespace qel
