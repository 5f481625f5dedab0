#include "catalogue/param_catalogue.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "card/names.h"

namespace zeq::desk {
namespace {

constexpr ParamRow systemRow(std::string_view name, std::string_view format, int address, int kind,
                             int readOnly, int global) {
    ParamRow r{};
    for (std::size_t i = 0; i < name.size() && i + 1 < ParamRow::kNameSize; ++i)
        r.name[i] = name[i];
    for (std::size_t i = 0; i < format.size() && i + 1 < ParamRow::kFormatSize; ++i)
        r.format[i] = format[i];
    r.address = static_cast<std::uint16_t>(address);
    r.kind = kind;
    r.readOnly = static_cast<std::uint8_t>(readOnly);
    r.global = static_cast<std::uint8_t>(global);
    return r;
}

constexpr ParamRow kSystemRowTable[] = {
#define ZEQ_PARAM(name, format, address, kind, readOnly, global) \
    systemRow(#name, format, address, kind, readOnly, global),
#include "card/system_params.inc"
#undef ZEQ_PARAM
};
static_assert(std::size(kSystemRowTable) == ParamCatalogue::kSystemRows,
              "the card's register map has 237 system rows");

void copyField(char* dst, std::size_t size, std::string_view src) {
    std::memset(dst, 0, size);
    const std::size_t n = std::min(src.size(), size - 1);
    if (n > 0) std::memcpy(dst, src.data(), n);
}

std::string_view fieldView(const char* field, std::size_t size) {
    return std::string_view(field, strnlen(field, size));
}

}  // namespace

int wordsOfKind(std::int32_t kind) {
    switch (kind) {
        case kKindUInt32:
        case kKindInt32:
            return 2;
        case kKindInt48:
            return 3;
        case kKindBlock:
            return 0;
        default:
            return 1;
    }
}

ParamRow ParamRow::make(std::string_view name, std::string_view format, std::uint16_t address,
                        std::int32_t kind, bool readOnly, bool global) {
    ParamRow r{};
    copyField(r.name, kNameSize, name);
    copyField(r.format, kFormatSize, format);
    r.address = address;
    r.kind = kind;
    r.readOnly = readOnly ? 1 : 0;
    r.global = global ? 1 : 0;
    return r;
}

ParamRow ParamRow::user(std::string_view name, std::uint16_t address, std::int32_t kind) {
    return make(name, {}, address, kind, false, true);
}

ParamRow ParamRow::terminator(std::uint16_t nextAddress) {
    return make({}, {}, nextAddress, 0, false, false);
}

std::string_view ParamRow::nameView() const {
    return fieldView(name, kNameSize);
}
std::string_view ParamRow::formatView() const {
    return fieldView(format, kFormatSize);
}

std::span<const ParamRow> systemParamRows() {
    return kSystemRowTable;
}

ParamCatalogue::ParamCatalogue() : m_rows{} {}

void ParamCatalogue::loadSystemRows() {
    std::lock_guard lock(m_mutex);
    m_count = kSystemRows;
    std::copy(std::begin(kSystemRowTable), std::end(kSystemRowTable), m_rows);
}

void ParamCatalogue::resetToSystemRows() {
    std::lock_guard lock(m_mutex);
    m_count = kSystemRows;
}

int ParamCatalogue::findByName(std::string_view name, ParamRow* out) const {
    std::lock_guard lock(m_mutex);
    // A name longer than the field can hold never equals a row name.
    if (m_count < 1 || name.size() >= ParamRow::kNameSize) return -1;
    for (int i = 0; i < m_count; ++i) {
        if (card::equals_ignore_case(m_rows[i].nameView(), name)) {
            if (out) *out = m_rows[i];
            return i;
        }
    }
    return -1;
}

bool ParamCatalogue::appendRow(const ParamRow& row, bool advance) {
    std::lock_guard lock(m_mutex);
    if (m_count < 0 || m_count >= kCapacity) return false;
    if (advance && m_count + 1 >= kCapacity) return false;
    m_rows[m_count] = row;
    // The fields are NUL-padded text; keep them terminated whatever the caller filled in.
    m_rows[m_count].name[ParamRow::kNameSize - 1] = '\0';
    m_rows[m_count].format[ParamRow::kFormatSize - 1] = '\0';
    if (advance) ++m_count;
    return true;
}

int ParamCatalogue::count() const {
    std::lock_guard lock(m_mutex);
    return m_count;
}

ParamRow ParamCatalogue::row(int i) const {
    if (i < 0 || i >= kCapacity) return ParamRow{};
    std::lock_guard lock(m_mutex);
    return m_rows[i];
}

int ParamCatalogue::userWordsUsed() const {
    std::lock_guard lock(m_mutex);
    int words = 0;
    for (int i = kSystemRows; i < m_count; ++i) words += wordsOfKind(m_rows[i].kind);
    return words;
}

std::uint16_t ParamCatalogue::nextUserAddress() const {
    return static_cast<std::uint16_t>(kUserAreaBase + userWordsUsed());
}

ParamCatalogue& paramCatalogue() {
    static ParamCatalogue* const instance = [] {
        auto* c = new ParamCatalogue();
        c->loadSystemRows();
        return c;
    }();
    return *instance;
}

}  // namespace zeq::desk
