#include "qelMsg.h"

#include <iostream>
#include <utility>

namespace qel {

namespace {

// Function-local statics: a message shown while other translation units are
// still being initialised finds its hook constructed.
TShowMessageHook& ShowMessageHook()
{
    static TShowMessageHook hook;
    return hook;
}

TProcessMessagesHook& ProcessMessagesHook()
{
    static TProcessMessagesHook hook;
    return hook;
}

} // namespace

void ShowMessage(const std::string& Text)
{
    // A copy, so that a hook which replaces itself while showing survives.
    if (const TShowMessageHook hook = ShowMessageHook()) {
        hook(Text);
        return;
    }
    std::cerr << Text << '\n' << std::flush;
}

void ProcessMessages()
{
    if (const TProcessMessagesHook& hook = ProcessMessagesHook()) hook();
}

TShowMessageHook SetShowMessageHook(TShowMessageHook Hook) { return std::exchange(ShowMessageHook(), std::move(Hook)); }

TProcessMessagesHook SetProcessMessagesHook(TProcessMessagesHook Hook)
{
    return std::exchange(ProcessMessagesHook(), std::move(Hook));
}

} // namespace qel
