// A stand-in for libftdi1 (and the few libusb calls that come with it), for the libftdi backend
// tests only; never installed. It keeps libftdi's published signatures and the context layout of
// <ftdi.h>, and behaves as libftdi does over an FTDI chip in its default FIFO mode:
//
//  - enumeration lists the devices with FTDI's vendor id and the default product ids, in an order
//    that is not the order on the bus (libusb promises none); each device sits at bus 1, ports
//    2.(i+1);
//  - a read goes through the context's read buffer in bulk-in transfers; a transfer carries what
//    the chip holds (up to 62 bytes per 64-byte packet), and when the chip holds nothing it ends
//    after the latency timer with no payload, so ftdi_read_data returns fewer bytes than asked,
//    or 0. Bytes beyond the request stay in the read buffer for the next call. A transfer that
//    times out fails the whole call with LIBUSB_ERROR_TIMEOUT, and the bytes already copied in
//    that call are lost to the caller, as in libftdi;
//  - writes fail with -1, reads with libusb's code, calls on a context without a device with
//    libftdi's "USB device unavailable" codes;
//  - opening claims the device (a second context gets -5), resets the chip and sets 9600 baud;
//    the latency timer and bit mode are chip state and survive a close;
//  - the EEPROM is read and programmed through the attached device's bridge EEPROM, as a
//    128-byte image with the three string descriptors.
#include "ftdi_standin.h"

#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "transport/bridge.h"

// The opaque libusb and libftdi types, as this stand-in keeps them.
struct libusb_device {
    int device;  // index on the bus
    uint8_t bus;
    uint8_t ports[2];
    uint16_t vendor;
    uint16_t product;
};

struct libusb_device_handle {
    int device;
};

constexpr int kMaxImageSize = 256;  // libftdi's largest EEPROM image

struct ftdi_eeprom {
    int size = -1;  // -1: nothing read yet
    unsigned char image[kMaxImageSize] = {};
    int vendor = 0;
    int product = 0;
    int maxPowerMa = 0;
    int selfPowered = 0;
    int remoteWakeup = 0;
    std::string manufacturer, description, serial;
};

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

namespace bridge = zeq::bridge;

constexpr int kPacket = 64;
constexpr int kChunk = 4096;
constexpr int kImageSize = 0x80;
constexpr uint16_t kDefaultProducts[] = {0x6001, 0x6010, 0x6011, 0x6014, 0x6015};

// The power-on trickle of every chip: FTDI_STANDIN_TRICKLE, else 0.
int power_on_trickle() {
    const char* text = std::getenv("FTDI_STANDIN_TRICKLE");
    int n = text ? std::atoi(text) : 0;
    return n > 0 ? n : 0;
}

struct Chip {
    std::unique_ptr<bridge::Port> port;
    const ftdi_context* owner = nullptr;
    int latency = 16;
    int bitmode = 0;
    int trickle = power_on_trickle();
    bool heldBack = false;  // trickle: the last transfer carried data, the next one ends empty
    int stall = 0;
    bool noaccess = false;
    bool blankEeprom = false;
    int product = 0x6014;
    int opens = 0, rxPurges = 0, txPurges = 0, resets = 0;
    int transfers = 0, emptyTransfers = 0, reads = 0, shortReads = 0;
};

struct Bus {
    std::mutex mu;
    bridge::Backend* devices = nullptr;
    std::vector<bridge::DeviceInfo> listed;
    std::map<int, Chip> chips;
    std::map<const ftdi_context*, int> busy;  // calls under way per context
    int overlaps = 0;
};

// Never destroyed: contexts may be freed by other libraries' static destructors at exit.
Bus& bus() {
    static Bus* b = new Bus;
    return *b;
}

// Marks a context busy for the length of one call. A call that finds its context busy is one
// that libftdi would run unguarded against another thread's call: it is counted.
class Entered {
  public:
    explicit Entered(const ftdi_context* f) : f_(f) {
        std::lock_guard<std::mutex> guard(bus().mu);
        if (bus().busy[f_]++ > 0) bus().overlaps++;
    }
    ~Entered() {
        std::lock_guard<std::mutex> guard(bus().mu);
        if (--bus().busy[f_] == 0) bus().busy.erase(f_);
    }
    Entered(const Entered&) = delete;
    Entered& operator=(const Entered&) = delete;

