// The device search of each card type, the board assignment pass, and the remembered boards
// of section `Drevices` in zeq.ini.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "binding/binding_messages.h"
#include "binding/boards.h"
#include "binding/device_wrappers.h"
#include "core/simple_ini.h"

namespace zeq::desk {
namespace {

namespace text = binding_text;
constexpr const char* kSection = "Drevices";
constexpr const char* kCardTypeKey = "BoardType";

// The key of a device in the settings file. An INI key cannot keep blanks at its ends (they
// are dropped when the file is read), so they are dropped when it is written too.
std::string iniKey(std::string_view displayName) {
    std::string k = rememberedKey(displayName);
    const auto first = k.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return k.substr(first, k.find_last_not_of(" \t") - first + 1);
}

}  // namespace

void Boards::search() {
    if (m_view) m_view->searching(true);
    if (m_binding.cardType() == kCardPci) {
        searchPci();
    } else {
        searchUsb();
    }
    if (m_view) {
        m_view->searching(false);
        m_view->slotsChanged();
    }
}

int Boards::rememberedBoard(const std::string& displayName) const {
    if (m_iniPath.empty()) return -1;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadFile(m_iniPath.c_str()) < 0) return -1;
    // Read under the key the board is saved under (the name before any "[").
    long v = ini.GetLongValue(kSection, iniKey(displayName).c_str(), -1);
    return (v >= 0 && v < kBoardCount) ? static_cast<int>(v) : -1;
}

void Boards::searchUsb() {
    closeAllBoards();
    m_target = -1;
    m_slotCount = 0;

    std::uint32_t count = 0;
    if (ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY) != ZEQ_OK) {
        m_dialogs.message(text::kSearchFailed);
        return;
    }
    if (count == 0) {
        say(text::kNoDeviceFound);
        return;
    }
    for (std::uint32_t i = 0; i < count && m_slotCount < kMaxSlots; ++i) {
        void* index = reinterpret_cast<void*>(static_cast<std::uintptr_t>(i));
        char description[64] = {};
        bool read = false;
        // A device that is just being enumerated may not answer at once.
        for (int attempt = 0; attempt < kDescriptionTries; ++attempt) {
            if (attempt > 0) m_clock.sleepFor(kDescriptionRetryDelay);
            if (ListDevices(index, description,
                            ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION) == ZEQ_OK) {
                read = true;
                break;
            }
        }
        if (!read) continue;
        description[sizeof description - 1] = '\0';

        DeviceSlot& s = m_slots[m_slotCount];
        s = DeviceSlot{};
        s.displayName = description;
        s.chosenBoard = rememberedBoard(s.displayName);
        s.usbIndex = static_cast<std::uint16_t>(i);
        std::uint32_t location = 0;
        s.usbLocation =
            ListDevices(index, &location, ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_LOCATION) == ZEQ_OK
                ? static_cast<std::int32_t>(location)
                : -1;
        ++m_slotCount;
    }
    if (m_slotCount > 0) m_target = 0;
    assignBoards();
}

void Boards::searchPci() {
    // Open PCI boards are closed too: a slot refilled by the search can no longer reach them.
    closeAllBoards();
    m_target = -1;
    m_slotCount = 0;

    PciDeviceList list{};
    if (myPCIFindDev(&list) != ZEQ_OK || list.count <= 0) {
        say(text::kNoDeviceFound);
        return;
    }
    const int cards = std::min<int>(list.count, PciDeviceList::kMaxCards);
    for (int i = 0; i < cards && m_slotCount < kMaxSlots; ++i) {
        DeviceSlot& s = m_slots[m_slotCount];
        s = DeviceSlot{};
        s.pciCard = list.card[i];
        char name[64];
        std::snprintf(name, sizeof name, text::kPciCardName, s.pciCard.word[1]);
        s.displayName = name;
        s.chosenBoard = rememberedBoard(s.displayName);
        ++m_slotCount;
    }
    if (m_slotCount > 0) m_target = 0;
    assignBoards();
}

