// The bridge backend over FTDI's own driver library (see backend_d2xx.h).
//
// The driver is bound by name (dlopen/dlsym; LoadLibrary/GetProcAddress on Windows, where its
// calls use the WINAPI convention) and written against its published function
// signatures only. Two width questions are settled defensively so that the binding does not
// depend on how a given driver build declares its DWORD/ULONG types:
//  - by-value 32-bit arguments are passed as `unsigned long`: a callee that takes 32 bits reads
//    the low half of the register, one that takes 64 bits reads the whole value;
//  - every DWORD the driver writes back goes to a zeroed 64-bit slot whose low 32 bits are the
//    value (little-endian), so a 4-byte store and an 8-byte store both land safely.
// The status comes back in the return register; its low 32 bits are the FT_ status.
//
// A device is listed with FT_CreateDeviceInfoList/FT_GetDeviceInfoDetail (or FT_ListDevices by
// index when the driver lacks them). It is opened by its serial number through FT_OpenEx when
// that serial is present and unique in the last list (the driver's index order can change when a
// device is plugged in between listing and opening), otherwise by index with FT_Open. After the
// open the latency timer is set to 2 ms, so that a one-byte status reply from the card is not
// held back by the chip for its default 16 ms.
#include "transport/backend_d2xx.h"

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#define ZEQ_FT_CALL WINAPI
#else
#include <dlfcn.h>
#define ZEQ_FT_CALL
#endif

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

