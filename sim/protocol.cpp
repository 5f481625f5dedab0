// The card's side of the USB byte stream: frames, port registers and status bytes.
//
// Frames: write transfer 0x80|reg, n-1, n bytes; read transfer 0xC0|reg, n-1 (the card answers
// n bytes); status query 0x40|reg (one byte back); card reset 7F 5A. Bytes that begin no frame
// are skipped. A frame split across bridge writes waits for its remaining bytes.
#include <algorithm>
#include <cstring>

#include "card/wire.h"
#include "sim/card.h"
#include "sim/regs.h"

namespace zeq::sim {

namespace {
using namespace card::wire;
constexpr size_t kMachineDataSize = kMachineDataBytes;
// The status registers a status query names (its port bits).
constexpr uint8_t kStatusData = kQueryDataStatus & kPortMask;
constexpr uint8_t kStatusFifo = kQueryFifoStatus & kPortMask;
constexpr uint8_t kStatusAck = kQueryAckStatus & kPortMask;
}  // namespace

bool SimCard::begin_call() {
    std::lock_guard lk(mu_);
    if (unplugged_) return false;
    if (faults_.unplugAfter == 0) {
        unplugged_ = true;
        faults_.unplugAfter = -1;
        return false;
    }
    if (faults_.unplugAfter > 0) --faults_.unplugAfter;
    sync_clock();
    return true;
}

bool SimCard::try_open() {
    std::lock_guard lk(mu_);
    if (open_) return false;
    open_ = true;
    unplugged_ = false;  // a vanished device that is opened again has been plugged back in
    return true;
}
void SimCard::mark_closed() {
    std::lock_guard lk(mu_);
    open_ = false;
}
bool SimCard::is_open() {
    std::lock_guard lk(mu_);
    return open_;
}

BridgeEeprom SimCard::eeprom() {
    std::lock_guard lk(mu_);
    return eeprom_;
}
void SimCard::set_eeprom(const BridgeEeprom& e) {
    std::lock_guard lk(mu_);
    eeprom_ = e;
}

void SimCard::bridge_write(const uint8_t* data, size_t n) {
    std::lock_guard lk(mu_);
    in_.insert(in_.end(), data, data + n);
    parse();
}

size_t SimCard::bridge_read(uint8_t* out, size_t n) {
    std::lock_guard lk(mu_);
    size_t avail = rx_.size() - rxHead_;
    size_t got = std::min(n, avail);
    size_t lost = 0;
    if (got > 0 && faults_.shortReads > 0) {
        // The last byte of this read is lost on the way: the host sees a short read.
        --faults_.shortReads;
        --got;
        lost = 1;
    }
    if (got) std::memcpy(out, rx_.data() + rxHead_, got);
    rxHead_ += got + lost;
    if (rxHead_ == rx_.size()) {
        rx_.clear();
        rxHead_ = 0;
    }
    return got;
}

size_t SimCard::rx_available() {
    std::lock_guard lk(mu_);
    return rx_.size() - rxHead_;
}

void SimCard::bridge_purge(uint32_t mask) {
    std::lock_guard lk(mu_);
    if (mask & 1u) {
        rx_.clear();
        rxHead_ = 0;
    }
    if (mask & 2u) in_.clear();
}

void SimCard::bridge_reset() {
    bridge_purge(3);
}

void SimCard::reply(const uint8_t* p, size_t n) {
    // The bridge's receive buffer is finite: replies nobody reads are dropped past 1 MiB.
    if (rx_.size() - rxHead_ + n > (size_t{1} << 20)) return;
    if (rxHead_ > 4096 && rxHead_ * 2 > rx_.size()) {
        rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(rxHead_));
        rxHead_ = 0;
    }
    rx_.insert(rx_.end(), p, p + n);
}

