#include "tools/teach/teach_player.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "binding/device_wrappers.h"
#include "catalogue/param_catalogue.h"
#include "tools/teach/teach_messages.h"

namespace zeq::desk::teach {

namespace {

constexpr int kQueue = 1;
constexpr int kImmediate = 0;

int movingAddress() {
    static const int address = [] {
        ParamRow row{};
        return paramCatalogue().findByName("moving", &row) >= 0 ? row.address : -1;
    }();
    return address;
}

std::vector<int> checkedAxes(const TeachSettings& s, int axisCount) {
    std::vector<int> axes;
    for (int a = 0; a < axisCount; ++a)
        if (s.checked(a)) axes.push_back(a);
    return axes;
}

}  // namespace

int TeachPlayer::retry(const std::function<int()>& call) {
    int status = call();
    while (status == ZEQ_ERR_FIFO_FULL && !m_stop) {
        m_clock.sleepFor(std::chrono::milliseconds(1));
        status = call();
    }
    return m_stop && status == ZEQ_ERR_FIFO_FULL ? ZEQ_OK : status;
}

bool TeachPlayer::fail(int status) {
    m_dialogs.message(msg::kCommandFailed + std::to_string(status));
    return false;
}

bool TeachPlayer::jog(const TeachSettings& s, int axis, int direction) {
    if (!s.checked(axis)) {
        m_dialogs.message(msg::kCheckAxisFirst);
        return false;
    }
    if (s.handle == 0) {
        m_dialogs.message(msg::kChooseDevice);
        return false;
    }
    if (s.jogSpeed == 0) {
        m_dialogs.message(msg::kSpeedZero);
        return false;
    }
    const double velocity = direction > 0 ? s.jogSpeed : direction < 0 ? -s.jogSpeed : 0.0;
    if (MyMoveVelocity(s.handle, velocity, axis, kImmediate) != ZEQ_OK) {
        m_dialogs.message(msg::kJogFailed);
        return false;
    }
    m_atPoint1 = false;
    return true;
}

bool TeachPlayer::record(const TeachSettings& s, PointList& points) {
    if (s.handle == 0) {
        m_dialogs.message(msg::kChooseDevice);
        return false;
    }
    PointRow& row = points.row(points.appendRow());
    for (int a = 0; a < points.axisCount(); ++a) {
        if (!s.checked(a)) continue;
        double position = 0;
        if (MyGetActPos(s.handle, &position, a, kImmediate) != ZEQ_OK) continue;
        char cell[64];
        std::snprintf(cell, sizeof cell, "%.4lf", position);
        row.cells[static_cast<std::size_t>(a)] = cell;
    }
    m_observer.rowsChanged();
    return true;
}

bool TeachPlayer::returnToPoint1(const TeachSettings& s, const PointList& points) {
    if (s.handle == 0) {
        m_dialogs.message(msg::kChooseDevice);
        return false;
    }
    if (points.rowCount() == 0) {
        m_dialogs.message(msg::kRecordFirst);
        return false;
    }
    const PointRow& first = points.row(0);
    for (int a = 0; a < points.axisCount(); ++a) {
        if (!s.checked(a)) continue;
        double position = 0;
        const CellRead r = readCell(first.cells[static_cast<std::size_t>(a)], position);
        if (r == CellRead::Bad) {
            m_dialogs.message(msg::kPoint1BadCell);
            return false;
        }
        if (r == CellRead::Empty) continue;
        if (const int st = MySetMCStgPos(s.handle, position, a, kImmediate); st != ZEQ_OK)
            return fail(st);
        if (const int st = MyMCSmove(s.handle, a, kImmediate); st != ZEQ_OK) return fail(st);
    }
    m_atPoint1 = true;
    return true;
}

bool TeachPlayer::runButton(UserDialogs& dialogs) {
    if (m_running) {
        requestStop();
        return false;
    }
    return dialogs.askYesNo(msg::kStartHere, UserDialogs::Answer::No) == UserDialogs::Answer::Yes;
}

bool TeachPlayer::play(const TeachSettings& s, const PointList& points) {
    if (s.handle == 0) {
        m_dialogs.message(msg::kChooseDevice);
        return false;
    }
    if (s.mode == 2) {
        const std::size_t n = checkedAxes(s, points.axisCount()).size();
        if (n < 1 || n > 3) {
            m_dialogs.message(msg::kPathAxes);
            return false;
        }
    }
    m_stop = false;
    m_running = true;
    m_observer.runningChanged(true);
    bool ok = true;
    do {
        ok = s.mode == 0   ? playMode0(s, points)
             : s.mode == 1 ? playMode1(s, points)
                           : playMode2(s, points);
    } while (ok && s.loop && !m_stop && points.rowCount() > 0);
    m_atPoint1 = false;
    if (s.pciCard) myClearFIFO(s.handle, kQueue);
    m_running = false;
    m_observer.runningChanged(false);
    return ok;
}

bool TeachPlayer::moveOneAxis(const TeachSettings& s, int axis, double position, double speed) {
    const ZEQ_HANDLE h = s.handle;
    int st = retry([&] { return MySetMCSmaxvel(h, speed, axis, kQueue); });
    if (st == ZEQ_OK && !m_stop)
        st = retry([&] { return MyMoveAbsolute(h, position, axis, kQueue); });
    if (st == ZEQ_OK && !m_stop)
        st = retry([&] { return myWriteWaitToZeroQ(h, axis, movingAddress()); });
    return st == ZEQ_OK || fail(st);
}

bool TeachPlayer::playMode1(const TeachSettings& s, const PointList& points) {
    for (int i = 0; i < points.rowCount() && !m_stop; ++i) {
        const PointRow& row = points.row(i);
        double speed = 0;
        if (readCell(row.speed, speed) != CellRead::Value) {
            m_dialogs.message(msg::kBadCell);
            return false;
        }
        for (int a = 0; a < points.axisCount() && !m_stop; ++a) {
            if (!s.checked(a)) continue;
            double position = 0;
            const CellRead r = readCell(row.cells[static_cast<std::size_t>(a)], position);
            if (r == CellRead::Bad) {
                m_dialogs.message(msg::kBadCell);
                return false;
            }
            if (r == CellRead::Value && !moveOneAxis(s, a, position, speed)) return false;
        }
    }
    return true;
}

bool TeachPlayer::playMode0(const TeachSettings& s, const PointList& points) {
    const ZEQ_HANDLE h = s.handle;
    std::array<double, PointList::kMaxAxes> previous{};
    for (int a : checkedAxes(s, points.axisCount()))
        if (const int st = MyGetActPos(h, &previous[static_cast<std::size_t>(a)], a, kImmediate))
            return fail(st);
    for (int i = 0; i < points.rowCount() && !m_stop; ++i) {
        const PointRow& row = points.row(i);
        double speed = 0;
        if (readCell(row.speed, speed) != CellRead::Value) {
            m_dialogs.message(msg::kBadCell);
            return false;
        }
        std::vector<LinearItem> items;
        std::vector<double> targets;
        for (int a : checkedAxes(s, points.axisCount())) {
            double position = 0;
            const CellRead r = readCell(row.cells[static_cast<std::size_t>(a)], position);
            if (r == CellRead::Bad) {
                m_dialogs.message(msg::kBadCell);
                return false;
            }
            if (r == CellRead::Empty) continue;
            const double distance = position - previous[static_cast<std::size_t>(a)];
            previous[static_cast<std::size_t>(a)] = position;
            if (distance == 0) continue;
            items.push_back(LinearItem{distance, a});
            targets.push_back(position);
        }
        if (items.empty() || m_stop) continue;
        if (items.size() == 1) {
            if (!moveOneAxis(s, items[0].axis, targets[0], speed)) return false;
            continue;
        }
        int master = items[0].axis;
        int st = retry([&] {
            return MyLinearNA(h, speed, items.data(), static_cast<int>(items.size()), &master,
                              kQueue);
        });
        if (st == ZEQ_OK && !m_stop)
            st = retry([&] { return myWriteWaitToZeroQ(h, master, movingAddress()); });
        for (const LinearItem& item : items) {
            if (st != ZEQ_OK || m_stop) break;
            st = retry([&] { return MyGearout(h, item.axis, kQueue); });
        }
        if (st != ZEQ_OK) return fail(st);
    }
    return true;
}

bool TeachPlayer::playMode2(const TeachSettings& s, const PointList& points) {
    const ZEQ_HANDLE h = s.handle;
    const std::vector<int> axes = checkedAxes(s, points.axisCount());
    const int x = axes[0];
    const int y = axes.size() > 1 ? axes[1] : -1;
    const int z = axes.size() > 2 ? axes[2] : -1;
    MyClearSegList(h);
    int st = retry([&] { return MyInitPath(h, x, y, z, kQueue); });
    if (st != ZEQ_OK) return fail(st);
    auto scaleOf = [&](int axis) { return axis < 0 ? 1.0 : std::fabs(MyGetDistScale(h, axis)); };
    st = SetPartCartesianSys(h, scaleOf(x), scaleOf(y), scaleOf(z));
    if (st != ZEQ_OK) return fail(st);
    MySetPathAccel(h, s.pathAccel);
    MySetPathDecel(h, s.pathDecel);
    double origin[3] = {0, 0, 0};
    MyGetPathOrgX(h, &origin[0]);
    MyGetPathOrgY(h, &origin[1]);
    MyGetPathOrgZ(h, &origin[2]);
    // The path starts where the axes stand.
    double point[3] = {0, 0, 0};
    for (std::size_t k = 0; k < axes.size(); ++k) {
        double actual = 0;
        if ((st = MyGetActPos(h, &actual, axes[k], kImmediate)) != ZEQ_OK) return fail(st);
        point[k] = actual - origin[k];
    }
    MyClearSegList(h);
    for (int i = 0; i < points.rowCount() && !m_stop; ++i) {
        const PointRow& row = points.row(i);
        double speed = 0, endSpeed = 0;
        if (readCell(row.speed, speed) != CellRead::Value ||
            readCell(row.endSpeed, endSpeed) != CellRead::Value) {
            m_dialogs.message(msg::kBadCell);
            return false;
        }
        for (std::size_t k = 0; k < axes.size(); ++k) {
            double position = 0;
            const CellRead r = readCell(row.cells[static_cast<std::size_t>(axes[k])], position);
            if (r == CellRead::Bad) {
                m_dialogs.message(msg::kBadCell);
                return false;
            }
            if (r == CellRead::Value) point[k] = position - origin[k];
        }
        if (i == 0 && !m_atPoint1) endSpeed = 0;
        st = AddLineSeg(h, point[0], point[1], point[2], speed, endSpeed);
        if (st == ZEQ_ERR_ZERO_SEGMENT) continue;
        if (st == ZEQ_ERR_CORNER) {
            m_dialogs.message(msg::kInvalidLine);
            return false;
        }
        if (st != ZEQ_OK) return fail(st);
    }
    if (m_stop) return true;
    st = retry([&] { return myEnableGrou(h, 1, kQueue); });
    if (st != ZEQ_OK) return fail(st);
    st = ExecutePath(h);
    while (st == ZEQ_ERR_PATH_NOT_DONE && !m_stop) {
        m_clock.sleepFor(std::chrono::milliseconds(1));
        st = ExecutePath(h);
    }
    if (st == ZEQ_ERR_PATH_JUMP) {
        m_dialogs.message(msg::kPathJump);
        return false;
    }
    if (st != ZEQ_OK && st != ZEQ_ERR_PATH_NOT_DONE) return fail(st);
    return true;
}

}  // namespace zeq::desk::teach
