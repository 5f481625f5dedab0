// Where a FileContour name points. The compiler checks the file and the interpreter reads it;
// both resolve the name here, so a program never checks one file and sends another.
#pragma once

#include <string>
#include <string_view>

namespace zeq::desk {

// `name` as written after FileContour (UTF-8), resolved against `programDir` (the application
// home):
//   - an absolute name (leading "/" or "\", or a drive letter "C:") is taken as written;
//   - otherwise each leading "../" moves the base one folder up (never above the root), each
//     leading "./" is dropped, and the rest (which may name sub-folders, "sub/c.txt") is joined
//     to the base with "/".
// Both "/" and "\" count as separators.
std::string resolveContourPath(std::string_view programDir, std::string_view name);

}  // namespace zeq::desk
