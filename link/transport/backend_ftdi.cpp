// The bridge backend over libftdi1 (see backend_ftdi.h).
//
// Every port owns its own libftdi context (and so its own libusb context): listing enumerates in a
// short-lived context, and an open enumerates again and opens the device found at the listed bus
// and port path with the listed vendor and product ids, so that no libusb object outlives the
// context it came from. A device gone since the listing gives ZEQ_FT_DEVICE_NOT_FOUND.
#include "transport/backend_ftdi.h"

#include <algorithm>

namespace zeq::bridge {

Status ftdi_status(FtdiCall call, int rc) {
    if (rc >= 0) return ZEQ_FT_OK;
    switch (call) {
        case FtdiCall::open:
            // Cannot open (no access), cannot claim (in use), kernel driver not detachable, or the
            // chip refused its configuration, reset or baud rate: the device is there but unusable.
            return ZEQ_FT_DEVICE_NOT_OPENED;
        case FtdiCall::read:
            // libftdi passes libusb's error codes through; -666 is its "no device open".
            return rc == -666 ? ZEQ_FT_INVALID_HANDLE : ZEQ_FT_IO_ERROR;
        case FtdiCall::write:
            return rc == -666 ? ZEQ_FT_INVALID_HANDLE : ZEQ_FT_FAILED_TO_WRITE_DEVICE;
        case FtdiCall::purge:
        case FtdiCall::reset:
            return rc == -2 ? ZEQ_FT_INVALID_HANDLE : ZEQ_FT_IO_ERROR;
        case FtdiCall::latency:
            if (rc == -1) return ZEQ_FT_INVALID_PARAMETER;
            return rc == -3 ? ZEQ_FT_INVALID_HANDLE : ZEQ_FT_IO_ERROR;
        case FtdiCall::eeRead:
            return ZEQ_FT_EEPROM_READ_FAILED;
        case FtdiCall::eeProgram:
            return ZEQ_FT_EEPROM_WRITE_FAILED;
        case FtdiCall::close:
            return rc == -3 ? ZEQ_FT_INVALID_HANDLE : ZEQ_FT_IO_ERROR;
    }
    return ZEQ_FT_OTHER_ERROR;
}

uint32_t fold_usb_location(uint8_t bus, const uint8_t* ports, int depth) {
    uint32_t location = static_cast<uint32_t>(bus) << 24;
    if (!ports || depth <= 0) return location;
    location |= static_cast<uint32_t>(ports[0]) << 16;
    for (int level = 1; level < depth; ++level) {
        uint32_t digit = (ports[level] & 0x0Fu) ^ (ports[level] >> 4);
        int shift = 12 - 4 * ((level - 1) % 4);
        location ^= digit << shift;
    }
    return location;
}

namespace {

// One string descriptor of the image: offset byte, length byte (the descriptor's full length in
// bytes: 2 header bytes, then UTF-16LE characters).
bool decode_string(const uint8_t* image, int size, int at, std::string* out) {
    out->clear();
    int length = image[at + 1];
    int chars = length / 2 - 1;
    if (chars <= 0) return true;
    int offset = image[at] & (size - 1);
    if (offset + 2 + 2 * chars > size) return false;
    for (int i = 0; i < chars; ++i) {
        uint8_t low = image[offset + 2 + 2 * i];
        uint8_t high = image[offset + 3 + 2 * i];
        out->push_back(high == 0 ? static_cast<char>(low) : '?');
    }
    return true;
}

}  // namespace

bool decode_ftdi_eeprom(const uint8_t* image, int size, FtdiEepromHead* out) {
    if (!image || !out) return false;
    if (size != 0x40 && size != 0x80 && size != 0x100) return false;
    if (std::all_of(image, image + size, [](uint8_t b) { return b == 0xFF; })) return false;
    FtdiEepromHead head;
    head.vendorId = static_cast<uint16_t>(image[0x02] | image[0x03] << 8);
    head.productId = static_cast<uint16_t>(image[0x04] | image[0x05] << 8);
    head.selfPowered = (image[0x08] & 0x40) != 0;
    head.remoteWakeup = (image[0x08] & 0x20) != 0;
    head.maxPowerMa = static_cast<uint16_t>(image[0x09] * 2);
    if (!decode_string(image, size, 0x0E, &head.manufacturer) ||
        !decode_string(image, size, 0x10, &head.description) ||
        !decode_string(image, size, 0x12, &head.serial))
        return false;
    *out = std::move(head);
    return true;
}

}  // namespace zeq::bridge

#ifndef ZEQ_HAVE_LIBFTDI