// Gives a board to every slot without one, in slot order, with one candidate number that
// only grows during the pass. A candidate is moved on until no other slot holds it, so no two
// slots end up with the same number.
void Boards::assignBoards() {
    int candidate = 0;
    for (int s = 0; s < m_slotCount; ++s) {
        if (m_slots[s].chosenBoard >= 0) continue;
        bool clash = true;
        while (clash) {
            clash = false;
            for (int j = 0; j < m_slotCount; ++j) {
                if (j != s && m_slots[j].chosenBoard == candidate) {
                    ++candidate;
                    clash = true;
                }
            }
        }
        // A board list has eight entries; a candidate beyond them selects nothing.
        m_slots[s].chosenBoard = candidate < kBoardCount ? candidate : -1;
    }
}

bool Boards::saveSettings() const {
    if (m_iniPath.empty()) return false;
    CSimpleIniA ini;
    ini.SetUnicode(true);
    ini.SetSpaces(false);             // "key=value", as the application writes the rest of the file
    ini.LoadFile(m_iniPath.c_str());  // keep the other sections; a missing file is fine
    ini.Delete(kSection, nullptr);
    for (int i = 0; i < m_slotCount; ++i) {
        const DeviceSlot& s = m_slots[i];
        const std::string key = iniKey(s.displayName);
        if (key.empty()) continue;  // nothing to find it by again
        ini.SetValue(kSection, key.c_str(), std::to_string(s.chosenBoard).c_str());
    }
    ini.SetValue(kSection, kCardTypeKey, std::to_string(m_binding.cardType()).c_str());
    std::error_code ec;
    auto parent = std::filesystem::path(m_iniPath).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    return ini.SaveFile(m_iniPath.c_str(), false) >= 0;  // no byte-order mark
}

bool Boards::renameDevice(int slotIndex, std::string_view newName) {
    constexpr std::size_t kMaxName = 32;
    if (newName.size() > kMaxName) {
        say(text::kNameTooLong);
        return false;
    }
    if (!validSlot(slotIndex)) {
        m_dialogs.message(text::kNoDevice);
        return false;
    }
    DeviceSlot& s = m_slots[slotIndex];
    // A connected device is renamed through its board's handle; the bridge cannot be opened
    // twice.
    ZEQ_HANDLE h = s.connectedBoard >= 0 ? m_handles[s.connectedBoard] : 0;
    const bool ownHandle = h == 0;
    if (ownHandle && USBOpen(s.usbIndex, &h) != ZEQ_OK) {
        m_dialogs.message(text::kCannotOpenForRename);
        return false;
    }
    char manufacturer[64] = {}, manufacturerId[64] = {}, description[64] = {}, serial[64] = {};
    ZEQ_EEPROM_DATA data{};
    data.Signature1 = 0x00000000;
    data.Signature2 = 0xFFFFFFFF;
    data.Manufacturer = manufacturer;
    data.ManufacturerId = manufacturerId;
    data.Description = description;
    data.SerialNumber = serial;
    bool ok = myReadProEEP(h, &data) == ZEQ_OK;
    if (ok) {
        std::memset(description, 0, sizeof description);
        if (!newName.empty()) std::memcpy(description, newName.data(), newName.size());
        ok = myWriteProEEP(h, &data) == ZEQ_OK;
    }
    if (ownHandle) myClose(&h);
    m_dialogs.message(ok ? text::kRenameDone : text::kRenameFailed);
    return ok;
}

int loadCardTypeSetting(const std::string& iniPath) {
    CSimpleIniA ini;
    ini.SetUnicode(true);
    if (ini.LoadFile(iniPath.c_str()) < 0) return kCardUsb;
    return static_cast<int>(ini.GetLongValue(kSection, kCardTypeKey, kCardUsb));
}

}  // namespace zeq::desk
