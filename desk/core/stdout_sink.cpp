#include "core/stdout_sink.h"

namespace zeq::desk {

void StdoutSink::append(std::string_view text) {
    std::lock_guard lock(m_mutex);
    std::string out;
    out.reserve(text.size() + 1);
    size_t i = 0;
    if (m_pendingCr) {
        m_pendingCr = false;
        if (text.empty() || text[0] != '\n') out += '\r';
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 == text.size()) {
                m_pendingCr = true;
                continue;
            }
            if (text[i + 1] == '\n') continue;  // "\r\n" -> "\n"
        }
        out += c;
    }
    std::fwrite(out.data(), 1, out.size(), m_out);
    std::fflush(m_out);
}

}  // namespace zeq::desk
