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
    ZEQ_ERR_SEND = 1,             /* bridge write refused or short; EEPROM write failed */
    ZEQ_ERR_RECEIVE = 2,          /* status byte or 48-bit value not received; EEPROM read failed */
    ZEQ_ERR_TIMEOUT = 3,          /* value read failed or short; retries or waits exhausted */
    ZEQ_ERR_NOT_OPENED = 4,       /* device not opened */
    ZEQ_ERR_NOT_FOUND = 5,        /* device not found */
    ZEQ_ERR_HANDLE = 6,           /* invalid device handle */
    ZEQ_ERR_ARGUMENT = 7,         /* invalid function argument */
    ZEQ_ERR_FIFO_FULL = 8,        /* command FIFO half full; contour FIFO full */
    ZEQ_ERR_GRAPH_NOT_READY = 9,  /* graph capture data not ready */
    ZEQ_ERR_AXIS = 10,            /* invalid axis number */
    ZEQ_ERR_RANGE = 12,           /* value out of range after unit conversion */
    ZEQ_ERR_CHECKSUM = 13,        /* command not acknowledged, or reply checksum wrong */
    ZEQ_ERR_OTHER = 15,           /* device list not ready, bridge not opened on read, reset failed */
    ZEQ_ERR_SEGLIST_FULL = 16,    /* path segment list full */
    ZEQ_ERR_CORNER = 17,          /* corner sharper than the segment angle */
    ZEQ_ERR_ARC = 18,             /* arc geometry invalid */
    ZEQ_ERR_ZERO_SEGMENT = 19,    /* zero-length path segment */
    ZEQ_ERR_PATH_JUMP = 20,       /* interpolated point jumps too far */
    ZEQ_ERR_PATH_NOT_INIT = 21,   /* path not initialised */
    ZEQ_ERR_PATH_NOT_DONE = 22,   /* path not yet finished: call again */
    ZEQ_ERR_PASSWORD = 23,        /* wrong card password */
    ZEQ_ERR_RBFIFO_EMPTY = 24     /* read-back FIFO still empty */
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

/* Window message posted to the notification target after every successful value read. */
#define ZEQ_NOTIFY_MESSAGE 0x040Au
#define ZEQ_NOTIFY_LPARAM 0x200

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
 * `naxis`. 0 and *handle set; 5 no such device; 4/6 bridge refused; 8 FIFO stays half full
 * (handle set to 0); a read code. */
ZEQ_API int ZEQ_Open(int index, ZEQ_HANDLE* handle);
/* As ZEQ_Open, the device chosen by serial number, description or location (flags
 * ZEQ_FT_OPEN_BY_*); `arg` is the text, or the location cast to a pointer. */
ZEQ_API int ZEQ_OpenEx(void* arg, uint32_t flags, ZEQ_HANDLE* handle);
/* As ZEQ_Open, then checks `password` (4..100 characters, NULL = no check) against the card's
 * flash record; 23 on a wrong password (the device is closed and *handle set to 0). */
ZEQ_API int ZEQ_OpenUsePassword(int index, ZEQ_HANDLE* handle, const char* password);
ZEQ_API int ZEQ_OpenExUsePassword(void* arg, uint32_t flags, ZEQ_HANDLE* handle,
                                  const char* password);
/* D2XX-style device listing; the three arguments are passed to the bridge list unchanged.
 * 0; 15 list not ready; 7 other failures. */
ZEQ_API int ZEQ_ListDevices(void* arg1, void* arg2, uint32_t flags);
/* Closes the device and frees its record. 0; 6 unknown handle; 4 bridge not opened. */
ZEQ_API int ZEQ_Close(ZEQ_HANDLE handle);
/* Raw bridge read/write of `count` bytes; *done receives the bytes moved. 0; 6; 15 (read:
 * bridge not opened); 1 (write refused); 3 other. */
