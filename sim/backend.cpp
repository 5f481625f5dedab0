// The registry of virtual cards and their bridge backend.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sim/flash_store.h"
#include "sim/sim.h"
#include "sim/sim_backend.h"

namespace zeq::sim {

namespace {

std::mutex g_mu;
std::vector<std::shared_ptr<SimCard>> g_cards;

// At exit: every card's flash to its file (ZEQLINK_SIM_FLASH).
void save_all_flash() {
    std::lock_guard lk(g_mu);
    for (const auto& c : g_cards)
        if (c) save_flash(*c);
}

// A non-negative integer from the environment, or `fallback` when unset or not a number.
long env_number(const char* name, long fallback) {
    const char* s = std::getenv(name);
    if (!s || !*s) return fallback;
    char* end = nullptr;
    long v = std::strtol(s, &end, 10);
    if (*end != '\0' || v < 0) return fallback;
    return v;
}

int env_axes() {
    return static_cast<int>(env_number("ZEQLINK_SIM_AXES", 4));
}

// Applies the card environment that is read at every open. Fault items prefixed "open:" take
// effect at once, so they meet the open's own traffic; the others are returned, to be armed
// when the open has succeeded (SimPort::opened).
std::vector<std::string> apply_open_environment(SimCard& c) {
    std::vector<std::string> afterOpen;
    if (std::getenv("ZEQLINK_SIM_AXES")) c.set_naxis(env_axes());
    if (const char* f = std::getenv("ZEQLINK_SIM_FAULTS")) {
        // Items are taken one by one, so that one misspelt item does not void the others.
        constexpr std::string_view kOpenPrefix = "open:";
        std::string_view text(f);
        while (!text.empty()) {
            size_t comma = text.find(',');
            std::string_view item = text.substr(0, comma);
            text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
            while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
                item.remove_prefix(1);
            if (item.substr(0, kOpenPrefix.size()) == kOpenPrefix)
                c.set_faults(item.substr(kOpenPrefix.size()));
            else if (!item.empty())
                afterOpen.emplace_back(item);
        }
    }
    if (const char* m = std::getenv("ZEQLINK_SIM_CLOCK")) {
        long step = env_number("ZEQLINK_SIM_STEP_US", 100);
        if (std::strcmp(m, "step") == 0)
            c.set_clock(ClockMode::Step, static_cast<uint64_t>(step) * 1000);
        else if (std::strcmp(m, "real") == 0)
            c.set_clock(ClockMode::Real, 0);
    }
    if (std::getenv("ZEQLINK_SIM_TICK_US"))
        c.set_tick_ns(static_cast<uint64_t>(env_number("ZEQLINK_SIM_TICK_US", 100)) * 1000);
    if (std::getenv("ZEQLINK_SIM_LATENCY_US"))
        c.set_latency_us(static_cast<uint32_t>(env_number("ZEQLINK_SIM_LATENCY_US", 0)));
    return afterOpen;
}

void copy_text(char* dst, const std::string& s) {
    if (!dst) return;
    size_t n = std::min<size_t>(s.size(), 63);
    std::memcpy(dst, s.data(), n);
    dst[n] = '\0';
}

std::string take_text(const char* src, const std::string& keep) {
    if (!src) return keep;
    return std::string(src, strnlen(src, 63));
}

class SimPort final : public bridge::Port {
  public:
    SimPort(std::shared_ptr<SimCard> c, std::vector<std::string> faultsAfterOpen)
        : card_(std::move(c)), faultsAfterOpen_(std::move(faultsAfterOpen)) {}
    ~SimPort() override {
        if (card_) {
            save_flash(*card_);
            card_->mark_closed();
        }
    }

