#include "qelStatement.h"
#include "qelSQL_ExecPrivate.h"

namespace qel {

using namespace sqlexec;

TStatement::TStatement(TCustomSQLExec* Owner) : m_owner(Owner)
{
    SQL.OnChange = [this](TStringList&) {
        m_hasExact = false;
        m_exact.reset();
        // What the parser read is of the text it read.
        ConnectsTo.reset();
    };
}

void TStatement::SetExactText(const std::string& Text)
{
    SQL.SetText(Text);
    m_exact = std::make_shared<const std::string>(Text);
    m_hasExact = true;
}

void TStatement::ShareTextOf(const TStatement& Other)
{
    SQL = Other.SQL;
    m_exact = Other.m_exact;
    m_hasExact = Other.m_hasExact;
    LineCount = Other.LineCount;
}

TStatement::~TStatement() { SQL.Clear(); }

std::string TStatement::GetSummary() const
{
    std::string r;
    if (ObjType == TDbObject::dboField) r = ParentName + " (" + ObjName + ")" + ": alter";
    else r = ObjName + OperationText(Operation);
    if (r.empty() && SQL.Count() > 0) r = SQL[0];
    return r;
}

} // namespace qel