namespace zeq::bridge {
std::unique_ptr<Backend> make_ftdi_backend() {
    return nullptr;
}
}  // namespace zeq::bridge

#else

#include <ftdi.h>
#include <libusb.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <mutex>

namespace zeq::bridge {

namespace {

constexpr unsigned char kLatencyMs = 2;
constexpr uint32_t kDefaultTimeoutMs = 5000;  // libftdi's own default transfer time-out
constexpr uint32_t kWriteChunk = 4096;
constexpr int kTextSize = 128;
constexpr size_t kCallerTextSize = 64;  // the caller's EEPROM string buffers (bridge.h)
constexpr int kMaxPortDepth = 7;        // USB allows at most 7 tiers
constexpr int kImageSize = 256;         // libftdi's largest EEPROM image

using Context = std::unique_ptr<ftdi_context, decltype(&ftdi_free)>;

Context new_context() {
    return Context(ftdi_new(), &ftdi_free);
}

// Where a device sits and what it is, to find it again in another context.
struct UsbPlace {
    uint8_t bus = 0;
    uint8_t ports[kMaxPortDepth] = {};
    int depth = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;

    bool operator==(const UsbPlace& o) const {
        return bus == o.bus && depth == o.depth && vendorId == o.vendorId &&
               productId == o.productId && std::equal(ports, ports + depth, o.ports);
    }
};

UsbPlace place_of(libusb_device* dev) {
    UsbPlace p;
    p.bus = libusb_get_bus_number(dev);
    int n = libusb_get_port_numbers(dev, p.ports, kMaxPortDepth);
    p.depth = n > 0 ? n : 0;
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(dev, &d) == 0) {
        p.vendorId = d.idVendor;
        p.productId = d.idProduct;
    }
    return p;
}

// Calls fn(dev) for each FTDI device of the default ids; fn returns true to stop.
template <typename Fn>
void for_each_ftdi(ftdi_context* ctx, Fn fn) {
    ftdi_device_list* devices = nullptr;
    if (ftdi_usb_find_all(ctx, &devices, 0, 0) < 0) return;
    for (ftdi_device_list* d = devices; d; d = d->next)
        if (fn(d->dev)) break;
    ftdi_list_free(&devices);
}

void copy_to_caller(char* dst, const std::string& text) {
    if (!dst) return;
    size_t n = std::min(text.size(), kCallerTextSize - 1);
    std::memcpy(dst, text.data(), n);
    dst[n] = '\0';
}

std::string from_caller(const char* text, const std::string& keep) {
    return text ? std::string(text, strnlen(text, kCallerTextSize - 1)) : keep;
}

class FtdiPort final : public Port {
  public:
    explicit FtdiPort(Context ctx) : ctx_(std::move(ctx)) { applyTimeouts(); }

    Status read(void* buffer, uint32_t count, uint32_t* got) override {
        std::lock_guard<std::mutex> guard(mu_);
        uint32_t local = 0;
        if (!got) got = &local;
        *got = 0;
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        if (count && !buffer) return ZEQ_FT_INVALID_PARAMETER;
        auto* bytes = static_cast<unsigned char*>(buffer);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(readMs_);
        // Each bulk transfer returns within the chip's latency period (2 ms), with the bytes that
        // arrived or none; keep collecting until the count is complete or the time-out passes.
        while (*got < count) {
            int want = static_cast<int>(std::min<uint32_t>(count - *got, INT_MAX));
            int rc = ftdi_read_data(ctx_.get(), bytes + *got, want);
            if (rc == LIBUSB_ERROR_TIMEOUT) break;
            if (rc < 0) return ftdi_status(FtdiCall::read, rc);
            *got += static_cast<uint32_t>(rc);
            if (std::chrono::steady_clock::now() >= deadline) break;
        }
        return ZEQ_FT_OK;
    }

    Status write(const void* buffer, uint32_t count, uint32_t* written) override {
        std::lock_guard<std::mutex> guard(mu_);
        uint32_t local = 0;
        if (!written) written = &local;
        *written = 0;
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        if (count && !buffer) return ZEQ_FT_INVALID_PARAMETER;
        const auto* bytes = static_cast<const unsigned char*>(buffer);
        // In chunks, so that a failure part-way still reports the bytes already taken.
        while (*written < count) {
            int chunk = static_cast<int>(std::min(count - *written, kWriteChunk));
            int rc = ftdi_write_data(ctx_.get(), bytes + *written, chunk);
            if (rc < 0) return ftdi_status(FtdiCall::write, rc);
            if (rc == 0) return ZEQ_FT_FAILED_TO_WRITE_DEVICE;
            *written += static_cast<uint32_t>(rc);
        }
        return ZEQ_FT_OK;
    }

