// What a connection reports while its owner drives it, taken over for the
// owner to report as its own.
#pragma once

#include "qelTypes.h"

#include <string>

namespace qel {

class TQELCustomConnection;

// Collects what a connection reports through OnErrorMessage while its
// owner drives it, and gives the connection its own handler back when it
// goes. Kept, the reports stay here for the owner to report as its own
// (counted) error; passed on, each one also reaches the handler that was
// there before.
class TConnectionErrorCapture {
public:
    enum class TPassOn { No, Yes };
    explicit TConnectionErrorCapture(TQELCustomConnection& Connection, TPassOn PassOn = TPassOn::No);
    ~TConnectionErrorCapture();
    TConnectionErrorCapture(const TConnectionErrorCapture&) = delete;
    TConnectionErrorCapture& operator=(const TConnectionErrorCapture&) = delete;

    // Every report, one to a line (CR LF between them).
    const std::string& Text() const { return m_text; }
    // The last report alone.
    const std::string& LastText() const { return m_last; }

private:
    TQELCustomConnection& m_connection;
    TErrorMessageEvent m_saved;
    std::string m_text;
    std::string m_last;
};

} // namespace qel
