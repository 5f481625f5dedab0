// The device bars of the main frame: the device toolbar ("目标设备:", the target device list,
// "搜索设备"), one slot bar per device found (board list, read-only name, connect button), the
// connection state and transfer counter panes, renaming a device and the card-type switch.
//
// The rules are the boards' own (binding/boards.h); this is their window. Every call that
// may talk to a card (search, board choice, connect, disconnect, rename, card-type switch)
// runs on one worker thread, one at a time: the window shows the wait cursor and disables the
// device widgets meanwhile, and the worker hands back a copy of the devices, from which the bars
// are redrawn on the window's thread. The window never reads the boards while a worker runs.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "binding/boards.h"
#include "tools/card_worker.h"

class QComboBox;
class QAction;
class QLabel;
class QLineEdit;
class QToolButton;
class QTimer;
class QToolBar;

namespace zeq::desk {

class MainWindow;
class Session;

class DeviceBars : public QObject, public BoardsView {
    Q_OBJECT
  public:
    // What the window shows of the boards, copied on the worker after each card call.
    struct SlotView {
        QString name;
        int chosenBoard = -1;
        bool connected = false;
        QString caption;
    };
    struct Snapshot {
        std::vector<SlotView> devices;
        int targetSlot = -1;
        int targetBoard = -1;  // the target slot's board when it is connected, else -1
        int cardType = 0;
    };

    // Builds the bars into `window` and becomes the boards' view. Both must outlive this
    // object, which must go before the session (its worker uses the boards).
    DeviceBars(MainWindow& window, Session& session);
    ~DeviceBars() override;

    // Whether a card call is under way (the device widgets are disabled).
    bool busy() const { return m_busy; }
    // While a program or an instruction runs over the boards, no search, connection or card
    // type change may pull them away: the run control sets this on start and clears it at end.
    void setRunActive(bool active);
    const Snapshot& shown() const { return m_shown; }
    // The window's start-up, on the worker: the search of the devices, then the connections
    // asked for on the command line (zeqdesk --board B=I, as pairs of board and device index).
    // The bars show the result, with the first connected board as the target; idle() follows.
    void startUp(std::vector<std::pair<int, int>> connections);

    // The widgets of slot bar n (tests and the screenshots drive them).
    QToolBar* slotBar(int n) const { return m_bars[n].bar; }
    QComboBox* boardList(int n) const { return m_bars[n].boards; }
    QLineEdit* nameField(int n) const { return m_bars[n].name; }
    QToolButton* connectButton(int n) const { return m_bars[n].connect; }
    QComboBox* targetList() const { return m_targetList; }

    // The user's commands, also reached through the widgets and the frame's actions.
    void search();
    void chooseBoard(int slot, int board);
    void toggleConnection(int slot);
    void selectTarget(int slot);
    void switchCardType(int cardType);
    void renameTarget(const QString& newName);
    void toggleCounters();

    // BoardsView: called on the thread of the card call; queued to the window's thread.
    void setConnectionState(std::string_view text) override;
    void setCounterText(std::string_view text) override;
    void cardTypeChanged(int cardType) override;

  signals:
    // A card call ended and the bars show its result.
    void idle();

  private:
    struct Bar {
        QToolBar* bar = nullptr;
        QComboBox* boards = nullptr;
        QLineEdit* name = nullptr;
        QAction* command = nullptr;  // the connect button's command, 32925 + n
        QToolButton* connect = nullptr;
    };
    void buildBars();
    void installCommands();
    // Runs `work` on the worker with the device widgets disabled, then redraws the bars.
    void onCard(std::function<void()> work);
    Snapshot takeSnapshot() const;
    void show(const Snapshot& s);
    void setBusy(bool busy);
    void askRename();

    MainWindow& m_window;
    Session& m_session;
    Boards& m_boards;
    std::array<Bar, Boards::kMaxSlots> m_bars{};
    QComboBox* m_targetList = nullptr;
    QLabel* m_connectionPane = nullptr;
    QLabel* m_countersPane = nullptr;
    QTimer* m_counterTimer = nullptr;
    Snapshot m_shown;
    bool m_busy = false;
    bool m_runActive = false;
    CardWorker m_worker;  // last: joined first, before the widgets' handlers go
};

// Installs the device bars into the window over the session's boards. Keep the result until
// the window has closed and destroy it before the session.
std::unique_ptr<DeviceBars> installDeviceBars(MainWindow& window, Session& session);

}  // namespace zeq::desk
