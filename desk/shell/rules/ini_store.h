// The settings file zeq.ini: private-profile style reads with a default for every key, section
// deletion, and a save that replaces the file atomically. A missing or unreadable file reads as
// empty; every value read is bounded.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk {

class IniStore {
  public:
    IniStore();
    ~IniStore();
    IniStore(const IniStore&) = delete;
    IniStore& operator=(const IniStore&) = delete;

    // Reads the file; a missing or unreadable file leaves the store empty (false).
    bool load(const std::string& path);
    // Writes every section atomically (see atomic_file.h).
    bool save(const std::string& path, std::string* error = nullptr) const;

    bool has(std::string_view section, std::string_view key) const;
    // The value, or `def` when the key is absent; cut to `maxLength` bytes.
    std::string getString(std::string_view section, std::string_view key, std::string_view def,
                          std::size_t maxLength = 4096) const;
    // A private-profile integer read: leading blanks, an optional sign, decimal digits (or
    // "0x" and hex digits); `def` when absent, 0 when no digits lead the value.
    long getInt(std::string_view section, std::string_view key, long def) const;
    // The keys of a section in file order.
    std::vector<std::string> keys(std::string_view section) const;

    void setString(std::string_view section, std::string_view key, std::string_view value);
    void setInt(std::string_view section, std::string_view key, long value);
    void deleteSection(std::string_view section);

  private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace zeq::desk