ZEQ_API int ZEQ_Read(ZEQ_HANDLE handle, void* buffer, uint32_t count, uint32_t* done);
ZEQ_API int ZEQ_Write(ZEQ_HANDLE handle, const void* buffer, uint32_t count, uint32_t* done);
/* Purges the bridge buffers: mask 1 = receive, 2 = transmit, 3 = both. 0; 6; 3. */
ZEQ_API int ZEQ_Purge(ZEQ_HANDLE handle, uint32_t mask);
/* Bridge read and write time-outs in milliseconds. 0; 6; 3. */
ZEQ_API int ZEQ_SetTimeouts(ZEQ_HANDLE handle, uint32_t readMs, uint32_t writeMs);
/* Resets the bridge. 0; 6; 15 (reset failed); 3. */
ZEQ_API int ZEQ_ResetDevice(ZEQ_HANDLE handle);
/* Sets the notification target for all devices (0 = off). Returns 1. */
ZEQ_API unsigned char ZEQ_SethWnd(uint32_t target);
/* Sets the function that delivers notifications to the target (NULL = none). */
ZEQ_API void ZEQ_SetNotifyCallback(ZEQ_NOTIFY_FN fn, void* context);

/* ==== Frames, FIFOs and parameters ========================================================== */

/* Sends the card reset frame 7F 5A. Result of the send. */
ZEQ_API int ZEQ_Reset(ZEQ_HANDLE handle);
/* Starts the immediate FIFO (frame 88 01 00 00). Result of the send. */
ZEQ_API int ZEQ_StartIFIFO(ZEQ_HANDLE handle);
/* Writes one raw word into the selected FIFO's port (no checksum). Result of the send. */
ZEQ_API int ZEQ_SetWordData(ZEQ_HANDLE handle, uint16_t word, int selector);
/* Reads one raw word from the selected FIFO's port; 0xFFFF on failure, code in *code. */
ZEQ_API uint16_t ZEQ_GetWordData(ZEQ_HANDLE handle, int selector, int* code);

/* Parameter writes (address 0..1023, axis 0..axis count-1): 0; 6; 10 axis; 13 never
 * acknowledged; 3; 1 send failed. The 16-bit form sends the low 16 bits of `value`, the 48-bit
 * form the low 48 bits. */
ZEQ_API int ZEQ_SetParam16(ZEQ_HANDLE handle, int address, int value, int axis, int selector);
ZEQ_API int ZEQ_SetParam32(ZEQ_HANDLE handle, int address, int value, int axis, int selector);
ZEQ_API int ZEQ_SetParam48(ZEQ_HANDLE handle, int address, int64_t value, int axis, int selector);
/* Queue FIFO wait commands: hold the queue on a wait token / until the parameter is zero. */
ZEQ_API int ZEQ_WaitToken(ZEQ_HANDLE handle, int address, int axis);
ZEQ_API int ZEQ_WaitToZero(ZEQ_HANDLE handle, int address, int axis);
/* Verified parameter reads: drain, send, wait, read, compare the reply checksum (up to four
 * sends). 0; 6; 10; 13 checksum kept failing (last value still stored); 24; 2; 3. The 48-bit
 * value is sign-extended from bit 47. */
ZEQ_API int ZEQ_GetParam16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis, int selector);
ZEQ_API int ZEQ_GetParam32(ZEQ_HANDLE handle, int address, int32_t* value, int axis, int selector);
ZEQ_API int ZEQ_GetParam48(ZEQ_HANDLE handle, int address, int64_t* value, int axis, int selector);
/* Deferred reads: send only the read command; the reply waits in the read-back FIFO. */
ZEQ_API int ZEQ_GetParamCMD16(ZEQ_HANDLE handle, int address, int axis, int selector);
ZEQ_API int ZEQ_GetParamCMD32(ZEQ_HANDLE handle, int address, int axis, int selector);
ZEQ_API int ZEQ_GetParamCMD48(ZEQ_HANDLE handle, int address, int axis, int selector);
/* Retrieve a deferred reply (same address, axis and width as the request, in request order;
 * only after ZEQ_IsRBFIFONoEmpty returned 0). 0; 13 checksum; 2/3 read failed. */
