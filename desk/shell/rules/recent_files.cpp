#include "shell/rules/recent_files.h"

#include <algorithm>

namespace zeq::desk {
namespace {
constexpr std::string_view kSection = "Mru File";
}

RecentFiles::RecentFiles(int capacity)
    : m_capacity(std::clamp(capacity, kMinCapacity, kMaxCapacity)) {}

bool RecentFiles::add(const std::string& path) {
    if (!m_paths.empty() && m_paths.front() == path) return false;
    const auto it = std::find(m_paths.begin(), m_paths.end(), path);
    if (it != m_paths.end()) {
        m_paths.erase(it);
    } else if (static_cast<int>(m_paths.size()) >= m_capacity) {
        m_paths.pop_back();
    }
    m_paths.insert(m_paths.begin(), path);
    return true;
}

bool RecentFiles::remove(const std::string& path) {
    const auto it = std::find(m_paths.begin(), m_paths.end(), path);
    if (it == m_paths.end()) return false;
    m_paths.erase(it);
    return true;
}

void RecentFiles::load(const IniStore& ini) {
    m_paths.clear();
    const long count = std::clamp<long>(ini.getInt(kSection, "FileNum", 0), 0, m_capacity);
    for (long i = 1; i <= count; ++i) {
        std::string p = ini.getString(kSection, std::to_string(i), "", kMaxPathLength);
        if (!p.empty() && std::find(m_paths.begin(), m_paths.end(), p) == m_paths.end()) {
            m_paths.push_back(std::move(p));
        }
    }
}

void RecentFiles::save(IniStore& ini) const {
    ini.deleteSection(kSection);
    ini.setInt(kSection, "FileNum", static_cast<long>(m_paths.size()));
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        ini.setString(kSection, std::to_string(i + 1), m_paths[i]);
    }
}

}  // namespace zeq::desk
