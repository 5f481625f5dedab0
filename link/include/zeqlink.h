/*
 * zeqlink.h — the public C interface of the ZEQ device library.
 *
 * Every export returns a 32-bit int code (ZEQ_OK = 0, the failures below) unless its comment
 * says otherwise. The first argument of every call that talks to a card is the device handle
 * returned by one of the open functions. The last argument of most calls is the FIFO selector:
 * 0 = the card's immediate command FIFO, any other value its queue FIFO (only the low byte is
 * tested).
 *
 * Thread safety: every command exchange of every card is serialised by one process-wide lock,
 * so the library may be called from several threads. Open and close must not race with calls
 * on the same handle.
 */
#ifndef ZEQLINK_H
#define ZEQLINK_H

#include <stdint.h>

#ifdef __cplusplus
#define ZEQ_EXTERN_C extern "C"
#else
#define ZEQ_EXTERN_C
#endif

#if defined(_WIN32)
#if defined(ZEQLINK_BUILDING)
#define ZEQ_API ZEQ_EXTERN_C __declspec(dllexport)
#else
#define ZEQ_API ZEQ_EXTERN_C __declspec(dllimport)
#endif
#else
#define ZEQ_API ZEQ_EXTERN_C __attribute__((visibility("default")))
#endif

/* A device handle: a non-zero 32-bit id, issued in increasing order and never reused within a
 * process. 0 is the null handle. */
typedef uint32_t ZEQ_HANDLE;

/* ---- Return codes ------------------------------------------------------------------------- */
enum {
    ZEQ_OK = 0,
    ZEQ_ERR_SEND = 1,            /* bridge write refused or short; EEPROM write failed */
    ZEQ_ERR_RECEIVE = 2,         /* status byte or 48-bit value not received; EEPROM read failed */
    ZEQ_ERR_TIMEOUT = 3,         /* value read failed or short; retries or waits exhausted */
    ZEQ_ERR_NOT_OPENED = 4,      /* device not opened */
    ZEQ_ERR_NOT_FOUND = 5,       /* device not found */
    ZEQ_ERR_HANDLE = 6,          /* invalid device handle */
    ZEQ_ERR_ARGUMENT = 7,        /* invalid function argument */
    ZEQ_ERR_FIFO_FULL = 8,       /* command FIFO half full; contour FIFO full */
    ZEQ_ERR_GRAPH_NOT_READY = 9, /* graph capture data not ready */
    ZEQ_ERR_AXIS = 10,           /* invalid axis number */
    ZEQ_ERR_READ_ONLY = 11,      /* the card parameter may only be read (not returned here) */
    ZEQ_ERR_RANGE = 12,          /* value out of range after unit conversion */
    ZEQ_ERR_CHECKSUM = 13,       /* command not acknowledged, or reply checksum wrong */
    ZEQ_ERR_VERSION = 14,        /* library or card version not supported (not returned here) */
    ZEQ_ERR_OTHER = 15,          /* list not ready, bridge not opened (read), reset failed */
    ZEQ_ERR_SEGLIST_FULL = 16,   /* path segment list full */
    ZEQ_ERR_CORNER = 17,         /* corner sharper than the segment angle */
    ZEQ_ERR_ARC = 18,            /* arc geometry invalid */
    ZEQ_ERR_ZERO_SEGMENT = 19,   /* zero-length path segment */
    ZEQ_ERR_PATH_JUMP = 20,      /* interpolated point jumps too far */
    ZEQ_ERR_PATH_NOT_INIT = 21,  /* path not initialised */
    ZEQ_ERR_PATH_NOT_DONE = 22,  /* path not yet finished: call again */
    ZEQ_ERR_PASSWORD = 23,       /* wrong card password */
    ZEQ_ERR_RBFIFO_EMPTY = 24    /* read-back FIFO still empty */
};

/* ---- Bridge (D2XX-shaped) status values and flags ----------------------------------------- */
enum {
    ZEQ_FT_OK = 0,
    ZEQ_FT_INVALID_HANDLE = 1,
    ZEQ_FT_DEVICE_NOT_FOUND = 2,
    ZEQ_FT_DEVICE_NOT_OPENED = 3,
    ZEQ_FT_IO_ERROR = 4,
    ZEQ_FT_INSUFFICIENT_RESOURCES = 5,
    ZEQ_FT_INVALID_PARAMETER = 6,
    ZEQ_FT_INVALID_BAUD_RATE = 7,
    ZEQ_FT_DEVICE_NOT_OPENED_FOR_ERASE = 8,
    ZEQ_FT_DEVICE_NOT_OPENED_FOR_WRITE = 9,
    ZEQ_FT_FAILED_TO_WRITE_DEVICE = 10,
    ZEQ_FT_EEPROM_READ_FAILED = 11,
    ZEQ_FT_EEPROM_WRITE_FAILED = 12,
    ZEQ_FT_EEPROM_ERASE_FAILED = 13,
    ZEQ_FT_EEPROM_NOT_PRESENT = 14,
    ZEQ_FT_EEPROM_NOT_PROGRAMMED = 15,
    ZEQ_FT_INVALID_ARGS = 16,
    ZEQ_FT_NOT_SUPPORTED = 17,
    ZEQ_FT_OTHER_ERROR = 18,
    ZEQ_FT_DEVICE_LIST_NOT_READY = 19
};

#define ZEQ_FT_LIST_NUMBER_ONLY 0x80000000u
#define ZEQ_FT_LIST_BY_INDEX 0x40000000u
#define ZEQ_FT_LIST_ALL 0x20000000u
#define ZEQ_FT_OPEN_BY_SERIAL_NUMBER 1u
#define ZEQ_FT_OPEN_BY_DESCRIPTION 2u
#define ZEQ_FT_OPEN_BY_LOCATION 4u

#define ZEQ_PURGE_RX 1u
#define ZEQ_PURGE_TX 2u

/* Window message posted to the notification target after every successful value read
 * (lParam ZEQ_NOTIFY_LPARAM, wParam the bytes read) and every command block sent (lParam
 * ZEQ_NOTIFY_LPARAM_SENT, wParam the bytes written). */
#define ZEQ_NOTIFY_MESSAGE 0x040Au
#define ZEQ_NOTIFY_LPARAM 0x200
#define ZEQ_NOTIFY_LPARAM_SENT 0x100

/* The bridge EEPROM data block, laid out like the first fields of D2XX's program-data
 * structure. The string pointers are the caller's buffers (64 bytes each is enough). */
