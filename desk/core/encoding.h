// Text encodings. Script files are GBK byte text unless they are valid UTF-8; everything that
// reaches a person (output pane, stdout, message boxes) is UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace zeq::desk {

enum class TextEncoding { Gbk, Utf8 };

// True when the bytes form valid UTF-8 (pure ASCII included).
bool isValidUtf8(std::string_view bytes);

// The encoding a script file is read in: UTF-8 when its bytes are valid UTF-8, else GBK.
TextEncoding detectScriptEncoding(std::string_view bytes);

// GBK bytes to UTF-8. Bytes that do not form a GBK character become U+FFFD; never fails.
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 to GBK. Characters GBK cannot hold become '?'; never fails.
std::string utf8ToGbk(std::string_view utf8);

// Bytes taken from a script, made fit for a person: converted from GBK, or passed through when
// the script is UTF-8.
inline std::string scriptTextToUtf8(std::string_view bytes, TextEncoding enc) {
    return enc == TextEncoding::Utf8 ? std::string(bytes) : gbkToUtf8(bytes);
}

// Length in bytes of the UTF-8 sequence that starts with `lead` (1 for ASCII and stray bytes).
int utf8SequenceLength(unsigned char lead);

}  // namespace zeq::desk
