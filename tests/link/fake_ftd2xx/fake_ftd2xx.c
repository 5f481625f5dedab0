/* A stand-in for FTDI's driver library, for the D2XX backend tests only. It exports the driver's
 * calls with their published signatures (DWORD = 32 bits, as the driver declares it on Linux)
 * over a few pretend devices: a write loops back into the device's receive queue, a read takes
 * what is queued (a short count when less is there, as a read time-out would give), and the
 * calls record what they were given. Built twice: in full, and with FAKE_FTD2XX_LEGACY, without
 * the device-info list, FT_OpenEx, the latency timer and the EEPROM calls. */
#include "fake_ftd2xx.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef void* FT_HANDLE;
typedef uint32_t FT_STATUS;

enum {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_INVALID_PARAMETER = 6
};

#define FT_LIST_NUMBER_ONLY 0x80000000u
#define FT_LIST_BY_INDEX 0x40000000u
#define FT_OPEN_BY_SERIAL_NUMBER 1u
#define FT_OPEN_BY_DESCRIPTION 2u
#define FT_OPEN_BY_LOCATION 4u

/* The head of the driver's program-data structure; the extension fields that follow it in newer
 * structure versions are written as EXTENSION_BYTES of filler. */
typedef struct {
    DWORD Signature1;
    DWORD Signature2;
    DWORD Version;
    WORD VendorId;
    WORD ProductId;
    char* Manufacturer;
    char* ManufacturerId;
    char* Description;
    char* SerialNumber;
    WORD MaxPower;
    WORD PnP;
    WORD SelfPowered;
    WORD RemoteWakeup;
} program_head;
#define EXTENSION_BYTES 600

#define MAX_DEVICES 4
#define RX_SIZE 4096

typedef struct {
    char description[64];
    char serial[16];
    DWORD location;
    int opened;
    unsigned char rx[RX_SIZE];
    DWORD rx_len;
    DWORD write_limit;
    DWORD open_calls, open_ex_calls, latency, purge, resets, read_timeout, write_timeout;
    DWORD ee_version;
    WORD vid, pid, max_power, pnp, self_powered, remote_wakeup;
    char manufacturer[32], manufacturer_id[16], ee_description[64], ee_serial[16];
} fake_device;

static fake_device devices[MAX_DEVICES];
static int device_count;
static char fail_call[64];
static FT_STATUS fail_status;

static void copy_text(char* dst, size_t size, const char* src) {
    size_t n = src ? strlen(src) : 0;
    if (n >= size) n = size - 1;
    if (n) memcpy(dst, src, n);
    dst[n] = '\0';
}

/* The injected failure for `call`, once; FT_OK otherwise. */
static FT_STATUS injected(const char* call) {
    if (fail_call[0] && strcmp(fail_call, call) == 0) {
        fail_call[0] = '\0';
        return fail_status;
    }
    return FT_OK;
}

static fake_device* device_of(FT_HANDLE h) {
    for (int i = 0; i < device_count; ++i)
        if (h == &devices[i] && devices[i].opened) return &devices[i];
    return NULL;
}

static FT_STATUS open_device(int i, FT_HANDLE* handle) {
    if (i < 0 || i >= device_count) return FT_DEVICE_NOT_FOUND;
    if (devices[i].opened) return FT_DEVICE_NOT_OPENED;
    devices[i].opened = 1;
    *handle = &devices[i];
    return FT_OK;
}

/* ---- control calls ---------------------------------------------------------------------- */

EXPORT void fake_ft_reset(void) {
    memset(devices, 0, sizeof devices);
    device_count = 0;
    fail_call[0] = '\0';
}

EXPORT void fake_ft_add_device(const char* description, const char* serial, uint32_t location) {
    if (device_count >= MAX_DEVICES) return;
    fake_device* d = &devices[device_count++];
    copy_text(d->description, sizeof d->description, description);
    copy_text(d->serial, sizeof d->serial, serial);
    d->location = location;
    d->write_limit = RX_SIZE;
    d->vid = 0x0403;
    d->pid = 0x6001;
    d->max_power = 90;
    copy_text(d->manufacturer, sizeof d->manufacturer, "Maker");
    copy_text(d->manufacturer_id, sizeof d->manufacturer_id, "MK");
    copy_text(d->ee_description, sizeof d->ee_description, description);
    copy_text(d->ee_serial, sizeof d->ee_serial, serial);
}

EXPORT void fake_ft_fail_next(const char* call, uint32_t status) {
    copy_text(fail_call, sizeof fail_call, call);
    fail_status = status;
}

