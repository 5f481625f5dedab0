// The library's own additions for callers: a short English text per return code and the
// library version.
#include "zeqlink.h"

#ifndef ZEQLINK_VERSION
#define ZEQLINK_VERSION "0.0.0"
#endif

namespace {

struct CodeText {
    int code;
    const char* text;
};

constexpr CodeText kCodeTexts[] = {
    {ZEQ_OK, "success"},
    {ZEQ_ERR_SEND, "sending data failed"},
    {ZEQ_ERR_RECEIVE, "receiving data failed"},
    {ZEQ_ERR_TIMEOUT, "communication timed out"},
    {ZEQ_ERR_NOT_OPENED, "device not opened"},
    {ZEQ_ERR_NOT_FOUND, "device not found"},
    {ZEQ_ERR_HANDLE, "invalid device handle"},
    {ZEQ_ERR_ARGUMENT, "invalid function argument"},
    {ZEQ_ERR_FIFO_FULL, "command FIFO full"},
    {ZEQ_ERR_GRAPH_NOT_READY, "graph capture data not ready"},
    {ZEQ_ERR_AXIS, "invalid axis number"},
    {ZEQ_ERR_READ_ONLY, "card parameter is read-only"},
    {ZEQ_ERR_RANGE, "argument value out of range"},
    {ZEQ_ERR_CHECKSUM, "communication checksum error"},
    {ZEQ_ERR_VERSION, "version not supported"},
    {ZEQ_ERR_OTHER, "other error"},
    {ZEQ_ERR_SEGLIST_FULL, "path segment list full"},
    {ZEQ_ERR_CORNER, "path corner sharper than the segment angle"},
    {ZEQ_ERR_ARC, "invalid arc geometry"},
    {ZEQ_ERR_ZERO_SEGMENT, "zero-length path segment"},
    {ZEQ_ERR_PATH_JUMP, "path point jumps too far"},
    {ZEQ_ERR_PATH_NOT_INIT, "path not initialised"},
    {ZEQ_ERR_PATH_NOT_DONE, "path not yet finished"},
    {ZEQ_ERR_PASSWORD, "wrong card password"},
    {ZEQ_ERR_RBFIFO_EMPTY, "read-back FIFO empty"},
};

}  // namespace

ZEQ_API const char* ZEQ_ErrorText(int code) {
    for (const CodeText& row : kCodeTexts) {
        if (row.code == code) return row.text;
    }
    return "unknown error";
}

ZEQ_API const char* ZEQ_GetLibraryVersion(void) {
    return ZEQLINK_VERSION;
}