typedef struct ZEQ_EEPROM_DATA {
    uint32_t Signature1; /* 0x00000000 */
    uint32_t Signature2; /* 0xFFFFFFFF */
    uint32_t Version;
    uint16_t VendorId;
    uint16_t ProductId;
    char* Manufacturer;
    char* ManufacturerId;
    char* Description;
    char* SerialNumber;
    uint16_t MaxPower;
    uint16_t PnP;
    uint16_t SelfPowered;
    uint16_t RemoteWakeup;
} ZEQ_EEPROM_DATA;

/* Delivers a notification (message, wParam, lParam) to a target set with ZEQ_SethWnd. */
typedef void (*ZEQ_NOTIFY_FN)(void* context, uint32_t target, uint32_t message, uint32_t wParam,
                              int32_t lParam);

/* ==== Devices and the USB bridge ============================================================ */

/* Opens device `index` of the device list (real bridges first, then ZEQLINK_SIM virtual cards):
 * resets and purges the bridge, starts the immediate FIFO, sets 200 ms time-outs and reads
 * `naxis`. ZEQ_OK and *handle set; ZEQ_ERR_ARGUMENT `handle` is NULL (nothing opened);
 * ZEQ_ERR_NOT_FOUND no such device; ZEQ_ERR_NOT_OPENED / ZEQ_ERR_HANDLE bridge refused;
 * ZEQ_ERR_FIFO_FULL FIFO stays half full (handle set to 0); a read code. */
ZEQ_API int ZEQ_Open(int index, ZEQ_HANDLE* handle);
/* As ZEQ_Open, the device chosen by serial number, description or location (flags
 * ZEQ_FT_OPEN_BY_*); `arg` is the text, or the location cast to a pointer. */
ZEQ_API int ZEQ_OpenEx(void* arg, uint32_t flags, ZEQ_HANDLE* handle);
/* As ZEQ_Open, then checks `password` (4..100 characters, NULL = no check) against the card's
 * flash record; ZEQ_ERR_PASSWORD on a wrong password (the device is closed and *handle set to
 * 0). */
ZEQ_API int ZEQ_OpenUsePassword(int index, ZEQ_HANDLE* handle, const char* password);
ZEQ_API int ZEQ_OpenExUsePassword(void* arg, uint32_t flags, ZEQ_HANDLE* handle,
                                  const char* password);
/* D2XX-style device listing; the three arguments are passed to the bridge list unchanged.
 * ZEQ_OK; ZEQ_ERR_OTHER list not ready; ZEQ_ERR_ARGUMENT other failures. */
ZEQ_API int ZEQ_ListDevices(void* arg1, void* arg2, uint32_t flags);
/* Closes the device and frees its record. ZEQ_OK; ZEQ_ERR_HANDLE unknown handle;
 * ZEQ_ERR_NOT_OPENED bridge not opened. */
ZEQ_API int ZEQ_Close(ZEQ_HANDLE handle);
/* Raw bridge read/write of `count` bytes; *done receives the bytes moved. ZEQ_OK;
 * ZEQ_ERR_HANDLE; ZEQ_ERR_OTHER (read: bridge not opened); ZEQ_ERR_SEND (write refused);
 * ZEQ_ERR_TIMEOUT other. */
ZEQ_API int ZEQ_Read(ZEQ_HANDLE handle, void* buffer, uint32_t count, uint32_t* done);
ZEQ_API int ZEQ_Write(ZEQ_HANDLE handle, const void* buffer, uint32_t count, uint32_t* done);
/* Purges the bridge buffers: mask 1 = receive, 2 = transmit, 3 = both. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_TIMEOUT. */
ZEQ_API int ZEQ_Purge(ZEQ_HANDLE handle, uint32_t mask);
/* Bridge read and write time-outs in milliseconds. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_TIMEOUT. */
ZEQ_API int ZEQ_SetTimeouts(ZEQ_HANDLE handle, uint32_t readMs, uint32_t writeMs);
/* Resets the bridge. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_OTHER (reset failed); ZEQ_ERR_TIMEOUT. */
ZEQ_API int ZEQ_ResetDevice(ZEQ_HANDLE handle);
/* Reads / programs the bridge's EEPROM. Read: ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_RECEIVE read
 * failed; ZEQ_ERR_TIMEOUT. Program: ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_SEND write failed;
 * ZEQ_ERR_TIMEOUT. */
ZEQ_API int ZEQ_ReadProEEP(ZEQ_HANDLE handle, ZEQ_EEPROM_DATA* data);
ZEQ_API int ZEQ_WriteProEEP(ZEQ_HANDLE handle, const ZEQ_EEPROM_DATA* data);
/* Sets the notification target for all devices (0 = off). Returns 1. */
ZEQ_API unsigned char ZEQ_SethWnd(uint32_t target);
/* Sets the function that delivers notifications to the target (NULL = none). It is called
 * on the thread of the exchange, inside the library's exchange lock: it must return at once
 * and must not call the library. */
ZEQ_API void ZEQ_SetNotifyCallback(ZEQ_NOTIFY_FN fn, void* context);

/* ---- Additions of this library (like ZEQ_SetNotifyCallback, not in the classic export list) */

/* A short English text for a return code ("success", "invalid axis number", ...), never NULL;
 * a code without a ZEQ_ name gives "unknown error". The text is a static string. */
ZEQ_API const char* ZEQ_ErrorText(int code);
/* The library's version as "MAJOR.MINOR.PATCH", a static string. */
ZEQ_API const char* ZEQ_GetLibraryVersion(void);

/* ==== Frames, FIFOs and parameters ========================================================== */

/* Sends the card reset frame 7F 5A. Result of the send. */
ZEQ_API int ZEQ_Reset(ZEQ_HANDLE handle);
/* Starts the immediate FIFO (frame 88 01 00 00). Result of the send. */
ZEQ_API int ZEQ_StartIFIFO(ZEQ_HANDLE handle);
/* Writes one raw word into the selected FIFO's port (no checksum). Result of the send. */
ZEQ_API int ZEQ_SetWordData(ZEQ_HANDLE handle, uint16_t word, int selector);
/* Reads one raw word from the selected FIFO's port; 0xFFFF on failure, code in *code. */
ZEQ_API uint16_t ZEQ_GetWordData(ZEQ_HANDLE handle, int selector, int* code);

/* Parameter writes (address 0..1023, axis 0..axis count-1): ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_AXIS axis; ZEQ_ERR_ARGUMENT address outside 0..1023 (nothing sent; this holds for every
 * parameter read, wait and retrieval too, and a NULL out value of a read gives ZEQ_ERR_ARGUMENT
 * as well); ZEQ_ERR_CHECKSUM never acknowledged; ZEQ_ERR_TIMEOUT; ZEQ_ERR_SEND send failed. The
 * 16-bit form sends the low 16 bits of `value`, the 48-bit form the low 48 bits. */
