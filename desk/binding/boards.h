// Boards and connections: the devices found by a search, one slot each, connected as boards
// 0..7; the board handle table the interpreter and the tools use; the transfer counters; the
// remembered board of every device (section `Drevices` of zeq.ini).
//
// Start-up and close, as the GUI and the command line do them:
//
//   DeviceBinding& binding = deviceBinding();
//   binding.setDialogs(&dialogs);
//   binding.setCardType(loadCardTypeSetting(iniPath));   // or the --card-type option
//   if (!binding.loadOrEnd()) return;                     // failure ends the program
//   Boards boards(binding, output, dialogs, clock);
//   boards.setIniPath(iniPath);
//   boards.startUp();                                     // search; slots 0..slotCount()-1
//   boards.connectDevice(deviceIndex, board);             // --board B=I
//   ... the interpreter uses boards.handleTable() and boards.axisCounts() ...
//   boards.saveSettings();
//   binding.unload();
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "binding/device_binding.h"
#include "binding/device_types.h"
#include "core/board_count.h"
#include "core/interfaces.h"

namespace zeq::desk {

// The window parts that show the boards (slot bars, target device list, status panes). The
// CLI and the tests leave them out. Calls come on the thread that caused them; the transfer
// counters may change on a worker thread.
class BoardsView {
  public:
    virtual ~BoardsView() = default;
    // Status pane 1: the connection state.
    virtual void setConnectionState(std::string_view) {}
    // Status pane 2: the transfer counters.
    virtual void setCounterText(std::string_view) {}
    // The slots were refilled: show the bars of the filled slots, refill the target list.
    virtual void slotsChanged() {}
    // A search starts / ends (search button disabled, wait cursor).
    virtual void searching(bool) {}
    // The card type changed (window title tag via titleForCardType, watch box).
    virtual void cardTypeChanged(int) {}
};

// One device found by the last search.
struct DeviceSlot {
    std::string displayName;        // USB: the description; PCI: "ZEQ_PCI_Card(0x…)"
    std::uint16_t usbIndex = 0;     // index in the library's device list
    std::int32_t usbLocation = -1;  // location id, -1 when the library gave none
    PciCardEntry pciCard{};         // the PCI search's entry for the card
    int chosenBoard = -1;           // selection of the slot's board list, -1 = none
    int connectedBoard = -1;        // board the slot is connected as, -1 = not connected
};

// The window title with its card tag: everything from the first "(" is replaced by "(USB)" or
// "(PCI)"; a title without "(" gets a blank before the tag.
std::string titleForCardType(std::string_view title, int cardType);

// The card type remembered in zeq.ini (`BoardType` of `Drevices`), 0 when none.
int loadCardTypeSetting(const std::string& iniPath);

// The `Drevices` key of a device: its display name cut before the first "[".
std::string rememberedKey(std::string_view displayName);

class Boards {
  public:
    static constexpr int kBoardCount = desk::kBoardCount;
    static constexpr int kMaxSlots = 8;
    static constexpr int kMaxAxisCount = 16;
    static constexpr int kDescriptionTries = 100;
    static constexpr std::chrono::milliseconds kDescriptionRetryDelay{50};
    static constexpr std::uint32_t kNotifyMessage = ZEQ_NOTIFY_MESSAGE;
    static constexpr std::int32_t kNotifySent = 0x100;
    static constexpr std::int32_t kNotifyReceived = 0x200;

    // `binding` is normally the process-wide one (the wrappers call through it).
    Boards(DeviceBinding& binding, OutputSink& output, UserDialogs& dialogs, Clock& clock);
    ~Boards();
    Boards(const Boards&) = delete;
    Boards& operator=(const Boards&) = delete;

    void setView(BoardsView* view) { m_view = view; }
    // The settings file (dat/zeq.ini) the remembered boards are read from and written to.
    void setIniPath(std::string path) { m_iniPath = std::move(path); }
    const std::string& iniPath() const { return m_iniPath; }