ZEQ_API int ZEQ_GetRFIFOData16(ZEQ_HANDLE handle, int address, uint16_t* value, int axis,
                               int selector);
ZEQ_API int ZEQ_GetRFIFOData32(ZEQ_HANDLE handle, int address, int32_t* value, int axis,
                               int selector);
ZEQ_API int ZEQ_GetRFIFOData48(ZEQ_HANDLE handle, int address, int64_t* value, int axis,
                               int selector);
/* 0 when a reply waits in the selected read-back FIFO; 24 still empty after 30 queries. */
ZEQ_API int ZEQ_IsRBFIFONoEmpty(ZEQ_HANDLE handle, int selector);
/* 0 when the selected command FIFO is below half full; 8 when half full; a query code. */
ZEQ_API int ZEQ_CheckFIFONotHalfFull(ZEQ_HANDLE handle, int selector);
/* 0 as soon as the selected read-back FIFO reports half full; 3 after 30 queries. */
ZEQ_API int ZEQ_CheckRBFIFOHalfFull(ZEQ_HANDLE handle, int selector);
/* Drains the selected read-back FIFO: 0 when empty; 3 after 1024 rounds. */
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
 * erase of the largest flash fits). 0 ready; 3 still busy after two minutes; 6; a transport
 * code when the status read keeps failing (the first two failed reads count as busy). */
ZEQ_API int ZEQ_ReserveWFWE(ZEQ_HANDLE handle);
/* Reads the flash's electronic signature (command 0xAB). Returns the signature in the low byte,
 * or 0xFF on failure with the code in *code (0 on success). An unknown handle returns 6 and
 * leaves *code untouched. `code` may be NULL. */
ZEQ_API int ZEQ_ReserveRID(ZEQ_HANDLE handle, int* code);
/* Erases the whole flash, then waits as ZEQ_ReserveWFWE. 0; 6; 3; a transport code. */
ZEQ_API int ZEQ_ReserveEC(ZEQ_HANDLE handle);
/* Erases the sector (64 KiB) holding byte address page * 256 + 8, then waits as
 * ZEQ_ReserveWFWE. page 0..0xFFFF, else 7. 0; 6; 7; 3; a transport code. */
ZEQ_API int ZEQ_ReserveEP(ZEQ_HANDLE handle, int page);
/* Programs `count` bytes of `data` at `address` in one page program (the rest of the 256-byte
 * transfer is 0xFF, which leaves flash bytes unchanged). The bytes must stay inside one
 * 256-byte flash page: (address & 0xFF) + count <= 256, else 7. Does not wait: call
 * ZEQ_ReserveWFWE before the next flash operation. 0; 6; 7; 1 send failed; 3. */
ZEQ_API int ZEQ_ReserveWEB(ZEQ_HANDLE handle, int address, int count, const uint8_t* data);
/* Reads `count` bytes from flash `address` into `buffer`. 0; 6; 7 bad arguments; 3; a
 * transport code. */
ZEQ_API int ZEQ_ReserveREB(ZEQ_HANDLE handle, int address, uint8_t* buffer, int count);
/* Writes `count` bytes at byte `offset` (0..255) of the 256-byte user information page
 * (flash 0x3E800): erases its sector, then programs the bytes and waits for the program to end.
 * The rest of the page reads 0xFF afterwards; the card password record, which shares the
 * sector, is read before the erase and programmed back. offset + count > 256: 7. 0; 6; 7; 3;
 * a transport code (the erase's code when the erase fails; nothing is programmed then). */
ZEQ_API int ZEQ_WriteUserInfo(ZEQ_HANDLE handle, int offset, const uint8_t* data, int count);
/* Reads `count` bytes from byte `offset` of the user information page. offset + count > 256:
 * 7. 0; 6; 7; 3; a transport code. */
ZEQ_API int ZEQ_ReadUserInfo(ZEQ_HANDLE handle, int offset, uint8_t* buffer, int count);
/* Reads internal register `reg` (0..0x7FFF). Returns its 16-bit content, or 0xFFFF on failure
 * with the code in *code (0; 6; 7; 1; 3). `code` may be NULL. */