EXPORT void fake_ft_push_rx(int device, const void* data, uint32_t count) {
    fake_device* d = &devices[device];
    if (count > RX_SIZE - d->rx_len) count = RX_SIZE - d->rx_len;
    memcpy(d->rx + d->rx_len, data, count);
    d->rx_len += count;
}

EXPORT void fake_ft_write_limit(int device, uint32_t limit) {
    devices[device].write_limit = limit;
}

EXPORT uint32_t fake_ft_query(int device, const char* what) {
    const fake_device* d = &devices[device];
    if (!strcmp(what, "opened")) return (uint32_t)d->opened;
    if (!strcmp(what, "open_calls")) return d->open_calls;
    if (!strcmp(what, "open_ex_calls")) return d->open_ex_calls;
    if (!strcmp(what, "latency")) return d->latency;
    if (!strcmp(what, "purge")) return d->purge;
    if (!strcmp(what, "resets")) return d->resets;
    if (!strcmp(what, "read_timeout")) return d->read_timeout;
    if (!strcmp(what, "write_timeout")) return d->write_timeout;
    if (!strcmp(what, "ee_version")) return d->ee_version;
    if (!strcmp(what, "vid")) return d->vid;
    if (!strcmp(what, "pid")) return d->pid;
    if (!strcmp(what, "max_power")) return d->max_power;
    if (!strcmp(what, "self_powered")) return d->self_powered;
    return 0xFFFFFFFFu;
}

EXPORT const char* fake_ft_ee_text(int device, const char* which) {
    const fake_device* d = &devices[device];
    if (!strcmp(which, "manufacturer")) return d->manufacturer;
    if (!strcmp(which, "manufacturer_id")) return d->manufacturer_id;
    if (!strcmp(which, "description")) return d->ee_description;
    if (!strcmp(which, "serial")) return d->ee_serial;
    return "";
}

/* ---- the driver's calls ----------------------------------------------------------------- */

EXPORT FT_STATUS FT_ListDevices(void* arg1, void* arg2, DWORD flags) {
    FT_STATUS st = injected("FT_ListDevices");
    if (st) return st;
    if (flags & FT_LIST_NUMBER_ONLY) {
        *(DWORD*)arg1 = (DWORD)device_count;
        return FT_OK;
    }
    if (!(flags & FT_LIST_BY_INDEX)) return FT_INVALID_PARAMETER;
    uintptr_t i = (uintptr_t)arg1;
    if (i >= (uintptr_t)device_count) return FT_DEVICE_NOT_FOUND;
    if (flags & FT_OPEN_BY_SERIAL_NUMBER)
        strcpy((char*)arg2, devices[i].serial);
    else if (flags & FT_OPEN_BY_DESCRIPTION)
        strcpy((char*)arg2, devices[i].description);
    else if (flags & FT_OPEN_BY_LOCATION)
        *(DWORD*)arg2 = devices[i].location;
    else
        return FT_INVALID_PARAMETER;
    return FT_OK;
}

EXPORT FT_STATUS FT_Open(int index, FT_HANDLE* handle) {
    FT_STATUS st = injected("FT_Open");
    if (st) return st;
    if (index >= 0 && index < device_count) devices[index].open_calls++;
    return open_device(index, handle);
}

EXPORT FT_STATUS FT_Close(FT_HANDLE h) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    d->opened = 0; /* closed even when a failure is injected, as a lost device would be */
    return injected("FT_Close");
}

EXPORT FT_STATUS FT_Read(FT_HANDLE h, void* buffer, DWORD count, DWORD* got) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_Read");
    if (st) return st;
    DWORD n = count < d->rx_len ? count : d->rx_len;
    memcpy(buffer, d->rx, n);
    memmove(d->rx, d->rx + n, d->rx_len - n);
    d->rx_len -= n;
    *got = n;
    return FT_OK;
}

EXPORT FT_STATUS FT_Write(FT_HANDLE h, void* buffer, DWORD count, DWORD* written) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_Write");
    if (st) return st;
    DWORD n = count < d->write_limit ? count : d->write_limit;
    fake_ft_push_rx((int)(d - devices), buffer, n);
    *written = n;
    return FT_OK;
}

EXPORT FT_STATUS FT_Purge(FT_HANDLE h, DWORD mask) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_Purge");
    if (st) return st;
    d->purge = mask;
    if (mask & 1u) d->rx_len = 0;
    return FT_OK;
}

EXPORT FT_STATUS FT_SetTimeouts(FT_HANDLE h, DWORD read_ms, DWORD write_ms) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_SetTimeouts");
    if (st) return st;
    d->read_timeout = read_ms;
    d->write_timeout = write_ms;
    return FT_OK;
}

