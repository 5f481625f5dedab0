// One session of the IDE or of the `zeq` command: the device library of the card type, the
// boards (with their remembered settings when the caller keeps them), the catalogue, the
// device port of the interpreters and the run controller over them, reporting to the output
// pane, the message boxes and the observers the caller gives. `zeq` and `zeqdesk` build the
// same object:
//
//   Session session({&sink, &dialogs});             // plus editor, observer, clock ...
//   if (!session.open()) return;                    // dat/, library, search
//   session.boards().connectDevice(0, 0);           // or the window's slot bars
//   session.setTargetBoard(0);
//   session.controller().run(false);
//
// Threads: open(), connect and the destructor on the owner's thread (the window gives the
// card work to a worker). The target board is atomic and may be read on any thread.
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <string>

#include "binding/boards.h"
#include "binding/device_binding.h"
#include "catalogue/param_catalogue.h"
#include "core/interfaces.h"
#include "interpreter/binding_device_port.h"
#include "interpreter/run_controller.h"
#include "interpreter/run_observer.h"

namespace zeq::desk {

class Session {
  public:
    struct Setup {
        OutputSink* sink = nullptr;       // required: the output pane
        UserDialogs* dialogs = nullptr;   // required: the library's and the boards' boxes
        EditorMarks* editor = nullptr;    // the running-line mark, if any
        RunObserver* observer = nullptr;  // the run state, if anyone shows it
        Clock* clock = nullptr;           // null: the wall clock
        int cardType = 0;                 // 0: USB card, 1: PCI card
        // Read and write the remembered boards (`Drevices` of dat/zeq.ini), as the window does.
        bool rememberBoards = false;
        // A failed library load ends the program after its message (the window's start-up);
        // otherwise open() returns false.
        bool endOnLoadFailure = false;
        // open() searches the devices. The window leaves it to its worker, so that a card
        // that is slow to answer never holds up the window's first showing.
        bool searchAtOpen = true;
    };

    explicit Session(Setup setup);
    // Stops and joins the run controller, closes every connected board, unloads the library.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Creates dat/ in the application home, loads the library of the card type and searches
    // the devices (see searchAtOpen). False (after a message on stderr or in a box) when dat/ or
    // the library fails; nothing else may be called then but the destructor.
    bool open();

    const std::string& home() const { return m_home; }
    std::string iniPath() const { return m_home + "/dat/zeq.ini"; }
    DeviceBinding& binding() { return m_binding; }
    Boards& boards() { return *m_boards; }
    DevicePort& port() { return *m_port; }
    RunController& controller() { return *m_controller; }
    ParamCatalogue& catalogue() { return paramCatalogue(); }

    // The board that hold, emergency stop and the instruction box act on: the window's target
    // device list, the command line's first --board. -1 when none.
    void setTargetBoard(int board) { m_target = board; }
    int targetBoard() const { return m_target.load(); }

    // Writes `emstop` to every connected board (`onlyMoving`: only to those with an axis in
    // motion, or that cannot say). Per board: the write's status, -1 when not written. Talks
    // to the cards: call it from a worker or the command line.
    using EmstopResult = std::array<int, Boards::kBoardCount>;
    EmstopResult emergencyStopAll(bool onlyMoving);
    // Whether an axis of `board` moves (its `moving` register through the immediate FIFO); a
    // board that cannot be asked counts as moving. `axes`: the moving axes, when asked for.
    bool boardMoving(int board, std::vector<int>* axes = nullptr);

  private:
    Setup m_setup;
    std::string m_home;
    DeviceBinding& m_binding;
    bool m_loaded = false;
    std::unique_ptr<Boards> m_boards;
    std::unique_ptr<BindingDevicePort> m_port;
    std::unique_ptr<RunController> m_controller;
    std::atomic<int> m_target{-1};
};

}  // namespace zeq::desk
