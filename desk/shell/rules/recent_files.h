// The recent-files list: most recent first, a fixed capacity, kept in the `Mru File` section.
// Paths compare exactly (file names are case-sensitive here).
#pragma once

#include <string>
#include <vector>

#include "shell/rules/ini_store.h"

namespace zeq::desk {

class RecentFiles {
  public:
    static constexpr int kMinCapacity = 1;
    static constexpr int kMaxCapacity = 16;
    static constexpr int kApplicationCapacity = 5;
    static constexpr std::size_t kMaxPathLength = 4096;

    explicit RecentFiles(int capacity = kApplicationCapacity);

    int capacity() const { return m_capacity; }
    const std::vector<std::string>& paths() const { return m_paths; }

    // Puts `path` first: an equal entry further down moves up, a full list drops its last.
    // False when nothing changed (it was already first).
    bool add(const std::string& path);
    // Removes the entry; the following ones move up. False when absent.
    bool remove(const std::string& path);

    // Reads `FileNum` (clamped to the capacity) and the keys "1" to `FileNum`; empty entries
    // are skipped.
    void load(const IniStore& ini);
    // Deletes the section, then writes `FileNum` and the keys "1" to `FileNum`.
    void save(IniStore& ini) const;

  private:
    int m_capacity;
    std::vector<std::string> m_paths;
};

}  // namespace zeq::desk
