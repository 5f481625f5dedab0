#include "core/encoding.h"

// GCC 12 at -O2 reports std::string copies inlined here as overlapping memcpy calls
// (-Wrestrict false positive, GCC bug 105329).
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace zeq::desk {

int utf8SequenceLength(unsigned char lead) {
    if (lead < 0xC2) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF5) return 4;
    return 1;
}

bool isValidUtf8(std::string_view s) {
    size_t i = 0;
    const size_t n = s.size();
    while (i < n) {
        // ASCII runs eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if (word & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= n) break;
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int len = utf8SequenceLength(c);
        if (len == 1 || i + len > n) return false;
        const auto c1 = static_cast<unsigned char>(s[i + 1]);
        // Reject overlong forms, surrogates and code points above U+10FFFF.
        if (c == 0xE0 && c1 < 0xA0) return false;
        if (c == 0xED && c1 > 0x9F) return false;
        if (c == 0xF0 && c1 < 0x90) return false;
        if (c == 0xF4 && c1 > 0x8F) return false;
        for (int k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        }
        i += len;
    }
    return true;
}

TextEncoding detectScriptEncoding(std::string_view bytes) {
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Gbk;
}

namespace {

// Converts with iconv; an input sequence the source encoding cannot decode, or a character the
// target cannot hold, is replaced and the conversion goes on.
std::string convert(std::string_view in, const char* to, const char* from, std::string_view bad,
                    bool skipUtf8Sequence) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : in) out += (static_cast<unsigned char>(c) < 0x80) ? c : '?';
        return out;
    }
    out.reserve(in.size() * 3 / 2 + 4);
    char buf[512];
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, static_cast<size_t>(dst - buf));
        if (r != static_cast<size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: skip the offending input and write a replacement.
        size_t skip = 1;
        if (skipUtf8Sequence) {
            skip = static_cast<size_t>(utf8SequenceLength(static_cast<unsigned char>(*src)));
            if (skip > srcLeft) skip = srcLeft;
        }
        out.append(bad.data(), bad.size());
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
    bool ascii = true;
    for (char c : gbk) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(gbk);
    return convert(gbk, "UTF-8", "GBK", "\xEF\xBF\xBD", false);
}

std::string utf8ToGbk(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(utf8);
    return convert(utf8, "GBK", "UTF-8", "?", true);
}

}  // namespace zeq::desk
