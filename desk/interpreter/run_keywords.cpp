#include "interpreter/run_keywords.h"

namespace zeq::desk::rt {

int lookupKeyword(std::string_view word) {
    static const KeywordIndex index(kRunKeywords);
    return index.find(word, 0);
}

std::string_view keywordName(int code) {
    for (const Keyword& row : kRunKeywords)
        if (row.code == code) return row.name;
    return {};
}

}  // namespace zeq::desk::rt
