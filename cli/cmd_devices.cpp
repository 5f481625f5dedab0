// `zeq devices`: the device search of the IDE's device bars; one line per device found:
// index in the library's device list, description, location id.
#include <cstdio>
#include <string_view>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "commands.h"
#include "core/app_home.h"
#include "core/stdout_sink.h"
#include "device_options.h"
#include "interpreter/script_interpreter.h"
#include "stderr_dialogs.h"

namespace zeq::cli {
namespace {

int listDevices() {
    const std::string home = desk::applicationHome();
    if (!desk::ensureDirectory(home + "/dat")) {
        std::fprintf(stderr, "zeq: cannot create %s/dat\n", home.c_str());
        return 2;
    }
    StderrDialogs dialogs;
    desk::StdoutSink sink;
    desk::DeviceBinding& binding = desk::deviceBinding();
    binding.setDialogs(&dialogs);
    binding.setCardType(deviceOptions().cardType);
    if (binding.load() != 0) return 2;
    int found = 0;
    {
        desk::Boards boards(binding, sink, dialogs, desk::systemClock());
        boards.startUp();
        found = boards.slotCount();
        for (int i = 0; i < found; ++i) {
            const desk::DeviceSlot& s = boards.slot(i);
            if (s.usbLocation >= 0)
                std::printf("%u\t%s\t0x%X\n", s.usbIndex, s.displayName.c_str(),
                            static_cast<unsigned>(s.usbLocation));
            else
                std::printf("%u\t%s\t-\n", s.usbIndex, s.displayName.c_str());
        }
    }
    binding.unload();
    if (found == 0) std::fprintf(stderr, "zeq: no device found\n");
    return 0;
}

const bool devicesRegistered = registerCommand("devices", [](CLI::App& app) -> Runner {
    app.add_subcommand("devices", "list the devices found (index, description, location)")
        ->fallthrough();
    return [] { return listDevices(); };
});

}  // namespace
}  // namespace zeq::cli
