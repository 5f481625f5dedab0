// The main frame's part of zeq.ini: `Toolcfg` (window state, last source file), `Drevices`
// (card type and the remembered board of each device), `CommandLeft` (the single-instruction
// box), with the defaults the frame reads and the delete-then-rewrite of the close.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/rules/ini_store.h"

namespace zeq::desk {

struct ShellSettings {
    bool zoom = true;            // Toolcfg/Zoom: maximised
    std::string editSourcePath;  // Toolcfg/editsourcepath
    int boardType = 0;           // Drevices/BoardType
    // The other keys of Drevices (device name -> board number), kept as read.
    std::vector<std::pair<std::string, std::string>> deviceKeys;
    std::vector<std::string> commandLines;  // CommandLeft/1..CommandTotal

    void load(const IniStore& ini);
    // Deletes `Toolcfg`, `Drevices` and `CommandLeft`, then writes them anew (editsourcepath
    // only when there is one).
    void save(IniStore& ini) const;
};

// The lines of the single-instruction box as they are stored: the text split into lines, one
// trailing "\n" and then one trailing "\r" removed from each, empty lines dropped; each line cut
// to 1024 characters.
std::vector<std::string> commandBoxLines(const std::string& text);
// The stored lines joined for the box.
std::string commandBoxText(const std::vector<std::string>& lines);

inline constexpr std::size_t kCommandLineMax = 1024;

}  // namespace zeq::desk