    Status purge(uint32_t mask) override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        if (mask & ZEQ_PURGE_RX) {
            int rc = ftdi_tciflush(ctx_.get());
            if (rc < 0) return ftdi_status(FtdiCall::purge, rc);
        }
        if (mask & ZEQ_PURGE_TX) {
            int rc = ftdi_tcoflush(ctx_.get());
            if (rc < 0) return ftdi_status(FtdiCall::purge, rc);
        }
        return ZEQ_FT_OK;
    }

    Status setTimeouts(uint32_t readMs, uint32_t writeMs) override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        readMs_ = readMs ? readMs : kDefaultTimeoutMs;
        writeMs_ = writeMs ? writeMs : kDefaultTimeoutMs;
        applyTimeouts();
        return ZEQ_FT_OK;
    }

    Status resetDevice() override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        int rc = ftdi_usb_reset(ctx_.get());
        ftdi_set_latency_timer(ctx_.get(), kLatencyMs);  // best effort
        return ftdi_status(FtdiCall::reset, rc);
    }

    Status eeRead(ZEQ_EEPROM_DATA* data) override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        if (!data) return ZEQ_FT_INVALID_PARAMETER;
        FtdiEepromHead head;
        int rc = readImage(&head);
        if (rc < 0) return ftdi_status(FtdiCall::eeRead, rc);
        if (rc == 0) return ZEQ_FT_EEPROM_READ_FAILED;  // blank or unreadable image
        data->Signature1 = 0x00000000u;
        data->Signature2 = 0xFFFFFFFFu;
        data->VendorId = head.vendorId;
        data->ProductId = head.productId;
        data->MaxPower = head.maxPowerMa;
        data->PnP = 0;
        data->SelfPowered = head.selfPowered ? 1 : 0;
        data->RemoteWakeup = head.remoteWakeup ? 1 : 0;
        copy_to_caller(data->Manufacturer, head.manufacturer);
        copy_to_caller(data->ManufacturerId, std::string());
        copy_to_caller(data->Description, head.description);
        copy_to_caller(data->SerialNumber, head.serial);
        return ZEQ_FT_OK;
    }

    // A null string pointer keeps the text the EEPROM holds now.
    Status eeProgram(const ZEQ_EEPROM_DATA* data) override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        if (!data) return ZEQ_FT_INVALID_PARAMETER;
        ftdi_context* c = ctx_.get();
        FtdiEepromHead current;
        int rc = readImage(&current);
        if (rc < 0) return ftdi_status(FtdiCall::eeProgram, rc);
        std::string manufacturer = from_caller(data->Manufacturer, current.manufacturer);
        std::string description = from_caller(data->Description, current.description);
        std::string serial = from_caller(data->SerialNumber, current.serial);
        // A sound image keeps its chip-specific settings; a blank or broken one starts from the
        // chip's defaults.
        if (rc == 0 || ftdi_eeprom_decode(c, 0) < 0) {
            rc =
                ftdi_eeprom_initdefaults(c, manufacturer.data(), description.data(), serial.data());
            if (rc < 0) return ftdi_status(FtdiCall::eeProgram, rc);
        }
        rc = ftdi_eeprom_set_strings(c, manufacturer.c_str(), description.c_str(), serial.c_str());
        if (rc >= 0) rc = ftdi_set_eeprom_value(c, VENDOR_ID, data->VendorId);
        if (rc >= 0) rc = ftdi_set_eeprom_value(c, PRODUCT_ID, data->ProductId);
        if (rc >= 0) rc = ftdi_set_eeprom_value(c, MAX_POWER, data->MaxPower);
        if (rc >= 0) rc = ftdi_set_eeprom_value(c, SELF_POWERED, data->SelfPowered ? 1 : 0);
        if (rc >= 0) rc = ftdi_set_eeprom_value(c, REMOTE_WAKEUP, data->RemoteWakeup ? 1 : 0);
        if (rc >= 0) rc = ftdi_eeprom_build(c);
        if (rc >= 0) rc = ftdi_write_eeprom(c);
        // Writing resets the chip and leaves its latency timer at libftdi's programming value.
        ftdi_set_latency_timer(c, kLatencyMs);
        return ftdi_status(FtdiCall::eeProgram, rc);
    }

    Status close() override {
        std::lock_guard<std::mutex> guard(mu_);
        if (!ctx_) return ZEQ_FT_INVALID_HANDLE;
        int rc = ftdi_usb_close(ctx_.get());
        ctx_.reset();  // the port is closed whatever the chip answered
        return ftdi_status(FtdiCall::close, rc);
    }

  private:
    void applyTimeouts() {
        ctx_->usb_read_timeout = static_cast<int>(std::min<uint32_t>(readMs_, INT_MAX));
        ctx_->usb_write_timeout = static_cast<int>(std::min<uint32_t>(writeMs_, INT_MAX));
    }

    // Reads the EEPROM into the context and decodes its head: 1 decoded, 0 blank or unsound,
    // a libftdi error code below 0.
    int readImage(FtdiEepromHead* head) {
        int rc = ftdi_read_eeprom(ctx_.get());
        if (rc < 0) return rc;
        int size = -1;
        if (ftdi_get_eeprom_value(ctx_.get(), CHIP_SIZE, &size) < 0) return 0;
        unsigned char image[kImageSize] = {};
        if (ftdi_get_eeprom_buf(ctx_.get(), image, kImageSize) < 0) return 0;
        return decode_ftdi_eeprom(image, size, head) ? 1 : 0;
    }

    // A libftdi context must not be used by two threads at once (its read buffer and the
    // transfer state are unguarded), and the bridge calls reach a port without the exchange
    // lock: every call holds this for its length, as the other bridges serialise theirs.
    std::mutex mu_;
    Context ctx_;
    uint32_t readMs_ = kDefaultTimeoutMs;
    uint32_t writeMs_ = kDefaultTimeoutMs;
};