  private:
    const ftdi_context* f_;
};

Chip* chip_of(ftdi_context* f) {
    if (!f || !f->usb_dev) return nullptr;
    auto it = bus().chips.find(f->usb_dev->device);
    if (it == bus().chips.end() || it->second.owner != f || !it->second.port) return nullptr;
    return &it->second;
}

void copy_string(char* dst, int size, const std::string& text) {
    if (!dst || size <= 0) return;
    size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(dst, text.data(), n);
    dst[n] = '\0';
}

bool default_product(int product) {
    return std::find(std::begin(kDefaultProducts), std::end(kDefaultProducts), product) !=
           std::end(kDefaultProducts);
}

void drop_read_buffer(ftdi_context* f) {
    f->readbuffer_offset = 0;
    f->readbuffer_remaining = 0;
}

// The chip's bridge-side close; the context forgets the device.
int close_device(ftdi_context* f) {
    int rc = 0;
    if (Chip* c = chip_of(f)) {
        if (c->port->close() != ZEQ_FT_OK) rc = -1;  // libusb_release_interface failed
        c->port.reset();
        c->owner = nullptr;
    }
    delete f->usb_dev;
    f->usb_dev = nullptr;
    drop_read_buffer(f);
    return rc;
}

// One bulk-in transfer into `out` (capacity: the payload of one chunk): the payload bytes, 0 when
// the latency period ended with nothing, or a libusb error. Called with the bus lock held; it is
// released while the transfer waits.
int bulk_in(ftdi_context* f, std::unique_lock<std::mutex>& lock, unsigned char* out, int capacity) {
    Chip* c = chip_of(f);
    if (!c) return LIBUSB_ERROR_NO_DEVICE;
    c->transfers++;
    if (c->stall > 0) {
        c->stall--;
        int wait = f->usb_read_timeout;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        lock.lock();
        return LIBUSB_ERROR_TIMEOUT;
    }
    if (c->heldBack) {
        c->heldBack = false;
        c->emptyTransfers++;
        return 0;
    }
    uint32_t want =
        static_cast<uint32_t>(c->trickle > 0 ? std::min(c->trickle, capacity) : capacity);
    uint32_t got = 0;
    if (c->port->read(out, want, &got) != ZEQ_FT_OK) return LIBUSB_ERROR_NO_DEVICE;
    if (got == 0) {
        // Nothing held: the chip answers when its latency timer runs out.
        int wait = c->latency;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
        lock.lock();
        c = chip_of(f);
        if (!c) return LIBUSB_ERROR_NO_DEVICE;
        if (c->port->read(out, want, &got) != ZEQ_FT_OK) return LIBUSB_ERROR_NO_DEVICE;
    }
    if (got == 0) c->emptyTransfers++;
    if (got > 0 && c->trickle > 0) c->heldBack = true;
    return static_cast<int>(got);
}

// ---- EEPROM image ------------------------------------------------------------------------

void put_string(ftdi_eeprom* e, int field, int* at, const std::string& text) {
    int chars = static_cast<int>(std::min<size_t>(text.size(), 30));
    int length = 2 + 2 * chars;
    if (*at + length > kImageSize - 2) {
        length = 0;
        chars = 0;
    }
    e->image[field] = static_cast<unsigned char>(0x80 | *at);
    e->image[field + 1] = static_cast<unsigned char>(length);
    if (length == 0) return;
    e->image[*at] = static_cast<unsigned char>(length);
    e->image[*at + 1] = 0x03;  // string descriptor
    for (int i = 0; i < chars; ++i) {
        e->image[*at + 2 + 2 * i] = static_cast<unsigned char>(text[static_cast<size_t>(i)]);
        e->image[*at + 3 + 2 * i] = 0;
    }
    *at += length;
}

