// Expressions of the full-mode grammar, by precedence: OR, AND, NOT,
// comparisons and predicates, + - ||, * / % & | ^, then the factors. A
// name followed by "(" is a function call and links the object being read
// to the function of that name.
#include "qelMSSQLScriptParserPrivate.h"

#include "qelComp_Fld.h"
#include "qelText.h"

namespace qel {

bool TMSSQLParser::StartsExpression() const
{
    switch (static_cast<int>(Symb)) {
    case int(syInteger):
    case int(syFloat):
    case int(syString):
    case int(syIdent):
    case int(syLParen):
    case int(syMinus):
    case int(syPlus):
    case int(syMSBitNot):
    case int(syMSNull):
    case int(syMSCase):
    case int(syMSConvert):
    case int(syMSCoalesce):
    case int(syMSNullif):
    case int(syMSLeft):
    case int(syMSRight):
    case int(syMSExists):
    case int(syMSNot):
    case int(syMSUser):
    case int(syMSSessionUser):
    case int(syMSSystemUser):
    case int(syMSCurrentUser):
    case int(syMSCurrentTimestamp):
    case int(syMSCurrentDate):
    case int(syMSCurrentTime):
    case int(syMSIdentity):
    case int(syMSIdentitycol):
    case int(syMSLBrace):
    case int(syMSContains):
    case int(syMSFreetext): return true;
    default: return false;
    }
}

void TMSSQLParser::ParseExpression(TDbObj* Context)
{
    TRecursionLevel level(*this);
    ParseAnd(Context);
    for (TLoopGuard guard(*this); Symb == syMSOr; guard.Turn()) {
        NextToken();
        ParseAnd(Context);
    }
}

void TMSSQLParser::ParseAnd(TDbObj* Context)
{
    ParseNot(Context);
    for (TLoopGuard guard(*this); Symb == syMSAnd; guard.Turn()) {
        NextToken();
        ParseNot(Context);
    }
}

void TMSSQLParser::ParseNot(TDbObj* Context)
{
    TRecursionLevel level(*this);
    if (Symb == syMSNot) {
        NextToken();
        ParseNot(Context);
        return;
    }
    ParsePredicate(Context);
}

void TMSSQLParser::ParsePredicate(TDbObj* Context)
{
    if (Symb == syMSExists) {
        NextToken();
        Expect(syLParen);
        ParseSubqueryOrList(Context);
        return;
    }
    ParseAdditive(Context);
    switch (static_cast<int>(Symb)) {
    case int(syEqual):
    case int(syNotEqual):
    case int(syLess):
    case int(syGreater):
    case int(syLessEqual):
    case int(syGreaterEqual):
    case int(syDoubleEqual):
    case int(syMSNotLess):
    case int(syMSNotGreater):
    case int(syMSStarEqual):
    case int(syMSEqualStar):
        NextToken();
        if (Symb == syMSAll || Symb == syMSAny || Symb == syMSSome) {
            NextToken();
            Expect(syLParen);
            ParseSubqueryOrList(Context);
        } else {
            ParseAdditive(Context);
        }
        return;
    case int(syMSIs):
        NextToken();
        if (Symb == syMSNot) NextToken();
        if (Symb == syMSNull) {
            NextToken();
        } else if (Symb == syMSDistinct) {
            NextToken();
            ExpectAndNext(syMSFrom);
            ParseAdditive(Context);
        } else {
            ParseError("Must be: NULL/DISTINCT FROM.");
        }
        return;
    default: break;
    }
    const bool negated = Symb == syMSNot;
    if (negated) NextToken();
    if (Symb == syMSIn) {
        NextToken();
        Expect(syLParen);
        ParseSubqueryOrList(Context);
    } else if (Symb == syMSLike) {
        NextToken();
        ParseAdditive(Context);
        if (Symb == syMSEscape) {
            NextToken();
            ParseAdditive(Context);
        }
    } else if (Symb == syMSBetween) {
        NextToken();
        ParseAdditive(Context);
        ExpectAndNext(syMSAnd);
        ParseAdditive(Context);
    } else if (IsWord("STARTING")) {
        NextToken();
        if (Symb == syMSWith) NextToken();
        ParseAdditive(Context);
    } else if (IsWord("CONTAINING")) {
        NextToken();
        ParseAdditive(Context);
    } else if (IsWord("SINGULAR") || Symb == syMSExists) {
        NextToken();
        Expect(syLParen);
        ParseSubqueryOrList(Context);
    } else if (negated) {
        ParseError("Must be: IS/IN/EXISTS/SINGULAR/LIKE/BETWEEN/STARTING/CONTAINING.");
    }
}

void TMSSQLParser::ParseAdditive(TDbObj* Context)
{
    TRecursionLevel level(*this);
    ParseTerm(Context);
    for (TLoopGuard guard(*this); Symb == syPlus || Symb == syMinus || Symb == syConcat; guard.Turn()) {
        NextToken();
        ParseTerm(Context);
    }
}

void TMSSQLParser::ParseTerm(TDbObj* Context)
{
    ParseFactor(Context);
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syStar) {
            // A "*" that no operand follows ends the expression.
            TParseContext saved(this);
            NextToken();
            if (!StartsExpression()) {
                saved.Restore();
                return;
            }
        } else if (Symb == sySlash || Symb == syPercent || Symb == syAmpersand || Symb == syMSBitOr ||
                   Symb == syMSBitXor) {
            NextToken();
        } else {
            return;
        }
        ParseFactor(Context);
    }
}

