#include "core/contour_path.h"

namespace zeq::desk {
namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

bool isAbsolute(std::string_view name) {
    if (!name.empty() && isSeparator(name[0])) return true;
    const bool driveLetter =
        name.size() > 1 && name[1] == ':' &&
        ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return driveLetter;
}

}  // namespace

std::string resolveContourPath(std::string_view programDir, std::string_view name) {
    if (isAbsolute(name)) return std::string(name);
    std::string base(programDir);
    while (base.size() > 1 && isSeparator(base.back())) base.pop_back();
    for (;;) {
        if (name.size() >= 3 && name[0] == '.' && name[1] == '.' && isSeparator(name[2])) {
            const std::size_t cut = base.find_last_of("/\\");
            if (cut == std::string::npos)
                base.clear();
            else
                base.erase(cut == 0 ? 1 : cut);  // the root stays
            name.remove_prefix(3);
        } else if (name.size() >= 2 && name[0] == '.' && isSeparator(name[1])) {
            name.remove_prefix(2);
        } else {
            break;
        }
    }
    if (base.empty()) return std::string(name);
    if (isSeparator(base.back())) return base + std::string(name);
    return base + "/" + std::string(name);
}

}  // namespace zeq::desk
