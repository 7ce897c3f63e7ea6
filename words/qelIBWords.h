// InterBase/Firebird keyword tables, the keyword sets and reserved words of
// each server version, and the dialect-3 quoting test. The script parser
// (TIbParser, qelIBScriptParser.h one folder up) loads IBResWords into its
// keyword list.
#pragma once

#include "qelDBOptions.h"
#include "qelWordTable.h"

#include <span>
#include <string_view>

namespace qel {

// Keyword symbols of the InterBase dialect, named after the first word that
// carries them (synonyms share one).
inline constexpr TSymb syIBAction{30}; // ACTION
inline constexpr TSymb syIBActive{31}; // ACTIVE
inline constexpr TSymb syIBAdd{32}; // ADD
inline constexpr TSymb syIBAdmin{33}; // ADMIN
inline constexpr TSymb syIBAfter{34}; // AFTER
inline constexpr TSymb syIBAll{35}; // ALL
inline constexpr TSymb syIBAlter{36}; // ALTER
inline constexpr TSymb syIBAnd{37}; // AND
inline constexpr TSymb syIBAny{38}; // ANY
inline constexpr TSymb syIBAs{39}; // AS
inline constexpr TSymb syIBAsc{40}; // ASC/ASCENDING
inline constexpr TSymb syIBAt{41}; // AT
inline constexpr TSymb syIBAuto{42}; // AUTO
inline constexpr TSymb syIBAvg{43}; // AVG
inline constexpr TSymb syIBBefore{45}; // BEFORE
inline constexpr TSymb syIBBegin{46}; // BEGIN
inline constexpr TSymb syIBBetween{47}; // BETWEEN
inline constexpr TSymb syIBBlob{48}; // BLOB
inline constexpr TSymb syIBBy{49}; // BY
inline constexpr TSymb syIBCache{50}; // CACHE
inline constexpr TSymb syIBCascade{51}; // CASCADE
inline constexpr TSymb syIBCast{52}; // CAST
inline constexpr TSymb syIBChar{53}; // CHAR/CHARACTER
inline constexpr TSymb syIBCheck{54}; // CHECK
inline constexpr TSymb syIBCheckPointLength{55}; // CHECK_POINT_LENGTH
inline constexpr TSymb syIBCollate{56}; // COLLATE
inline constexpr TSymb syIBColumn{57}; // COLUMN
inline constexpr TSymb syIBCommit{58}; // COMMIT
inline constexpr TSymb syIBComputed{59}; // COMPUTED
inline constexpr TSymb syIBConditional{60}; // CONDITIONAL
inline constexpr TSymb syIBConstraint{61}; // CONSTRAINT
inline constexpr TSymb syIBContaining{62}; // CONTAINING
inline constexpr TSymb syIBCount{63}; // COUNT
inline constexpr TSymb syIBCreate{64}; // CREATE
inline constexpr TSymb syIBCstring{65}; // CSTRING
inline constexpr TSymb syIBCurrent{66}; // CURRENT
inline constexpr TSymb syIBCurrentDate{67}; // CURRENT_DATE
inline constexpr TSymb syIBCurrentTime{68}; // CURRENT_TIME
inline constexpr TSymb syIBCurrentTimestamp{69}; // CURRENT_TIMESTAMP
inline constexpr TSymb syIBCursor{70}; // CURSOR
inline constexpr TSymb syIBDatabase{71}; // DATABASE
inline constexpr TSymb syIBDate{72}; // DATE
inline constexpr TSymb syIBDecfloat{73}; // DECFLOAT, set by the data-type reader
inline constexpr TSymb syIBBinary{74}; // BINARY
inline constexpr TSymb syIBDecimal{75}; // DECIMAL/DEC
inline constexpr TSymb syIBDeclare{76}; // DECLARE
inline constexpr TSymb syIBDefault{77}; // DEFAULT
inline constexpr TSymb syIBDelete{78}; // DELETE
inline constexpr TSymb syIBDesc{79}; // DESC/DESCENDING
inline constexpr TSymb syIBDistinct{80}; // DISTINCT
inline constexpr TSymb syIBDo{81}; // DO
inline constexpr TSymb syIBDomain{82}; // DOMAIN
inline constexpr TSymb syIBDouble{83}; // DOUBLE
inline constexpr TSymb syIBDrop{84}; // DROP
inline constexpr TSymb syIBElse{85}; // ELSE
inline constexpr TSymb syIBEnd{86}; // END
inline constexpr TSymb syIBEntryPoint{87}; // ENTRY_POINT
inline constexpr TSymb syIBEscape{88}; // ESCAPE
inline constexpr TSymb syIBException{89}; // EXCEPTION
inline constexpr TSymb syIBExecute{90}; // EXECUTE
inline constexpr TSymb syIBExists{91}; // EXISTS
inline constexpr TSymb syIBExit{92}; // EXIT
inline constexpr TSymb syIBExternal{93}; // EXTERNAL
inline constexpr TSymb syIBExtract{94}; // EXTRACT
inline constexpr TSymb syIBFile{95}; // FILE
inline constexpr TSymb syIBFilter{96}; // FILTER
inline constexpr TSymb syIBFloat{97}; // FLOAT
inline constexpr TSymb syIBFor{98}; // FOR
inline constexpr TSymb syIBForeign{99}; // FOREIGN
inline constexpr TSymb syIBFreeIt{100}; // FREE_IT
inline constexpr TSymb syIBFrom{101}; // FROM
inline constexpr TSymb syIBFull{102}; // FULL
inline constexpr TSymb syIBFunction{103}; // FUNCTION
inline constexpr TSymb syIBGdscode{104}; // GDSCODE
inline constexpr TSymb syIBGenId{105}; // GEN_ID
inline constexpr TSymb syIBGenerator{106}; // GENERATOR
inline constexpr TSymb syIBGrant{107}; // GRANT
inline constexpr TSymb syIBGroup{108}; // GROUP
inline constexpr TSymb syIBHaving{109}; // HAVING
inline constexpr TSymb syIBVarbinary{110}; // VARBINARY
inline constexpr TSymb syIBIf{111}; // IF
inline constexpr TSymb syIBIn{112}; // IN
inline constexpr TSymb syIBInactive{113}; // INACTIVE
inline constexpr TSymb syIBIndex{114}; // INDEX
inline constexpr TSymb syIBInner{115}; // INNER
inline constexpr TSymb syIBInsert{117}; // INSERT
inline constexpr TSymb syIBInteger{118}; // INTEGER/INT
inline constexpr TSymb syIBInto{119}; // INTO
inline constexpr TSymb syIBIs{120}; // IS
inline constexpr TSymb syIBJoin{122}; // JOIN
inline constexpr TSymb syIBKey{123}; // KEY
inline constexpr TSymb syIBLeft{124}; // LEFT
inline constexpr TSymb syIBLike{127}; // LIKE
inline constexpr TSymb syIBMax{132}; // MAX
inline constexpr TSymb syIBMerge{134}; // MERGE
inline constexpr TSymb syIBMin{136}; // MIN
inline constexpr TSymb syIBModuleName{138}; // MODULE_NAME
inline constexpr TSymb syIBNames{140}; // NAMES
inline constexpr TSymb syIBNational{141}; // NATIONAL
inline constexpr TSymb syIBNatural{142}; // NATURAL
inline constexpr TSymb syIBNo{143}; // NO
inline constexpr TSymb syIBNot{144}; // NOT
inline constexpr TSymb syIBNull{145}; // NULL
inline constexpr TSymb syIBNumeric{147}; // NUMERIC
inline constexpr TSymb syIBOf{148}; // OF
inline constexpr TSymb syIBOn{149}; // ON
inline constexpr TSymb syIBOption{151}; // OPTION
inline constexpr TSymb syIBOr{152}; // OR
inline constexpr TSymb syIBOrder{153}; // ORDER
inline constexpr TSymb syIBOuter{154}; // OUTER
inline constexpr TSymb syIBPageSize{158}; // PAGE_SIZE
inline constexpr TSymb syIBParameter{160}; // PARAMETER
inline constexpr TSymb syIBPassword{161}; // PASSWORD
inline constexpr TSymb syIBPlan{162}; // PLAN
inline constexpr TSymb syIBPosition{163}; // POSITION
inline constexpr TSymb syIBPostEvent{164}; // POST_EVENT
inline constexpr TSymb syIBPrecision{165}; // PRECISION
inline constexpr TSymb syIBPrimary{166}; // PRIMARY
inline constexpr TSymb syIBPrivileges{167}; // PRIVILEGES
inline constexpr TSymb syIBProcedure{168}; // PROCEDURE
inline constexpr TSymb syIBRdbDbKey{171}; // RDB$DB_KEY
inline constexpr TSymb syIBReal{173}; // REAL
inline constexpr TSymb syIBReferences{175}; // REFERENCES
inline constexpr TSymb syIBReturningValues{180}; // RETURNING_VALUES
inline constexpr TSymb syIBReturns{181}; // RETURNS
inline constexpr TSymb syIBRevoke{182}; // REVOKE
inline constexpr TSymb syIBRight{183}; // RIGHT
inline constexpr TSymb syIBRole{184}; // ROLE
inline constexpr TSymb syIBSegment{188}; // SEGMENT
inline constexpr TSymb syIBSelect{189}; // SELECT
inline constexpr TSymb syIBSet{190}; // SET
inline constexpr TSymb syIBSimilar{192}; // SIMILAR
inline constexpr TSymb syIBSingular{193}; // SINGULAR
inline constexpr TSymb syIBSize{194}; // SIZE
inline constexpr TSymb syIBSmallint{195}; // SMALLINT
inline constexpr TSymb syIBSome{197}; // SOME
inline constexpr TSymb syIBSort{198}; // SORT
inline constexpr TSymb syIBSqlcode{199}; // SQLCODE
inline constexpr TSymb syIBStarting{201}; // STARTING
inline constexpr TSymb syIBStarts{202}; // STARTS
inline constexpr TSymb syIBStatistics{203}; // STATISTICS
inline constexpr TSymb syIBSubType{204}; // SUB_TYPE
inline constexpr TSymb syIBSum{205}; // SUM
inline constexpr TSymb syIBSuspend{206}; // SUSPEND
inline constexpr TSymb syIBTable{207}; // TABLE
inline constexpr TSymb syIBThen{208}; // THEN
inline constexpr TSymb syIBTime{209}; // TIME
inline constexpr TSymb syIBTimestamp{210}; // TIMESTAMP
inline constexpr TSymb syIBTo{211}; // TO
inline constexpr TSymb syIBTrigger{213}; // TRIGGER
inline constexpr TSymb syIBType{214}; // TYPE
inline constexpr TSymb syIBUnion{215}; // UNION
inline constexpr TSymb syIBUnique{216}; // UNIQUE
inline constexpr TSymb syIBUpdate{217}; // UPDATE
inline constexpr TSymb syIBUpper{218}; // UPPER
inline constexpr TSymb syIBUser{219}; // USER
inline constexpr TSymb syIBValue{220}; // VALUE
inline constexpr TSymb syIBValues{221}; // VALUES
inline constexpr TSymb syIBVarchar{222}; // VARCHAR
inline constexpr TSymb syIBVariable{223}; // VARIABLE
inline constexpr TSymb syIBVarying{224}; // VARYING
inline constexpr TSymb syIBView{225}; // VIEW
inline constexpr TSymb syIBNchar{226}; // NCHAR
inline constexpr TSymb syIBWhen{228}; // WHEN
inline constexpr TSymb syIBWhere{229}; // WHERE
inline constexpr TSymb syIBWhile{230}; // WHILE
inline constexpr TSymb syIBWith{231}; // WITH
inline constexpr TSymb syIBWork{232}; // WORK
inline constexpr TSymb syIBYear{234}; // YEAR
inline constexpr TSymb syIBYearday{235}; // YEARDAY
inline constexpr TSymb syIBRecreate{236}; // RECREATE
inline constexpr TSymb syIBBigint{237}; // BIGINT
inline constexpr TSymb syIBSavepoint{238}; // SAVEPOINT
inline constexpr TSymb syIBGlobal{239}; // GLOBAL
inline constexpr TSymb syIBPercent{240}; // PERCENT
inline constexpr TSymb syIBPreserve{241}; // PRESERVE
inline constexpr TSymb syIBRows{242}; // ROWS
inline constexpr TSymb syIBTemporary{243}; // TEMPORARY
inline constexpr TSymb syIBTies{244}; // TIES
inline constexpr TSymb syIBFetch{245}; // FETCH
inline constexpr TSymb syIBUsing{246}; // USING
inline constexpr TSymb syIBClose{247}; // CLOSE
inline constexpr TSymb syIBCross{248}; // CROSS
inline constexpr TSymb syIBOpen{249}; // OPEN
inline constexpr TSymb syIBBoolean{250}; // BOOLEAN
inline constexpr TSymb syIBDescribe{251}; // DESCRIBE
inline constexpr TSymb syIBDescriptor{252}; // DESCRIPTOR
inline constexpr TSymb syIBRelease{253}; // RELEASE
inline constexpr TSymb syIBCase{254}; // CASE

// Every word the InterBase parser knows as a keyword. Four words stand twice
// with their one symbol; "_<charset>" only names syIBCharset.
extern const std::span<const TResWordSymb, 198> IBResWords;

// The keyword symbols of a server version (IB4Symbols ... IB2020Symbols):
// a word whose symbol is not in the set is an identifier for that version.
const TSymbSet& IBKeywordSymbols(TIBSQLServerVersionType Version);

// The symbols that can begin a data type.
const TSymbSet& IBDataTypeSymbols();

// Words each version reserves beyond its keywords.
extern const std::span<const std::string_view, 35> IB4ReservedWords;
extern const std::span<const std::string_view, 36> IB5ReservedWords;
extern const std::span<const std::string_view, 44> IB6ReservedWords;
extern const std::span<const std::string_view, 52> FB1ReservedWords;
extern const std::span<const std::string_view, 54> FB15ReservedWords;
extern const std::span<const std::string_view, 49> IB7ReservedWords;
extern const std::span<const std::string_view, 49> IB75ReservedWords;
extern const std::span<const std::string_view, 53> IB2020ReservedWords;
extern const std::span<const std::string_view, 60> FB20ReservedWords;
extern const std::span<const std::string_view, 60> FB21ReservedWords;
extern const std::span<const std::string_view, 61> FB25ReservedWords;
extern const std::span<const std::string_view, 91> FB30ReservedWords;
extern const std::span<const std::string_view, 96> FB40ReservedWords;

// The reserved-word list of a version; empty for st_Yaffil_1x.
std::span<const std::string_view> IBReservedWords(TIBSQLServerVersionType Version);

// True when Name equals (case-sensitively) one of Words.
bool InWordList(std::string_view Name, std::span<const std::string_view> Words);

// The keyword symbol of Word (any case) for a server version; syIdent when
// the word is no keyword of that version.
TSymb IBResWordSymb(std::string_view Word, TIBSQLServerVersionType Version);

// The version filter the InterBase tokenizer puts after its keyword-list
// look-up: a symbol the version does not know becomes syIdent. The
// tokenizer filters nothing for st_InterBase_2020, unlike IBResWordSymb.
TSymb IBFilterTokenSymb(TSymb Symb, TIBSQLServerVersionType Version);

// True when Name must be double-quoted in SQL dialect 3: it is not an
// upper-case identifier (A-Z first, then A-Z, 0-9, "$", "_"), or it is a
// keyword or reserved word of the version. The caller adds the quotes and
// decides on the dialect.
//   Name -> true    NAME -> false (st_Firebird_25), true (st_InterBase_2020)
bool IBNeedsQuotes(std::string_view Name, TIBSQLServerVersionType Version);

} // namespace qel