namespace zeq::bridge {

namespace {

static_assert(std::endian::native == std::endian::little,
              "the driver's out-parameters are read from the low half of 64-bit slots");

using FtHandle = void*;
using FtStatus = uint32_t;
using FtWord = unsigned long;  // a by-value DWORD/ULONG argument
using FtOut = uint64_t;        // a slot for a DWORD the driver writes

constexpr FtWord kFlagsOpenBySerial = ZEQ_FT_OPEN_BY_SERIAL_NUMBER;
constexpr unsigned char kLatencyMs = 2;
// A USB bus holds at most 127 devices; a larger count from the driver is cut to this.
constexpr uint32_t kMaxDevices = 127;
// The caller's EEPROM string buffers are at least this large (bridge.h).
constexpr size_t kCallerTextSize = 64;
// The driver's own text buffers in listing and EEPROM calls; larger than any it fills.
constexpr size_t kDriverTextSize = 256;
// The driver's program-data structure grows with each chip family and the driver fills the
// extension fields of the structure version the caller names; this covers every version with
// ample room. Only the head (laid out as ZEQ_EEPROM_DATA) is copied in and out.
constexpr size_t kProgramDataSize = 1024;
static_assert(sizeof(ZEQ_EEPROM_DATA) < kProgramDataSize);

#if defined(_WIN32)
void* open_library(const char* name) {
    return reinterpret_cast<void*>(LoadLibraryA(name));
}
void* find_symbol(void* lib, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
void close_library(void* lib) {
    FreeLibrary(static_cast<HMODULE>(lib));
}
#else
void* open_library(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}
void* find_symbol(void* lib, const char* name) {
    return dlsym(lib, name);
}
void close_library(void* lib) {
    dlclose(lib);
}
#endif

struct D2xxApi {
    void* lib = nullptr;
    FtStatus(ZEQ_FT_CALL* ListDevices)(void*, void*, FtWord) = nullptr;
    FtStatus(ZEQ_FT_CALL* CreateDeviceInfoList)(FtOut*) = nullptr;
    FtStatus(ZEQ_FT_CALL* GetDeviceInfoDetail)(FtWord, FtOut*, FtOut*, FtOut*, FtOut*, void*, void*,
                                               FtHandle*) = nullptr;
    FtStatus(ZEQ_FT_CALL* Open)(int, FtHandle*) = nullptr;
    FtStatus(ZEQ_FT_CALL* OpenEx)(void*, FtWord, FtHandle*) = nullptr;
    FtStatus(ZEQ_FT_CALL* Close)(FtHandle) = nullptr;
    FtStatus(ZEQ_FT_CALL* Read)(FtHandle, void*, FtWord, FtOut*) = nullptr;
    FtStatus(ZEQ_FT_CALL* Write)(FtHandle, void*, FtWord, FtOut*) = nullptr;
    FtStatus(ZEQ_FT_CALL* Purge)(FtHandle, FtWord) = nullptr;
    FtStatus(ZEQ_FT_CALL* SetTimeouts)(FtHandle, FtWord, FtWord) = nullptr;
    FtStatus(ZEQ_FT_CALL* ResetDevice)(FtHandle) = nullptr;
    FtStatus(ZEQ_FT_CALL* SetLatencyTimer)(FtHandle, unsigned char) = nullptr;
    FtStatus(ZEQ_FT_CALL* EE_Read)(FtHandle, void*) = nullptr;
    FtStatus(ZEQ_FT_CALL* EE_Program)(FtHandle, void*) = nullptr;

    D2xxApi() = default;
    D2xxApi(const D2xxApi&) = delete;
    D2xxApi& operator=(const D2xxApi&) = delete;
    ~D2xxApi() {
        if (lib) close_library(lib);
    }

    template <typename Fn>
    void bind(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(find_symbol(lib, name));
    }

    bool complete() const {
        bool canList = ListDevices || (CreateDeviceInfoList && GetDeviceInfoDetail);
        return canList && Open && Close && Read && Write && Purge && SetTimeouts && ResetDevice;
    }
};

std::shared_ptr<D2xxApi> load_driver() {
    const char* env = std::getenv(kD2xxLibraryEnv);
    const char* name = (env && *env) ? env : kD2xxLibraryDefault;
    void* lib = open_library(name);
    if (!lib) return nullptr;
    auto api = std::make_shared<D2xxApi>();
    api->lib = lib;
    api->bind(api->ListDevices, "FT_ListDevices");
    api->bind(api->CreateDeviceInfoList, "FT_CreateDeviceInfoList");
    api->bind(api->GetDeviceInfoDetail, "FT_GetDeviceInfoDetail");
    api->bind(api->Open, "FT_Open");
    api->bind(api->OpenEx, "FT_OpenEx");
    api->bind(api->Close, "FT_Close");
    api->bind(api->Read, "FT_Read");
    api->bind(api->Write, "FT_Write");
    api->bind(api->Purge, "FT_Purge");
    api->bind(api->SetTimeouts, "FT_SetTimeouts");
    api->bind(api->ResetDevice, "FT_ResetDevice");
    api->bind(api->SetLatencyTimer, "FT_SetLatencyTimer");
    api->bind(api->EE_Read, "FT_EE_Read");
    api->bind(api->EE_Program, "FT_EE_Program");
    if (!api->complete()) return nullptr;  // the destructor closes the library
    return api;
}

// A text the driver wrote into one of our buffers, cut at the buffer's end if unterminated.
std::string driver_text(const char* buffer) {
    return std::string(buffer, strnlen(buffer, kDriverTextSize - 1));
}

// Copies a text into a caller's EEPROM string buffer (at least kCallerTextSize bytes).
void copy_to_caller(char* dst, const char* src) {
    if (!dst) return;
    size_t n = strnlen(src, kCallerTextSize - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

// Copies a caller's EEPROM string (at most kCallerTextSize - 1 characters are read) into one of
// our driver buffers.
void copy_from_caller(char* dst, const char* src) {
    size_t n = strnlen(src, kCallerTextSize - 1);
    std::memcpy(dst, src, n);
    dst[n] = '\0';
}

// The four string buffers handed to the driver in an EEPROM call.
struct EepromTexts {
    char manufacturer[kDriverTextSize] = {};
    char manufacturerId[kDriverTextSize] = {};
    char description[kDriverTextSize] = {};
    char serial[kDriverTextSize] = {};

    void attach(ZEQ_EEPROM_DATA* head) {
        head->Manufacturer = manufacturer;
        head->ManufacturerId = manufacturerId;
        head->Description = description;
        head->SerialNumber = serial;
    }
};

class D2xxPort final : public Port {
  public:
    D2xxPort(std::shared_ptr<D2xxApi> api, FtHandle handle) : api_(std::move(api)), h_(handle) {}
    ~D2xxPort() override {
        if (open_) api_->Close(h_);
    }

    Status read(void* buffer, uint32_t count, uint32_t* got) override {
        uint32_t local = 0;
        if (!got) got = &local;
        *got = 0;
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        if (count && !buffer) return ZEQ_FT_INVALID_PARAMETER;
        FtOut n = 0;
        Status st = api_->Read(h_, buffer, count, &n);
        *got = std::min(static_cast<uint32_t>(n), count);
        return st;
    }

    Status write(const void* buffer, uint32_t count, uint32_t* written) override {
        uint32_t local = 0;
        if (!written) written = &local;
        *written = 0;
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        if (count && !buffer) return ZEQ_FT_INVALID_PARAMETER;
        FtOut n = 0;
        // The driver's FT_Write takes a non-const pointer but only reads the buffer.
        Status st = api_->Write(h_, const_cast<void*>(buffer), count, &n);
        *written = std::min(static_cast<uint32_t>(n), count);
        return st;
    }

    Status purge(uint32_t mask) override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        return api_->Purge(h_, mask);
    }

    Status setTimeouts(uint32_t readMs, uint32_t writeMs) override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        return api_->SetTimeouts(h_, readMs, writeMs);
    }

    Status resetDevice() override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        return api_->ResetDevice(h_);
    }

    Status eeRead(ZEQ_EEPROM_DATA* data) override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        if (!api_->EE_Read) return ZEQ_FT_NOT_SUPPORTED;
        if (!data) return ZEQ_FT_INVALID_PARAMETER;
        ZEQ_EEPROM_DATA head = *data;
        EepromTexts texts;
        Status st = read_block(&head, &texts);
        if (st != ZEQ_FT_OK) return st;
        // Every head field comes back; the string pointers stay the caller's own buffers.
        ZEQ_EEPROM_DATA out = head;
        out.Manufacturer = data->Manufacturer;
        out.ManufacturerId = data->ManufacturerId;
        out.Description = data->Description;
        out.SerialNumber = data->SerialNumber;
        *data = out;
        copy_to_caller(data->Manufacturer, texts.manufacturer);
        copy_to_caller(data->ManufacturerId, texts.manufacturerId);
        copy_to_caller(data->Description, texts.description);
        copy_to_caller(data->SerialNumber, texts.serial);
        return ZEQ_FT_OK;
    }