ZEQ_API int ZEQ_SetParam16(ZEQ_HANDLE handle, int address, int value, int axis, int selector);
ZEQ_API int ZEQ_SetParam32(ZEQ_HANDLE handle, int address, int value, int axis, int selector);
ZEQ_API int ZEQ_SetParam48(ZEQ_HANDLE handle, int address, int64_t value, int axis, int selector);
/* Queue FIFO wait commands: hold the queue on a wait token / until the parameter is zero. */
ZEQ_API int ZEQ_WaitToken(ZEQ_HANDLE handle, int address, int axis);
ZEQ_API int ZEQ_WaitToZero(ZEQ_HANDLE handle, int address, int axis);
/* Verified parameter reads: drain, send, wait, read, compare the reply checksum (up to four
 * sends). ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_AXIS; ZEQ_ERR_CHECKSUM checksum kept failing (last
 * value still stored); ZEQ_ERR_RBFIFO_EMPTY; ZEQ_ERR_RECEIVE; ZEQ_ERR_TIMEOUT. The 48-bit value
 * is sign-extended from bit 47. */
ZEQ_API int ZEQ_GetParam16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis, int selector);
ZEQ_API int ZEQ_GetParam32(ZEQ_HANDLE handle, int address, int32_t* value, int axis, int selector);
ZEQ_API int ZEQ_GetParam48(ZEQ_HANDLE handle, int address, int64_t* value, int axis, int selector);
/* Deferred reads: send only the read command; the reply waits in the read-back FIFO. */
ZEQ_API int ZEQ_GetParamCMD16(ZEQ_HANDLE handle, int address, int axis, int selector);
ZEQ_API int ZEQ_GetParamCMD32(ZEQ_HANDLE handle, int address, int axis, int selector);
ZEQ_API int ZEQ_GetParamCMD48(ZEQ_HANDLE handle, int address, int axis, int selector);
/* Retrieve a deferred reply (same address, axis and width as the request, in request order;
 * only after ZEQ_IsRBFIFONoEmpty returned ZEQ_OK). ZEQ_OK; ZEQ_ERR_CHECKSUM checksum;
 * ZEQ_ERR_RECEIVE / ZEQ_ERR_TIMEOUT read failed. */
ZEQ_API int ZEQ_GetRFIFOData16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis,
                               int selector);
ZEQ_API int ZEQ_GetRFIFOData32(ZEQ_HANDLE handle, int address, int32_t* value, int axis,
                               int selector);
ZEQ_API int ZEQ_GetRFIFOData48(ZEQ_HANDLE handle, int address, int64_t* value, int axis,
                               int selector);
/* ZEQ_OK when a reply waits in the selected read-back FIFO; ZEQ_ERR_RBFIFO_EMPTY still empty
 * after 30 queries. */
ZEQ_API int ZEQ_IsRBFIFONoEmpty(ZEQ_HANDLE handle, int selector);
/* ZEQ_OK when the selected command FIFO is below half full; ZEQ_ERR_FIFO_FULL when half full;
 * a query code. */
ZEQ_API int ZEQ_CheckFIFONotHalfFull(ZEQ_HANDLE handle, int selector);
/* ZEQ_OK as soon as the selected read-back FIFO reports half full; ZEQ_ERR_TIMEOUT after 30
 * queries. */
ZEQ_API int ZEQ_CheckRBFIFOHalfFull(ZEQ_HANDLE handle, int selector);
/* Drains the selected read-back FIFO: ZEQ_OK when empty; ZEQ_ERR_TIMEOUT after 1024 rounds. */
ZEQ_API int ZEQ_ClearRBFIFO(ZEQ_HANDLE handle, int selector);
/* Empties one command FIFO by writing clrqfifo/clrififo through the other. */
ZEQ_API int ZEQ_ClearFIFO(ZEQ_HANDLE handle, int selector);

/* ==== Flash, internal registers, machine data and EEPROM ==================================== */
/* The card's serial flash is driven byte by byte through two port registers; these calls are
 * primitives from which callers build erase-program-verify sequences. They do not take the
 * process-wide lock: do not interleave them with other calls on the same device. Flash
 * addresses are byte addresses 0..0xFFFFFF. A failing step ends a call with its code. */

/* Machine data of one axis as the card reports it on its graph port. */
typedef struct ZEQ_MCDATA_AXIS {
    int32_t encp;    /* encoder position, counts */
    uint16_t moving; /* motion-in-progress word */
    uint16_t error;  /* error word */
    uint16_t aio;    /* analog input/output word */
} ZEQ_MCDATA_AXIS;

/* The process-wide machine-data table: axes 0..3, overwritten by every ZEQ_GetMCData. */
typedef struct ZEQ_MCDATA {
    ZEQ_MCDATA_AXIS axis[4];
} ZEQ_MCDATA;

/* Waits until the flash clears its write-in-progress bit, for at most two minutes (a whole-chip
 * erase of the largest flash fits). ZEQ_OK ready; ZEQ_ERR_TIMEOUT still busy after two minutes;
 * ZEQ_ERR_HANDLE; a transport code when the status read keeps failing (the first two failed
 * reads count as busy). */
ZEQ_API int ZEQ_ReserveWFWE(ZEQ_HANDLE handle);
/* Reads the flash's electronic signature (command 0xAB). Returns the signature in the low byte,
 * or 0xFF on failure with the code in *code (ZEQ_OK on success). An unknown handle returns
 * ZEQ_ERR_HANDLE and leaves *code untouched. `code` may be NULL. */
ZEQ_API int ZEQ_ReserveRID(ZEQ_HANDLE handle, int* code);
/* Erases the whole flash, then waits as ZEQ_ReserveWFWE. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_TIMEOUT; a transport code. */
ZEQ_API int ZEQ_ReserveEC(ZEQ_HANDLE handle);
/* Erases the sector (64 KiB) holding byte address page * 256 + 8, then waits as
 * ZEQ_ReserveWFWE. page 0..0xFFFF, else ZEQ_ERR_ARGUMENT. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_ARGUMENT; ZEQ_ERR_TIMEOUT; a transport code. */
ZEQ_API int ZEQ_ReserveEP(ZEQ_HANDLE handle, int page);
/* Programs `count` bytes of `data` at `address` in one page program (the rest of the 256-byte
 * transfer is 0xFF, which leaves flash bytes unchanged). The bytes must stay inside one
 * 256-byte flash page: (address & 0xFF) + count <= 256, else ZEQ_ERR_ARGUMENT. Does not wait:
 * call ZEQ_ReserveWFWE before the next flash operation. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_ARGUMENT; ZEQ_ERR_SEND send failed; ZEQ_ERR_TIMEOUT. */