    bridge::Status read(void* buffer, uint32_t count, uint32_t* got) override {
        if (got) *got = 0;
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        if (!buffer && count) return ZEQ_FT_INVALID_PARAMETER;
        size_t n = card_->bridge_read(static_cast<uint8_t*>(buffer), count);
        if (got) *got = static_cast<uint32_t>(n);
        return ZEQ_FT_OK;
    }
    bridge::Status write(const void* buffer, uint32_t count, uint32_t* written) override {
        if (written) *written = 0;
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        if (!buffer && count) return ZEQ_FT_INVALID_PARAMETER;
        card_->bridge_write(static_cast<const uint8_t*>(buffer), count);
        if (written) *written = count;
        return ZEQ_FT_OK;
    }
    bridge::Status purge(uint32_t mask) override {
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        card_->bridge_purge(mask);
        return ZEQ_FT_OK;
    }
    bridge::Status setTimeouts(uint32_t, uint32_t) override { return enter(); }
    bridge::Status resetDevice() override {
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        card_->bridge_reset();
        return ZEQ_FT_OK;
    }
    bridge::Status eeRead(ZEQ_EEPROM_DATA* d) override {
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        if (!d) return ZEQ_FT_INVALID_PARAMETER;
        BridgeEeprom e = card_->eeprom();
        d->Signature1 = 0x00000000;
        d->Signature2 = 0xFFFFFFFF;
        d->Version = 2;
        d->VendorId = e.vendorId;
        d->ProductId = e.productId;
        copy_text(d->Manufacturer, e.manufacturer);
        copy_text(d->ManufacturerId, e.manufacturerId);
        copy_text(d->Description, e.description);
        copy_text(d->SerialNumber, e.serial);
        d->MaxPower = e.maxPower;
        d->PnP = e.pnp;
        d->SelfPowered = e.selfPowered;
        d->RemoteWakeup = e.remoteWakeup;
        return ZEQ_FT_OK;
    }
    bridge::Status eeProgram(const ZEQ_EEPROM_DATA* d) override {
        bridge::Status s = enter();
        if (s != ZEQ_FT_OK) return s;
        if (!d) return ZEQ_FT_INVALID_PARAMETER;
        BridgeEeprom e = card_->eeprom();
        e.vendorId = d->VendorId;
        e.productId = d->ProductId;
        e.manufacturer = take_text(d->Manufacturer, e.manufacturer);
        e.manufacturerId = take_text(d->ManufacturerId, e.manufacturerId);
        e.description = take_text(d->Description, e.description);
        e.serial = take_text(d->SerialNumber, e.serial);
        e.maxPower = d->MaxPower;
        e.pnp = d->PnP;
        e.selfPowered = d->SelfPowered;
        e.remoteWakeup = d->RemoteWakeup;
        card_->set_eeprom(e);
        return ZEQ_FT_OK;
    }
    bridge::Status close() override {
        if (!card_) return ZEQ_FT_INVALID_HANDLE;
        bool alive = card_->begin_call();
        save_flash(*card_);
        card_->mark_closed();
        card_.reset();
        return alive ? ZEQ_FT_OK : ZEQ_FT_IO_ERROR;
    }
    void opened() override {
        if (!card_) return;
        for (const std::string& item : faultsAfterOpen_) card_->set_faults(item);
        faultsAfterOpen_.clear();
    }

  private:
    // Every call: closed port, modelled latency, vanished device, card time.
    bridge::Status enter() {
        if (!card_) return ZEQ_FT_INVALID_HANDLE;
        if (uint32_t us = card_->latency_us())
            std::this_thread::sleep_for(std::chrono::microseconds(us));
        return card_->begin_call() ? ZEQ_FT_OK : ZEQ_FT_IO_ERROR;
    }

    std::shared_ptr<SimCard> card_;
    std::vector<std::string> faultsAfterOpen_;  // armed once the open has succeeded
};

class SimBackend final : public bridge::Backend {
  public:
    std::vector<bridge::DeviceInfo> list() override {
        int n = listed_cards();
        std::vector<bridge::DeviceInfo> out;
        out.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            BridgeEeprom e = card_ptr(i)->eeprom();
            out.push_back({e.description, e.serial, 0x1000u + static_cast<uint32_t>(i)});
        }
        listed_ = static_cast<size_t>(n);
        listedOnce_ = true;
        return out;
    }
    bridge::Status open(size_t index, std::unique_ptr<bridge::Port>* out) override {
        size_t n = listedOnce_ ? listed_ : static_cast<size_t>(listed_cards());
        if (!out || index >= n) return ZEQ_FT_DEVICE_NOT_FOUND;
        auto c = card_ptr(static_cast<int>(index));
        if (!c->try_open()) return ZEQ_FT_DEVICE_NOT_OPENED;
        std::vector<std::string> afterOpen = apply_open_environment(*c);
        *out = std::make_unique<SimPort>(std::move(c), std::move(afterOpen));
        return ZEQ_FT_OK;
    }

  private:
    size_t listed_ = 0;
    bool listedOnce_ = false;
};

}  // namespace

std::shared_ptr<SimCard> card_ptr(int i) {
    if (i < 0) i = 0;
    std::lock_guard lk(g_mu);
    if (g_cards.size() <= static_cast<size_t>(i)) g_cards.resize(static_cast<size_t>(i) + 1);
    auto& slot = g_cards[static_cast<size_t>(i)];
    if (!slot) {
        slot = std::make_shared<SimCard>(i, env_axes());
        if (!flash_file(i).empty()) {
            load_flash(*slot);
            // The flashes are also kept when the process ends with ports still open.
            static const bool saveAtExit = std::atexit(save_all_flash) == 0;
            (void)saveAtExit;
        }
    }
    return slot;
}

SimCard& card(int i) {
    return *card_ptr(i);
}

void reset_all() {
    std::lock_guard lk(g_mu);
    g_cards.clear();
}

int listed_cards() {
    return static_cast<int>(std::min<long>(env_number("ZEQLINK_SIM", 0), 64));
}

std::unique_ptr<bridge::Backend> make_sim_backend() {
    return std::make_unique<SimBackend>();
}

}  // namespace zeq::sim

// The virtual cards join the device list of the library this file is linked into. The variable
// is also the file's anchor: a program linking the library's static archive names it
// (--undefined, see link/CMakeLists.txt) so that the linker keeps this file and its registration.
extern "C" {
extern const bool zeq_sim_backend_registered;
const bool zeq_sim_backend_registered = zeq::bridge::register_backend(zeq::sim::make_sim_backend);
}