    // ---- The board handle table (0 = no device connected as that board) ----
    ZEQ_HANDLE handle(int board) const;
    ZEQ_HANDLE* handleTable() { return m_handles.data(); }
    int axisCount(int board) const;
    const int* axisCounts() const { return m_axisCounts.data(); }
    // 4 under a USB card, 8 under a PCI card.
    int defaultAxisCount() const;
    // The handle the card commands (pause, emergency stop, instruction box) work on.
    ZEQ_HANDLE currentHandle() const { return m_current; }
    void setCurrentHandle(ZEQ_HANDLE h) { m_current = h; }

    // ---- Life cycle ----
    // After a (re)load of the library: every axis count back to the default.
    void libraryLoaded();
    // After the start-up load: slots unconnected, axis counts reset, search of the card type
    // (unless `searchNow` is false: the window searches on its worker once it shows).
    void startUp(bool searchNow = true);
    // The card type switch: refused while a board is connected ("先关闭连接的设备!"); otherwise
    // reloads the library of the new type (a failed load ends the program) and searches.
    bool switchCardType(int cardType);
    // Writes section `Drevices` anew (one key per filled slot, then `BoardType`). False when
    // the file cannot be written.
    bool saveSettings() const;

    // ---- Devices and slots ----
    // The search of the current card type; refills the slots.
    void search();
    int slotCount() const { return m_slotCount; }
    const DeviceSlot& slot(int i) const;
    // The slot selected in the target device list, -1 when none.
    int targetSlot() const { return m_target; }
    void selectTarget(int slot);
    // The slot's board list changed to `board` (-1..7).
    void chooseBoard(int slot, int board);
    // The slot's connect button: disconnects a connected slot, else connects it as its chosen
    // board. Returns the status of the connect (0 for a disconnect).
    int toggleConnection(int slot);
    // "断开设备" when the slot is connected as the board chosen in its list, else "连接设备".
    std::string connectCaption(int slot) const;
    bool anyConnected() const;
    bool isConnected(int slot) const;
    // The chosen board of the target slot when a device is connected as it, else -1 (after a
    // message in the output pane).
    int boardOfTargetDevice();
    // The command line's `--board B=I`: device index I (USB list index; PCI: slot) as board B.
    // 0 or the failure status.
    int connectDevice(int deviceIndex, int board);
    // Renames a USB device: writes the new description into the bridge's EEPROM.
    bool renameDevice(int slot, std::string_view newName);

    // ---- Transfer counters ----
    // The library's notification: wParam bytes sent (lParam 0x100) or received (0x200). It
    // comes inside the library's exchange lock on any thread, so it only counts; the window
    // shows the counters with refreshCounters() a few times a second.
    void onNotification(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam);
    // With the counter display on (USB card): shows the counters in status pane 2 when they
    // changed since the last call. The thread of the view.
    void refreshCounters();
    std::uint32_t txBytes() const { return m_tx.load(); }
    std::uint32_t rxBytes() const { return m_rx.load(); }
    bool counterDisplay() const { return m_counterDisplay; }
    void toggleCounterDisplay();
    std::string counterText() const;

  private:
    void searchUsb();
    void searchPci();
    void assignBoards();
    int connectUsb(DeviceSlot& s, int board);
    int connectPci(DeviceSlot& s, int board);
    int connect(int slot);
    void disconnect(DeviceSlot& s, bool fromBoardList);
    void closeAllBoards();
    void updateAxisCount(int board);
    int rememberedBoard(const std::string& displayName) const;
    void say(std::string_view text);
    void state(std::string_view text);
    bool validSlot(int slot) const { return slot >= 0 && slot < m_slotCount; }

    DeviceBinding& m_binding;
    OutputSink& m_output;
    UserDialogs& m_dialogs;
    Clock& m_clock;
    BoardsView* m_view = nullptr;
    std::string m_iniPath;

    std::array<ZEQ_HANDLE, kBoardCount> m_handles{};
    std::array<int, kBoardCount> m_axisCounts{};
    ZEQ_HANDLE m_current = 0;

    std::array<DeviceSlot, kMaxSlots> m_slots{};
    int m_slotCount = 0;
    int m_target = -1;

    std::atomic<std::uint32_t> m_tx{0};
    std::atomic<std::uint32_t> m_rx{0};
    std::atomic<bool> m_counterDisplay{false};
    std::uint64_t m_shownCounters = ~std::uint64_t{0};
};

}  // namespace zeq::desk
