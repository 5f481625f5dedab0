// The texts of the device functions' status codes, and which codes end a script run.
#pragma once

#include <string_view>

#include "link/include/zeqlink.h"

namespace zeq::desk {

struct DeviceStatusText {
    // Empty for 0 (nothing is shown).
    std::string_view text;
    // Whether the code ends the run (sets the interpreter's `finished`).
    bool endsRun;
};

// The text of `status`; codes outside ZEQ_OK..ZEQ_ERR_PATH_NOT_DONE read "其他错误！".
// ZEQ_ERR_READ_ONLY and ZEQ_ERR_PATH_NOT_DONE are shown but let the run go on; ZEQ_OK shows
// nothing.
DeviceStatusText deviceStatusText(int status);

// Reports a status the way a script run does: nothing for ZEQ_OK; otherwise the text goes to
// `writeError` (which adds the line number or not, by run kind) and `finished` is set unless
// the code lets the run go on.
template <class WriteError, class Flag>
void reportDeviceStatus(int status, WriteError&& writeError, Flag& finished) {
    if (status == ZEQ_OK) return;
    const DeviceStatusText t = deviceStatusText(status);
    writeError(t.text);
    if (t.endsRun) finished = true;
}

}  // namespace zeq::desk
