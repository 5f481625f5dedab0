#include "tools/jog/jog_control.h"

#include <cstdio>

#include "binding/device_wrappers.h"
#include "tools/axis_list.h"
#include "tools/jog/jog_messages.h"

namespace zeq::desk {

JogCheck checkJog(int board, bool open, double speed, double distFactor, double timeFactor) {
    if (board < 0) return JogCheck::NoBoard;
    if (!open) return JogCheck::NotOpen;
    if (speed == 0.0) return JogCheck::ZeroSpeed;
    if (timeFactor == 0.0) return JogCheck::ZeroTime;
    if (distFactor == 0.0) return JogCheck::ZeroDist;
    const double v = distFactor / timeFactor * speed * 65536.0;
    // A NaN compares false both ways and is refused with the rest.
    if (!(v >= -kJogLimit && v <= kJogLimit)) return JogCheck::OutOfRange;
    return JogCheck::Ok;
}

const char* jogCheckText(JogCheck check) {
    switch (check) {
        case JogCheck::Ok:
            return "";
        case JogCheck::NoBoard:
            return jog_text::kChooseDevice;
        case JogCheck::NotOpen:
            return jog_text::kOpenDevice;
        case JogCheck::ZeroSpeed:
            return jog_text::kZeroSpeed;
        case JogCheck::ZeroTime:
            return jog_text::kZeroTime;
        case JogCheck::ZeroDist:
            return jog_text::kZeroDist;
        case JogCheck::OutOfRange:
            return jog_text::kOutOfRange;
    }
    return "";
}

std::string formatJogFactor(double factor) {
    char text[64];
    std::snprintf(text, sizeof text, jog_text::kFactorFormat, factor);
    return text;
}

JogControl::JogControl(Boards& boards, UserDialogs& dialogs)
    : m_boards(boards), m_dialogs(dialogs) {}

JogControl::~JogControl() {
    release();
    m_worker.waitIdle();  // the stop must reach the card before the jog goes away
}

void JogControl::select(int board, int axis) {
    release();
    m_board = board;
    m_axis = axis;
    m_speed = kDefaultSpeed;
    const ZEQ_HANDLE h = board >= 0 && board < Boards::kBoardCount ? m_boards.handle(board) : 0;
    if (h == 0) return;
    m_worker.post([this, h, axis] {
        const double time = MyGetTimescale(h);
        const double dist = MyGetDistScale(h, axis);
        m_time = time;
        m_dist = dist;
        if (m_observer) m_observer->factorsRead(formatJogFactor(time), formatJogFactor(dist));
    });
}

void JogControl::fillAxisList(int board) {
    m_worker.post([this, board] {
        const auto entries = axisListEntries(toolAxisCount(m_boards, board));
        if (m_observer) m_observer->axisListFilled(board, entries);
    });
}

bool JogControl::press(Direction direction) {
    if (m_jogging) return false;
    const ZEQ_HANDLE h =
        m_board >= 0 && m_board < Boards::kBoardCount ? m_boards.handle(m_board) : 0;
    const double time = m_time.load();
    const double dist = m_dist.load();
    const JogCheck check = checkJog(m_board, h != 0, m_speed, dist, time);
    if (check != JogCheck::Ok) {
        m_dialogs.message(jogCheckText(check));
        return false;
    }
    m_jogging = true;
    m_jogHandle = h;
    m_jogAxis = m_axis;
    const double velocity = direction == Direction::Positive ? m_speed : -m_speed;
    const int axis = m_axis;
    m_worker.post([this, h, axis, time, dist, velocity] {
        // The card's time scale, then the axis's distance scale, then the velocity move.
        int status = MySetTimescale(h, time);
        if (status == ZEQ_OK) status = MySetDistScale(h, dist, axis);
        if (status == ZEQ_OK) status = MyMoveVelocity(h, velocity, axis, 0);
        if (status != ZEQ_OK) m_dialogs.message(jog_text::kJogFailed);
    });
    return true;
}

void JogControl::release() {
    if (!m_jogging) return;
    m_jogging = false;
    const ZEQ_HANDLE h = m_jogHandle;
    const int axis = m_jogAxis;
    m_worker.post([this, h, axis] {
        if (MyMoveVelocity(h, 0.0, axis, 0) != ZEQ_OK) m_dialogs.message(jog_text::kJogFailed);
        if (m_observer) m_observer->jogReleased();
    });
}

}  // namespace zeq::desk
