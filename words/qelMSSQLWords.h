// MS SQL keyword table, reserved words and bracket quoting. The script
// parser (TMSSQLParser, qelMSSQLScriptParser.h one folder up) loads
// MSSQLResWords into its keyword list.
#pragma once

#include "qelWordTable.h"

#include <cstdint>

#include <span>
#include <string>
#include <string_view>

namespace qel {

// Keyword symbols of the MS SQL dialect (value 180 is unused); a synonym
// pair shares the symbol named after its longer word.
inline constexpr TSymb syMSSet{30}; // SET
inline constexpr TSymb syMSOn{31}; // ON
inline constexpr TSymb syMSOff{32}; // OFF
inline constexpr TSymb syMSInsert{33}; // INSERT
inline constexpr TSymb syMSDelete{34}; // DELETE
inline constexpr TSymb syMSReconfigure{35}; // RECONFIGURE
inline constexpr TSymb syMSCreate{36}; // CREATE
inline constexpr TSymb syMSRule{37}; // RULE
inline constexpr TSymb syMSAs{38}; // AS
inline constexpr TSymb syMSDefault{39}; // DEFAULT
inline constexpr TSymb syMSSetuser{40}; // SETUSER
inline constexpr TSymb syMSExecute{41}; // EXEC/EXECUTE
inline constexpr TSymb syMSTable{42}; // TABLE
inline constexpr TSymb syMSConstraint{43}; // CONSTRAINT
inline constexpr TSymb syMSPrimary{44}; // PRIMARY
inline constexpr TSymb syMSForeign{45}; // FOREIGN
inline constexpr TSymb syMSKey{46}; // KEY
inline constexpr TSymb syMSUnique{47}; // UNIQUE
inline constexpr TSymb syMSDatabase{48}; // DATABASE
inline constexpr TSymb syMSCompute{49}; // COMPUTE
inline constexpr TSymb syMSCoalesce{50}; // COALESCE
inline constexpr TSymb syMSTruncate{51}; // TRUNCATE
inline constexpr TSymb syMSExists{52}; // EXISTS
inline constexpr TSymb syMSAnd{53}; // AND
inline constexpr TSymb syMSOr{54}; // OR
inline constexpr TSymb syMSIs{55}; // IS
inline constexpr TSymb syMSContains{56}; // CONTAINS
inline constexpr TSymb syMSLike{57}; // LIKE
inline constexpr TSymb syMSTsequal{58}; // TSEQUAL
inline constexpr TSymb syMSIn{59}; // IN
inline constexpr TSymb syMSShutdown{60}; // SHUTDOWN
inline constexpr TSymb syMSUpdatetext{61}; // UPDATETEXT
inline constexpr TSymb syMSWritetext{62}; // WRITETEXT
inline constexpr TSymb syMSUnion{63}; // UNION
inline constexpr TSymb syMSBetween{64}; // BETWEEN
inline constexpr TSymb syMSDistinct{65}; // DISTINCT
inline constexpr TSymb syMSEscape{66}; // ESCAPE
inline constexpr TSymb syMSAny{67}; // ANY
inline constexpr TSymb syMSSessionUser{68}; // SESSION_USER
inline constexpr TSymb syMSSome{69}; // SOME
inline constexpr TSymb syMSNot{70}; // NOT
inline constexpr TSymb syMSNull{71}; // NULL
inline constexpr TSymb syMSIdentity{72}; // IDENTITY
inline constexpr TSymb syMSRowguidcol{73}; // ROWGUIDCOL
inline constexpr TSymb syMSFor{74}; // FOR
inline constexpr TSymb syMSReplication{75}; // REPLICATION
inline constexpr TSymb syMSGrant{76}; // GRANT
inline constexpr TSymb syMSReferences{77}; // REFERENCES
inline constexpr TSymb syMSSelect{78}; // SELECT
inline constexpr TSymb syMSBegin{79}; // BEGIN
inline constexpr TSymb syMSUpdate{80}; // UPDATE
inline constexpr TSymb syMSRevoke{81}; // REVOKE
inline constexpr TSymb syMSTo{82}; // TO
inline constexpr TSymb syMSTextsize{83}; // TEXTSIZE
inline constexpr TSymb syMSClustered{84}; // CLUSTERED
inline constexpr TSymb syMSNonclustered{85}; // NONCLUSTERED
inline constexpr TSymb syMSIndex{86}; // INDEX
inline constexpr TSymb syMSUser{87}; // USER
inline constexpr TSymb syMSSystemUser{88}; // SYSTEM_USER
inline constexpr TSymb syMSIf{89}; // IF
inline constexpr TSymb syMSVarying{90}; // VARYING
inline constexpr TSymb syMSView{91}; // VIEW
inline constexpr TSymb syMSProcedure{92}; // PROC/PROCEDURE
inline constexpr TSymb syMSTrigger{93}; // TRIGGER
inline constexpr TSymb syMSDeclare{94}; // DECLARE
inline constexpr TSymb syMSAlter{95}; // ALTER
inline constexpr TSymb syMSDrop{96}; // DROP
inline constexpr TSymb syMSAdd{97}; // ADD
inline constexpr TSymb syMSColumn{98}; // COLUMN
inline constexpr TSymb syMSCollate{99}; // COLLATE
inline constexpr TSymb syMSWith{100}; // WITH
inline constexpr TSymb syMSCheck{101}; // CHECK
inline constexpr TSymb syMSNocheck{102}; // NOCHECK
inline constexpr TSymb syMSFillfactor{103}; // FILLFACTOR
inline constexpr TSymb syMSFunction{104}; // FUNCTION
inline constexpr TSymb syMSUse{105}; // USE
inline constexpr TSymb syMSRaiserror{106}; // RAISERROR
inline constexpr TSymb syMSOpen{107}; // OPEN
inline constexpr TSymb syMSDeallocate{108}; // DEALLOCATE
inline constexpr TSymb syMSDump{109}; // DUMP
inline constexpr TSymb syMSCheckpoint{110}; // CHECKPOINT
inline constexpr TSymb syMSPrint{111}; // PRINT
inline constexpr TSymb syMSIdentityInsert{112}; // IDENTITY_INSERT
inline constexpr TSymb syMSAll{113}; // ALL
inline constexpr TSymb syMSFrom{114}; // FROM
inline constexpr TSymb syMSStatistics{115}; // STATISTICS
inline constexpr TSymb syMSInner{116}; // INNER
inline constexpr TSymb syMSOuter{117}; // OUTER
inline constexpr TSymb syMSLeft{118}; // LEFT
inline constexpr TSymb syMSRight{119}; // RIGHT
inline constexpr TSymb syMSJoin{120}; // JOIN
inline constexpr TSymb syMSWaitfor{121}; // WAITFOR
inline constexpr TSymb syMSBy{122}; // BY
inline constexpr TSymb syMSFull{123}; // FULL
inline constexpr TSymb syMSCross{124}; // CROSS
inline constexpr TSymb syMSWhere{125}; // WHERE
inline constexpr TSymb syMSEnd{126}; // END
inline constexpr TSymb syMSAsc{127}; // ASC
inline constexpr TSymb syMSDesc{128}; // DESC
inline constexpr TSymb syMSDistributed{129}; // DISTRIBUTED
inline constexpr TSymb syMSPrecision{130}; // PRECISION
inline constexpr TSymb syMSTransaction{131}; // TRAN/TRANSACTION
inline constexpr TSymb syMSElse{132}; // ELSE
inline constexpr TSymb syMSRollback{133}; // ROLLBACK
inline constexpr TSymb syMSCommit{134}; // COMMIT
inline constexpr TSymb syMSInto{135}; // INTO
inline constexpr TSymb syMSValues{136}; // VALUES
inline constexpr TSymb syMSConvert{137}; // CONVERT
inline constexpr TSymb syMSCursor{138}; // CURSOR
inline constexpr TSymb syMSCase{139}; // CASE
inline constexpr TSymb syMSWhen{140}; // WHEN
inline constexpr TSymb syMSThen{141}; // THEN
inline constexpr TSymb syMSCascade{142}; // CASCADE
inline constexpr TSymb syMSReturn{143}; // RETURN
inline constexpr TSymb syMSNullif{144}; // NULLIF
inline constexpr TSymb syMSWhile{145}; // WHILE
inline constexpr TSymb syMSBreak{146}; // BREAK
inline constexpr TSymb syMSContinue{147}; // CONTINUE
inline constexpr TSymb syMSGroup{148}; // GROUP
inline constexpr TSymb syMSOrder{149}; // ORDER
inline constexpr TSymb syMSRead{157}; // READ
inline constexpr TSymb syMSOf{158}; // OF
inline constexpr TSymb syMSFetch{159}; // FETCH
inline constexpr TSymb syMSAuthorization{160}; // AUTHORIZATION
inline constexpr TSymb syMSBackup{161}; // BACKUP
inline constexpr TSymb syMSBrowse{162}; // BROWSE
inline constexpr TSymb syMSBulk{163}; // BULK
inline constexpr TSymb syMSHaving{164}; // HAVING
inline constexpr TSymb syMSDbcc{165}; // DBCC
inline constexpr TSymb syMSGoto{166}; // GOTO
inline constexpr TSymb syMSSave{167}; // SAVE
inline constexpr TSymb syMSTop{168}; // TOP
inline constexpr TSymb syMSPercent{169}; // PERCENT
inline constexpr TSymb syMSClose{170}; // CLOSE
inline constexpr TSymb syMSContainstable{171}; // CONTAINSTABLE
inline constexpr TSymb syMSCurrent{172}; // CURRENT
inline constexpr TSymb syMSCurrentDate{173}; // CURRENT_DATE
inline constexpr TSymb syMSCurrentTime{174}; // CURRENT_TIME
inline constexpr TSymb syMSCurrentTimestamp{175}; // CURRENT_TIMESTAMP
inline constexpr TSymb syMSCurrentUser{176}; // CURRENT_USER
inline constexpr TSymb syMSDeny{177}; // DENY
inline constexpr TSymb syMSDisk{178}; // DISK
inline constexpr TSymb syMSDouble{179}; // DOUBLE
inline constexpr TSymb syMSErrlvl{181}; // ERRLVL
inline constexpr TSymb syMSExcept{182}; // EXCEPT
inline constexpr TSymb syMSExit{183}; // EXIT
inline constexpr TSymb syMSFile{184}; // FILE
inline constexpr TSymb syMSFreetext{185}; // FREETEXT
inline constexpr TSymb syMSFreetexttable{186}; // FREETEXTTABLE
inline constexpr TSymb syMSHoldlock{187}; // HOLDLOCK
inline constexpr TSymb syMSIdentitycol{188}; // IDENTITYCOL
inline constexpr TSymb syMSIntersect{189}; // INTERSECT
inline constexpr TSymb syMSKill{190}; // KILL
inline constexpr TSymb syMSLineno{191}; // LINENO
inline constexpr TSymb syMSLoad{192}; // LOAD
inline constexpr TSymb syMSNational{193}; // NATIONAL
inline constexpr TSymb syMSOffsets{194}; // OFFSETS
inline constexpr TSymb syMSOpendatasource{195}; // OPENDATASOURCE
inline constexpr TSymb syMSOpenquery{196}; // OPENQUERY
inline constexpr TSymb syMSOpenrowset{197}; // OPENROWSET
inline constexpr TSymb syMSOpenxml{198}; // OPENXML
inline constexpr TSymb syMSOption{199}; // OPTION
inline constexpr TSymb syMSOver{200}; // OVER
inline constexpr TSymb syMSPlan{201}; // PLAN
inline constexpr TSymb syMSPublic{202}; // PUBLIC
inline constexpr TSymb syMSReadtext{203}; // READTEXT
inline constexpr TSymb syMSRestore{204}; // RESTORE
inline constexpr TSymb syMSRestrict{205}; // RESTRICT
inline constexpr TSymb syMSRowcount{206}; // ROWCOUNT
inline constexpr TSymb syMSSchema{207}; // SCHEMA

// The keywords in alphabetical order (TO stands twice), then the display
// names of the symbols the lexer makes from characters.
extern const std::span<const TResWordSymb, 194> MSSQLResWords;

// Every distinct keyword and DUMMY.
extern const std::span<const std::string_view, 174> MSSQLReservedWords;

// The symbol of Word (any case), syIdent when it is none.
TSymb MSSQLResWordSymb(std::string_view Word);

// True when the name must be written in brackets: it does not begin with
// "#", "$", "_" or a letter, holds a character other than those, digits
// and "@", or is a keyword or reserved word (in any case). A name that
// begins with "<" is a placeholder and stays bare.
bool MSSQLNeedsQuotes(std::string_view Name);

// The identifier as written for MS SQL; a "]" inside is doubled.
//   Customer -> Customer    Order -> [Order]    @v -> [@v]    a]b -> [a]]b]
std::string MSSQLQuoteName(std::string_view Name);

// A name as a case-insensitive collation tells it apart: every UTF-8 code
// point case-folded, then upper-cased; bytes that are no UTF-8 stay.
//   Caf\xC3\xA9 -> CAF\xC3\x89    Stra\xC3\x9Fe -> STRA\xC3\x9FE    \xE2\x84\xAA (Kelvin) -> K
std::string MSSQLNameKey(std::string_view Name);

// Appends the UTF-8 bytes of one code point (the script loader decodes
// UTF-16 files with it).
void AppendUtf8(std::string& Out, std::uint32_t Code);

} // namespace qel