ZEQ_API int ZEQ_ReserveWEB(ZEQ_HANDLE handle, int address, int count, const uint8_t* data);
/* Reads `count` bytes from flash `address` into `buffer`. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_ARGUMENT bad arguments; ZEQ_ERR_TIMEOUT; a transport code. */
ZEQ_API int ZEQ_ReserveREB(ZEQ_HANDLE handle, int address, uint8_t* buffer, int count);
/* Writes `count` bytes at byte `offset` (0..255) of the 256-byte user information page
 * (flash 0x3E800): erases its sector, then programs the bytes and waits for the program to end.
 * The rest of the page reads 0xFF afterwards; the card password record, which shares the
 * sector, is read before the erase and programmed back. offset + count > 256: ZEQ_ERR_ARGUMENT.
 * ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT; ZEQ_ERR_TIMEOUT; a transport code (the erase's code
 * when the erase fails; nothing is programmed then). */
ZEQ_API int ZEQ_WriteUserInfo(ZEQ_HANDLE handle, int offset, const uint8_t* data, int count);
/* Reads `count` bytes from byte `offset` of the user information page. offset + count > 256:
 * ZEQ_ERR_ARGUMENT. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT; ZEQ_ERR_TIMEOUT; a transport
 * code. */
ZEQ_API int ZEQ_ReadUserInfo(ZEQ_HANDLE handle, int offset, uint8_t* buffer, int count);
/* Reads internal register `reg` (0..0x7FFF). Returns its 16-bit content, or 0xFFFF on failure
 * with the code in *code (ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT; ZEQ_ERR_SEND;
 * ZEQ_ERR_TIMEOUT). `code` may be NULL. */
ZEQ_API uint16_t ZEQ_ReserveGR(ZEQ_HANDLE handle, int reg, int* code);
/* Writes `value` into internal register `reg` (0..0x7FFF). The code of the value write;
 * ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT. */
ZEQ_API int ZEQ_ReserveWR(ZEQ_HANDLE handle, int reg, uint16_t value);
/* The device's identification text (owned by the library, valid until ZEQ_Close); NULL for an
 * unknown handle. */
ZEQ_API const char* ZEQ_ReserveGInfo(ZEQ_HANDLE handle);
/* Reads the machine data of axes 0..3 (40 bytes from the graph port) into the process-wide
 * table and stores its address in *table (the table is shared by all devices; a failed read
 * leaves the previous snapshot). ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT table NULL;
 * ZEQ_ERR_RECEIVE block incomplete; ZEQ_ERR_SEND / ZEQ_ERR_TIMEOUT send failed. */
ZEQ_API int ZEQ_GetMCData(ZEQ_HANDLE handle, ZEQ_MCDATA** table);
/* Returns the low 8 bits of `byte` with their order reversed (bit 0 <-> bit 7, ...). */
ZEQ_API int ZEQ_Reverse(int byte);

/* ==== Motion commands ======================================================================= */
/* Values in user units are doubles, converted with the distance scale s of the axis (counts per
 * user distance unit, default 1.0) and the time scale T of the device (card ticks per user time
 * unit, default 1.0), truncated toward zero:
 *   position/distance  x*s            S32 (-2^31 .. 2^31-1)
 *   velocity           s/T*x*65536    S16.16 counts/tick, at most 8192 counts per tick
 *   acceleration       s/T^2*x*65536  S16.16 counts/tick^2, same limit
 *   gear ratio         x*2^32         S16.32, x in -32768 .. 32767.9999999998
 *   syn. distance/time x*s / x*T      1 .. 4294967295 counts / ticks
 * Common returns: ZEQ_OK; ZEQ_ERR_HANDLE unknown handle; ZEQ_ERR_AXIS axis (or master/source
 * axis) outside 0 .. axis count-1; ZEQ_ERR_RANGE first value out of range (nothing sent);
 * ZEQ_ERR_FIFO_FULL or a transport code from the FIFO check; the code of the first failed write
 * (earlier writes stay done). `selector` is last. */

/* Time scale T (0 keeps the previous one). An unknown handle is ignored / reads 0.0. */
ZEQ_API void ZEQ_SetTimescale(ZEQ_HANDLE handle, double timeScale);
ZEQ_API double ZEQ_GetTimescale(ZEQ_HANDLE handle);
/* Distance scale of axis 0..15 (other indexes are ignored and read 0.0). */
ZEQ_API void ZEQ_SetDistScale(ZEQ_HANDLE handle, double distScale, int axis);
ZEQ_API double ZEQ_GetDistScale(ZEQ_HANDLE handle, int axis);