// Lays the held values out as the chip's image; false when the strings do not fit.
bool build_image(ftdi_eeprom* e) {
    if (e->manufacturer.size() + e->description.size() + e->serial.size() > 48) return false;
    std::memset(e->image, 0, sizeof e->image);
    e->image[0x02] = static_cast<unsigned char>(e->vendor);
    e->image[0x03] = static_cast<unsigned char>(e->vendor >> 8);
    e->image[0x04] = static_cast<unsigned char>(e->product);
    e->image[0x05] = static_cast<unsigned char>(e->product >> 8);
    e->image[0x08] = static_cast<unsigned char>(0x80 | (e->selfPowered ? 0x40 : 0) |
                                                (e->remoteWakeup ? 0x20 : 0));
    e->image[0x09] = static_cast<unsigned char>(e->maxPowerMa / 2);
    int at = 0x18;
    put_string(e, 0x0E, &at, e->manufacturer);
    put_string(e, 0x10, &at, e->description);
    put_string(e, 0x12, &at, e->serial);
    uint16_t sum = 0xAAAA;
    for (int i = 0; i < kImageSize - 2; i += 2) {
        sum = static_cast<uint16_t>(sum ^ (e->image[i] | e->image[i + 1] << 8));
        sum = static_cast<uint16_t>(sum << 1 | sum >> 15);
    }
    e->image[kImageSize - 2] = static_cast<unsigned char>(sum);
    e->image[kImageSize - 1] = static_cast<unsigned char>(sum >> 8);
    // A 128-byte EEPROM reads twice over in the 256 bytes libftdi fetches.
    std::memcpy(e->image + kImageSize, e->image, kImageSize);
    e->size = kImageSize;
    return true;
}

}  // namespace

// ---- control calls -------------------------------------------------------------------------

EXPORT void ftdi_standin_attach(zeq::bridge::Backend* devices) {
    std::lock_guard<std::mutex> guard(bus().mu);
    bus().devices = devices;
    bus().listed.clear();
}

EXPORT void ftdi_standin_reset(void) {
    std::lock_guard<std::mutex> guard(bus().mu);
    bus().overlaps = 0;
    for (auto& [index, chip] : bus().chips) {
        Chip fresh;
        fresh.port = std::move(chip.port);
        fresh.owner = chip.owner;
        chip = std::move(fresh);
    }
}

EXPORT void ftdi_standin_set(int device, const char* what, int value) {
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip& c = bus().chips[device];
    if (!std::strcmp(what, "trickle")) c.trickle = value;
    if (!std::strcmp(what, "stall")) c.stall = value;
    if (!std::strcmp(what, "noaccess")) c.noaccess = value != 0;
    if (!std::strcmp(what, "blank_eeprom")) c.blankEeprom = value != 0;
    if (!std::strcmp(what, "pid")) c.product = value;
}

EXPORT int ftdi_standin_overlaps(void) {
    std::lock_guard<std::mutex> guard(bus().mu);
    return bus().overlaps;
}

EXPORT int ftdi_standin_query(int device, const char* what) {
    std::lock_guard<std::mutex> guard(bus().mu);
    auto it = bus().chips.find(device);
    if (it == bus().chips.end()) return -1;
    const Chip& c = it->second;
    const struct {
        const char* name;
        int value;
    } values[] = {
        {"opened", c.port ? 1 : 0},
        {"opens", c.opens},
        {"latency", c.latency},
        {"bitmode", c.bitmode},
        {"rx_purges", c.rxPurges},
        {"tx_purges", c.txPurges},
        {"resets", c.resets},
        {"read_timeout", c.owner ? c.owner->usb_read_timeout : -1},
        {"write_timeout", c.owner ? c.owner->usb_write_timeout : -1},
        {"transfers", c.transfers},
        {"empty_transfers", c.emptyTransfers},
        {"reads", c.reads},
        {"short_reads", c.shortReads},
    };
    for (const auto& v : values)
        if (!std::strcmp(what, v.name)) return v.value;
    return -1;
}

// ---- context ---------------------------------------------------------------------------------