    // A null string pointer keeps the text the EEPROM holds now (read back first).
    Status eeProgram(const ZEQ_EEPROM_DATA* data) override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        if (!api_->EE_Program) return ZEQ_FT_NOT_SUPPORTED;
        if (!data) return ZEQ_FT_INVALID_PARAMETER;
        EepromTexts texts;
        if (!data->Manufacturer || !data->ManufacturerId || !data->Description ||
            !data->SerialNumber) {
            if (!api_->EE_Read) return ZEQ_FT_NOT_SUPPORTED;
            ZEQ_EEPROM_DATA current = *data;
            Status st = read_block(&current, &texts);
            if (st != ZEQ_FT_OK) return st;
        }
        if (data->Manufacturer) copy_from_caller(texts.manufacturer, data->Manufacturer);
        if (data->ManufacturerId) copy_from_caller(texts.manufacturerId, data->ManufacturerId);
        if (data->Description) copy_from_caller(texts.description, data->Description);
        if (data->SerialNumber) copy_from_caller(texts.serial, data->SerialNumber);
        ZEQ_EEPROM_DATA head = *data;
        head.Signature1 = 0x00000000u;
        head.Signature2 = 0xFFFFFFFFu;
        texts.attach(&head);
        alignas(8) unsigned char block[kProgramDataSize] = {};
        std::memcpy(block, &head, sizeof head);
        return api_->EE_Program(h_, block);
    }

    Status close() override {
        if (!open_) return ZEQ_FT_INVALID_HANDLE;
        open_ = false;  // the handle is gone whatever the driver answers
        return api_->Close(h_);
    }

  private:
    // FT_EE_Read into a zeroed program-data block; on success *head holds the block's head with
    // its string pointers aimed at `texts`.
    Status read_block(ZEQ_EEPROM_DATA* head, EepromTexts* texts) {
        head->Signature1 = 0x00000000u;
        head->Signature2 = 0xFFFFFFFFu;
        texts->attach(head);
        alignas(8) unsigned char block[kProgramDataSize] = {};
        std::memcpy(block, head, sizeof *head);
        Status st = api_->EE_Read(h_, block);
        if (st != ZEQ_FT_OK) return st;
        std::memcpy(head, block, sizeof *head);
        texts->attach(head);  // the driver fills the buffers; the pointers stay ours
        // Terminate whatever the driver left, in case it filled a buffer to the brim.
        for (char* t :
             {texts->manufacturer, texts->manufacturerId, texts->description, texts->serial})
            t[kDriverTextSize - 1] = '\0';
        return ZEQ_FT_OK;
    }

    std::shared_ptr<D2xxApi> api_;
    FtHandle h_;
    bool open_ = true;
};

