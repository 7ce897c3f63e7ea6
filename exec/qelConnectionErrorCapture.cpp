#include "qelConnectionErrorCapture.h"

#include "qelDBEngine.h"
#include "qelText.h"

#include <utility>

namespace qel {

TConnectionErrorCapture::TConnectionErrorCapture(TQELCustomConnection& Connection, TPassOn PassOn)
    : m_connection(Connection), m_saved(std::move(Connection.OnErrorMessage))
{
    m_connection.OnErrorMessage = [this, PassOn](TObject& Sender, const std::string& Text) {
        if (!m_text.empty()) m_text += CRLF;
        m_text += Text;
        m_last = Text;
        if (PassOn == TPassOn::Yes && m_saved) m_saved(Sender, Text);
    };
}

TConnectionErrorCapture::~TConnectionErrorCapture() { m_connection.OnErrorMessage = std::move(m_saved); }

} // namespace qel