EXPORT ftdi_context* ftdi_new(void) {
    auto* f = new ftdi_context{};
    f->usb_read_timeout = 5000;
    f->usb_write_timeout = 5000;
    f->type = TYPE_BM;
    f->baudrate = -1;
    f->readbuffer = new unsigned char[kChunk];
    f->readbuffer_chunksize = kChunk;
    f->writebuffer_chunksize = kChunk;
    f->interface = 0;
    f->index = INTERFACE_A;
    f->in_ep = 0x02;
    f->out_ep = 0x81;
    f->bitbang_mode = 1;
    f->eeprom = new ftdi_eeprom;
    f->module_detach_mode = AUTO_DETACH_SIO_MODULE;
    return f;
}

EXPORT void ftdi_free(ftdi_context* f) {
    if (!f) return;
    {
        std::lock_guard<std::mutex> guard(bus().mu);
        close_device(f);
    }
    delete[] f->readbuffer;
    delete f->eeprom;
    delete f;
}

EXPORT int ftdi_set_interface(ftdi_context* f, enum ftdi_interface interface) {
    if (!f) return -2;
    switch (interface) {
        case INTERFACE_ANY:
        case INTERFACE_A:
            f->interface = 0;
            f->index = INTERFACE_A;
            f->in_ep = 0x02;
            f->out_ep = 0x81;
            return 0;
        case INTERFACE_B:
        case INTERFACE_C:
        case INTERFACE_D:
            return -1;  // the pretend chips have one channel
    }
    return -1;
}

// ---- enumeration -----------------------------------------------------------------------------

EXPORT int ftdi_usb_find_all(ftdi_context* f, ftdi_device_list** devlist, int vendor, int product) {
    if (!f || !devlist) return -1;
    *devlist = nullptr;
    std::lock_guard<std::mutex> guard(bus().mu);
    Bus& b = bus();
    b.listed = b.devices ? b.devices->list() : std::vector<bridge::DeviceInfo>{};
    int count = 0;
    // Built front to back from the last bus device: the list runs against the bus order.
    for (int i = 0; i < static_cast<int>(b.listed.size()) && i < 15; ++i) {
        const Chip& c = b.chips[i];
        bool match = vendor == 0 && product == 0 ? default_product(c.product)
                                                 : vendor == 0x0403 && product == c.product;
        if (!match) continue;
        auto* dev = new libusb_device{
            i, 1, {2, static_cast<uint8_t>(i + 1)}, 0x0403, static_cast<uint16_t>(c.product)};
        *devlist = new ftdi_device_list{*devlist, dev};
        ++count;
    }
    return count;
}

EXPORT void ftdi_list_free(ftdi_device_list** devlist) {
    if (!devlist) return;
    for (ftdi_device_list* d = *devlist; d;) {
        ftdi_device_list* next = d->next;
        delete d->dev;
        delete d;
        d = next;
    }
    *devlist = nullptr;
}

EXPORT int ftdi_usb_get_strings(ftdi_context* f, libusb_device* dev, char* manufacturer,
                                int mnf_len, char* description, int desc_len, char* serial,
                                int serial_len) {
    if (!f || !dev) return -1;
    std::lock_guard<std::mutex> guard(bus().mu);
    Bus& b = bus();
    if (b.chips[dev->device].noaccess) return -4;  // libusb_open() failed
    if (dev->device >= static_cast<int>(b.listed.size())) return -4;
    const bridge::DeviceInfo& info = b.listed[static_cast<size_t>(dev->device)];
    copy_string(manufacturer, mnf_len, "ZEQ");
    copy_string(description, desc_len, info.description);
    copy_string(serial, serial_len, info.serial);
    return 0;
}

EXPORT uint8_t libusb_get_bus_number(libusb_device* dev) {
    return dev->bus;
}

EXPORT int libusb_get_port_numbers(libusb_device* dev, uint8_t* ports, int len) {
    if (len < 2) return LIBUSB_ERROR_OVERFLOW;
    ports[0] = dev->ports[0];
    ports[1] = dev->ports[1];
    return 2;
}