void SimCard::parse() {
    size_t i = 0;
    const size_t size = in_.size();
    while (i < size) {
        const uint8_t h = in_[i];
        const size_t avail = size - i;
        if (h == kResetFrame0) {
            if (avail < 2) break;
            // Card reset: the card goes back to its power-on state; the bytes behind the reset
            // frame are frames for the fresh card.
            if (in_[i + 1] == kResetFrame1) {
                reset_locked();
                i += 2;
                continue;
            }
            i += 1;
            continue;
        }
        switch (h & kFrameKindMask) {
            case kFrameWrite: {
                if (avail < 2) goto done;
                size_t n = static_cast<size_t>(in_[i + 1]) + 1;
                if (avail < 2 + n) goto done;
                write_transfer(h & kPortMask, in_.data() + i + 2, n);
                i += 2 + n;
                break;
            }
            case kFrameRead: {
                if (avail < 2) goto done;
                read_transfer(h & kPortMask, static_cast<size_t>(in_[i + 1]) + 1);
                i += 2;
                break;
            }
            case kFrameStatus: {
                uint8_t s = status_query(h & kPortMask);
                reply(&s, 1);
                i += 1;
                break;
            }
            default:
                i += 1;  // no frame starts with this byte
                break;
        }
    }
done:
    in_.erase(in_.begin(), in_.begin() + static_cast<std::ptrdiff_t>(i));
}

void SimCard::write_transfer(uint8_t port, const uint8_t* d, size_t n) {
    switch (port) {
        case kPortImmediate:
        case kPortQueue: {
            const int which = port == kPortImmediate ? kImmediate : kQueue;
            // A transfer of several words is a whole block: it starts afresh, so that a block
            // cut short earlier cannot shift every block after it.
            if (n > 2) fifo_[which].partN = 0;
            for (size_t k = 0; k + 1 < n; k += 2)
                command_word(which, static_cast<uint16_t>(d[k] | (d[k + 1] << 8)));
            break;
        }
        case kPortControl:
            for (size_t k = 0; k + 1 < n; k += 2) {
                uint16_t w = static_cast<uint16_t>(d[k] | (d[k + 1] << 8));
                if (w == kControlStartImmediate) {
                    immediateRunning_ = true;
                    run_fifo(kImmediate);
                } else if (w & kInternalAddressFlag) {
                    internalSel_ = w & kMaxInternalRegister;
                }
            }
            break;
        case kPortInternal:
            for (size_t k = 0; k + 1 < n; k += 2)
                internal_[internalSel_] = static_cast<uint16_t>(d[k] | (d[k + 1] << 8));
            break;
        case kPortContour:
            contour_block(d, n);
            break;
        case kPortFlashCs:
            for (size_t k = 0; k < n; k += 2) {
                if (d[k] & 1)
                    flash_.release(now_);
                else
                    flash_.select();
            }
            break;
        case kPortFlashData:
            for (size_t k = 0; k < n; k += 2) lastFlashIn_ = flash_.shift(d[k], now_);
            break;
        default:
            break;  // no such port: the card ignores the data
    }
}

void SimCard::contour_block(const uint8_t* d, size_t n) {
    // n (2 bytes), n data words, checksum of the data words.
    contourBusy_ = true;
    if (n < 4) return;
    const size_t words = static_cast<size_t>(d[0] | (d[1] << 8));
    if (n != 2 * words + 4 || words == 0) return;
    uint16_t sum = 0;
    for (size_t k = 0; k < words; ++k)
        sum = static_cast<uint16_t>(sum + (d[2 + 2 * k] | (d[3 + 2 * k] << 8)));
    const uint16_t want = static_cast<uint16_t>(d[2 + 2 * words] | (d[3 + 2 * words] << 8));
    if (sum != want || contour_.free() < words) return;  // not taken: the port stays busy
    for (size_t k = 0; k < words; ++k)
        contour_.push(static_cast<int16_t>(d[2 + 2 * k] | (d[3 + 2 * k] << 8)));
    regs_.set16(0, reg::cfifocnt, static_cast<uint16_t>(std::min<size_t>(contour_.size(), 0xFFFF)));
    contourBusy_ = false;
}

