// The SQL-level base of the dialect parsers: comments, the statement
// terminator and "||" on top of the tokenizer; the connection settings a
// script names; and the dependency passes that need the whole script.
//
// Owns its connection options (the one store of the settings a script's
// CONNECT or CREATE DATABASE names), the scratch field the dialects read
// data types into, and the names declared in the body being read. Without a
// collection nothing is looked up or linked and the dialect settings are the
// parser's own. Reports as TCustomParser does.
#pragma once

#include "qelDBOptions.h"
#include "qelParserBase.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qel {

class TDbObj;
class TFldData;

class TCustomSQLParser : public TCustomParser {
public:
    TCustomSQLParser();
    ~TCustomSQLParser() override;
    std::string ClassName() const override { return "TCustomSQLParser"; }

    // The connection settings: seeded by the caller before the parse,
    // changed only where a CONNECT or CREATE DATABASE names a value, and
    // copied to the collection when the parse ends.
    TConnectionOptions& ConnectionOptions() { return m_options->ConnectionOptions(); }
    // The dialect settings (server version, SQL dialect, character set,
    // compare options): the attached collection's, else the parser's own.
    TServerOptionSet<TIBServerOptions>& ServerOptions();

    // Text of the last comment read, without its delimiters.
    std::string LastComment;
    // The field the dialects read data types of parameters and variables into.
    TFldData& ScratchField() { return *m_scratchField; }
    // Names declared in the body being read; never linked as objects.
    TStringList LocalNames;

    // ---- overrides ----
    // The terminator first, then "||", then the base lexer.
    void ScanToken() override;
    // "--" and "/*" comments count as blanks.
    bool SkipBlanks() override;
    void ParseScript(TStringList& Script, TObjs* AObjs) override;
    void ParseFile(const std::string& FileName, TObjs* AObjs) override;
    // Grants re-keyed, then the links that need every object: index and
    // constraint tables and columns, referenced tables, foreign keys to the
    // keys they reference, grants to their objects and grantees, users to
    // their logins.
    void AfterParse() override;

    // ---- added operations ----
    // "/* ... */" (never nested) or "-- ..." up to the line break.
    virtual bool ReadComment();
    // Reads tokens until one of Symbols is current, or the end.
    virtual void SkipUntil(const TSymbSet& Symbols);
    // The source from StartPos to the current token, trimmed.
    virtual std::string GetTextFrom(std::int64_t StartPos);
    // Links Obj to the table, view or procedure a column reference of its
    // body names, through the FROM scopes in Contexts; a bare name outside
    // any scope can only be a sequence.
    virtual void LinkColumnDepend(TDbObj* Obj, const std::string& Alias, const std::string& Column);
    // The name as the dialect writes it; the base leaves it as it is.
    virtual std::string QuoteName(const std::string& Name) const { return Name; }
    virtual void ParseObjectSource(TDbObj& /*Obj*/) {}
    virtual void ParseObjectBody(TDbObj& /*Obj*/) {}

    // Schema + "." + Name; an empty schema with UseDefaultSchema is the
    // server's default:
    //   ("T", "", true) MS SQL, ASE -> "dbo.T"; SQL Anywhere -> "DBA.T";
    //   PostgreSQL -> "public.T"; any other -> "T"
    std::string QualifiedName(const std::string& Name, const std::string& Schema, bool UseDefaultSchema) const;

private:
    void HandOverConnection();

    std::unique_ptr<TServerOptionSet<TIBServerOptions>> m_options;
    std::unique_ptr<TFldData> m_scratchField;
};

} // namespace qel