EXPORT int libusb_get_device_descriptor(libusb_device* dev, libusb_device_descriptor* desc) {
    *desc = libusb_device_descriptor{};
    desc->bLength = LIBUSB_DT_DEVICE_SIZE;
    desc->bDescriptorType = LIBUSB_DT_DEVICE;
    desc->bcdUSB = 0x0200;
    desc->bMaxPacketSize0 = 64;
    desc->idVendor = dev->vendor;
    desc->idProduct = dev->product;
    desc->bcdDevice = 0x0900;
    desc->iManufacturer = 1;
    desc->iProduct = 2;
    desc->iSerialNumber = 3;
    desc->bNumConfigurations = 1;
    return 0;
}

// ---- open and close --------------------------------------------------------------------------

EXPORT int ftdi_usb_open_dev(ftdi_context* f, libusb_device* dev) {
    if (!f) return -8;
    if (!dev) return -4;
    std::lock_guard<std::mutex> guard(bus().mu);
    Bus& b = bus();
    Chip& c = b.chips[dev->device];
    if (c.noaccess || !b.devices) return -4;  // libusb_open() failed
    if (f->usb_dev) close_device(f);
    std::unique_ptr<bridge::Port> port;
    bridge::Status st = b.devices->open(static_cast<size_t>(dev->device), &port);
    if (st == ZEQ_FT_DEVICE_NOT_OPENED) return -5;  // unable to claim: in use
    if (st != ZEQ_FT_OK || !port) return -4;
    // The open ends with the chip's reset (both buffers emptied) and 9600 baud.
    port->resetDevice();
    c.port = std::move(port);
    c.owner = f;
    c.heldBack = false;
    c.opens++;
    f->usb_dev = new libusb_device_handle{dev->device};
    f->max_packet_size = kPacket;
    f->baudrate = 9600;
    drop_read_buffer(f);
    return 0;
}

EXPORT int ftdi_usb_close(ftdi_context* f) {
    if (!f) return -3;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    return close_device(f);
}

EXPORT int ftdi_usb_reset(ftdi_context* f) {
    if (!f || !f->usb_dev) return -2;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    if (c->port->resetDevice() != ZEQ_FT_OK) return -1;
    c->resets++;
    c->heldBack = false;
    drop_read_buffer(f);
    return 0;
}

EXPORT int ftdi_tciflush(ftdi_context* f) {
    if (!f || !f->usb_dev) return -2;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    if (c->port->purge(ZEQ_PURGE_RX) != ZEQ_FT_OK) return -1;
    c->rxPurges++;
    c->heldBack = false;
    drop_read_buffer(f);
    return 0;
}

EXPORT int ftdi_tcoflush(ftdi_context* f) {
    if (!f || !f->usb_dev) return -2;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    if (c->port->purge(ZEQ_PURGE_TX) != ZEQ_FT_OK) return -1;
    c->txPurges++;
    return 0;
}

EXPORT int ftdi_set_latency_timer(ftdi_context* f, unsigned char latency) {
    if (latency < 1) return -1;
    if (!f || !f->usb_dev) return -3;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -3;
    c->latency = latency;
    return 0;
}

EXPORT int ftdi_set_bitmode(ftdi_context* f, unsigned char bitmask, unsigned char mode) {
    (void)bitmask;
    if (!f || !f->usb_dev) return -2;
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    c->bitmode = mode;
    f->bitbang_mode = mode;
    f->bitbang_enabled = mode == BITMODE_RESET ? 0 : 1;
    return 0;
}

// ---- data ------------------------------------------------------------------------------------

