// Reads that a program run queues behind a wait.
//
// A program run sends its reads through the queue FIFO, behind everything it queued before:
// after `wa 0` a read stays in the queue until the axis has stopped. The read engine of the
// device library polls the read-back FIFO a bounded number of times and then gives up with 24,
// while the read command stays queued; the card answers it the moment the wait ends. Sending the
// read again would queue a second command behind the first, and the first reply would answer it.
// So the run waits for the reply of the read it already queued:
//
//   - one read-back check of the queue FIFO at a time, each a single exchange of the library,
//     5 ms apart, so the emergency stop, the instruction box and the tools get their turn on the
//     immediate FIFO between checks;
//   - the stop and end flags before each check and the pause check after each, as in the FIFO
//     retry, so pause and stop act within one exchange plus 5 ms;
//   - the reply is taken with the read's own axis, address and width, so its checksum proves it
//     answers this read (13 otherwise);
//   - when the run stops, the end of the run empties the queue FIFO; when the wait or the
//     reply fails (or the device library cannot collect replies), it is emptied here: no read
//     command is left behind to answer a later read.
//
// A read that the card answers within the engine's polls never gets here: nothing changes on
// the wire for it.
#include <cstdint>

#include "card/registers.h"
#include "interpreter/run_keywords.h"
#include "interpreter/script_interpreter.h"
#include "link/include/zeqlink.h"

namespace zeq::desk {
namespace {

// How a getter built-in turns the raw register into its result; the same arithmetic as the
// device library's getters, so a value collected here equals one read directly.
enum class Convert { Position, Velocity, Acceleration, GearRatio, SynDistance, SynTime, Count };

struct QueuedGetter {
    int code;
    const char* param;
    Convert convert;
};

constexpr QueuedGetter kGetters[] = {
    {rt::GetCurPos, "curpos", Convert::Position},
    {rt::GetMCSPos, "mcspos", Convert::Position},
    {rt::GetPCSPos, "pcspos", Convert::Position},
    {rt::GetActPos, "encp", Convert::Position},
    {rt::GetMCStgPos, "mcstgpos", Convert::Position},
    {rt::GetPCStgPos, "pcstgpos", Convert::Position},
    {rt::GetCurvel, "curvel", Convert::Velocity},
    {rt::GetMCSvel, "mcsvel", Convert::Velocity},
    {rt::GetPCSvel, "pcsvel", Convert::Velocity},
    {rt::GetMCSmaxvel, "mcsmaxvel", Convert::Velocity},
    {rt::GetPCSmaxvel, "pcsmaxvel", Convert::Velocity},
    {rt::GetHighVel, "highvel", Convert::Velocity},
    {rt::GetLowVel, "lowvel", Convert::Velocity},
    {rt::GetMCSaccel, "mcsaccel", Convert::Acceleration},
    {rt::GetPCSaccel, "pcsaccel", Convert::Acceleration},
    {rt::GetMCSdecel, "mcsdecel", Convert::Acceleration},
    {rt::GetPCSdecel, "pcsdecel", Convert::Acceleration},
    {rt::GetActVel, "encpvel", Convert::Velocity},
    {rt::GetGearratio, "gearratio", Convert::GearRatio},
    {rt::GetSynDist, "synsrcvar", Convert::SynDistance},
    {rt::GetSynTime, "synsrcvar", Convert::SynTime},
    {rt::GetSynMovedist, "slavedist", Convert::Position},
    {rt::GetEncp, "encp", Convert::Count},
    {rt::GetEncs, "encs", Convert::Count},
    {rt::GetCFIFOCnt, "cfifocnt", Convert::Count},
};

constexpr double kFix16 = 65536.0;       // one in S16.16
constexpr double kFix32 = 4294967296.0;  // one in S16.32

}  // namespace

void ScriptInterpreter::clearQueueFifo() {
    m_port.writeParam16(handle(), 0, card::reg::clrqfifo, 1, false);
}

int ScriptInterpreter::awaitQueuedReply(int axis, int address, int words, std::int64_t& raw) {
    for (;;) {
        // A stopped run ends by emptying the queue FIFO, the waiting read with it.
        if (stopOrFinished()) return kReadCancelled;
        int status = m_port.queuedReplyWaiting(handle());
        if (status == ZEQ_OK) {
            status = m_port.takeQueuedReply(handle(), axis, address, words, &raw);
            if (status == ZEQ_OK) return ZEQ_OK;
        }
        if (status != ZEQ_ERR_RBFIFO_EMPTY) {
            // The reply cannot be collected (or answered another read): the run reports and
            // ends, and the read must not stay queued behind the wait.
            clearQueueFifo();
            return status == DevicePort::kNoDeferredRead ? ZEQ_ERR_RBFIFO_EMPTY : status;
        }
        fifoPause();
        pauseCheck();
    }
}

int ScriptInterpreter::collectQueuedGetter(int code, int axis, DeviceOut& out) {
    const QueuedGetter* getter = nullptr;
    for (const QueuedGetter& g : kGetters)
        if (g.code == code) getter = &g;
    ParamRow row{};
    if (!getter || m_catalogue.findByName(getter->param, &row) < 0) return ZEQ_ERR_RBFIFO_EMPTY;
    const int words = row.kind == kKindInt48                              ? 3
                      : row.kind == kKindInt32 || row.kind == kKindUInt32 ? 2
                                                                          : 1;
    std::int64_t raw = 0;
    const int status = awaitQueuedReply(axis, row.address, words, raw);
    if (status != ZEQ_OK) return status;

    // The scales live in the device library (host state, no card exchange).
    DeviceOut scale;
    const DeviceArg axisArg[] = {DeviceArg::integer(axis)};
    m_port.builtin(rt::GetDistScale, handle(), axisArg, -1, scale);
    DeviceOut time;
    m_port.builtin(rt::GetTimescale, handle(), {}, -1, time);
    const double s = scale.d;
    const double t = time.d;
    const double value32 = static_cast<double>(static_cast<std::int32_t>(raw));
    const double unsigned32 = static_cast<double>(static_cast<std::uint32_t>(raw));
    switch (getter->convert) {
        case Convert::Position:
            out.d = value32 / s;
            break;
        case Convert::Velocity:
            out.d = value32 * t / s / kFix16;
            break;
        case Convert::Acceleration:
            out.d = value32 * t * t / s / kFix16;
            break;
        case Convert::GearRatio:
            out.d = static_cast<double>(raw) / kFix32;
            break;
        case Convert::SynDistance:
            out.d = unsigned32 / s;
            break;
        case Convert::SynTime:
            out.d = unsigned32 / t;
            break;
        case Convert::Count:
            out.i = words == 1 ? static_cast<std::uint16_t>(raw) : static_cast<std::int32_t>(raw);
            break;
    }
    return ZEQ_OK;
}

}  // namespace zeq::desk
