// The breakpoints of every script, kept in zeq.ini between sessions. Section `Breakpoints`,
// most recently changed file first, keys "1", "2", …, each value "LINES|PATH": the 1-based
// line numbers separated by commas, then the script's absolute path (a numbered key, because a
// path may hold characters that an INI key cannot).
//
//   [Breakpoints]
//   1=3,12|/home/ann/axis.zeq
//
// Reading treats the file as hostile: a damaged entry is skipped, numbers are bounded.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/rules/ini_store.h"

namespace zeq::desk {

class BreakpointBook {
  public:
    static constexpr int kMaxFiles = 32;
    static constexpr int kMaxLinesPerFile = 1000;
    static constexpr int kMaxLine = 10'000'000;  // 0-based lines above are dropped

    void load(const IniStore& ini);
    // Deletes the section, then writes every file that has a breakpoint.
    void save(IniStore& ini) const;

    // The 0-based lines of `path`, ascending; empty when it has none.
    std::vector<int> lines(const std::string& path) const;
    // Replaces the lines of `path` (0-based, any order, duplicates and negatives dropped) and
    // makes it the most recent file; no lines removes it. The oldest file goes when more than
    // kMaxFiles would be kept.
    void set(const std::string& path, std::vector<int> lines);
    int fileCount() const { return static_cast<int>(m_files.size()); }

  private:
    std::vector<std::pair<std::string, std::vector<int>>> m_files;
};

}  // namespace zeq::desk
