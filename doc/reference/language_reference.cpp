// Prints the built-in reference of the script language as Markdown, from the compiler's own
// usage and keyword tables, so the user guide always lists what the compiler knows.
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

#include "builtin_descriptions.h"
#include "compiler/tokens.h"
#include "compiler/usage_table.h"

namespace {

std::string upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    return u;
}

std::string trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return std::string(s);
}

// The keyword spelling of a code (the first entry of the keyword table with that code).
std::string_view keywordOf(int code) {
    for (const zeq::desk::Keyword& k : zeq::desk::kKeywords) {
        if (k.code == code) return k.name;
    }
    return {};
}

std::string describe(std::string_view name) {
    const std::string_view text = zeq::doc::builtinDescription(name);
    return text.empty() ? std::string("（暂无说明）") : std::string(text);
}

}  // namespace

// Writes to the file named by the first argument, else to stdout.
int main(int argc, char** argv) {
    if (argc > 1 && !std::freopen(argv[1], "w", stdout)) {
        std::perror(argv[1]);
        return 1;
    }
    using zeq::desk::kKeywords;
    using zeq::desk::kUsageTable;

    std::puts("## 内置语句参考\n");
    std::puts(
        "下表由编译器的内置语句表生成，编辑器的调用提示显示同样的用法。参数之间用逗号分隔；"
        "`axis` 为轴号，省略时为 0。\n");
    std::puts("| 名称 | 用法 | 作用 |");
    std::puts("|---|---|---|");
    std::set<int> listedCodes;
    std::set<std::string> listedNames;
    for (const zeq::desk::UsageRow& row : kUsageTable) {
        if (row.name.empty()) continue;
        listedCodes.insert(row.code);
        listedNames.insert(upper(row.name));
        std::string name = "`" + std::string(row.name) + "`";
        const std::string_view keyword = keywordOf(row.code);
        if (!keyword.empty() && upper(keyword) != upper(row.name)) {
            name += "（语句写作 `" + std::string(keyword) + "`）";
        }
        const std::string usage = trimmed(row.usage);
        std::printf("| %s | %s | %s |\n", name.c_str(),
                    usage.empty() ? "" : ("`" + usage + "`").c_str(), describe(row.name).c_str());
    }

    std::puts("\n### 其他语句\n");
    std::puts("| 名称 | 作用 |");
    std::puts("|---|---|");
    for (const zeq::desk::Keyword& k : kKeywords) {
        const bool builtin = k.code == zeq::desk::tok::Board || k.code == zeq::desk::tok::Mg ||
                             (k.code >= zeq::desk::tok::Wt && k.code <= zeq::desk::tok::GetMCData);
        if (!builtin || zeq::desk::isEventCondition(k.code)) continue;
        if (listedCodes.count(k.code) || !listedNames.insert(upper(k.name)).second) continue;
        listedCodes.insert(k.code);
        const std::string_view text = zeq::doc::builtinDescription(k.name);
        std::printf("| `%.*s` | %s |\n", static_cast<int>(k.name.size()), k.name.data(),
                    text.empty() ? "保留字，运行时不执行" : std::string(text).c_str());
    }

    std::puts("\n### 事件指令的条件\n");
    std::puts("事件指令可在助记符前加条件，条件不满足时该指令不执行：\n");
    std::string conditions;
    for (const zeq::desk::Keyword& k : kKeywords) {
        if (!zeq::desk::isEventCondition(k.code)) continue;
        if (!conditions.empty()) conditions += "、";
        conditions += "`" + std::string(k.name) + "`";
    }
    std::printf("%s\n", conditions.c_str());
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
