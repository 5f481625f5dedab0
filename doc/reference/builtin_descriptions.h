// What each built-in of the script language does, in the words of the user guide.
#pragma once

#include <string_view>

namespace zeq::doc {

// The description of a built-in (looked up by its name, ignoring case); empty when there is none.
std::string_view builtinDescription(std::string_view name);

}  // namespace zeq::doc
