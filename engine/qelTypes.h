// The vocabulary every module switches on: server kinds, back-end kinds,
// statement, object and operation kinds, the event types, and the small text
// routines whose output reaches scripts. Every enumeration is one byte and its
// order matters: code compares ranges and stores ordinals.
#pragma once

#include "qelComponent.h"
#include "qelSet.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qel {

class TStringList;

enum class TDatabaseType : std::uint8_t {
    dbAbstract, dbInterBase, dbSybaseASA, dbMySQL, dbOracle, dbMSSQL, dbPostgreSQL, dbDB2, dbSybaseASE,
    dbPervasiveSQL, dbMSAccess, dbParadox, dbDBASE, dbCustomOLEDB
};

enum class TconnectionType : std::uint8_t {
    cnAbstract, cnIBX, cnFIB, cnIBO, cnADO, cnZEOS, cnBDE, cnDBX, cnAnyDAC, cnUIB, cnODAC, cnSAVCL, cnMyDAC,
    cnPostgresDAC, cnIBDAC, cnFireDAC, cnUniDAC
};

enum class TQELProtocol : std::uint8_t { ptTCP, ptSPX, ptNamedPipe, ptLocal };

enum class TStatType : std::uint8_t {
    stConnect, stReconnect, stCreateDb, stSet, stSetBlobFile, st_Commit, stStatement, stComment, stProcedure,
    stTrigger, stSetNames, stCharSet, stSqlDialect, stDescription, stSelect, stInsert, stUpdate, stDelete,
    stExecuteBlock, stPackage
};

enum class TDbOperation : std::uint8_t {
    odbUnknown, odbCreate, odbAlter, odbDrop, odbEmpty, odbRestore, odbEmptyCreate, odbEmptyDrop, odbSet,
    odbCommit, odbComment, odbDescription, odbInsert, odbUpdate, odbDelete
};

enum class TUpdateDescriptionType : std::uint8_t { udSysTables, udDescribe, udComment };

enum class TDbObject : std::uint8_t {
    dboUnknown, dboTable, dboProcedure, dboTrigger, dboFunction, dboException, dboIndex, dboDomain, dboView,
    dboGenerator, dboEvent, dboField, dboParam, dboDatabase, dboBlobFilter, dboCollation, dboConstraint, dboPKey,
    dboFKey, dboUnique, dboCheck, dboReferences, dboCtrDefault, dboRole, dboGrant, dboRule, dboDefault,
    dboPackage, dboPackageBody, dboPublication, dboSchema, dboOperator, dboOperatorClass, dboExtension,
    dboConversion, dboUser, dboUserGroup, dboValidation, dboExprIndex, dboCount, dboComputed, dboDepend,
    dboPrkList, dboFrkList, dboUnqList, dboChkList, dboDefList, dboRefList, dboIdxList, dboExcList, dboRolList,
    dboGntList, dboCdfList, dboPrcList, dboTrgList, dboFncList, dboRulList, dboGnrList, dboPkgList, dboDmnList,
    dboViwList, dboFldList, dboTblLIst, dboPblList, dboOprList, dboOpcList, dboCnvList, dboEvtList, dboCltList,
    dboUseInList, dboUseOfList
};
// How many kinds there are; names the last value, so a kind added at the end
// moves it along.
inline constexpr std::size_t kDbObjectCount = static_cast<std::size_t>(TDbObject::dboUseOfList) + 1;

using TDatabaseSetType = TSet<TDatabaseType, 16>;
using TConnectionSetType = TSet<TconnectionType, 32>;

// Event types; the sender comes first, Delphi var parameters are references.
using TNotifyEvent = std::function<void(TObject& Sender)>;
using TProgressUpdateEvent = std::function<void(TObject& Sender, int Value, int MaxValue)>;
using TLogNextLineEvent = std::function<void(TObject& Sender, const std::string& LogText)>;
using TErrorMessageEvent = std::function<void(TObject& Sender, const std::string& ErrText)>;
using TLoadScriptEvent =
    std::function<void(TObject& Sender, const std::string& FileName, TStringList& aScript, bool& Loaded)>;

// Oracle physical attributes of a table, index or constraint (0 = not given).
struct TTableSpace {
    std::int32_t pctfree = 0;
    std::int32_t pctused = 0;
    std::int32_t initrans = 0;
    std::int32_t maxtrans = 0;
    std::string storage;
    std::string extra;

    // "pctfree 10\r\n   maxtrans 255" : one clause a line, trimmed at both ends.
    std::string GetSQL() const;
};

// The flags of a user-defined type's member routine.
struct TTypeDirective {
    bool NotInstantiable = false;
    bool NotFinal = false;
    bool Final = false;
    bool Instantiable = false;
    bool Overriding = false;

    // "NOT FINAL INSTANTIABLE " : each set flag's words followed by one blank.
    std::string GetSQL() const;
};

// Index WITH settings (MS SQL) and the MySQL index method.
struct TIndexOptions {
    bool PadIndex = false;
    std::int32_t FillFactor = 0;
    bool IgnoreDupKey = false;
    bool StatisticsNoRecompute = false;
    bool AllowRowLocks = false;
    bool AllowPageLocks = false;
    bool SortInTempDb = false;
    bool DropExisting = false;
    bool Online = false;
    std::int32_t Value2 = 0;
    std::string IndexMethod;

    // Resets every setting but the index method, DROP_EXISTING included so
    // that one index's setting never carries over to the next one parsed.
    void Clear();
};

// Full-text settings of an index, as the MS SQL script parser reads them.
struct TFullTextIndexOptions {
    std::string ChangeTracking; // "OFF", "AUTO" or "MANUAL"; empty when not given
    bool StopListOff = false;
    bool SystemStopList = false;
    std::string StopListName;
    std::string SearchPropertyList;
};

using TCharSet = std::bitset<256>;
// The set of the characters of Chars.
TCharSet MakeCharSet(std::string_view Chars);
bool CharInSet(char C, const TCharSet& Chars);

// Decimal with an optional sign, or "$" and hexadecimal digits; True when the
// whole text converted to a 32-bit integer.
bool TryStrToInt(std::string_view S, std::int32_t& Value);

// "dbo.T" for schema dbo and name T; the bare name for an empty schema.
std::string QualifiedName(const std::string& Schema, const std::string& Name);

// "\r\ngo\r\n" for SQL Anywhere and ASE, "\r\nGO\r\n" for MS SQL, ";\r\n" else.
std::string StatementTerminator(TDatabaseType DatabaseType);

// The SQL string literal of Value for the server type:
//   MySQL       it's     -> 'it''s'      (a\b -> 'a\\b', CR LF -> \r\n)
//   PostgreSQL  a\b      -> E'a\x5Cb'   (plain 'it''s' without backslash escapes)
//   others      it's     -> 'it''s'
std::string SQLQuotedStr(std::string_view Value, TDatabaseType DatabaseType);

// Enumeration names for messages and tests ("dbInterBase").
const char* DatabaseTypeName(TDatabaseType t);

} // namespace qel