EXPORT int ftdi_read_data(ftdi_context* f, unsigned char* buf, int size) {
    if (!f || !f->usb_dev) return -666;  // USB device unavailable
    Entered entered(f);
    if (f->max_packet_size == 0) return -1;
    std::unique_lock<std::mutex> lock(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -666;
    c->reads++;
    int offset = 0;
    if (size <= static_cast<int>(f->readbuffer_remaining)) {
        std::memcpy(buf, f->readbuffer + f->readbuffer_offset, static_cast<size_t>(size));
        f->readbuffer_remaining -= static_cast<unsigned>(size);
        f->readbuffer_offset += static_cast<unsigned>(size);
        return size;
    }
    if (f->readbuffer_remaining) {
        std::memcpy(buf, f->readbuffer + f->readbuffer_offset, f->readbuffer_remaining);
        offset = static_cast<int>(f->readbuffer_remaining);
    }
    const int payload = static_cast<int>(f->readbuffer_chunksize / f->max_packet_size) *
                        static_cast<int>(f->max_packet_size - 2);
    while (offset < size) {
        drop_read_buffer(f);
        int n = bulk_in(f, lock, f->readbuffer, payload);
        if (n < 0) return n;  // what was copied in this call is lost, as in libftdi
        if (n == 0) break;
        int part = std::min(n, size - offset);
        std::memcpy(buf + offset, f->readbuffer, static_cast<size_t>(part));
        offset += part;
        if (part < n) {
            f->readbuffer_offset = static_cast<unsigned>(part);
            f->readbuffer_remaining = static_cast<unsigned>(n - part);
        }
    }
    if (offset < size) {
        if (Chip* now = chip_of(f)) now->shortReads++;
    }
    return offset;
}

EXPORT int ftdi_write_data(ftdi_context* f, const unsigned char* buf, int size) {
    if (!f || !f->usb_dev) return -666;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -666;
    int offset = 0;
    while (offset < size) {
        int chunk = std::min(size - offset, static_cast<int>(f->writebuffer_chunksize));
        uint32_t put = 0;
        if (c->port->write(buf + offset, static_cast<uint32_t>(chunk), &put) != ZEQ_FT_OK)
            return -1;  // usb bulk write failed
        offset += static_cast<int>(put);
    }
    return offset;
}

// ---- EEPROM ----------------------------------------------------------------------------------

EXPORT int ftdi_read_eeprom(ftdi_context* f) {
    if (!f || !f->usb_dev) return -2;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    char manufacturer[64] = {}, id[64] = {}, description[64] = {}, serial[64] = {};
    ZEQ_EEPROM_DATA data{};
    data.Signature2 = 0xFFFFFFFFu;
    data.Version = 2;
    data.Manufacturer = manufacturer;
    data.ManufacturerId = id;
    data.Description = description;
    data.SerialNumber = serial;
    if (c->port->eeRead(&data) != ZEQ_FT_OK) return -1;
    ftdi_eeprom* e = f->eeprom;
    if (c->blankEeprom) {
        // An erased EEPROM reads as all ones; libftdi cannot tell its size.
        std::memset(e->image, 0xFF, sizeof e->image);
        e->size = -1;
        return 0;
    }
    e->vendor = data.VendorId;
    e->product = data.ProductId;
    e->maxPowerMa = data.MaxPower;
    e->selfPowered = data.SelfPowered;
    e->remoteWakeup = data.RemoteWakeup;
    e->manufacturer = manufacturer;
    e->description = description;
    e->serial = serial;
    if (!build_image(e)) return -1;
    return 0;
}

EXPORT int ftdi_get_eeprom_buf(ftdi_context* f, unsigned char* buf, int size) {
    if (!f || !f->eeprom) return -2;
    if (!buf || size < kMaxImageSize) return -1;
    std::memcpy(buf, f->eeprom->image, kMaxImageSize);
    return 0;
}

EXPORT int ftdi_get_eeprom_value(ftdi_context* f, enum ftdi_eeprom_value name, int* value) {
    if (!f || !f->eeprom || !value) return -1;
    const ftdi_eeprom* e = f->eeprom;
    switch (name) {
        case VENDOR_ID:
            *value = e->vendor;
            return 0;
        case PRODUCT_ID:
            *value = e->product;
            return 0;
        case SELF_POWERED:
            *value = e->selfPowered;
            return 0;
        case REMOTE_WAKEUP:
            *value = e->remoteWakeup;
            return 0;
        case MAX_POWER:
            *value = e->maxPowerMa;
            return 0;
        case CHIP_SIZE:
            *value = e->size;
            return 0;
        default:
            return -1;  // unknown or unsupported value
    }
}

EXPORT int ftdi_set_eeprom_value(ftdi_context* f, enum ftdi_eeprom_value name, int value) {
    if (!f || !f->eeprom) return -1;
    ftdi_eeprom* e = f->eeprom;
    switch (name) {
        case VENDOR_ID:
            e->vendor = value;
            return 0;
        case PRODUCT_ID:
            e->product = value;
            return 0;
        case SELF_POWERED:
            e->selfPowered = value;
            return 0;
        case REMOTE_WAKEUP:
            e->remoteWakeup = value;
            return 0;
        case MAX_POWER:
            e->maxPowerMa = value;
            return 0;
        case CHIP_SIZE:
            return -2;  // read-only
        default:
            return -1;
    }
}

EXPORT int ftdi_eeprom_decode(ftdi_context* f, int verbose) {
    (void)verbose;
    if (!f || !f->eeprom) return -1;
    // The values were kept when the image was read or built.
    return f->eeprom->size > 0 ? 0 : -1;
}

EXPORT int ftdi_eeprom_initdefaults(ftdi_context* f, char* manufacturer, char* product,
                                    char* serial) {
    if (!f || !f->eeprom) return -1;
    ftdi_eeprom* e = f->eeprom;
    e->vendor = 0x0403;
    e->product = 0x6014;
    e->maxPowerMa = 100;
    e->selfPowered = 0;
    e->remoteWakeup = 0;
    e->manufacturer = manufacturer ? manufacturer : "FTDI";
    e->description = product ? product : "FT232H";
    e->serial = serial ? serial : "";
    e->size = kImageSize;
    return 0;
}

EXPORT int ftdi_eeprom_set_strings(ftdi_context* f, const char* manufacturer, const char* product,
                                   const char* serial) {
    if (!f) return -1;
    if (!f->eeprom) return -2;
    if (manufacturer) f->eeprom->manufacturer = manufacturer;
    if (product) f->eeprom->description = product;
    if (serial) f->eeprom->serial = serial;
    return 0;
}

EXPORT int ftdi_eeprom_build(ftdi_context* f) {
    if (!f || !f->eeprom) return -2;
    if (!build_image(f->eeprom)) return -1;  // strings too long
    ftdi_eeprom* e = f->eeprom;
    return kImageSize - 0x18 - 2 -
           2 * static_cast<int>(3 + e->manufacturer.size() + e->description.size() +
                                e->serial.size());
}

EXPORT int ftdi_write_eeprom(ftdi_context* f) {
    if (!f || !f->usb_dev) return -2;
    Entered entered(f);
    std::lock_guard<std::mutex> guard(bus().mu);
    Chip* c = chip_of(f);
    if (!c) return -2;
    ftdi_eeprom* e = f->eeprom;
    if (e->size <= 0) return -1;
    std::string manufacturer = e->manufacturer, description = e->description, serial = e->serial;
    // What the image does not carry (PnP, the manufacturer id) stays as the device has it.
    char keep[4][64] = {};
    ZEQ_EEPROM_DATA data{};
    data.Signature2 = 0xFFFFFFFFu;
    data.Version = 2;
    data.Manufacturer = keep[0];
    data.ManufacturerId = keep[1];
    data.Description = keep[2];
    data.SerialNumber = keep[3];
    if (c->port->eeRead(&data) != ZEQ_FT_OK) return -1;
    data.VendorId = static_cast<uint16_t>(e->vendor);
    data.ProductId = static_cast<uint16_t>(e->product);
    data.Manufacturer = manufacturer.data();
    data.Description = description.data();
    data.SerialNumber = serial.data();
    data.MaxPower = static_cast<uint16_t>(e->maxPowerMa);
    data.SelfPowered = static_cast<uint16_t>(e->selfPowered);
    data.RemoteWakeup = static_cast<uint16_t>(e->remoteWakeup);
    if (c->port->eeProgram(&data) != ZEQ_FT_OK) return -1;
    // Programming restarts the chip: its latency timer goes back to the power-on value.
    c->latency = 16;
    c->blankEeprom = false;
    return 0;
}
