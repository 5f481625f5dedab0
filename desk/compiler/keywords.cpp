#include "compiler/tokens.h"

namespace zeq::desk {

int lookupKeyword(std::string_view word) {
    static const KeywordIndex index(kKeywords);
    return index.find(word, -1);
}

int lookupKeywordLinear(std::string_view word) {
    for (const Keyword& k : kKeywords) {
        if (k.name.size() != word.size()) continue;
        bool same = true;
        for (size_t i = 0; i < word.size() && same; ++i) {
            char a = k.name[i], b = word[i];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
            same = a == b;
        }
        if (same) return k.code;
    }
    return -1;
}

}  // namespace zeq::desk
