#include "interpreter/run_controller.h"

#include <cstring>
#include <fstream>

#include "card/registers.h"
#include "core/board_count.h"
#include "core/build_lock.h"
#include "interpreter/interp_messages.h"

namespace zeq::desk {
namespace {

constexpr int kEmstopAddress = card::reg::emstop;
constexpr int kHpauseAddress = card::reg::hpause;

// The source modification time a fresh binfo.dat records (its first 4 bytes).
bool recordedSourceTime(const std::string& programDir, std::uint32_t& out) {
    std::ifstream f(programDir + "/dat/binfo.dat", std::ios::binary);
    unsigned char b[4];
    if (!f.read(reinterpret_cast<char*>(b), 4)) return false;
    out = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
}

}  // namespace

RunController::RunController(Setup setup)
    : m_setup(std::move(setup)),
      m_compiler(m_setup.catalogue ? *m_setup.catalogue : paramCatalogue(), m_setup.sink),
      m_boxCompiler(m_setup.catalogue ? *m_setup.catalogue : paramCatalogue(), m_setup.sink),
      m_program(*m_setup.port, *m_setup.sink,
                m_setup.catalogue ? *m_setup.catalogue : paramCatalogue()),
      m_box(*m_setup.port, *m_setup.sink,
            m_setup.catalogue ? *m_setup.catalogue : paramCatalogue()) {
    m_program.setEditor(m_setup.editor);
    m_program.setClock(m_setup.clock);
    m_program.setStepModeFlag(&m_stepMode);
    // A stop or a pause given while the run thread still compiles holds for the run it starts.
    m_program.setRequestsClearedByCaller(true);
    m_box.setRequestsClearedByCaller(true);
    m_box.setClock(m_setup.clock);
}

RunController::~RunController() {
    m_program.requestStop();
    m_box.requestStop();
    m_boxCompiler.requestStop();
    waitIdle();
}

void RunController::setDocumentPath(const std::string& path) {
    std::lock_guard lock(m_pathMutex);
    m_documentPath = path;
}

void RunController::setObserver(RunObserver* observer) {
    m_observer = observer;
    m_program.setObserver(observer);
}

bool RunController::anyBoardConnected() const {
    if (!m_setup.boardTable) return false;
    for (int i = 0; i < kBoardCount; ++i)
        if (m_setup.boardTable[i] != 0) return true;
    return false;
}

const char* RunController::boxCaption() const {
    return m_boxBusy ? msg::kButtonStop : msg::kButtonExecute;
}

bool RunController::compileProgram(const std::string& path) {
    std::lock_guard lock(m_compileMutex);
    const bool ok = m_compiler.compile(m_setup.programDir, path);
    std::uint32_t sourceTime = 0;
    if (ok && recordedSourceTime(m_setup.programDir, sourceTime))
        CatalogueOwner::set(path, sourceTime);
    else
        CatalogueOwner::clear();  // the catalogue now holds the rows of a failed compile
    return ok;
}

void RunController::analyse(bool editorEmpty) {
    if (m_running) {
        m_setup.sink->append(msg::kAnalyseWhileRunning);
        return;
    }
    if (editorEmpty) {
        m_setup.sink->append(msg::kNothingToAnalyse);
        return;
    }
    std::string path;
    {
        std::lock_guard lock(m_pathMutex);
        path = m_documentPath;
    }
    if (path.empty()) {
        if (m_setup.dialogs) m_setup.dialogs->message(msg::kSaveFirst);
        return;
    }
    std::lock_guard lock(m_threadMutex);
    if (m_compileThread.joinable()) m_compileThread.join();
    m_compiling = true;
    m_compileThread = std::thread([this, path] {
        BuildFolderLock buildLock(m_setup.programDir);
        m_lastFailed = !compileProgram(path);
        m_compiling = false;
    });
}

bool RunController::run(bool modified) {
    if (!anyBoardConnected()) return false;
    if (m_running) {
        m_setup.sink->append(msg::kRunWhileRunning);
        return false;
    }
    std::string path;
    {
        std::lock_guard lock(m_pathMutex);
        path = m_documentPath;
    }
    if (modified) m_setup.sink->append(msg::kCodeChanged);
    m_stepMode = false;
    joinRun();
    // The flag is raised before the thread starts so that a second Run in quick succession
    // is refused.
    m_running = true;
    m_program.clearRequests();
    std::lock_guard lock(m_threadMutex);
    m_runThread = std::thread([this, path, modified] { runThread(path, modified); });
    return true;
}

void RunController::runThread(std::string path, bool compileFirst) {
    if (m_observer) m_observer->runStarted(m_stepMode.load());
    bool ran = true;
    bool failed = runProgramSteps(path, compileFirst, ran);
    m_lastFailed = failed;
    m_running = false;
    if (m_observer) {
        using Result = RunObserver::Result;
        m_observer->runEnded(!ran                     ? Result::NotRun
                             : m_program.wasStopped() ? Result::Stopped
                                                      : Result::Finished,
                             failed);
    }
}

bool RunController::runProgramSteps(const std::string& path, bool compileFirst, bool& ran) {
    bool failed = false;
    // Another process sharing the home neither compiles nor loads between our compile and our
    // load; the lock goes as soon as the build is in memory.
    BuildFolderLock buildLock(m_setup.programDir);
    const auto loaded = [&buildLock] { buildLock.release(); };
    // A changed editor text (saved by the caller) is compiled before anything runs; with
    // errors nothing runs.
    if (compileFirst && !compileProgram(path)) {
        buildLock.release();
        m_setup.sink->append(msg::kStillErrors);
        ran = false;
        return true;
    }
    if (!m_program.runProgram(m_setup.boardTable, m_setup.programDir, path, loaded)) {
        if (!compileProgram(path)) {
            buildLock.release();
            m_setup.sink->append(msg::kStillErrors);
            failed = true;
            ran = false;
        } else if (!m_program.runProgram(m_setup.boardTable, m_setup.programDir, path, loaded)) {
            failed = true;  // still not loadable: ends without a message
            ran = false;
        } else {
            failed = m_program.errorReported();
        }
    } else {
        failed = m_program.errorReported();
    }
    return failed;
}

void RunController::step(bool modified) {
    m_stepMode = true;
    m_program.resume();
    if (!m_running && anyBoardConnected()) {
        joinRun();
        std::string path;
        {
            std::lock_guard lock(m_pathMutex);
            path = m_documentPath;
        }
        if (modified) m_setup.sink->append(msg::kCodeChanged);
        m_running = true;
        m_program.clearRequests();
        std::lock_guard lock(m_threadMutex);
        m_runThread = std::thread([this, path, modified] { runThread(path, modified); });
    }
}

void RunController::pauseOrContinue() {
    if (!m_program.isPaused()) {
        m_program.requestPause();
        m_setup.sink->append(msg::kPaused);
    } else {
        m_stepMode = false;
        // The message goes out before the run is released, so it never lands behind the
        // output of the statements that follow.
        m_setup.sink->append(msg::kContinued);
        m_program.resume();
    }
}

void RunController::stop() {
    m_program.requestStop();
    m_stepMode = false;
}

void RunController::holdMotion() {
    const int board = m_setup.targetBoard ? m_setup.targetBoard() : -1;
    if (board < 0 || board >= kBoardCount || !m_setup.boardTable) {
        m_setup.sink->append(msg::kHoldFailed);
        return;
    }
    const std::uint32_t h = m_setup.boardTable[board];
    if (h == 0) {
        m_setup.sink->append(msg::kHoldNoDevice);
        return;
    }
    if (m_setup.port->writeParam16(h, 0, kHpauseAddress, 0xFFFF, false) != ZEQ_OK)
        m_setup.sink->append(msg::kHoldWriteFailed);
}

void RunController::emergencyStop() {
    // The script and the box stop first, whatever the card answers: nothing they would send
    // after the emergency stop may reach the card.
    m_program.requestStop();
    m_stepMode = false;
    if (m_boxBusy) {
        m_boxCompiler.requestStop();
        m_box.requestStop();
    }
    if (!m_setup.boardTable) {
        m_setup.sink->append(msg::kEmstopFailed);
        return;
    }
    const int board = m_setup.targetBoard ? m_setup.targetBoard() : -1;
    if (board >= kBoardCount) {
        m_setup.sink->append(msg::kEmstopFailed);
        return;
    }
    int written = 0;
    bool failed = false;
    for (int b = 0; b < kBoardCount; ++b) {
        if (board >= 0 && b != board) continue;
        const std::uint32_t h = m_setup.boardTable[b];
        if (h == 0) continue;
        ++written;
        if (m_setup.port->writeParam16(h, 0, kEmstopAddress, 0xFFFF, false) != ZEQ_OK)
            failed = true;
    }
    if (written == 0)
        m_setup.sink->append(msg::kEmstopNoDevice);
    else if (failed)
        m_setup.sink->append(msg::kEmstopWriteFailed);
}

void RunController::executeInstruction(const std::string& text) {
    if (m_boxBusy) {
        m_boxCompiler.requestStop();
        m_box.requestStop();
        return;
    }
    const int board = m_setup.targetBoard ? m_setup.targetBoard() : -1;
    if (board < 0 || board >= kBoardCount || !m_setup.boardTable) return;
    const std::uint32_t h = m_setup.boardTable[board];
    m_toolHandle = h;
    m_boxBoard = board;
    if (h == 0) {
        m_setup.sink->append(msg::kDeviceNotConnected);
        return;
    }
    joinBox();
    m_boxBusy = true;
    m_box.clearRequests();
    std::lock_guard lock(m_threadMutex);
    m_boxThread = std::thread([this, text, h] { instructionThread(text, h); });
}

void RunController::instructionThread(std::string text, std::uint32_t handle) {
    if (m_observer) m_observer->boxBusy(true);
    std::size_t first = text.find_first_not_of(" \t\r\n");
    bool failed = false;
    if (first == std::string::npos) {
        m_setup.sink->append(msg::kNothingToExecute);
    } else {
        text.erase(0, first);
        // A stop during the check still goes through the run, which ends at once with its
        // message.
        if (m_boxCompiler.compileImmediate(text) || m_box.isStopRequested()) {
            m_boxHandle = handle;
            m_box.setBoardNumber(m_boxBoard);
            m_box.runText(&m_boxHandle, text);
            failed = m_box.errorReported();
        } else {
            failed = true;
        }
    }
    m_lastFailed = failed;
    m_boxBusy = false;
    if (m_observer) m_observer->boxBusy(false);
}

void RunController::joinRun() {
    std::lock_guard lock(m_threadMutex);
    if (m_runThread.joinable() && std::this_thread::get_id() != m_runThread.get_id())
        m_runThread.join();
}

void RunController::joinBox() {
    std::lock_guard lock(m_threadMutex);
    if (m_boxThread.joinable() && std::this_thread::get_id() != m_boxThread.get_id())
        m_boxThread.join();
}

void RunController::waitIdle() {
    joinRun();
    joinBox();
    std::lock_guard lock(m_threadMutex);
    if (m_compileThread.joinable()) m_compileThread.join();
}

}  // namespace zeq::desk
