// Packages: a header (specification) and a body, as Firebird 3 and Oracle
// have them.
#pragma once

#include "qelClasses.h"

#include <string>

namespace qel {

// One package; the body is the inherited Body.
class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* AObjs);
    std::string ClassName() const override { return "TPkgData"; }

    std::string HeaderText;
};

} // namespace qel