ZEQ_API uint16_t ZEQ_ReserveGR(ZEQ_HANDLE handle, int reg, int* code);
/* Writes `value` into internal register `reg` (0..0x7FFF). The code of the value write; 6; 7. */
ZEQ_API int ZEQ_ReserveWR(ZEQ_HANDLE handle, int reg, uint16_t value);
/* The device's identification text (owned by the library, valid until ZEQ_Close); NULL for an
 * unknown handle. */
ZEQ_API const char* ZEQ_ReserveGInfo(ZEQ_HANDLE handle);
/* Reads the machine data of axes 0..3 (40 bytes from the graph port) into the process-wide
 * table and stores its address in *table (the table is shared by all devices; a failed read
 * leaves the previous snapshot). 0; 6; 7 table NULL; 2 block incomplete; 1/3 send failed. */
ZEQ_API int ZEQ_GetMCData(ZEQ_HANDLE handle, ZEQ_MCDATA** table);
/* Returns the low 8 bits of `byte` with their order reversed (bit 0 <-> bit 7, ...). */
ZEQ_API int ZEQ_Reverse(int byte);

/* ==== Motion commands ======================================================================= */
/* (motion exports) */

/* ==== Event instructions ==================================================================== */
/* (event exports) */

/* ==== Coordinated groups, contour data and the path planner ================================= */
/* (path exports) */

/* ==== Text parameter commands =============================================================== */
/* Parameter commands and event instructions as text lines. Tokens are separated by blanks,
 * tabs, CR or LF; parameter names are matched against the card's catalogue ignoring case; an
 * optional last axis token is one decimal digit (absent = axis 0). Every syntax, lookup or
 * range error gives 7 before anything is sent; other codes come from the parameter services
 * and the event instructions unchanged. */

/* "WR name value [axis]": writes a writable parameter with the width the catalogue gives it.
 * The value is decimal ("-1000"), hexadecimal with a trailing h ("3E8h") or "&name" (the
 * address of that parameter); it must fit the width (16-bit: -32768..65535, 32-bit:
 * -2^31..2^32-1, 48-bit: -2^47..2^48-1). 0; 7 syntax, unknown or read-only name, value out of
 * range; a write code (6, 10, 13, 3, 1). */
ZEQ_API int ZEQ_WRParamStr(ZEQ_HANDLE handle, const char* text, int selector);
/* "RD name [axis]": reads a parameter into *value (unsigned kinds zero-extended, signed kinds
 * sign-extended). 0; 7; a read code (*value is left alone unless the read returned 0 or 13). */
ZEQ_API int ZEQ_RDParamStr(ZEQ_HANDLE handle, const char* text, int64_t* value, int selector);
/* "WZ name [axis]" queues a wait-to-zero, "WT name [axis]" a wait token, on the parameter's
 * address (always through the queue FIFO). 0; 7; a write code. */
ZEQ_API int ZEQ_WTParamStr(ZEQ_HANDLE handle, const char* text);
/* "channel [condition ,] mnemonic , operands": loads an event instruction. The channel is
 * decimal 0..30; the condition one of @Z @NZ @G @GE @L @C @NC IFZ IFNZ IFG IFGE IFL IFC IFNC
 * (absent = always); the mnemonic one of the 34 instruction names (ADD32, ADD32I, ..., MUL32IL,
 * ..., XOR16IB, either case); commas stand apart as tokens of their own. Operands by form:
 * parameter "op1, axis, op2 [, axis [, dest [, axis]]]"; immediate "op1, axis, value
 * [, dest [, axis]]"; copy "src, axis [, dest [, axis]]"; set "value, dest [, axis]". Names are
 * parameter names, axes single digits, values signed decimal that fit the instruction's
 * immediate width; omitted operands are 0. 0; 7; a code of the event load. */
ZEQ_API int ZEQ_SetEventStr(ZEQ_HANDLE handle, const char* text, int selector);

#endif /* ZEQLINK_H */