class D2xxBackend final : public Backend {
  public:
    explicit D2xxBackend(std::shared_ptr<D2xxApi> api) : api_(std::move(api)) {}

    std::vector<DeviceInfo> list() override {
        last_ = api_->CreateDeviceInfoList && api_->GetDeviceInfoDetail ? list_by_info()
                                                                        : list_by_index();
        return last_;
    }

    Status open(size_t index, std::unique_ptr<Port>* out) override {
        if (!out) return ZEQ_FT_INVALID_PARAMETER;
        if (index >= last_.size()) return ZEQ_FT_DEVICE_NOT_FOUND;
        FtHandle h = nullptr;
        Status st;
        const std::string& serial = last_[index].serial;
        if (api_->OpenEx && serial_is_unique(serial)) {
            char text[kDriverTextSize] = {};
            std::memcpy(text, serial.data(), std::min(serial.size(), kDriverTextSize - 1));
            st = api_->OpenEx(text, kFlagsOpenBySerial, &h);
        } else {
            st = api_->Open(static_cast<int>(index), &h);
        }
        if (st != ZEQ_FT_OK) return st;
        if (api_->SetLatencyTimer) api_->SetLatencyTimer(h, kLatencyMs);  // best effort
        *out = std::make_unique<D2xxPort>(api_, h);
        return ZEQ_FT_OK;
    }

  private:
    bool serial_is_unique(const std::string& serial) const {
        if (serial.empty()) return false;
        return std::count_if(last_.begin(), last_.end(),
                             [&](const DeviceInfo& d) { return d.serial == serial; }) == 1;
    }

    std::vector<DeviceInfo> list_by_info() {
        std::vector<DeviceInfo> devices;
        FtOut count = 0;
        if (api_->CreateDeviceInfoList(&count) != ZEQ_FT_OK) return devices;
        // An entry that cannot be read stays in the list (blank) so that indexes keep matching
        // the driver's open indexes.
        uint32_t n = std::min(static_cast<uint32_t>(count), kMaxDevices);
        for (uint32_t i = 0; i < n; ++i) {
            FtOut flags = 0, type = 0, id = 0, location = 0;
            char serial[kDriverTextSize] = {};
            char description[kDriverTextSize] = {};
            FtHandle h = nullptr;
            DeviceInfo info;
            if (api_->GetDeviceInfoDetail(i, &flags, &type, &id, &location, serial, description,
                                          &h) == ZEQ_FT_OK) {
                info.description = driver_text(description);
                info.serial = driver_text(serial);
                info.location = static_cast<uint32_t>(location);
            }
            devices.push_back(std::move(info));
        }
        return devices;
    }

    std::vector<DeviceInfo> list_by_index() {
        std::vector<DeviceInfo> devices;
        FtOut count = 0;
        if (api_->ListDevices(&count, nullptr, ZEQ_FT_LIST_NUMBER_ONLY) != ZEQ_FT_OK)
            return devices;
        uint32_t n = std::min(static_cast<uint32_t>(count), kMaxDevices);
        for (uint32_t i = 0; i < n; ++i) {
            void* index = reinterpret_cast<void*>(static_cast<uintptr_t>(i));
            char description[kDriverTextSize] = {};
            char serial[kDriverTextSize] = {};
            FtOut location = 0;
            const FtWord byIndex = ZEQ_FT_LIST_BY_INDEX;
            DeviceInfo info;
            if (api_->ListDevices(index, description, byIndex | ZEQ_FT_OPEN_BY_DESCRIPTION) ==
                ZEQ_FT_OK)
                info.description = driver_text(description);
            if (api_->ListDevices(index, serial, byIndex | ZEQ_FT_OPEN_BY_SERIAL_NUMBER) ==
                ZEQ_FT_OK)
                info.serial = driver_text(serial);
            if (api_->ListDevices(index, &location, byIndex | ZEQ_FT_OPEN_BY_LOCATION) == ZEQ_FT_OK)
                info.location = static_cast<uint32_t>(location);
            devices.push_back(std::move(info));
        }
        return devices;
    }

    std::shared_ptr<D2xxApi> api_;
    std::vector<DeviceInfo> last_;
};

}  // namespace

std::unique_ptr<Backend> make_d2xx_backend() {
    std::shared_ptr<D2xxApi> api = load_driver();
    if (!api) return nullptr;
    return std::make_unique<D2xxBackend>(std::move(api));
}

}  // namespace zeq::bridge
