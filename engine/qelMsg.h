// The two user-interface hooks that error paths and long loops use: a modal
// message and the processing of pending window events. The window sets them;
// without a window a message goes to standard error and processing does
// nothing, so the libraries and their tests never need a display.
#pragma once

#include <functional>
#include <string>

namespace qel {

using TShowMessageHook = std::function<void(const std::string& Text)>;
using TProcessMessagesHook = std::function<void()>;

// Shows Text and returns when the user has closed it.
void ShowMessage(const std::string& Text);
// Lets the window handle its pending events once.
void ProcessMessages();

// Each setter returns the hook it replaces, so a caller can put it back.
TShowMessageHook SetShowMessageHook(TShowMessageHook Hook);
TProcessMessagesHook SetProcessMessagesHook(TProcessMessagesHook Hook);

} // namespace qel
