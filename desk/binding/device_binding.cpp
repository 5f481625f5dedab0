#include "binding/device_binding.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "binding/binding_messages.h"
#include "binding/shared_library.h"

namespace zeq::desk {
namespace {

namespace text = binding_text;

#define ZEQ_LIST_USB(name) {#name, Entry::USB_##name},
#define ZEQ_LIST_PCI(name)
#define ZEQ_LIST_COMMON(name)
constexpr BindingName kUsbList[] = {
#define ZEQ_FN(list, name, wrapper, style, result, params, args) ZEQ_LIST_##list(name)
#include "binding/device_functions.inc"
#undef ZEQ_FN
};
#undef ZEQ_LIST_USB
#undef ZEQ_LIST_PCI
#undef ZEQ_LIST_COMMON

#define ZEQ_LIST_USB(name)
#define ZEQ_LIST_PCI(name) {#name, Entry::PCI_##name},
#define ZEQ_LIST_COMMON(name)
constexpr BindingName kPciList[] = {
#define ZEQ_FN(list, name, wrapper, style, result, params, args) ZEQ_LIST_##list(name)
#include "binding/device_functions.inc"
#undef ZEQ_FN
};
#undef ZEQ_LIST_USB
#undef ZEQ_LIST_PCI
#undef ZEQ_LIST_COMMON

#define ZEQ_LIST_USB(name)
#define ZEQ_LIST_PCI(name)
#define ZEQ_LIST_COMMON(name) {#name, Entry::COMMON_##name},
constexpr BindingName kCommonList[] = {
#define ZEQ_FN(list, name, wrapper, style, result, params, args) ZEQ_LIST_##list(name)
#include "binding/device_functions.inc"
#undef ZEQ_FN
};
#undef ZEQ_LIST_USB
#undef ZEQ_LIST_PCI
#undef ZEQ_LIST_COMMON

static_assert(std::size(kUsbList) == 14);
static_assert(std::size(kPciList) == 19);
static_assert(std::size(kCommonList) == 179);

std::string format(const char* fmt, const char* arg) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, arg);
    return buf;
}

// Used until the application plugs in its own dialogs.
class StderrDialogs : public UserDialogs {
  public:
    void message(std::string_view text) override { std::cerr << text << '\n'; }
    Answer askYesNo(std::string_view text, Answer defaultAnswer) override {
        message(text);
        return defaultAnswer;
    }
    Answer askYesNoCancel(std::string_view text, Answer defaultAnswer) override {
        message(text);
        return defaultAnswer;
    }
};

}  // namespace

std::span<const BindingName> usbBindingList() {
    return kUsbList;
}
std::span<const BindingName> pciBindingList() {
    return kPciList;
}
std::span<const BindingName> commonBindingList() {
    return kCommonList;
}

DeviceBinding::DeviceBinding() {
    std::string exe = platform::executableDir();
    m_libraryDir = exe.empty() ? std::string("Dll") : exe + "/Dll";
}

DeviceBinding::~DeviceBinding() {
    unload();
}

void DeviceBinding::setLibraryDir(std::string dir) {
    m_libraryDir = std::move(dir);
}
void DeviceBinding::setDialogs(UserDialogs* dialogs) {
    m_dialogs = dialogs;
}
void DeviceBinding::setEndProgram(EndProgram end) {
    m_end = std::move(end);
}
void DeviceBinding::setNotifyHandler(NotifyHandler handler) {
    m_notify = std::move(handler);
}

UserDialogs& DeviceBinding::dialogs() {
    static StderrDialogs fallback;
    return m_dialogs ? *m_dialogs : fallback;
}

std::string DeviceBinding::libraryFileName(int cardType) {
    switch (cardType) {
        case kCardUsb:
            return platform::libraryFileName("zeqlink");
        case kCardPci:
            return platform::libraryFileName("zeqbus");
        default:
            return {};
    }
}

bool DeviceBinding::bindList(std::span<const BindingName> list) {
    for (const BindingName& n : list) {
        void* address = platform::findSymbol(m_library, n.name);
        m_entries[static_cast<int>(n.entry)] = address;
        if (!address) {
            // The names after the missing one are not looked up.
            dialogs().message(format(text::kFunctionMissing, n.name));
            return false;
        }
    }
    return true;
}

int DeviceBinding::load() {
    unload();  // never more than one library
    const std::string file = libraryFileName(m_cardType);
    if (file.empty()) return 0;  // a card type without a library: every wrapper reports

    m_library = platform::openLibrary(m_libraryDir + "/" + file);
    if (!m_library) {
        dialogs().message(format(text::kLibraryMissing, file.c_str()));
        return -1;
    }
    const bool usb = m_cardType == kCardUsb;
    if (!bindList(usb ? usbBindingList() : pciBindingList())) return -1;
    if (!bindList(commonBindingList())) return -1;

    static constexpr const char* kOptionalNames[kOptionalEntryCount] = {
        "ZEQ_IsRBFIFONoEmpty", "ZEQ_GetRFIFOData16", "ZEQ_GetRFIFOData32", "ZEQ_GetRFIFOData48"};
    for (int i = 0; i < kOptionalEntryCount; ++i)
        m_optional[i] = platform::findSymbol(m_library, kOptionalNames[i]);

    // Optional: the function that carries the notifications to this process's handler.
    m_setNotifyCallback = reinterpret_cast<void (*)(ZEQ_NOTIFY_FN, void*)>(
        platform::findSymbol(m_library, "ZEQ_SetNotifyCallback"));
    if (m_setNotifyCallback) m_setNotifyCallback(&DeviceBinding::deliverNotification, this);

    // The main window becomes the library's notification target (USB library only).
    if (usb) {
        auto sethWnd = reinterpret_cast<fn::USB_ZEQ_SethWnd>(entry(Entry::USB_ZEQ_SethWnd));
        sethWnd(kMainWindowTarget);
    }
    return 0;
}

bool DeviceBinding::loadOrEnd() {
    if (load() == 0) return true;
    unload();
    // A failed start is a failure: the program ends with a non-zero status.
    if (m_end) {
        m_end(EXIT_FAILURE);
    } else {
        std::exit(EXIT_FAILURE);
    }
    return false;
}

void DeviceBinding::unload() {
    if (m_library) {
        if (m_setNotifyCallback) m_setNotifyCallback(nullptr, nullptr);
        platform::closeLibrary(m_library);
        m_library = nullptr;
    }
    m_setNotifyCallback = nullptr;
    // Entries into a freed library must never be called: clear them all.
    for (void*& e : m_entries) e = nullptr;
    for (void*& e : m_optional) e = nullptr;
}

void DeviceBinding::reportInvalid(const char* wrapper) {
    dialogs().message(format(text::kWrapperInvalid, wrapper));
}

void DeviceBinding::reportNotValid(const char* wrapper) {
    dialogs().message(format(text::kWrapperNotValid, wrapper));
}

void DeviceBinding::deliverNotification(void* context, std::uint32_t /*target*/,
                                        std::uint32_t message, std::uint32_t wParam,
                                        std::int32_t lParam) {
    auto* self = static_cast<DeviceBinding*>(context);
    if (self && self->m_notify) self->m_notify(message, wParam, lParam);
}

DeviceBinding& deviceBinding() {
    static DeviceBinding* const instance = new DeviceBinding();
    return *instance;
}

}  // namespace zeq::desk
