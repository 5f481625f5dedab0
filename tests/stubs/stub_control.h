// Control block of the test-only device libraries: what the stub answers, and the calls it got.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "link/include/zeqlink.h"

namespace zeqstub {

struct Device {
    std::string description;
    std::uint32_t location = 0;
    int descriptionFailures = 0;  // the next N description queries fail
    bool locationFails = false;
    std::uint16_t naxis = 4;
};

struct Control {
    // Every call, as "NAME(arg,arg,…)"; pointers read "p", null pointers "0".
    std::vector<std::string> calls;
    // Result of a call by name (default 0 / 0.0).
    std::map<std::string, int> results;
    double doubleResult = 0.0;

    // The device list (USB): ZEQ_ListDevices and ZEQ_Open use it.
    std::vector<Device> devices;
    bool countFails = false;
    int openStatus = 0;
    int closeStatus = 0;
    int naxisStatus = 0;
    std::uint32_t nextHandle = 100;
    std::map<std::uint32_t, int> openDevice;  // handle -> device index (PCI: card index)

    // The PCI search.
    std::vector<std::uint32_t> pciIds;
    int findStatus = 0;

    // Notifications.
    ZEQ_NOTIFY_FN notify = nullptr;
    void* notifyContext = nullptr;

    // The bridge EEPROM's description per device index.
    std::map<int, std::string> eepromDescription;

    int count(const std::string& name) const {
        int n = 0;
        for (const auto& c : calls)
            if (c.compare(0, name.size() + 1, name + "(") == 0) ++n;
        return n;
    }
    std::string last(const std::string& name) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->compare(0, name.size() + 1, name + "(") == 0) return *it;
        return {};
    }
};

}  // namespace zeqstub

extern "C" zeqstub::Control* zeqstub_control();
// Sends a notification through the callback the IDE gave the library.
extern "C" void zeqstub_notify(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam);
