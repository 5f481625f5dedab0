#include "device_options.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"

namespace zeq::cli {
namespace {

DeviceOptions& mutableOptions() {
    static DeviceOptions options;
    return options;
}

const bool registered = registerGlobalOption(GlobalOption{
    [](CLI::App& app) {
        DeviceOptions& o = mutableOptions();
        app.add_option("--sim", o.sim, "virtual cards at the end of the device list (ZEQLINK_SIM)");
        app.add_option("--board", o.boards, "connect device index I as board B (B=I; repeatable)");
        app.add_option("--card-type", o.cardType, "0: USB card (default), 1: PCI card");
    },
    []() {
        const DeviceOptions& o = mutableOptions();
        if (o.cardType != 0 && o.cardType != 1) {
            std::fprintf(stderr, "zeq: --card-type must be 0 or 1\n");
            return false;
        }
        // The device library reads it when it lists or opens devices.
        if (o.sim >= 0) ::setenv("ZEQLINK_SIM", std::to_string(o.sim).c_str(), 1);
        return true;
    }});

}  // namespace

const DeviceOptions& deviceOptions() {
    return mutableOptions();
}

}  // namespace zeq::cli
