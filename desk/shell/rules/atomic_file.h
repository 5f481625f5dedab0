// Writing a file so that a failure never leaves it half written: the bytes go to a temporary
// file beside the target, which then replaces the target by a rename.
#pragma once

#include <string>
#include <string_view>

namespace zeq::desk {

// Writes `bytes` to `path` through a temporary file in the same folder. A symbolic link is
// followed (its target is replaced); an existing file's permissions are kept. On failure the
// old file is untouched, the temporary file is removed, `error` (when given) gets a short
// description and false is returned.
bool writeFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

}  // namespace zeq::desk