void TMSSQLParser::ParseSubqueryOrList(TDbObj* Context)
{
    const TNestingLevel sqlLevel(*this);
    ExpectAndNext(syLParen);
    if (Symb == syMSSelect || Symb == syMSWith) {
        if (Symb == syMSWith) ParseWith(Context);
        else ParseQuery(Context);
    } else {
        ParseExpressionList(Context);
    }
    ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseExpressionList(TDbObj* Context)
{
    for (TLoopGuard guard(*this);; guard.Turn()) {
        if (Symb == syMSDefault) NextToken();
        else ParseExpression(Context);
        if (Symb != syComma) break;
        NextToken();
    }
}

void TMSSQLParser::ParseFunctionArgs(TDbObj* Context)
{
    const TNestingLevel sqlLevel(*this);
    ExpectAndNext(syLParen);
    if (Symb == syMSAll || Symb == syMSDistinct) NextToken();
    if (Symb == syStar) {
        // COUNT(*), and FREETEXT(*, 'text') over every indexed column
        NextToken();
        if (Symb == syComma) {
            NextToken();
            ParseExpressionList(Context);
        }
    } else if (Symb != syRParen) {
        if (Symb == syMSSelect) ParseQuery(Context);
        else ParseExpressionList(Context);
    }
    ExpectAndNext(syRParen);
    if (IsWord("WITHIN")) {
        // WITHIN GROUP (ORDER BY ...)
        NextToken();
        ExpectAndNext(syMSGroup);
        ExpectAndNext(syLParen);
        ParseOrderBy(Context);
        ExpectAndNext(syRParen);
    }
    if (Symb == syMSOver) ParseOver(Context);
}

void TMSSQLParser::ParseOver(TDbObj* Context)
{
    NextToken();
    if (Symb != syLParen) {
        // OVER a named window
        NextToken();
        return;
    }
    NextToken();
    if (IsWord("PARTITION")) {
        NextToken();
        ExpectAndNext(syMSBy);
        ParseExpressionList(Context);
    }
    if (Symb == syMSOrder) ParseOrderBy(Context);
    // ROWS | RANGE frames: words, numbers and BETWEEN ... AND ...
    for (TLoopGuard guard(*this); Symb != syRParen && Symb != syEOF && Symb != syTerminator; guard.Turn()) NextToken();
    ExpectAndNext(syRParen);
}

void TMSSQLParser::ParseCase(TDbObj* Context)
{
    const TNestingLevel sqlLevel(*this);
    NextToken();
    if (Symb != syMSWhen) ParseExpression(Context);
    for (TLoopGuard guard(*this); Symb == syMSWhen; guard.Turn()) {
        NextToken();
        ParseExpression(Context);
        ExpectAndNext(syMSThen);
        ParseExpression(Context);
    }
    if (Symb == syMSElse) {
        NextToken();
        ParseExpression(Context);
    }
    ExpectAndNext(syMSEnd);
}

void TMSSQLParser::ParseDataTypeOnly() { ParseColumnType(ScratchField(), false, false); }

void TMSSQLParser::ParseFactor(TDbObj* Context)
{
    TRecursionLevel level(*this);
    switch (static_cast<int>(Symb)) {
    case int(syMinus):
    case int(syPlus):
    case int(syMSBitNot):
        NextToken();
        ParseFactor(Context);
        return;
    case int(syInteger):
    case int(syFloat):
    case int(syString):
    case int(syMSNull):
    case int(syMSDefault):
    case int(syMSUser):
    case int(syMSSessionUser):
    case int(syMSSystemUser):
    case int(syMSCurrentUser):
    case int(syMSCurrentTimestamp):
    case int(syMSCurrentDate):
    case int(syMSCurrentTime):
    case int(syMSIdentitycol): NextToken(); break;
    case int(syLParen): {
        const TNestingLevel sqlLevel(*this);
        NextToken();
        if (Symb == syMSSelect || Symb == syMSWith) {
            if (Symb == syMSWith) ParseWith(Context);
            else ParseQuery(Context);
        } else {
            ParseExpression(Context);
            while (Symb == syComma) {
                NextToken();
                ParseExpression(Context);
            }
        }
        ExpectAndNext(syRParen);
        break;
    }
    case int(syMSCase): ParseCase(Context); break;
    case int(syMSConvert):
    case int(syMSIdentity): ParseTypeFunction(Context); break;
    case int(syMSCoalesce):
    case int(syMSNullif):
    case int(syMSLeft):
    case int(syMSRight):
    case int(syMSContains):
    case int(syMSFreetext):
    case int(syMSUpdate):
        NextToken();
        ParseFunctionArgs(Context);
        break;
    case int(syMSExists):
        NextToken();
        Expect(syLParen);
        ParseSubqueryOrList(Context);
        break;
    case int(syMSCurrent):
        // CURRENT OF [GLOBAL] cursor
        NextToken();
        ExpectAndNext(syMSOf);
        if (IsWord("GLOBAL")) NextToken();
        NextToken();
        break;
    case int(syMSCursor): ParseCursorDefinition(Context); break;
    case int(syMSLBrace):
        // {fn name(...)}, {d '...'}, {ts '...'}: the word, then the factor.
        NextToken();
        NextToken();
        ParseFactor(Context);
        ExpectAndNext(syMSRBrace);
        break;
    case int(syIdent): ParseWordFactor(Context); break;
    default: ParseError("Unknown/Invalid factor in expression (" + SymbName + ")"); return;
    }
    // Methods of a value: x.value ( ... ), (SELECT ...).query ( ... )
    for (TLoopGuard guard(*this); Symb == syDot; guard.Turn()) {
        Skip(2);
        if (Symb == syLParen) ParseFunctionArgs(Context);
    }
    if (Symb == syMSCollate) {
        Skip(2);
    }
    if (IsWord("AT") && PeekWord() == "TIME") {
        Skip(2);
        ExpectWords({"ZONE"});
        ParseFactor(Context);
    }
}

// CONVERT and IDENTITY, whose first argument is a data type.
void TMSSQLParser::ParseTypeFunction(TDbObj* Context)
{
    if (Symb == syMSConvert) {
        // CONVERT ( type, expression [, style] )
        const TNestingLevel sqlLevel(*this);
        NextToken();
        ExpectAndNext(syLParen);
        ParseDataTypeOnly();
        ExpectAndNext(syComma);
        ParseExpressionList(Context);
        ExpectAndNext(syRParen);
        return;
    }
    // IDENTITY ( type [, seed, increment] ) in SELECT ... INTO
    NextToken();
    ExpectAndNext(syLParen);
    ParseDataTypeOnly();
    while (Symb == syComma) {
        NextToken();
        ParseFactor(Context);
    }
    ExpectAndNext(syRParen);
}

// A factor that begins with a name: NEXT VALUE FOR, MATCH, TRIM, CAST and
// PARSE, a variable, a column, or a call that links Context to its routine.
void TMSSQLParser::ParseWordFactor(TDbObj* Context)
{
    if (IsWord("NEXT") && PeekWord() == "VALUE") {
        Skip(2);
        ExpectAndNext(syMSFor);
        ParseObjectName(dboGenerator, false);
        LinkName(Context, NameOwner, NameObject, {dboGenerator});
        if (Symb == syMSOver) ParseOver(Context);
        return;
    }
    const std::string word = Word();
    if (word == "MATCH" && PeekNonBlank() == '(') {
        // MATCH (a-(e)->b) of graph tables: arrows, not expressions
        NextToken();
        SkipParens();
        return;
    }
    if (word == "TRIM" && PeekNonBlank() == '(') {
        // TRIM ( [LEADING | TRAILING | BOTH] [characters FROM] text )
        const TNestingLevel sqlLevel(*this);
        Skip(2);
        if (IsWord("LEADING") || IsWord("TRAILING") || IsWord("BOTH")) NextToken();
        if (Symb != syMSFrom) ParseExpression(Context);
        if (Symb == syMSFrom) {
            NextToken();
            ParseExpression(Context);
        }
        ExpectAndNext(syRParen);
        return;
    }
    if (word == "CAST" || word == "TRY_CAST" || word == "PARSE" || word == "TRY_PARSE") {
        // CAST ( expression AS type ), PARSE ( text AS type [USING culture] )
        const TNestingLevel sqlLevel(*this);
        NextToken();
        ExpectAndNext(syLParen);
        ParseExpression(Context);
        ExpectAndNext(syMSAs);
        ParseDataTypeOnly();
        if (IsWord("USING")) {
            NextToken();
            ParseFactor(Context);
        }
        ExpectAndNext(syRParen);
        return;
    }
    if (!word.empty() && word.front() == '@') {
        NextToken();
        return;
    }
    ParseObjectName(dboField, false);
    // Type::Method ( ... )
    if (Symb == syMSDoubleColon) {
        Skip(2);
    }
    if (Symb == syLParen) {
        const std::string owner = NameColumn.empty() ? NameOwner : NameObject;
        const std::string name = NameColumn.empty() ? NameObject : NameColumn;
        ParseFunctionArgs(Context);
        LinkName(Context, owner, name, {dboProcedure});
    }
}

} // namespace qel
