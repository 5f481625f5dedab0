// The application home: the folder whose dat/ holds zeq.ini, build.dat and binfo.dat.
#pragma once

#include <string>

namespace zeq::desk {

// $ZEQ_HOME when set and not empty; otherwise the executable's folder when it is a portable
// one (see isPortableFolder); otherwise $XDG_DATA_HOME/zeqdesk (default ~/.local/share/zeqdesk).
// No trailing separator.
std::string applicationHome();

// True when a program in `dir` keeps its home beside itself: the folder is writable and is not
// an installed system folder (/usr and below).
bool isPortableFolder(const std::string& dir);

// applicationHome() + "/dat".
std::string applicationDatDir();

// Folder of the running executable, empty when it cannot be determined.
std::string executableDir();

// Creates the folder and its parents when missing. True when it exists afterwards.
bool ensureDirectory(const std::string& path);

}  // namespace zeq::desk
