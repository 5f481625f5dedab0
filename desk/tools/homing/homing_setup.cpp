#include "tools/homing/homing_setup.h"

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/axis_list.h"
#include "tools/homing/homing_messages.h"

namespace zeq::desk {
namespace {

int addressOf(const char* name) {
    ParamRow row{};
    return paramCatalogue().findByName(name, &row) >= 0 ? row.address : -1;
}

}  // namespace

HomingSetup::HomingSetup(Boards& boards, UserDialogs& dialogs)
    : m_boards(boards), m_dialogs(dialogs), m_addr{addressOf("homeseq"),   addressOf("highvel"),
                                                   addressOf("lowvel"),    addressOf("homepos"),
                                                   addressOf("homeSTpos"), addressOf("gohome"),
                                                   addressOf("sethome")} {}

HomingSetup::~HomingSetup() {
    m_worker.cancelPending();
}

HomingSetup::AxisState* HomingSetup::current() {
    const int board = m_board, axis = m_axis;
    if (board < 0 || board >= Boards::kBoardCount || axis < 0 || axis >= kAxesPerBoard)
        return nullptr;
    return &m_axes[static_cast<std::size_t>(board * kAxesPerBoard + axis)];
}

const HomingSetup::AxisState* HomingSetup::current() const {
    return const_cast<HomingSetup*>(this)->current();
}

HomingValues HomingSetup::edited() const {
    std::lock_guard lock(m_mutex);
    const AxisState* a = current();
    return a ? a->edited : HomingValues{};
}

HomingValues HomingSetup::written() const {
    std::lock_guard lock(m_mutex);
    const AxisState* a = current();
    return a ? a->written : HomingValues{};
}

bool HomingSetup::loaded() const {
    std::lock_guard lock(m_mutex);
    const AxisState* a = current();
    return a && a->loaded;
}

bool HomingSetup::startSearchEnabled() const {
    return homeseq::hasAction(written().homeseq);
}

// The phase count, final action and edited phase as the selected axis's `homeseq` shows them.
void HomingSetup::showFromSeq() {
    const std::uint16_t seq = edited().homeseq;
    m_phases = homeseq::phasesShown(seq);
    m_finalAction = homeseq::finalActionShown(seq);
    if (m_editPhase > m_phases) m_editPhase = 1;
}

ZEQ_HANDLE HomingSetup::openHandle() {
    if (m_board < 0 || m_board >= Boards::kBoardCount) {
        m_dialogs.message(homing_text::kChooseDevice);
        return 0;
    }
    const ZEQ_HANDLE h = m_boards.handle(m_board);
    if (h == 0) m_dialogs.message(homing_text::kOpenDevice);
    return h;
}

bool HomingSetup::select(int board, int axis) {
    if (board == m_board && axis == m_axis) return true;
    {
        const AxisState* a = nullptr;
        bool unwritten = false;
        {
            std::lock_guard lock(m_mutex);
            a = current();
            unwritten = a && a->edited.homeseq != a->written.homeseq;
        }
        if (unwritten && m_dialogs.askYesNo(homing_text::kSwitchUnwritten,
                                            UserDialogs::Answer::No) != UserDialogs::Answer::Yes)
            return false;
    }
    m_board = board;
    m_axis = axis;
    bool needLoad = false;
    {
        std::lock_guard lock(m_mutex);
        const AxisState* a = current();
        needLoad = a && !a->loaded;
    }
    showFromSeq();
    const ZEQ_HANDLE h = board >= 0 && board < Boards::kBoardCount ? m_boards.handle(board) : 0;
    if (!needLoad || h == 0) return true;
    const Addresses ad = m_addr;
    m_worker.post([this, h, board, axis, ad] {
        // Every value first; nothing changes when one read fails.
        HomingValues v;
        int status = ZEQ_OK;
        v.homeseq = myReadParamWord(h, axis, ad.homeseq, &status);
        if (status == ZEQ_OK) v.highvel = myReadParam(h, axis, ad.highvel, &status);
        if (status == ZEQ_OK) v.lowvel = myReadParam(h, axis, ad.lowvel, &status);
        if (status == ZEQ_OK) v.homepos = myReadParam(h, axis, ad.homepos, &status);
        if (status == ZEQ_OK) v.homeSTpos = myReadParam(h, axis, ad.homeSTpos, &status);
        if (status == ZEQ_OK) {
            std::lock_guard lock(m_mutex);
            AxisState& a = m_axes[static_cast<std::size_t>(board * kAxesPerBoard + axis)];
            a.written = v;
            a.edited = v;
            a.loaded = true;
        }
        if (status == ZEQ_OK && m_board.load() == board && m_axis.load() == axis) showFromSeq();
        if (m_observer) m_observer->axisLoaded(board, axis, status == ZEQ_OK);
    });
    return true;
}

void HomingSetup::fillAxisList(int board) {
    m_worker.post([this, board] {
        const auto entries = axisListEntries(toolAxisCount(m_boards, board));
        if (m_observer) m_observer->axisListFilled(board, entries);
    });
}

void HomingSetup::editSeq(const std::function<std::uint16_t(std::uint16_t)>& change) {
    std::lock_guard lock(m_mutex);
    AxisState* a = current();
    if (a) a->edited.homeseq = change(a->edited.homeseq);
}

void HomingSetup::setStartNegative(bool negative) {
    editSeq([&](std::uint16_t s) { return homeseq::withBit(s, homeseq::kNegativeBit, negative); });
}

void HomingSetup::setRisingEdge(bool rising) {
    editSeq([&](std::uint16_t s) { return homeseq::withBit(s, homeseq::kRisingEdgeBit, rising); });
}

void HomingSetup::setMoveAfterHome(bool move) {
    editSeq([&](std::uint16_t s) { return homeseq::withBit(s, homeseq::kMoveAfterHomeBit, move); });
}

void HomingSetup::setPhases(int phases) {
    if (phases < 1 || phases > 3) return;
    m_phases = phases;
    int action = m_finalAction;
    editSeq([&](std::uint16_t s) { return homeseq::withPhases(s, phases, action); });
    m_finalAction = action;
    if (m_editPhase > phases) m_editPhase = 1;
}

bool HomingSetup::setFinalAction(int action) {
    if (action < 0 || action > 2 || !finalActionEnabled(action)) return false;
    m_finalAction = action;
    editSeq([&](std::uint16_t s) { return homeseq::withFinalAction(s, m_phases, action); });
    return true;
}

bool HomingSetup::setEditPhase(int phase) {
    if (!phaseEnabled(phase)) return false;
    m_editPhase = phase;
    return true;
}

void HomingSetup::setEditPhaseHighSpeed(bool high) {
    editSeq(
        [&](std::uint16_t s) { return homeseq::withBit(s, homeseq::speedBit(m_editPhase), high); });
}

void HomingSetup::setHighvel(std::int32_t v) {
    std::lock_guard lock(m_mutex);
    if (AxisState* a = current()) a->edited.highvel = v;
}
void HomingSetup::setLowvel(std::int32_t v) {
    std::lock_guard lock(m_mutex);
    if (AxisState* a = current()) a->edited.lowvel = v;
}
void HomingSetup::setHomepos(std::int32_t v) {
    std::lock_guard lock(m_mutex);
    if (AxisState* a = current()) a->edited.homepos = v;
}
void HomingSetup::setHomeSTpos(std::int32_t v) {
    std::lock_guard lock(m_mutex);
    if (AxisState* a = current()) a->edited.homeSTpos = v;
}

bool HomingSetup::writeSetup() {
    const HomingValues v = edited();
    if (!current()) {
        openHandle();  // the message
        return false;
    }
    if (v.highvel == 0 || v.lowvel == 0) {
        m_dialogs.message(homing_text::kZeroSpeed);
        return false;
    }
    if (m_finalAction == homeseq::kNoAction) {
        m_dialogs.message(homing_text::kChooseAction);
        return false;
    }
    const ZEQ_HANDLE h = openHandle();
    if (h == 0) return false;
    const int board = m_board, axis = m_axis;
    const Addresses ad = m_addr;
    m_worker.post([this, h, board, axis, ad, v] {
        // `homeseq`, then the speeds and the offset, then the position to move to when the
        // sequence ends with a move; the first failure ends the write.
        int status = myWriteParamWord(h, axis, ad.homeseq, v.homeseq);
        if (status == ZEQ_OK) status = myWriteParam(h, axis, ad.highvel, v.highvel);
        if (status == ZEQ_OK) status = myWriteParam(h, axis, ad.lowvel, v.lowvel);
        if (status == ZEQ_OK) status = myWriteParam(h, axis, ad.homepos, v.homepos);
        if (status == ZEQ_OK && (v.homeseq & homeseq::kMoveAfterHomeBit))
            status = myWriteParam(h, axis, ad.homeSTpos, v.homeSTpos);
        if (status != ZEQ_OK) {
            m_dialogs.message(homing_text::kSaveFailed);
        } else {
            std::lock_guard lock(m_mutex);
            m_axes[static_cast<std::size_t>(board * kAxesPerBoard + axis)].written = v;
        }
        if (m_observer) m_observer->setupWritten(status == ZEQ_OK);
    });
    return true;
}

bool HomingSetup::startSearch() {
    const HomingValues w = written();
    if (!homeseq::hasAction(w.homeseq)) {
        m_dialogs.message(homing_text::kChooseAction);
        return false;
    }
    if (edited().homeseq != w.homeseq &&
        m_dialogs.askYesNo(homing_text::kSearchUnwritten, UserDialogs::Answer::No) !=
            UserDialogs::Answer::Yes)
        return false;
    const ZEQ_HANDLE h = openHandle();
    if (h == 0) return false;
    const int axis = m_axis, address = m_addr.gohome;
    m_worker.post([this, h, axis, address] {
        const int status = myWriteParamWord(h, axis, address, 0xFFFF);
        if (status != ZEQ_OK) m_dialogs.message(homing_text::kSearchFailed);
        if (m_observer) m_observer->searchStarted(status == ZEQ_OK);
    });
    return true;
}

bool HomingSetup::setHome() {
    const ZEQ_HANDLE h = openHandle();
    if (h == 0) return false;
    const int axis = m_axis, address = m_addr.sethome;
    m_worker.post([this, h, axis, address] {
        const int status = myWriteParamWord(h, axis, address, 0xFFFF);
        if (m_observer) m_observer->homeSet(status == ZEQ_OK);
    });
    return true;
}

}  // namespace zeq::desk