EXPORT FT_STATUS FT_ResetDevice(FT_HANDLE h) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_ResetDevice");
    if (st) return st;
    d->resets++;
    return FT_OK;
}

#ifndef FAKE_FTD2XX_LEGACY

EXPORT FT_STATUS FT_CreateDeviceInfoList(DWORD* count) {
    FT_STATUS st = injected("FT_CreateDeviceInfoList");
    if (st) return st;
    *count = (DWORD)device_count;
    return FT_OK;
}

EXPORT FT_STATUS FT_GetDeviceInfoDetail(DWORD index, DWORD* flags, DWORD* type, DWORD* id,
                                        DWORD* location, void* serial, void* description,
                                        FT_HANDLE* handle) {
    FT_STATUS st = injected("FT_GetDeviceInfoDetail");
    if (st) return st;
    if (index >= (DWORD)device_count) return FT_DEVICE_NOT_FOUND;
    const fake_device* d = &devices[index];
    *flags = d->opened ? 1u : 0u;
    *type = 5u;
    *id = 0x04036001u;
    *location = d->location;
    strcpy((char*)serial, d->serial);
    strcpy((char*)description, d->description);
    *handle = d->opened ? (FT_HANDLE)d : NULL;
    return FT_OK;
}

EXPORT FT_STATUS FT_OpenEx(void* arg, DWORD flags, FT_HANDLE* handle) {
    FT_STATUS st = injected("FT_OpenEx");
    if (st) return st;
    for (int i = 0; i < device_count; ++i) {
        int match = 0;
        if (flags == FT_OPEN_BY_SERIAL_NUMBER)
            match = !strcmp((const char*)arg, devices[i].serial);
        else if (flags == FT_OPEN_BY_DESCRIPTION)
            match = !strcmp((const char*)arg, devices[i].description);
        else if (flags == FT_OPEN_BY_LOCATION)
            match = (uintptr_t)arg == devices[i].location;
        if (match) {
            devices[i].open_ex_calls++;
            return open_device(i, handle);
        }
    }
    return FT_DEVICE_NOT_FOUND;
}

EXPORT FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, unsigned char ms) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    d->latency = ms;
    return FT_OK;
}

EXPORT FT_STATUS FT_EE_Read(FT_HANDLE h, void* data) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_EE_Read");
    if (st) return st;
    program_head* p = (program_head*)data;
    if (p->Signature1 != 0u || p->Signature2 != 0xFFFFFFFFu) return FT_INVALID_PARAMETER;
    d->ee_version = p->Version;
    p->VendorId = d->vid;
    p->ProductId = d->pid;
    p->MaxPower = d->max_power;
    p->PnP = d->pnp;
    p->SelfPowered = d->self_powered;
    p->RemoteWakeup = d->remote_wakeup;
    strcpy(p->Manufacturer, d->manufacturer);
    strcpy(p->ManufacturerId, d->manufacturer_id);
    strcpy(p->Description, d->ee_description);
    strcpy(p->SerialNumber, d->ee_serial);
    /* A newer structure version: the driver fills its extension fields too. */
    memset((unsigned char*)data + sizeof(program_head), 0xA5, EXTENSION_BYTES);
    return FT_OK;
}

EXPORT FT_STATUS FT_EE_Program(FT_HANDLE h, void* data) {
    fake_device* d = device_of(h);
    if (!d) return FT_INVALID_HANDLE;
    FT_STATUS st = injected("FT_EE_Program");
    if (st) return st;
    const program_head* p = (const program_head*)data;
    if (p->Signature1 != 0u || p->Signature2 != 0xFFFFFFFFu) return FT_INVALID_PARAMETER;
    if (!p->Manufacturer || !p->ManufacturerId || !p->Description || !p->SerialNumber)
        return FT_INVALID_PARAMETER;
    d->ee_version = p->Version;
    d->vid = p->VendorId;
    d->pid = p->ProductId;
    d->max_power = p->MaxPower;
    d->pnp = p->PnP;
    d->self_powered = p->SelfPowered;
    d->remote_wakeup = p->RemoteWakeup;
    copy_text(d->manufacturer, sizeof d->manufacturer, p->Manufacturer);
    copy_text(d->manufacturer_id, sizeof d->manufacturer_id, p->ManufacturerId);
    copy_text(d->ee_description, sizeof d->ee_description, p->Description);
    copy_text(d->ee_serial, sizeof d->ee_serial, p->SerialNumber);
    return FT_OK;
}

#endif
