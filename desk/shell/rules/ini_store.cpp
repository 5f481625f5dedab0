#include "shell/rules/ini_store.h"

#include <cstdlib>
#include <list>

#include "core/simple_ini.h"
#include "shell/rules/atomic_file.h"

namespace zeq::desk {

struct IniStore::Impl {
    CSimpleIniA ini{true, false, false};
    // key=value, as private-profile files have it.
    Impl() { ini.SetSpaces(false); }
};

IniStore::IniStore() : m_impl(std::make_unique<Impl>()) {}
IniStore::~IniStore() = default;

bool IniStore::load(const std::string& path) {
    m_impl->ini.Reset();
    return m_impl->ini.LoadFile(path.c_str()) >= 0;
}

bool IniStore::save(const std::string& path, std::string* error) const {
    std::string text;
    if (m_impl->ini.Save(text) < 0) {
        if (error) *error = "cannot format the settings";
        return false;
    }
    return writeFileAtomically(path, text, error);
}

bool IniStore::has(std::string_view section, std::string_view key) const {
    return m_impl->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr) !=
           nullptr;
}

std::string IniStore::getString(std::string_view section, std::string_view key,
                                std::string_view def, std::size_t maxLength) const {
    const char* v =
        m_impl->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
    std::string out = v ? std::string(v) : std::string(def);
    if (out.size() > maxLength) out.resize(maxLength);
    return out;
}

long IniStore::getInt(std::string_view section, std::string_view key, long def) const {
    const char* v =
        m_impl->ini.GetValue(std::string(section).c_str(), std::string(key).c_str(), nullptr);
    if (!v) return def;
    while (*v == ' ' || *v == '\t') ++v;
    const bool neg = *v == '-';
    if (*v == '-' || *v == '+') ++v;
    int base = 10;
    if (v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        base = 16;
        v += 2;
    }
    unsigned long long value = 0;
    for (; *v; ++v) {
        int d;
        if (*v >= '0' && *v <= '9') {
            d = *v - '0';
        } else if (base == 16 && *v >= 'a' && *v <= 'f') {
            d = *v - 'a' + 10;
        } else if (base == 16 && *v >= 'A' && *v <= 'F') {
            d = *v - 'A' + 10;
        } else {
            break;
        }
        value = value * base + d;
        if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;  // a 32-bit read saturates
    }
    const long magnitude = static_cast<long>(value);
    return neg ? -magnitude : magnitude;
}

std::vector<std::string> IniStore::keys(std::string_view section) const {
    CSimpleIniA::TNamesDepend names;
    m_impl->ini.GetAllKeys(std::string(section).c_str(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    std::vector<std::string> out;
    for (const auto& n : names) out.emplace_back(n.pItem);
    return out;
}

void IniStore::setString(std::string_view section, std::string_view key, std::string_view value) {
    m_impl->ini.SetValue(std::string(section).c_str(), std::string(key).c_str(),
                         std::string(value).c_str());
}

void IniStore::setInt(std::string_view section, std::string_view key, long value) {
    setString(section, key, std::to_string(value));
}

void IniStore::deleteSection(std::string_view section) {
    m_impl->ini.Delete(std::string(section).c_str(), nullptr);
}

}  // namespace zeq::desk
