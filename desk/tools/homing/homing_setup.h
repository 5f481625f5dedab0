// The homing dialog's core: the working state of every board and axis, the option editing of
// `homeseq`, and the card operations (load an axis, write the setup, start the search, make the
// current point the origin).
//
// Threads. Every member is called on the owner's thread and never waits for a card: card calls
// run in order on the dialog's worker, which stores what it read or wrote into the state (under
// the state's lock) and then reports through HomingObserver. Messages go through UserDialogs
// (from either thread; the window queues those of the worker).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "binding/boards.h"
#include "core/interfaces.h"
#include "tools/card_worker.h"
#include "tools/homing/homeseq_bits.h"

namespace zeq::desk {

// One axis's homing values: `homeseq`, `highvel`, `lowvel`, `homepos`, `homeSTpos` (raw).
struct HomingValues {
    std::uint16_t homeseq = 0;
    std::int32_t highvel = 0;
    std::int32_t lowvel = 0;
    std::int32_t homepos = 0;
    std::int32_t homeSTpos = 0;
    bool operator==(const HomingValues&) const = default;
};

class HomingObserver {
  public:
    virtual ~HomingObserver() = default;
    // The values of an axis were read (`ok`) or the read failed (nothing changed).
    virtual void axisLoaded(int /*board*/, int /*axis*/, bool /*ok*/) {}
    virtual void setupWritten(bool /*ok*/) {}
    virtual void searchStarted(bool /*ok*/) {}
    virtual void homeSet(bool /*ok*/) {}
    // The axis list of a board: "轴 0" … (fillAxisList).
    virtual void axisListFilled(int /*board*/, const std::vector<std::string>& /*entries*/) {}
};

class HomingSetup {
  public:
    static constexpr int kAxesPerBoard = 16;

    HomingSetup(Boards& boards, UserDialogs& dialogs);
    ~HomingSetup();
    HomingSetup(const HomingSetup&) = delete;
    HomingSetup& operator=(const HomingSetup&) = delete;

    void setObserver(HomingObserver* observer) { m_observer = observer; }

    // Selects a board (-1: none) and axis. Leaving an axis whose edited `homeseq` was not
    // written asks first; on No the selection stays (false). An axis not yet loaded is read.
    bool select(int board, int axis);
    int board() const { return m_board; }
    int axis() const { return m_axis; }

    // Fills the axis list of `board` (`naxis` of a connected card, else the remembered count).
    void fillAxisList(int board);

    // ---- The options (each edits the selected axis's `homeseq`) ----
    void setStartNegative(bool negative);
    void setRisingEdge(bool rising);
    void setMoveAfterHome(bool move);
    void setPhases(int phases);
    // 0, 1, 2; refused (false) when its button is disabled.
    bool setFinalAction(int action);
    // The phase whose speed is edited; refused when its button is disabled.
    bool setEditPhase(int phase);
    void setEditPhaseHighSpeed(bool high);
    void setHighvel(std::int32_t v);
    void setLowvel(std::int32_t v);
    void setHomepos(std::int32_t v);
    void setHomeSTpos(std::int32_t v);

    // ---- What the dialog shows ----
    HomingValues edited() const;
    HomingValues written() const;
    bool loaded() const;
    int phases() const { return m_phases; }
    int editPhase() const { return m_editPhase; }
    int finalAction() const { return m_finalAction; }
    bool finalActionEnabled(int action) const { return action != 2 || m_phases == 1; }
    bool phaseEnabled(int phase) const { return phase >= 1 && phase <= m_phases; }
    bool startSearchEnabled() const;
    int pictureIndex() const { return homeseq::pictureIndex(m_phases, m_finalAction); }
    std::string bitsText() const { return homeseq::bitsText(edited().homeseq); }

    // ---- Card operations (checked here, done on the worker) ----
    // "设置配置到zEQ". False when a check refused it (after the message).
    bool writeSetup();
    // "启动搜寻".
    bool startSearch();
    // "置当前点为原点".
    bool setHome();

    void waitIdle() { m_worker.waitIdle(); }

  private:
    struct AxisState {
        HomingValues written;
        HomingValues edited;
        bool loaded = false;
    };
    AxisState* current();  // under m_mutex
    const AxisState* current() const;
    void editSeq(const std::function<std::uint16_t(std::uint16_t)>& change);
    void showFromSeq();
    ZEQ_HANDLE openHandle();

    Boards& m_boards;
    UserDialogs& m_dialogs;
    HomingObserver* m_observer = nullptr;
    // The selection and what the selected axis shows; the worker updates them when the
    // selected axis's values arrive.
    std::atomic<int> m_board{-1};
    std::atomic<int> m_axis{0};
    std::atomic<int> m_phases{1};
    std::atomic<int> m_editPhase{1};
    std::atomic<int> m_finalAction{homeseq::kNoAction};
    struct Addresses {
        int homeseq, highvel, lowvel, homepos, homeSTpos, gohome, sethome;
    } m_addr;

    mutable std::mutex m_mutex;  // m_axes
    std::array<AxisState, Boards::kBoardCount * kAxesPerBoard> m_axes{};
    CardWorker m_worker;
};

}  // namespace zeq::desk
