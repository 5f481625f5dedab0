// Boards: connections, the handle table, the target device and the transfer counters.
#include "binding/boards.h"

#include <cstdio>
#include <cstring>

#include "binding/binding_messages.h"
#include "binding/device_wrappers.h"

namespace zeq::desk {
namespace {

namespace text = binding_text;

template <class... A>
std::string format(const char* fmt, A... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

constexpr int kUsbDefaultAxes = 4;
constexpr int kPciDefaultAxes = 8;
// Bridge time-outs of a connected USB card, read and write (ms).
constexpr std::uint32_t kConnectTimeoutMs = 1000;

}  // namespace

std::string titleForCardType(std::string_view title, int cardType) {
    std::string t(title);
    auto paren = t.find('(');
    if (paren == std::string::npos) {
        t += ' ';
    } else {
        t.erase(paren);
    }
    t += cardType == kCardPci ? text::kTitlePci : text::kTitleUsb;
    return t;
}

std::string rememberedKey(std::string_view displayName) {
    return std::string(displayName.substr(0, displayName.find('[')));
}

Boards::Boards(DeviceBinding& binding, OutputSink& output, UserDialogs& dialogs, Clock& clock)
    : m_binding(binding), m_output(output), m_dialogs(dialogs), m_clock(clock) {
    m_axisCounts.fill(defaultAxisCount());
    m_binding.setNotifyHandler(
        [this](std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
            onNotification(message, wParam, lParam);
        });
}

Boards::~Boards() {
    // The connections belong to this object: close them with it.
    for (ZEQ_HANDLE& h : m_handles)
        if (h != 0 && m_binding.isLoaded()) myClose(&h);
    m_binding.setNotifyHandler(nullptr);
}

ZEQ_HANDLE Boards::handle(int board) const {
    return board >= 0 && board < kBoardCount ? m_handles[board] : 0;
}

int Boards::axisCount(int board) const {
    return board >= 0 && board < kBoardCount ? m_axisCounts[board] : 0;
}

int Boards::defaultAxisCount() const {
    return m_binding.cardType() == kCardPci ? kPciDefaultAxes : kUsbDefaultAxes;
}

const DeviceSlot& Boards::slot(int i) const {
    static const DeviceSlot kEmpty{};
    return validSlot(i) ? m_slots[i] : kEmpty;
}

void Boards::say(std::string_view t) {
    m_output.append(t);
}

void Boards::state(std::string_view t) {
    if (m_view) m_view->setConnectionState(t);
}

// ---- Life cycle -------------------------------------------------------------------------

void Boards::libraryLoaded() {
    m_axisCounts.fill(defaultAxisCount());
}

void Boards::startUp(bool searchNow) {
    libraryLoaded();
    for (DeviceSlot& s : m_slots) s.connectedBoard = -1;
    state(text::kNoConnectionState);
    if (searchNow) search();
    if (m_binding.cardType() == kCardPci && m_view) m_view->setCounterText(text::kCountersCleared);
}

bool Boards::switchCardType(int cardType) {
    if (anyConnected()) {
        m_dialogs.message(text::kCloseDevicesFirst);
        return false;
    }
    m_binding.setCardType(cardType);
    if (m_view) m_view->cardTypeChanged(cardType);
    m_binding.unload();
    if (!m_binding.loadOrEnd()) return false;
    search();
    libraryLoaded();
    if (m_view) {
        // After a switch to the USB card the counters are shown once, whatever the flag says.
        m_view->setCounterText(cardType == kCardPci ? std::string(text::kCountersCleared)
                                                    : counterText());
    }
    return true;
}

// ---- Connections ------------------------------------------------------------------------

void Boards::selectTarget(int s) {
    m_target = validSlot(s) ? s : -1;
}

bool Boards::isConnected(int s) const {
    return validSlot(s) && m_slots[s].connectedBoard >= 0;
}

bool Boards::anyConnected() const {
    for (int i = 0; i < m_slotCount; ++i)
        if (m_slots[i].connectedBoard >= 0) return true;
    return false;
}

std::string Boards::connectCaption(int s) const {
    if (validSlot(s) && m_slots[s].connectedBoard >= 0 &&
        m_slots[s].connectedBoard == m_slots[s].chosenBoard)
        return text::kDisconnectCaption;
    return text::kConnectCaption;
}

void Boards::disconnect(DeviceSlot& s, bool fromBoardList) {
    const int board = s.connectedBoard;
    myClose(&m_handles[board]);
    if (fromBoardList) {
        say(format(text::kDisconnectedBoard, s.displayName.c_str(), board));
    } else {
        say(s.displayName + text::kDisconnectedLine);
    }
    s.connectedBoard = -1;
    state(s.displayName + text::kDisconnectedState);
}

void Boards::chooseBoard(int slotIndex, int board) {
    if (!validSlot(slotIndex) || board < -1 || board >= kBoardCount) return;
    DeviceSlot& s = m_slots[slotIndex];
    if (s.connectedBoard >= 0) disconnect(s, true);
    s.chosenBoard = board;
    if (board < 0) return;
    for (int i = 0; i < m_slotCount; ++i) {
        if (m_slots[i].connectedBoard == board) {
            m_dialogs.message(text::kBoardHasDevice);
            return;
        }
    }
}

int Boards::toggleConnection(int slotIndex) {
    if (!validSlot(slotIndex)) return ZEQ_ERR_ARGUMENT;
    DeviceSlot& s = m_slots[slotIndex];
    if (s.connectedBoard >= 0) {
        disconnect(s, false);
        return ZEQ_OK;
    }
    return connect(slotIndex);
}

int Boards::connect(int slotIndex) {
    DeviceSlot& s = m_slots[slotIndex];
    const int b = s.chosenBoard;
    int status;
    if (b < 0 || b >= kBoardCount) {
        status = ZEQ_ERR_ARGUMENT;  // no board chosen: nothing to connect as
    } else if (m_handles[b] != 0) {
        m_dialogs.message(format(text::kBoardTaken, b));
        return ZEQ_ERR_ARGUMENT;
    } else {
        status = m_binding.cardType() == kCardPci ? connectPci(s, b) : connectUsb(s, b);
    }
    if (status == ZEQ_OK) {
        if (m_binding.cardType() != kCardPci) {
            SetTimeouts(m_handles[b], kConnectTimeoutMs, kConnectTimeoutMs);
            usbPurge(m_handles[b], ZEQ_PURGE_RX);
        }
        s.connectedBoard = b;
        say(s.displayName + text::kConnectedLine);
        state(s.displayName + text::kConnectedState);
        updateAxisCount(b);
        return ZEQ_OK;
    }
    if (status == ZEQ_ERR_VERSION) say(text::kVersionError);
    say(text::kConnectFailedLine);
    state(text::kConnectFailedState);
    return status;
}

int Boards::connectUsb(DeviceSlot& s, int board) {
    std::uint32_t count = 0;
    ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY);
    if (count == 0) {
        say(text::kNoDeviceFound);
        return ZEQ_ERR_NOT_OPENED;
    }
    void* index = reinterpret_cast<void*>(static_cast<std::uintptr_t>(s.usbIndex));
    char description[64] = {};
    if (ListDevices(index, description, ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION) !=
        ZEQ_OK) {
        say(text::kDeviceGone);
        return ZEQ_ERR_OTHER;
    }
    description[sizeof description - 1] = '\0';
    if (s.displayName != description) {
        say(text::kWrongDeviceName);
        return ZEQ_ERR_OTHER;
    }
    // A location that cannot be read is as good as a changed one: the device moved.
    std::uint32_t location = 0;
    if (ListDevices(index, &location, ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_LOCATION) != ZEQ_OK ||
        static_cast<std::int32_t>(location) != s.usbLocation) {
        say(text::kCannotConnect);
        return ZEQ_ERR_OTHER;
    }
    int status = USBOpen(s.usbIndex, &m_handles[board]);
    if (status != ZEQ_OK) m_handles[board] = 0;
    return status;
}

int Boards::connectPci(DeviceSlot& s, int board) {
    int status = PCIOpen(&m_handles[board], &s.pciCard);
    if (status != ZEQ_OK) m_handles[board] = 0;
    return status;
}

void Boards::updateAxisCount(int board) {
    int n = readAxisCount(m_handles[board]);
    m_axisCounts[board] = (n >= 0 && n <= kMaxAxisCount) ? n : defaultAxisCount();
}

void Boards::closeAllBoards() {
    for (ZEQ_HANDLE& h : m_handles)
        if (h != 0) myClose(&h);
    for (DeviceSlot& s : m_slots) s.connectedBoard = -1;
}

int Boards::boardOfTargetDevice() {
    if (!validSlot(m_target)) {
        say(text::kNoDeviceFound);
        return -1;
    }
    const DeviceSlot& s = m_slots[m_target];
    const int b = s.chosenBoard;
    if (b < 0 || b >= kBoardCount || m_handles[b] == 0) {
        say(format(text::kTargetNotConnected, b, s.displayName.c_str()));
        return -1;
    }
    return b;
}

int Boards::connectDevice(int deviceIndex, int board) {
    if (board < 0 || board >= kBoardCount) return ZEQ_ERR_ARGUMENT;
    int found = -1;
    for (int i = 0; i < m_slotCount && found < 0; ++i) {
        const bool match = m_binding.cardType() == kCardPci ? i == deviceIndex
                                                            : m_slots[i].usbIndex == deviceIndex;
        if (match) found = i;
    }
    if (found < 0) {
        say(text::kNoDeviceFound);
        return ZEQ_ERR_NOT_FOUND;
    }
    chooseBoard(found, board);
    if (m_target < 0) m_target = found;
    return connect(found);
}

// ---- Transfer counters ------------------------------------------------------------------

void Boards::onNotification(std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) {
    if (message != kNotifyMessage) return;
    if (lParam == kNotifySent) {
        m_tx += wParam;
    } else if (lParam == kNotifyReceived) {
        m_rx += wParam;
    }
}

void Boards::refreshCounters() {
    if (!m_counterDisplay || !m_view || m_binding.cardType() == kCardPci) return;
    const std::uint64_t now = (std::uint64_t{m_tx.load()} << 32) | m_rx.load();
    if (now == m_shownCounters) return;
    m_shownCounters = now;
    m_view->setCounterText(counterText());
}

std::string Boards::counterText() const {
    return format(text::kCounters, static_cast<unsigned>(m_tx.load()),
                  static_cast<unsigned>(m_rx.load()));
}

void Boards::toggleCounterDisplay() {
    MySethWnd(m_counterDisplay ? 0u : DeviceBinding::kMainWindowTarget);
    m_counterDisplay = !m_counterDisplay;
    m_shownCounters = ~std::uint64_t{0};  // the next refresh shows them
}

}  // namespace zeq::desk
