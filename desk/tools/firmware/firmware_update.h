// The firmware update sequence of the "更新固件" dialog, without the window.
//
//   FirmwareUpdate update(dialogs, observer, clock);
//   // worker thread:
//   UpdateResult r = update.run(request);
//   // user-interface thread, the "停止" button and the close guard:
//   update.confirmStop(dialogs);
//   if (!update.mayClose(dialogs)) ...;
//
// Threads: run() talks to the card and belongs on a worker; it calls `dialogs` and the
// observer on that worker (the window queues them to its own thread; askYesNo blocks the
// worker until the user answers). requestStop(), confirmStop(), running() and mayClose() may be
// called from any thread; the worker reads the stop flag before every block it writes and
// every block it verifies.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "binding/device_types.h"
#include "core/interfaces.h"
#include "tools/firmware/bit_file.h"
#include "tools/firmware/card_info.h"

namespace zeq::desk::firmware {

// Reports of a running update, on the worker thread.
class FirmwareObserver {
  public:
    virtual ~FirmwareObserver() = default;
    // The status line ("正在准备更新……", "已更新 %d%%" …).
    virtual void status(std::string_view text) = 0;
    // The update started or ended: the button's caption is "停止" while it runs, else "更新".
    virtual void runningChanged(bool running) = 0;
};

struct UpdateRequest {
    ZEQ_HANDLE handle = 0;  // the selected board's device, 0 when none
    CardInfo card;          // read when the board was chosen
    std::string path;       // the file field
    std::string oldPassword;
    std::string newPassword;
};

enum class UpdateResult {
    Failed,          // a check or a card call failed (its message was shown)
    Declined,        // the newer-firmware question was answered No
    Complete,        // "固件更新完成！"
    WritingStopped,  // stopped while writing; the written part was verified
    VerifyStopped,   // everything written, the verification was stopped
};

// The flash capacity of a flash identifier, 0 when the identifier is unknown.
std::uint32_t flashCapacity(int identifier);

class FirmwareUpdate {
  public:
    static constexpr std::size_t kBlockSize = 256;
    static constexpr int kProgressEvery = 20;  // blocks between progress lines
    static constexpr std::uint32_t kProbeWord = 0x12345678;

    FirmwareUpdate(UserDialogs& dialogs, FirmwareObserver& observer, Clock& clock)
        : m_dialogs(dialogs), m_observer(observer), m_clock(clock) {}

    UpdateResult run(const UpdateRequest& request);

    void requestStop() { m_stop = true; }
    bool running() const { return m_running; }
    // The "停止" button: asks the warning and sets the stop flag on Yes. True when stopping.
    bool confirmStop(UserDialogs& dialogs);
    // The close guard: while an update runs, asks "请先停止更新吗？" (Yes requests the stop)
    // and refuses to close.
    bool mayClose(UserDialogs& dialogs);

  private:
    UpdateResult sequence(const UpdateRequest& request);
    bool probeCapacity(ZEQ_HANDLE handle, std::uint32_t capacity);
    // Compares the first `length` bytes of the flash with the image. -1 mismatch or read
    // error, 0 stopped, 1 equal.
    int verify(ZEQ_HANDLE handle, const std::vector<std::uint8_t>& image, std::size_t length);

    UserDialogs& m_dialogs;
    FirmwareObserver& m_observer;
    Clock& m_clock;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
};

}  // namespace zeq::desk::firmware
