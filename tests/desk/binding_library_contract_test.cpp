// The device library the binding loads: its exports match the binding's lists and function
// types.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <type_traits>

#include "binding/device_binding.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {
namespace {

// Every bound function type is the type the library's header declares.
#define ZEQ_SIG_USB(name) static_assert(std::is_same_v<fn::USB_##name, decltype(&::name)>, #name);
#define ZEQ_SIG_PCI(name)
#define ZEQ_SIG_COMMON(name) \
    static_assert(std::is_same_v<fn::COMMON_##name, decltype(&::name)>, #name);
#define ZEQ_FN(list, name, wrapper, style, result, params, args) ZEQ_SIG_##list(name)
#include "binding/device_functions.inc"
#undef ZEQ_FN
static_assert(std::is_same_v<decltype(&::ZEQ_SetNotifyCallback), void (*)(ZEQ_NOTIFY_FN, void*)>);

TEST(DeviceLibraryContract, ExportsTheUsbAndCommonNamesAndNoPciOnlyName) {
    const std::string path =
        std::string(ZEQ_DLL_DIR) + "/" + DeviceBinding::libraryFileName(kCardUsb);
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const BindingName& n : usbBindingList()) EXPECT_NE(dlsym(lib, n.name), nullptr) << n.name;
    for (const BindingName& n : commonBindingList())
        EXPECT_NE(dlsym(lib, n.name), nullptr) << n.name;
    for (const BindingName& n : pciBindingList()) {
        const std::string name = n.name;
        bool shared = name == "ZEQ_Write" || name == "ZEQ_Read" || name == "ZEQ_Open" ||
                      name == "ZEQ_OpenUsePassword" || name == "ZEQ_ClearFIFO";
        EXPECT_EQ(dlsym(lib, n.name) != nullptr, shared) << n.name;
    }
    EXPECT_NE(dlsym(lib, "ZEQ_SetNotifyCallback"), nullptr);
    dlclose(lib);
}

}  // namespace
}  // namespace zeq::desk
