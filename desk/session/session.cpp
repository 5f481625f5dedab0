#include "session/session.h"

#include <cstdio>

#include "binding/device_wrappers.h"
#include "card/registers.h"
#include "core/app_home.h"
#include "interpreter/script_interpreter.h"

namespace zeq::desk {
Session::Session(Setup setup) : m_setup(setup), m_binding(deviceBinding()) {
    if (!m_setup.clock) m_setup.clock = &systemClock();
}

Session::~Session() {
    m_controller.reset();  // joins its workers before the boards go
    if (m_boards && m_setup.rememberBoards) m_boards->saveSettings();
    if (m_boards) {
        for (int b = 0; b < Boards::kBoardCount; ++b) {
            ZEQ_HANDLE h = m_boards->handle(b);
            if (h) myClose(&h);
        }
    }
    m_boards.reset();
    m_port.reset();
    if (m_loaded) m_binding.unload();
    m_binding.setDialogs(nullptr);
}

bool Session::open() {
    m_home = applicationHome();
    if (!ensureDirectory(m_home + "/dat")) {
        std::fprintf(stderr, "zeq: cannot create %s/dat\n", m_home.c_str());
        return false;
    }
    m_binding.setDialogs(m_setup.dialogs);
    m_binding.setCardType(m_setup.cardType);
    const bool loaded = m_setup.endOnLoadFailure ? m_binding.loadOrEnd() : m_binding.load() == 0;
    if (!loaded) return false;
    m_loaded = true;
    m_boards = std::make_unique<Boards>(m_binding, *m_setup.sink, *m_setup.dialogs, *m_setup.clock);
    if (m_setup.rememberBoards) m_boards->setIniPath(iniPath());
    m_boards->startUp(m_setup.searchAtOpen);
    m_port = std::make_unique<BindingDevicePort>(
        [this](int board) { return m_boards->axisCount(board); });
    RunController::Setup setup;
    setup.port = m_port.get();
    setup.sink = m_setup.sink;
    setup.boardTable = m_boards->handleTable();
    setup.programDir = m_home;
    setup.editor = m_setup.editor;
    setup.dialogs = m_setup.dialogs;
    setup.clock = m_setup.clock;
    setup.targetBoard = [this] { return m_target.load(); };
    m_controller = std::make_unique<RunController>(setup);
    m_controller->setObserver(m_setup.observer);
    return true;
}

bool Session::boardMoving(int board, std::vector<int>* axes) {
    const ZEQ_HANDLE h = m_boards->handle(board);
    if (h == 0) return false;
    bool any = false;
    for (int axis = 0; axis < m_boards->axisCount(board); ++axis) {
        int status = ZEQ_OK;
        const int value = m_port->readParam16(h, axis, card::reg::moving, &status, false);
        if (status != ZEQ_OK) return true;
        if (value == 0) continue;
        any = true;
        if (axes) axes->push_back(axis);
    }
    return any;
}

Session::EmstopResult Session::emergencyStopAll(bool onlyMoving) {
    EmstopResult result;
    result.fill(-1);
    for (int b = 0; b < Boards::kBoardCount; ++b) {
        const ZEQ_HANDLE h = m_boards->handle(b);
        if (h == 0 || (onlyMoving && !boardMoving(b))) continue;
        result[b] = m_port->writeParam16(h, 0, card::reg::emstop, 0xFFFF, false);
    }
    return result;
}

}  // namespace zeq::desk