/* Tracking mode of the mcs / pcs generator: `mcstrack` / `pcstrack` <- (flag != 0). */
ZEQ_API int ZEQ_SetMCStrack(ZEQ_HANDLE handle, int flag, int axis, int selector);
ZEQ_API int ZEQ_SetPCStrack(ZEQ_HANDLE handle, int flag, int axis, int selector);
/* Target position / distance (user distance units) of the mcs / pcs generator. */
ZEQ_API int ZEQ_SetMCStgPos(ZEQ_HANDLE handle, double position, int axis, int selector);
ZEQ_API int ZEQ_SetPCStgPos(ZEQ_HANDLE handle, double position, int axis, int selector);
ZEQ_API int ZEQ_SetMCSdist(ZEQ_HANDLE handle, double distance, int axis, int selector);
ZEQ_API int ZEQ_SetPCSdist(ZEQ_HANDLE handle, double distance, int axis, int selector);
/* Profile velocity (distance/time), acceleration and deceleration (distance/time^2). */
ZEQ_API int ZEQ_SetMCSmaxvel(ZEQ_HANDLE handle, double velocity, int axis, int selector);
ZEQ_API int ZEQ_SetPCSmaxvel(ZEQ_HANDLE handle, double velocity, int axis, int selector);
ZEQ_API int ZEQ_SetMCSaccel(ZEQ_HANDLE handle, double acceleration, int axis, int selector);
ZEQ_API int ZEQ_SetPCSaccel(ZEQ_HANDLE handle, double acceleration, int axis, int selector);
ZEQ_API int ZEQ_SetMCSdecel(ZEQ_HANDLE handle, double deceleration, int axis, int selector);
ZEQ_API int ZEQ_SetPCSdecel(ZEQ_HANDLE handle, double deceleration, int axis, int selector);
/* Start / stop the mcs or pcs generator (`mcsgo` / `pcsgo` <- 0xFFFF / 0). */
ZEQ_API int ZEQ_MCSmove(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_PCSmove(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_MCSstop(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_PCSstop(ZEQ_HANDLE handle, int axis, int selector);
/* Moves to a position / by a distance (user units) with the mcs generator. */
ZEQ_API int ZEQ_MoveAbsolute(ZEQ_HANDLE handle, double position, int axis, int selector);
ZEQ_API int ZEQ_MoveRelative(ZEQ_HANDLE handle, double distance, int axis, int selector);
/* Adds a pcs move on top of the motion (`shiftmaster` 0) / shifts the gearing phase (0xFFFF). */
ZEQ_API int ZEQ_MoveSuperimposed(ZEQ_HANDLE handle, double distance, int axis, int selector);
ZEQ_API int ZEQ_Phasing(ZEQ_HANDLE handle, double distance, int axis, int selector);
/* Runs at a velocity (`mcstgvel`, distance/time). */
ZEQ_API int ZEQ_MoveVelocity(ZEQ_HANDLE handle, double velocity, int axis, int selector);
/* Profile smoothing 0..0xFFFF (`smooth`); ZEQ_ERR_ARGUMENT outside. */
ZEQ_API int ZEQ_SetSmooth(ZEQ_HANDLE handle, int smooth, int axis, int selector);

/* Homing: `homeseq` <- direction*0x8000 | method | flagA?0x4000 | flagB?0x1000, then `gohome`
 * <- go. direction 0 or 1, else ZEQ_ERR_RANGE. */
ZEQ_API int ZEQ_HomeSwitch1(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                            int selector);
ZEQ_API int ZEQ_HomeSwitch2(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                            int selector);
ZEQ_API int ZEQ_HomeSwitch3(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                            int selector);
ZEQ_API int ZEQ_HomeSwitchIndex1(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                                 int selector);
ZEQ_API int ZEQ_HomeSwitchIndex2(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                                 int selector);
ZEQ_API int ZEQ_HomeSwitchIndex3(ZEQ_HANDLE handle, int direction, int flagA, int flagB, int axis,
                                 int selector);
ZEQ_API int ZEQ_HomeIndex(ZEQ_HANDLE handle, int direction, int flagB, int axis, int selector);
/* `gohome` <- stop; `sethome` <- go (the current position becomes the home position). */
ZEQ_API int ZEQ_AbortHoming(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_SetAtHome(ZEQ_HANDLE handle, int axis, int selector);
/* Home position (`homepos`, user distance units); HomeDirect also sets the axis at home. */
ZEQ_API int ZEQ_SetHomeOffset(ZEQ_HANDLE handle, double position, int axis, int selector);
ZEQ_API int ZEQ_HomeDirect(ZEQ_HANDLE handle, double position, int axis, int selector);
/* Homing velocities (`highvel` / `lowvel`, distance/time). */
ZEQ_API int ZEQ_SetHighVel(ZEQ_HANDLE handle, double velocity, int axis, int selector);
ZEQ_API int ZEQ_SetLowVel(ZEQ_HANDLE handle, double velocity, int axis, int selector);

/* Gearing. Source enumerators: gearing 0 curvel, 1 encpvel, 2 mcsvel, 3 pcsvel, 4 encsvel;
 * synchronisation 0 curpos, 1 encp, 2 mcspos, 3 pcspos, 4 encs, 5 ticks. A bad enumerator:
 * ZEQ_ERR_ARGUMENT. */
ZEQ_API int ZEQ_SetGearratio(ZEQ_HANDLE handle, double ratio, int axis, int selector);
/* Gear-sync flag (low byte): set = `syntype` 0 and flag word 163 <- 0xFFFF; clear = 163 <- 0. */
ZEQ_API int ZEQ_SetGearSync(ZEQ_HANDLE handle, int flag, int axis, int selector);
/* `engear` <- go / stop. */
ZEQ_API int ZEQ_Gearin(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_Gearout(ZEQ_HANDLE handle, int axis, int selector);
ZEQ_API int ZEQ_SetGearoutVel(ZEQ_HANDLE handle, double velocity, int axis, int selector);
ZEQ_API int ZEQ_SetGearMaster(ZEQ_HANDLE handle, int master, int axis, int selector);
ZEQ_API int ZEQ_SetGearSourceType(ZEQ_HANDLE handle, int type, int axis, int selector);
ZEQ_API int ZEQ_SetSynSourceType(ZEQ_HANDLE handle, int type, int axis, int selector);
/* Synchronisation source axis (stored as given, not checked). */
ZEQ_API int ZEQ_SetSynAxis(ZEQ_HANDLE handle, int sourceAxis, int axis, int selector);
/* Synchronisation distance in the source axis's units / time in user time units (> 0). */
ZEQ_API int ZEQ_SetSynDist(ZEQ_HANDLE handle, double distance, int sourceAxis, int axis,
                           int selector);
ZEQ_API int ZEQ_SetSynTime(ZEQ_HANDLE handle, double time, int axis, int selector);
/* Gears in at once: ratio, master, gearing source (ZEQ_ERR_ARGUMENT after the first two
 * writes). */
ZEQ_API int ZEQ_GearFree(ZEQ_HANDLE handle, double ratio, int master, int gearSource, int axis,
                         int selector);
/* Gears in to the hand wheel (secondary encoder velocity) of `master`. */
ZEQ_API int ZEQ_HandWheel(ZEQ_HANDLE handle, double ratio, int master, int axis, int selector);
/* Gears in once the source (axis 0..15, synchronisation enumerator 0..4) has travelled
 * `sourceDistance` / after `time`. Later values are checked when their write is reached. */
ZEQ_API int ZEQ_GearInDist(ZEQ_HANDLE handle, double ratio, int master, int gearSource,
                           int sourceAxis, int synSource, double sourceDistance, int axis,
                           int selector);
ZEQ_API int ZEQ_GearInTime(ZEQ_HANDLE handle, double ratio, int master, int gearSource, double time,
                           int axis, int selector);
/* Moves `distance` while the time passes / the source axis travels `sourceDistance`. */
ZEQ_API int ZEQ_MoveInTime(ZEQ_HANDLE handle, double time, double distance, int axis, int selector);
ZEQ_API int ZEQ_MoveInDist(ZEQ_HANDLE handle, double sourceDistance, int sourceAxis,
                           double distance, int axis, int selector);
/* Reaches `velocity` while the time passes / the source axis travels `sourceDistance`. */
ZEQ_API int ZEQ_TgvelInTime(ZEQ_HANDLE handle, double time, double velocity, int axis,
                            int selector);
ZEQ_API int ZEQ_TgvelInDist(ZEQ_HANDLE handle, double sourceDistance, int sourceAxis,
                            double velocity, int axis, int selector);

/* Straight lines: the axis with the longest travel in counts (the first on a tie) becomes the
 * master and moves at `velocity`; the others are geared to it. *master (may be NULL) receives
 * the master axis. ZEQ_ERR_ARGUMENT nothing moves (or, LinearNA: NULL items, count < 1 or >
 * axis count); ZEQ_ERR_RANGE from the velocity, a ratio or the master's distance (earlier
 * gearing stays written). */
typedef struct ZEQ_LINEAR_ITEM {
    double distance; /* user distance units */
    int axis;
} ZEQ_LINEAR_ITEM;
ZEQ_API int ZEQ_LinearNA(ZEQ_HANDLE handle, double velocity, const ZEQ_LINEAR_ITEM* items,
                         int count, int* master, int selector);
ZEQ_API int ZEQ_Linear2A(ZEQ_HANDLE handle, double velocity, double d0, int a0, double d1, int a1,
                         int* master, int selector);
ZEQ_API int ZEQ_Linear3A(ZEQ_HANDLE handle, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, int* master, int selector);
ZEQ_API int ZEQ_Linear4A(ZEQ_HANDLE handle, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, int* master, int selector);
ZEQ_API int ZEQ_Linear5A(ZEQ_HANDLE handle, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, double d4, int a4, int* master,
                         int selector);
ZEQ_API int ZEQ_Linear6A(ZEQ_HANDLE handle, double velocity, double d0, int a0, double d1, int a1,
                         double d2, int a2, double d3, int a3, double d4, int a4, double d5, int a5,
                         int* master, int selector);

/* Getters: *value in user units (written even when the read fails); result of the read
 * (ZEQ_OK, ZEQ_ERR_CHECKSUM, ZEQ_ERR_RBFIFO_EMPTY, ZEQ_ERR_RECEIVE, ZEQ_ERR_TIMEOUT …), or
 * ZEQ_ERR_HANDLE, ZEQ_ERR_AXIS, ZEQ_ERR_ARGUMENT (NULL value), ZEQ_ERR_FIFO_FULL before
 * reading. */
ZEQ_API int ZEQ_GetCurPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCSPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCSPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetActPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCStgPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCStgPos(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetSynDist(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetSynMovedist(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetCurvel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCSvel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCSvel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCSmaxvel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCSmaxvel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetHighVel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetLowVel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetActVel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCSaccel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCSaccel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetMCSdecel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetPCSdecel(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetSynTime(ZEQ_HANDLE handle, double* value, int axis, int selector);
ZEQ_API int ZEQ_GetGearratio(ZEQ_HANDLE handle, double* value, int axis, int selector);
/* Raw encoder counts (`encp` / `encs`), no conversion. */
ZEQ_API int ZEQ_GetEncp(ZEQ_HANDLE handle, int* value, int axis, int selector);
ZEQ_API int ZEQ_GetEncs(ZEQ_HANDLE handle, int* value, int axis, int selector);

/* ==== Event instructions ==================================================================== */
/* An event channel (0..31) of the card runs one instruction by itself. Every loader below takes
 * the channel, then the condition (0 = always, 1..14 = "@Z" "@NZ" "@G" "@GE" "@L" "@C" "@NC"
 * "IFZ" "IFNZ" "IFG" "IFGE" "IFL" "IFC" "IFNC"), its operands as parameter addresses (0..1023)
 * with axes (operand 1 and destination axis 0..15), and the FIFO selector last. A loader writes
 * `eventid` (549) and the four `eventbase` words (568..574) on axis 0.
 * Returns: ZEQ_OK; ZEQ_ERR_ARGUMENT channel, condition or operand-1/destination axis out of
 * range (nothing sent); ZEQ_ERR_HANDLE unknown handle; a write code (the earlier words of the
 * channel stay written). */

/* Operand 2 a parameter: dest <- op1 (op) op2. */
ZEQ_API int ZEQ_ADD32(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_ADD48(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_CMP32(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_CMP48(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_SCA32(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_SCA48(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_MUL32L(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_MUL32A(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_OR16(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                     int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_OR16B(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_AND16(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_AND16B(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_XOR16(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_XOR16B(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int op2Address, int op2Axis, int destAddress, int destAxis, int selector);
/* Operand 2 a 16-bit immediate (low 16 bits of `value`). */
ZEQ_API int ZEQ_OR16i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                      int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_OR16iB(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_AND16i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_AND16iB(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                        int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_XOR16i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_XOR16iB(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                        int value, int destAddress, int destAxis, int selector);
/* Operand 2 a 32-bit immediate. */
ZEQ_API int ZEQ_ADD32i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_CMP32i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_MUL32iL(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                        int value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_MUL32iA(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                        int value, int destAddress, int destAxis, int selector);
/* Operand 2 a 48-bit immediate (low 48 bits of `value`). */
ZEQ_API int ZEQ_ADD48i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int64_t value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_CMP48i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int64_t value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_SCA32i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int64_t value, int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_SCA48i(ZEQ_HANDLE handle, int channel, int condition, int op1Address, int op1Axis,
                       int64_t value, int destAddress, int destAxis, int selector);
/* dest <- source parameter (16, 32 or 48 bits). */
ZEQ_API int ZEQ_COP16(ZEQ_HANDLE handle, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_COP32(ZEQ_HANDLE handle, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector);
ZEQ_API int ZEQ_COP48(ZEQ_HANDLE handle, int channel, int condition, int srcAddress, int srcAxis,
                      int destAddress, int destAxis, int selector);
/* dest <- immediate (low 16 bits, 32 bits, low 48 bits). */
ZEQ_API int ZEQ_SET16(ZEQ_HANDLE handle, int channel, int condition, int value, int destAddress,
                      int destAxis, int selector);
ZEQ_API int ZEQ_SET32(ZEQ_HANDLE handle, int channel, int condition, int value, int destAddress,
                      int destAxis, int selector);
ZEQ_API int ZEQ_SET48(ZEQ_HANDLE handle, int channel, int condition, int64_t value, int destAddress,
                      int destAxis, int selector);

/* One instruction as a record (20 bytes): `type` 0..33 in the order ADD32, ADD32I, ADD48,
 * ADD48I, CMP32, CMP32I, CMP48, CMP48I, SCA32, SCA32I, SCA48, SCA48I, MUL32L, MUL32IL, MUL32A,
 * MUL32IA, COP16, COP32, COP48, SET16, SET32, SET48, OR16, OR16I, OR16B, OR16IB, AND16, AND16I,
 * AND16B, AND16IB, XOR16, XOR16I, XOR16B, XOR16IB; `op2` holds address and axis in its first
 * two words, or the immediate low word first (the fourth word is not used). */
typedef struct ZEQ_EVENT_INSTR {
    int16_t type;
    int16_t condition;
    int16_t op1Address;
    int16_t op1Axis;
    uint16_t op2[4];
    int16_t destAddress;
    int16_t destAxis;
} ZEQ_EVENT_INSTR;

/* Loads the instruction record into `channel`. ZEQ_OK; ZEQ_ERR_ARGUMENT (null record, op1
 * axis, destination axis, condition, type or channel out of range); ZEQ_ERR_HANDLE; a write
 * code. */
ZEQ_API int ZEQ_EventFun(ZEQ_HANDLE handle, int channel, const ZEQ_EVENT_INSTR* instr,
                         int selector);
/* Enables event channel 0..31 (`events` <- channel). ZEQ_OK; ZEQ_ERR_ARGUMENT channel out of
 * range; a write code. */
ZEQ_API int ZEQ_EnableEvent(ZEQ_HANDLE handle, int channel, int selector);

/* ==== Coordinated groups, contour data and the path planner ================================= */
/* The card's coordinated group plays one contour word (an increment in counts) per group axis
 * per interpolation period from its contour FIFO. Group letters X Y Z A..M map to card axes. */

/* Runs (flag != 0, low byte) or stops the group: `startgroup` <- 0xFFFF / 0. ZEQ_OK;
 * ZEQ_ERR_HANDLE; ZEQ_ERR_FIFO_FULL; a code. */
ZEQ_API int ZEQ_EnableGroup(ZEQ_HANDLE handle, int flag, int selector);
/* Stops the group and clears the contour FIFO; on success the path must be initialised again.
 * Result of the `cfifocnt` write. */
ZEQ_API int ZEQ_ExitGroup(ZEQ_HANDLE handle, int selector);
/* Clears the contour FIFO (`cfifocnt` <- 0). */
ZEQ_API int ZEQ_ClearCFIFO(ZEQ_HANDLE handle, int selector);
/* Maps group letter `letter` (low byte, 'X' 'Y' 'Z' 'A'..'M', either case) to card `axis`.
 * ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_AXIS bad axis; ZEQ_ERR_ARGUMENT bad letter; ZEQ_ERR_FIFO_FULL;
 * a code. */
ZEQ_API int ZEQ_MapAxis2Group(ZEQ_HANDLE handle, int letter, int axis, int selector);
/* Number of group axes, 0..axis count (`groupnum`). ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT
 * out of range; ZEQ_ERR_FIFO_FULL; a code. */
ZEQ_API int ZEQ_SetGroupAxisNum(ZEQ_HANDLE handle, int count, int selector);
/* Words in the contour FIFO (unsigned 16-bit) into *count, written even when the read fails. */
ZEQ_API int ZEQ_GetCFIFOCnt(ZEQ_HANDLE handle, int* count, int selector);
/* Sends one contour block of 1..126 words (increments in counts, group axis order). ZEQ_OK;
 * ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT; ZEQ_ERR_FIFO_FULL contour FIFO full (nothing sent);
 * ZEQ_ERR_CHECKSUM not taken after 5 sends; ZEQ_ERR_SEND / ZEQ_ERR_TIMEOUT send failed.
 * Blocks. */
ZEQ_API int ZEQ_PutContourData(ZEQ_HANDLE handle, const int16_t* words, int count);
/* Reads `count` (1..256) bytes of the card's graph capture buffer after purging the receive
 * buffer. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT; ZEQ_ERR_GRAPH_NOT_READY no capture data
 * ready; ZEQ_ERR_TIMEOUT short read; a code. */
ZEQ_API int ZEQ_GetGraphData(ZEQ_HANDLE handle, void* buffer, int count);

/* Path planner: lines and arcs in a 3-D part coordinate system (user units, relative to the
 * axes' positions at ZEQ_InitPath), planned per interpolation period on the host and streamed
 * into the contour FIFO. Order: ZEQ_InitPath, SetPartCartesianSys, the rates (frequency first),
 * the segments, ZEQ_EnableGroup, then ZEQ_InterpolatePath while it returns
 * ZEQ_ERR_PATH_NOT_DONE. */

/* Maps path X, Y, Z to card axes (16-bit values; Y, Z negative = not driven), forms the group
 * and reads the path origin. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT X negative; ZEQ_ERR_AXIS
 * axis >= axis count; ZEQ_ERR_FIFO_FULL; a code. */
ZEQ_API int ZEQ_InitPath(ZEQ_HANDLE handle, int xAxis, int yAxis, int zAxis, int selector);
/* Counts per user unit of the driven X, Y, Z axes (|scale| >= 1); sets the length tolerance to
 * 20 counts. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT. */
ZEQ_API int SetPartCartesianSys(ZEQ_HANDLE handle, double sx, double sy, double sz);
/* Interpolation periods per second (> 0). Set it before the accelerations. */
ZEQ_API void ZEQ_SetInterpFreq(ZEQ_HANDLE handle, double freq);
/* Path acceleration / deceleration in user units per second² (> 0; deceleration unset = the
 * acceleration). */
ZEQ_API void ZEQ_SetPathAccel(ZEQ_HANDLE handle, double accel);
ZEQ_API void ZEQ_SetPathDecel(ZEQ_HANDLE handle, double decel);
/* Factor on every segment velocity (>= 0; 0 holds the path). */
ZEQ_API void ZEQ_SetFeedOverride(ZEQ_HANDLE handle, double feed);
/* Sharpest corner allowed between segments that do not stop there, in degrees (> 0). */
ZEQ_API void ZEQ_SetSegAngle(ZEQ_HANDLE handle, double degrees);
/* Empties the segment list. ZEQ_OK; ZEQ_ERR_HANDLE. */
ZEQ_API int ZEQ_ClearSegList(ZEQ_HANDLE handle);
/* Appends a line to (x, y, z) at `vel`, ending at `endVel` (0 = stop). ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_SEGLIST_FULL list full; ZEQ_ERR_CORNER corner too sharp; ZEQ_ERR_ZERO_SEGMENT zero
 * length. ZEQ_AddLine: z = 0. */
ZEQ_API int ZEQ_AddLine3(ZEQ_HANDLE handle, double x, double y, double z, double vel,
                         double endVel);
ZEQ_API int ZEQ_AddLine(ZEQ_HANDLE handle, double x, double y, double vel, double endVel);
/* Appends an arc to the end point about the centre, counter-clockwise about the normal; an
 * end point on the start point is a full circle. ZEQ_OK; ZEQ_ERR_HANDLE; ZEQ_ERR_SEGLIST_FULL;
 * ZEQ_ERR_ARC bad arc; ZEQ_ERR_ZERO_SEGMENT zero length.
 * ZEQ_AddArc: XY plane, direction > 0 counter-clockwise, else clockwise. */
ZEQ_API int ZEQ_AddArc3(ZEQ_HANDLE handle, double ex, double ey, double ez, double cx, double cy,
                        double cz, double nx, double ny, double nz, double vel, double endVel);
ZEQ_API int ZEQ_AddArc(ZEQ_HANDLE handle, double ex, double ey, double cx, double cy, int direction,
                       double vel, double endVel);
/* Plans and sends up to one contour block (126 words). ZEQ_OK path finished;
 * ZEQ_ERR_PATH_NOT_DONE call again (also when the contour FIFO is full: the words are kept);
 * ZEQ_ERR_HANDLE; ZEQ_ERR_ARGUMENT no acceleration set; ZEQ_ERR_PATH_JUMP a point jumps too far;
 * ZEQ_ERR_PATH_NOT_INIT not initialised; a transport code (words kept). */
ZEQ_API int ZEQ_InterpolatePath(ZEQ_HANDLE handle);
/* Re-reads the driven axes' `curpos` as the planner's last positions. ZEQ_OK; ZEQ_ERR_HANDLE;
 * ZEQ_ERR_PATH_NOT_INIT; a code. */
ZEQ_API int ZEQ_UpdatePathPos(ZEQ_HANDLE handle, int selector);
/* Segment count / current segment index / next free index, also stored in *out; -1 for an
 * invalid handle. */
ZEQ_API int ZEQ_GetSegNum(ZEQ_HANDLE handle, int* out);
ZEQ_API int ZEQ_GetCurSegPt(ZEQ_HANDLE handle, int* out);
ZEQ_API int ZEQ_GetRearSegPt(ZEQ_HANDLE handle, int* out);
/* Total path length in user units, also stored in *out; -1.0 for an invalid handle. */
ZEQ_API double ZEQ_GetPathLen(ZEQ_HANDLE handle, double* out);
/* Path velocity, acceleration, deceleration in user units per second (²); -1.0 invalid. */
ZEQ_API double ZEQ_GetPathVel(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathAccel(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathDecel(ZEQ_HANDLE handle, double* out);
/* Feed override; 0.0 for an invalid handle. */
ZEQ_API double ZEQ_GetFeedOverride(ZEQ_HANDLE handle, double* out);
/* Interpolation frequency; 6.0 (ZEQ_ERR_HANDLE) for an invalid handle. */
ZEQ_API double ZEQ_GetInterpFreq(ZEQ_HANDLE handle, double* out);
/* Last commanded position of a path coordinate in user units (0 when not driven); 6.0
 * (ZEQ_ERR_HANDLE) for an invalid handle. */
ZEQ_API double ZEQ_GetPathX(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathY(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathZ(ZEQ_HANDLE handle, double* out);
/* Path origin of a coordinate in user units (0 when not driven); 6.0 (ZEQ_ERR_HANDLE) for an
 * invalid handle. */
ZEQ_API double ZEQ_GetPathOrgX(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathOrgY(ZEQ_HANDLE handle, double* out);
ZEQ_API double ZEQ_GetPathOrgZ(ZEQ_HANDLE handle, double* out);

/* ==== Text parameter commands =============================================================== */
/* Parameter commands and event instructions as text lines. Tokens are separated by blanks,
 * tabs, CR or LF; parameter names are matched against the card's catalogue ignoring case; an
 * optional last axis token is one decimal digit (absent = axis 0). Every syntax, lookup or
 * range error gives ZEQ_ERR_ARGUMENT before anything is sent; other codes come from the
 * parameter services and the event instructions unchanged. */

/* "WR name value [axis]": writes a writable parameter with the width the catalogue gives it.
 * The value is decimal ("-1000"), hexadecimal with a trailing h ("3E8h") or "&name" (the
 * address of that parameter); it must fit the width (16-bit: -32768..65535, 32-bit:
 * -2^31..2^32-1, 48-bit: -2^47..2^48-1). ZEQ_OK; ZEQ_ERR_ARGUMENT syntax, unknown or read-only
 * name, value out of range; a write code (ZEQ_ERR_HANDLE, ZEQ_ERR_AXIS, ZEQ_ERR_CHECKSUM,
 * ZEQ_ERR_TIMEOUT, ZEQ_ERR_SEND). */
ZEQ_API int ZEQ_WRParamStr(ZEQ_HANDLE handle, const char* text, int selector);
/* "RD name [axis]": reads a parameter into *value (unsigned kinds zero-extended, signed kinds
 * sign-extended). ZEQ_OK; ZEQ_ERR_ARGUMENT; a read code (*value is left alone unless the read
 * returned ZEQ_OK or ZEQ_ERR_CHECKSUM). */
ZEQ_API int ZEQ_RDParamStr(ZEQ_HANDLE handle, const char* text, int64_t* value, int selector);
/* "WZ name [axis]" queues a wait-to-zero, "WT name [axis]" a wait token, on the parameter's
 * address (always through the queue FIFO). ZEQ_OK; ZEQ_ERR_ARGUMENT; a write code. */
ZEQ_API int ZEQ_WTParamStr(ZEQ_HANDLE handle, const char* text);
/* "channel [condition ,] mnemonic , operands": loads an event instruction. The channel is
 * decimal 0..30; the condition one of @Z @NZ @G @GE @L @C @NC IFZ IFNZ IFG IFGE IFL IFC IFNC
 * (absent = always); the mnemonic one of the 34 instruction names (ADD32, ADD32I, ..., MUL32IL,
 * ..., XOR16IB, either case); commas stand apart as tokens of their own. Operands by form:
 * parameter "op1, axis, op2 [, axis [, dest [, axis]]]"; immediate "op1, axis, value
 * [, dest [, axis]]"; copy "src, axis [, dest [, axis]]"; set "value, dest [, axis]". Names are
 * parameter names, axes single digits, values signed decimal that fit the instruction's
 * immediate width; omitted operands are 0. ZEQ_OK; ZEQ_ERR_ARGUMENT; a code of the event
 * load. */
ZEQ_API int ZEQ_SetEventStr(ZEQ_HANDLE handle, const char* text, int selector);

#endif /* ZEQLINK_H */
