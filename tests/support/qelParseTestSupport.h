// What the script-parser tests share: a script parsed into a collection of
// its own with everything the parser reports recorded, and the stored
// messages as short texts. Each dialect's tests write the statements the way
// their expectations read them from Parsed.
#pragma once

#include "qelMsgMngr.h"
#include "qelObjs.h"
#include "qelParserBase.h"
#include "qelStrings.h"
#include "qelTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace qeltest {

// Every stored message as "text @line:column".
inline std::vector<std::string> MessageTexts(const qel::TMsgManager& Messages)
{
    std::vector<std::string> out;
    for (int i = 0; i < Messages.Count(); ++i) {
        const qel::TMsgData& m = Messages.Items(i);
        out.push_back(m.Text + " @" + std::to_string(m.Line) + ":" + std::to_string(m.Column));
    }
    return out;
}

// A parser of type P (named Name) over a collection of its own of server
// type Type. Every statement handed on goes to Parsed, every error event to
// Events, every warning to Warnings and every log line to Log, so that no
// report reaches the message hook.
template <class P>
struct TParseRun {
    explicit TParseRun(qel::TDatabaseType Type, const std::string& Name = "s.sql")
    {
        objs.SetDatabaseType(Type);
        parser = qel::MakeParser<P>();
        parser->ScriptName = Name;
        parser->OnErrorMessage = [this](qel::TObject&, const std::string& t) { Events.push_back(t); };
        parser->OnWarning = [this](qel::TObject&, const std::string& t) { Warnings.push_back(t); };
        parser->OnLogNextLine = [this](qel::TObject&, const std::string& t) { Log.push_back(t); };
        parser->OnAddStatement = [this](qel::TObject&, const qel::TParsedStatement& S, qel::TStatement*&) {
            Parsed.push_back(S);
        };
    }
    TParseRun(const TParseRun&) = delete;
    TParseRun& operator=(const TParseRun&) = delete;

    // The script as the executor hands it over: split into lines, then read.
    void ParseScript(const std::string& Text)
    {
        qel::TStringList lines;
        lines.SetText(Text);
        parser->ParseScript(lines, &objs);
    }
    // The whole text in one pass, without the split.
    void ParseWhole(const std::string& Text)
    {
        parser->SetObjs(&objs);
        parser->SetSource(Text);
        parser->Parse();
    }

    // Every stored message as "text @line:column".
    std::vector<std::string> Messages() const { return MessageTexts(parser->Messages()); }

    qel::TObjs objs;
    std::unique_ptr<P> parser;
    std::vector<qel::TParsedStatement> Parsed;
    std::vector<std::string> Events, Warnings, Log;
};

} // namespace qeltest
