// What the executor-list tests share: the kinds by short names and the
// InterBase executor over an embedded database, as FirebirdExecTest.
#pragma once

#include "qelExecTestSupport.h"

using ST = qel::TStatType;
using OT = qel::TDbObject;
using OP = qel::TDbOperation;
using DT = qel::TDatabaseType;

class FirebirdExecTest : public qeltest::TFirebirdExecFixture {
protected:
    FirebirdExecTest() : TFirebirdExecFixture("run.fdb", "Exec1") {}
};
