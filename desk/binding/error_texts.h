// The texts of the device functions' status codes, and which codes end a script run.
#pragma once

#include <string_view>

namespace zeq::desk {

struct DeviceStatusText {
    // Empty for 0 (nothing is shown).
    std::string_view text;
    // Whether the code ends the run (sets the interpreter's `finished`).
    bool endsRun;
};

// The text of `status`; codes outside 0..22 read "其他错误！". Codes 11 and 22 are shown but
// let the run go on; 0 shows nothing.
DeviceStatusText deviceStatusText(int status);

// Reports a status the way a script run does: nothing for 0; otherwise the text goes to
// `writeError` (which adds the line number or not, by run kind) and `finished` is set unless
// the code lets the run go on.
template <class WriteError, class Flag>
void reportDeviceStatus(int status, WriteError&& writeError, Flag& finished) {
    if (status == 0) return;
    const DeviceStatusText t = deviceStatusText(status);
    writeError(t.text);
    if (t.endsRun) finished = true;
}

}  // namespace zeq::desk