void SimCard::machine_data(uint8_t* out) {
    for (int a = 0; a < 4; ++a) {
        uint8_t* g = out + 10 * a;
        uint32_t p = regs_.u32(a, reg::encp);
        for (int b = 0; b < 4; ++b) g[b] = static_cast<uint8_t>(p >> (8 * b));
        const uint16_t w[3] = {regs_.u16(a, reg::moving), regs_.u16(a, reg::error),
                               regs_.u16(a, reg::aio)};
        for (int k = 0; k < 3; ++k) {
            g[4 + 2 * k] = static_cast<uint8_t>(w[k]);
            g[5 + 2 * k] = static_cast<uint8_t>(w[k] >> 8);
        }
    }
}

void SimCard::read_transfer(uint8_t port, size_t n) {
    uint8_t buf[256];
    std::memset(buf, 0, n);
    switch (port) {
        case kPortImmediate:
        case kPortQueue: {
            CmdFifo& f = fifo_[port == kPortImmediate ? kImmediate : kQueue];
            for (size_t k = 0; k < n; k += 2) {
                // An empty read-back FIFO reads as all ones.
                uint16_t w = f.rb.empty() ? 0xFFFF : f.rb.pop();
                buf[k] = static_cast<uint8_t>(w);
                if (k + 1 < n) buf[k + 1] = static_cast<uint8_t>(w >> 8);
            }
            // Room in the read-back FIFO may let a held read command run.
            run_fifo(port == kPortImmediate ? kImmediate : kQueue);
            break;
        }
        case kPortInternal:
            for (size_t k = 0; k < n; k += 2) {
                uint16_t w = internal_[internalSel_];
                buf[k] = static_cast<uint8_t>(w);
                if (k + 1 < n) buf[k + 1] = static_cast<uint8_t>(w >> 8);
            }
            break;
        case kPortContour:
            if (n == kMachineDataSize) {
                machine_data(buf);
            } else {
                for (size_t k = 0; k < n && !graph_.empty(); ++k) buf[k] = graph_.pop();
            }
            break;
        case kPortFlashData:
            buf[0] = lastFlashIn_;
            break;
        default:
            break;
    }
    reply(buf, n);
}

uint8_t SimCard::fifo_status() {
    if (faults_.fifoStatusPos < faults_.fifoStatus.size())
        return faults_.fifoStatus[faults_.fifoStatusPos++];
    uint8_t s = 0;
    if (faults_.halffull || fifo_[kImmediate].words.half_full()) s |= kFifoImmediateHalfFull;
    if (faults_.halffull || fifo_[kQueue].words.half_full()) s |= kFifoQueueHalfFull;
    if (fifo_[kImmediate].rb.empty()) s |= kFifoImmediateReadbackEmpty;
    if (fifo_[kQueue].rb.empty()) s |= kFifoQueueReadbackEmpty;
    return s;
}

uint8_t SimCard::data_status() const {
    uint8_t s = 0;
    if (fifo_[kImmediate].rb.half_full() || contourBusy_) s |= kDataImmediateReadbackHalfFull;
    // The contour FIFO counts as full when a block of the largest size no longer fits.
    if (fifo_[kQueue].rb.half_full() || contour_.free() < size_t{kMaxContourWords})
        s |= kDataQueueReadbackHalfFull;
    if (graph_.size() >= size_t{kMaxTransferBytes}) s |= kDataGraphReady;
    return s;
}

uint8_t SimCard::status_query(uint8_t r) {
    switch (r) {
        case kStatusData:
            return data_status();
        case kStatusFifo:
            return fifo_status();
        case kStatusAck:
        case kStatusAck + 1: {
            uint8_t s = 0;
            if (fifo_[kImmediate].ackPending) s |= kAckImmediatePending;
            if (fifo_[kQueue].ackPending) s |= kAckQueuePending;
            return s;
        }
        default:
            return 0x00;
    }
}

}  // namespace zeq::sim
