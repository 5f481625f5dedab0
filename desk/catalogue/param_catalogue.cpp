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

ParamCatalogue::ParamCatalogue() : m_index{}, m_nameLength{}, m_rows{} {}

std::size_t ParamCatalogue::nameHash(std::string_view name) {
    std::uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<unsigned char>(card::ascii_upper(c))) * 16777619u;
    return h ^ (h >> 16);
}

// Enters row i (the rows before it are in the index already); a name that an earlier row
// carries stays with that row.
void ParamCatalogue::indexRow(int i) {
    m_nameLength[i] = static_cast<std::uint8_t>(strnlen(m_rows[i].name, ParamRow::kNameSize));
    const std::string_view name(m_rows[i].name, m_nameLength[i]);
    for (std::size_t s = nameHash(name) & (kIndexSlots - 1);; s = (s + 1) & (kIndexSlots - 1)) {
        const int slot = m_index[s];
        if (slot == 0) {
            m_index[s] = static_cast<std::int16_t>(i + 1);
            return;
        }
        const int r = slot - 1;
        if (card::equals_ignore_case(std::string_view(m_rows[r].name, m_nameLength[r]), name))
            return;
    }
}

void ParamCatalogue::rebuildIndex() {
    std::fill(std::begin(m_index), std::end(m_index), std::int16_t{0});
    for (int i = 0; i < m_count; ++i) indexRow(i);
}

void ParamCatalogue::loadSystemRows() {
    std::lock_guard lock(m_mutex);
    m_count = kSystemRows;
    std::copy(std::begin(kSystemRowTable), std::end(kSystemRowTable), m_rows);
    rebuildIndex();
}

void ParamCatalogue::resetToSystemRows() {
    std::lock_guard lock(m_mutex);
    m_count = kSystemRows;
    rebuildIndex();
}

int ParamCatalogue::findByName(std::string_view name, ParamRow* out) const {
    std::lock_guard lock(m_mutex);
    // A name longer than the field can hold never equals a row name.
    if (m_count < 1 || name.size() >= ParamRow::kNameSize) return -1;
    for (std::size_t s = nameHash(name) & (kIndexSlots - 1);; s = (s + 1) & (kIndexSlots - 1)) {
        const int slot = m_index[s];
        if (slot == 0) return -1;
        const int i = slot - 1;
        if (i < m_count && m_nameLength[i] == name.size() &&
            card::equals_ignore_case(std::string_view(m_rows[i].name, m_nameLength[i]), name)) {
            if (out) *out = m_rows[i];
            return i;
        }
    }
}

bool ParamCatalogue::appendRow(const ParamRow& row, bool advance) {
    std::lock_guard lock(m_mutex);
    if (m_count < 0 || m_count >= kCapacity) return false;
    if (advance && m_count + 1 >= kCapacity) return false;
    m_rows[m_count] = row;
    // The fields are NUL-padded text; keep them terminated whatever the caller filled in.
    m_rows[m_count].name[ParamRow::kNameSize - 1] = '\0';
    m_rows[m_count].format[ParamRow::kFormatSize - 1] = '\0';
    if (advance) {
        indexRow(m_count);
        ++m_count;
    }
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
