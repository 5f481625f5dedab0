// The parameter catalogue: the one map from a parameter name to its register address, width,
// display format, access right and scope. A fixed table of system rows (the card's register map,
// card/system_params.inc) plus the user rows that script macro definitions add during a compile.
#pragma once

#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace zeq::desk {

// Value kind codes; the same numbers the script type table gives the declarable types.
enum ParamKind : std::int32_t {
    kKindGearSrc = 0,  // only `gearsrc`; read like a 16-bit word
    kKindFlag16 = 1,   // only `emstop` and `hpause`; read like a 16-bit word
    kKindUInt16 = 2,   // "ZEQ_UINT"
    kKindInt16 = 3,    // "ZEQ_INT"
    kKindUInt32 = 4,   // "ZEQ_ULONG"
    kKindInt32 = 5,    // "ZEQ_LONG"
    kKindInt48 = 6,    // "ZEQ_DOUBLE"
    kKindBlock = 7,    // `ZEQ_block`: statements that write a single value refuse it
};

// Card words taken by a value of the kind (1, 2 or 3); 0 for a block, whose size the row does
// not carry.
int wordsOfKind(std::int32_t kind);

// One catalogue row. Layout and field order are fixed: name and format are NUL-padded
// character fields.
struct ParamRow {
    static constexpr std::size_t kNameSize = 24;
    static constexpr std::size_t kFormatSize = 10;

    char name[kNameSize];
    char format[kFormatSize];
    std::uint16_t address;
    std::int32_t kind;
    std::uint8_t readOnly;
    std::uint8_t global;

    // A row with the given fields. Text that does not fit its field (name: 23 bytes, format:
    // 9 bytes, leaving the terminating NUL) is cut; use fitsName() to refuse such a name first.
    static ParamRow make(std::string_view name, std::string_view format, std::uint16_t address,
                         std::int32_t kind, bool readOnly, bool global);
    // A user row as a macro definition adds it: empty format, writable, global.
    static ParamRow user(std::string_view name, std::uint16_t address, std::int32_t kind);
    // The row behind the last valid one: empty name, address = next free user address.
    static ParamRow terminator(std::uint16_t nextAddress);
    // Whether a name fits the name field whole.
    static bool fitsName(std::string_view name) { return name.size() < kNameSize; }

    std::string_view nameView() const;
    std::string_view formatView() const;
};

// The system rows, in table order.
std::span<const ParamRow> systemParamRows();

class ParamCatalogue {
  public:
    static constexpr int kSystemRows = 237;
    // The user storage area: 100 words from address 352; every macro takes at least one word,
    // so at most 100 user rows.
    static constexpr int kUserRows = 100;
    static constexpr std::uint16_t kUserAreaBase = 352;
    static constexpr int kUserAreaWords = 100;
    // System rows, user rows and the terminator row.
    static constexpr int kCapacity = kSystemRows + kUserRows + 1;

    // An empty catalogue (count 0); loadSystemRows() fills it.
    ParamCatalogue();
    ParamCatalogue(const ParamCatalogue&) = delete;
    ParamCatalogue& operator=(const ParamCatalogue&) = delete;

    // Sets count to 237 and copies the system rows into the first slots.
    void loadSystemRows();
    // Sets count back to 237, dropping all user rows; the slots behind are left as they are.
    void resetToSystemRows();

    // Index of the first row among 0..count-1 whose name equals `name` ignoring case, or -1
    // (also with count < 1). No prefix or partial matches. When `out` is given the matching
    // row is copied into it.
    int findByName(std::string_view name, ParamRow* out = nullptr) const;

    // Writes `row` into slot count; with `advance` set, count grows by one. A macro definition
    // calls it twice: with its new row and advance set, then with the terminator and advance
    // clear. Returns false, changing nothing, when the slot lies outside the table or when an
    // advance would leave no slot for the terminator.
    bool appendRow(const ParamRow& row, bool advance);

    int count() const;
    // A copy of row i (0 <= i < kCapacity; also the slots behind count); an empty row when i
    // is outside the table.
    ParamRow row(int i) const;
    // Words of the user storage area taken by the user rows now in the catalogue.
    int userWordsUsed() const;
    // Address the next user row gets: 352 + userWordsUsed().
    std::uint16_t nextUserAddress() const;

    // The listing text of the system rows: global rows first, then axis rows, two per line.
    static std::string listing();

  private:
    // The name index: open addressing over the row indices by a hash of the upper-cased name,
    // with each row's name length kept, so that a lookup measures and compares almost nothing.
    static constexpr int kIndexSlots = 1024;  // a power of two, three times the capacity
    static std::size_t nameHash(std::string_view name);
    void rebuildIndex();                // caller holds the lock
    void indexRow(int i);               // caller holds the lock
    std::int16_t m_index[kIndexSlots];  // row index + 1; 0 = free
    std::uint8_t m_nameLength[kCapacity];

    // The catalogue is process-wide; the compiler appends while the watch list or a graph
    // capture may be looking names up, so every access takes the lock.
    mutable std::mutex m_mutex;
    int m_count = 0;
    ParamRow m_rows[kCapacity];
};

// The process-wide catalogue, loaded with the system rows on first use.
ParamCatalogue& paramCatalogue();

}  // namespace zeq::desk
