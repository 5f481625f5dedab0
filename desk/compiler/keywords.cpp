#include "card/names.h"
#include "compiler/tokens.h"

namespace zeq::desk {

int lookupKeyword(std::string_view word) {
    static const KeywordIndex index(kKeywords);
    return index.find(word, -1);
}

int lookupKeywordLinear(std::string_view word) {
    for (const Keyword& k : kKeywords) {
        if (card::equals_ignore_case(k.name, word)) return k.code;
    }
    return -1;
}

}  // namespace zeq::desk
