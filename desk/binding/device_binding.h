// Loading the device library of the card type and binding its functions by name into the one
// function table that the guard wrappers (device_wrappers.h) call through.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "binding/device_types.h"
#include "core/interfaces.h"

namespace zeq::desk {

// One entry per bound function; the four names both variants bind have an entry per variant.
enum class Entry : int {
#define ZEQ_FN(list, name, wrapper, style, result, params, args) list##_##name,
#include "binding/device_functions.inc"
#undef ZEQ_FN
    kCount
};
inline constexpr int kEntryCount = static_cast<int>(Entry::kCount);

// The function type of every entry: fn::USB_ZEQ_Write, fn::COMMON_ZEQ_SetMCStgPos …
namespace fn {
#define ZEQ_FN(list, name, wrapper, style, result, params, args) \
    using list##_##name = result(*) params;
#include "binding/device_functions.inc"
#undef ZEQ_FN
}  // namespace fn

// A name of a binding list and the entry it fills.
struct BindingName {
    const char* name;
    Entry entry;
};

// Functions bound when the library has them and missed silently when it does not: the deferred
// read-back of the queue FIFO, with which a program run collects a read that the card answers
// only after a queued wait.
enum class OptionalEntry : int {
    IsRBFIFONoEmpty,  // ZEQ_IsRBFIFONoEmpty
    GetRFIFOData16,   // ZEQ_GetRFIFOData16
    GetRFIFOData32,   // ZEQ_GetRFIFOData32
    GetRFIFOData48,   // ZEQ_GetRFIFOData48
    kCount
};
inline constexpr int kOptionalEntryCount = static_cast<int>(OptionalEntry::kCount);

// The binding lists, each in its binding order.
std::span<const BindingName> usbBindingList();     // 14 names
std::span<const BindingName> pciBindingList();     // 19 names
std::span<const BindingName> commonBindingList();  // 179 names, after either variant list

class DeviceBinding {
  public:
    // The notification target the library is given for the main window.
    static constexpr std::uint32_t kMainWindowTarget = 1;
    using NotifyHandler =
        std::function<void(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam)>;
    using EndProgram = std::function<void(int exitStatus)>;

    DeviceBinding();
    ~DeviceBinding();
    DeviceBinding(const DeviceBinding&) = delete;
    DeviceBinding& operator=(const DeviceBinding&) = delete;

    // Where the libraries are looked for; default: the folder "Dll" beside the executable.
    void setLibraryDir(std::string dir);
    const std::string& libraryDir() const { return m_libraryDir; }
    // Message boxes of the loader and of the wrappers (null: standard error).
    void setDialogs(UserDialogs* dialogs);
    UserDialogs& dialogs();
    // What ends the program after a failed load (default: std::exit).
    void setEndProgram(EndProgram end);
    // Receives the library's notifications (transfer counts), on the thread that caused them.
    void setNotifyHandler(NotifyHandler handler);

    int cardType() const { return m_cardType; }
    void setCardType(int type) { m_cardType = type; }
    // "libzeqlink.so" for the USB card, "libzeqbus.so" for the PCI card, "" for any other type.
    static std::string libraryFileName(int cardType);

    // Loads the library of the card type and binds the variant list, then the common list.
    // 0 on success (also for a card type that loads nothing), -1 after the failure message.
    int load();
    // Loads; on failure unloads and ends the program with a non-zero status.
    bool loadOrEnd();
    // Frees the library and clears every entry.
    void unload();
    bool isLoaded() const { return m_library != nullptr; }

    void* entry(Entry e) const { return m_entries[static_cast<int>(e)]; }
    // Null when the loaded library does not export the function.
    void* optionalEntry(OptionalEntry e) const { return m_optional[static_cast<int>(e)]; }
    bool hasNotifyCallback() const { return m_setNotifyCallback != nullptr; }

    // The two ways a wrapper reports a function that is not bound.
    void reportInvalid(const char* wrapper);
    void reportNotValid(const char* wrapper);

  private:
    bool bindList(std::span<const BindingName> list);
    static void deliverNotification(void* context, std::uint32_t target, std::uint32_t message,
                                    std::uint32_t wParam, std::int32_t lParam);

    std::string m_libraryDir;
    UserDialogs* m_dialogs = nullptr;
    EndProgram m_end;
    NotifyHandler m_notify;
    int m_cardType = kCardUsb;
    void* m_library = nullptr;
    void* m_entries[kEntryCount] = {};
    void* m_optional[kOptionalEntryCount] = {};
    void (*m_setNotifyCallback)(ZEQ_NOTIFY_FN, void*) = nullptr;
};

// The process-wide binding: the one loaded library and its function table.
DeviceBinding& deviceBinding();

}  // namespace zeq::desk