class FtdiBackend final : public Backend {
  public:
    std::vector<DeviceInfo> list() override {
        last_.clear();
        Context ctx = new_context();
        if (ctx) {
            for_each_ftdi(ctx.get(), [&](libusb_device* dev) {
                Entry e;
                e.place = place_of(dev);
                e.info.location = fold_usb_location(e.place.bus, e.place.ports, e.place.depth);
                char description[kTextSize] = {};
                char serial[kTextSize] = {};
                // Fails without access to the device (or without a serial-number string); what
                // was read before the failure is kept.
                ftdi_usb_get_strings(ctx.get(), dev, nullptr, 0, description, kTextSize, serial,
                                     kTextSize);
                description[kTextSize - 1] = serial[kTextSize - 1] = '\0';
                e.info.description = description;
                e.info.serial = serial;
                last_.push_back(std::move(e));
                return false;
            });
        }
        // libusb's enumeration order is not guaranteed; the place on the bus is.
        std::stable_sort(last_.begin(), last_.end(), [](const Entry& a, const Entry& b) {
            if (a.place.bus != b.place.bus) return a.place.bus < b.place.bus;
            return std::lexicographical_compare(a.place.ports, a.place.ports + a.place.depth,
                                                b.place.ports, b.place.ports + b.place.depth);
        });
        std::vector<DeviceInfo> infos;
        infos.reserve(last_.size());
        for (const Entry& e : last_) infos.push_back(e.info);
        return infos;
    }

    Status open(size_t index, std::unique_ptr<Port>* out) override {
        if (!out) return ZEQ_FT_INVALID_PARAMETER;
        if (index >= last_.size()) return ZEQ_FT_DEVICE_NOT_FOUND;
        Context ctx = new_context();
        if (!ctx) return ZEQ_FT_INSUFFICIENT_RESOURCES;
        ftdi_set_interface(ctx.get(), INTERFACE_A);
        Status st = ZEQ_FT_DEVICE_NOT_FOUND;
        const UsbPlace& wanted = last_[index].place;
        for_each_ftdi(ctx.get(), [&](libusb_device* dev) {
            if (!(place_of(dev) == wanted)) return false;
            st = ftdi_status(FtdiCall::open, ftdi_usb_open_dev(ctx.get(), dev));
            return true;
        });
        if (st != ZEQ_FT_OK) return st;
        // The card's FIFO interface is the chip's default mode; undo any mode a previous user
        // left behind. Both settings are best effort: the link works without them, slower.
        ftdi_set_bitmode(ctx.get(), 0x00, BITMODE_RESET);
        ftdi_set_latency_timer(ctx.get(), kLatencyMs);
        *out = std::make_unique<FtdiPort>(std::move(ctx));
        return ZEQ_FT_OK;
    }

  private:
    struct Entry {
        DeviceInfo info;
        UsbPlace place;
    };
    std::vector<Entry> last_;
};

}  // namespace

std::unique_ptr<Backend> make_ftdi_backend() {
    return std::make_unique<FtdiBackend>();
}

}  // namespace zeq::bridge

#endif  // ZEQ_HAVE_LIBFTDI
