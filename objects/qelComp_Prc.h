// Stored procedures and functions, and the member routines of Oracle object
// types.
#pragma once

#include "qelClasses.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qel {

class TFldData;

// One procedure or function. Owns its input and output parameters, whose
// Parent is the routine; a function's result is its first output parameter.
class TPrcData : public TDbObj {
public:
    static constexpr TDbObject Kind = TDbObject::dboProcedure;
    explicit TPrcData(TCustomObjs* AObjs);
    ~TPrcData() override;
    std::string ClassName() const override { return "TPrcData"; }

    std::string GetDisplayName() const override { return GetKey(); }
    // PostgreSQL "s.f(integer, varchar)" (overloads get keys of their own),
    // MS SQL "DBO.P;2" for a numbered procedure, InterBase "F()" for a
    // function (Firebird keeps a procedure and a function of one name apart),
    // else the base key.
    std::string GetKey() const override;
    // The key of the InterBase function Name: "F" -> "F()".
    static std::string FunctionKey(std::string_view Name) { return std::string(Name) + "()"; }
    // "CREATE PROCEDURE P(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n AS\r\n" +
    // Body, in each server's form; Oracle CREATE OR REPLACE; MS SQL and ASE
    // without body or language their stored ScriptText; DB2 and the rest
    // nothing.
    std::string GetCreateDDL() const override;
    // "DROP PROCEDURE P", "DROP FUNCTION f(integer)" (PostgreSQL with its
    // argument types), "DROP PROCEDURE  IF EXISTS P" (MySQL); empty when
    // NoScript.
    std::string GetDropScript() const override;
    // "ALTER PROCEDURE P(..." ; MS SQL a body stored as a whole statement
    // "create procedure dbo.P as select 1" -> "ALTER procedure dbo.P as
    // select 1"; Oracle and PostgreSQL CREATE OR REPLACE (PostgreSQL tells the
    // executor the schema first); DB2 and the rest nothing.
    std::string GetAlterScript() const override;

    // The parameter list and, where the server writes it there, the result:
    //   Firebird "(A INTEGER)\r\n RETURNS(B VARCHAR(10))\r\n"
    //   PostgreSQL "(IN a integer)\r\nRETURNS integer" (WithReturns)
    // WithReturns matters only for PostgreSQL and MySQL.
    std::string GetParamsText(bool WithReturns) const;
    // A body that references nothing: " BEGIN SUSPEND; END" for a Firebird
    // procedure with outputs, " BEGIN EXIT; END" without, " BEGIN RETURN
    // NULL; END" for a function; Oracle ends it with ";"; MS SQL, SQL
    // Anywhere, MySQL and PostgreSQL have their own.
    std::string GetStubBody() const;
    // The CREATE text of the routine's head with the stub body; empty when
    // NoScript.
    std::string GetStubCreateScript() const;

    bool StubCreated() const { return m_stubCreated; }
    // Sets the flag here and on the counterpart.
    void SetStubCreated(bool Value);

    // True when the routine returns a table: TableResult, or a first output
    // parameter of type TABLE.
    bool ReturnsTable() const;
    // Frees every parameter, before a routine's parameters are read again.
    void ClearParams();

    // ---- the walk ----
    // The base walk, then computed columns that use the routine go.
    void DropDependents() override;
    // The base walk, then each view the routine uses is created, or
    // re-created from the source side when the sides' saved texts differ.
    void CreateDependencies() override;
    // A live routine whose body is not its stub yet: Body becomes the stub,
    // what it uses no longer counts, the source side's routine of that key
    // is marked StubCreated, and with Emit its ALTER text goes to the
    // executor (odbEmpty) and SavedText becomes its CREATE text.
    void EmptyBody(bool Emit);
    bool HasEmptiableBody() const override { return true; }
    // "ALTER PROCEDURE P ..." with the real body; no longer a stub.
    void WriteRestoredBody() override;

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

    bool IsOwnedByUser() const override { return true; }

protected:
    // "FUNCTION " or "PROCEDURE ".
    std::string RoutineWord() const;

    // ---- the routine's steps of the walk ----
    // A procedure block under the routine's name.
    void WriteCreateStatement(const std::string& SQL) override;
    // The routine's description, then each parameter's.
    void WriteCreateDescriptions(TStatementSink& Executor) override;
    // A routine written as a stub earlier gets its real body (ALTER).
    void WriteDeferredBody() override;
    // The stub flag is done with here and on the counterpart.
    void AfterCreate() override;
    // Its head with a body that uses nothing, so that routines that use
    // each other can all be created; the real body follows through its
    // ALTER text when the routine itself is created.
    void CreateForUser() override;
    // Emptied, not dropped, so that what uses the routine keeps working;
    // under ASE it stays as it is.
    void DropForUsed(const TDbObj& Used) override;

private:
    bool m_stubCreated = false;

    // What follows "CREATE ", "ALTER " or "CREATE OR REPLACE " for the server.
    std::string RoutineText() const;
    std::string MSSQLRoutineText() const;
    std::string PGRoutineText() const;
    // Body is the stub body (as SetBody stores it).
    bool BodyIsStub() const;
};

// A member routine of an Oracle object type; MemberParamsText is written
// after its name.
class TMemberPrcData : public TPrcData {
public:
    explicit TMemberPrcData(TCustomObjs* AObjs) : TPrcData(AObjs) {}
    std::string ClassName() const override { return "TMemberPrcData"; }

    // "   NOT FINAL MEMBER FUNCTION F(X NUMBER) RETURN NUMBER".
    std::string GetCreateDDL() const override;

    std::string MemberParamsText;
    TTypeDirective Directive;
};

} // namespace qel
