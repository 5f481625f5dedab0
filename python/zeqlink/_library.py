"""Finds libzeqlink and declares the argument and result types of the functions used."""

import ctypes
import ctypes.util
import os

_HANDLE = ctypes.c_uint32
_INT = ctypes.c_int
_DOUBLE = ctypes.c_double
_P = ctypes.c_void_p


def _candidates():
    explicit = os.environ.get("ZEQLINK_LIBRARY")
    if explicit:
        return [explicit]
    here = os.path.dirname(os.path.abspath(__file__))
    tree = os.path.normpath(os.path.join(here, "..", "..", "build", "bin", "Dll", "libzeqlink.so"))
    found = ctypes.util.find_library("zeqlink")
    return [p for p in (tree if os.path.exists(tree) else None, "libzeqlink.so.0", found) if p]


def load_library():
    errors = []
    for path in _candidates():
        try:
            lib = ctypes.CDLL(path)
        except OSError as e:
            errors.append("%s: %s" % (path, e))
            continue
        _declare(lib)
        return lib
    raise OSError("libzeqlink not found (set ZEQLINK_LIBRARY): " + "; ".join(errors))


def _declare(lib):
    def fn(name, restype, *argtypes):
        f = getattr(lib, name)
        f.restype = restype
        f.argtypes = list(argtypes)

    fn("ZEQ_ErrorText", ctypes.c_char_p, _INT)
    fn("ZEQ_GetLibraryVersion", ctypes.c_char_p)
    fn("ZEQ_ListDevices", _INT, _P, _P, ctypes.c_uint32)
    fn("ZEQ_OpenUsePassword", _INT, _INT, ctypes.POINTER(_HANDLE), ctypes.c_char_p)
    fn("ZEQ_OpenExUsePassword", _INT, _P, ctypes.c_uint32, ctypes.POINTER(_HANDLE),
       ctypes.c_char_p)
    fn("ZEQ_Close", _INT, _HANDLE)
    fn("ZEQ_ReserveGInfo", ctypes.c_char_p, _HANDLE)
    fn("ZEQ_RDParamStr", _INT, _HANDLE, ctypes.c_char_p, ctypes.POINTER(ctypes.c_int64), _INT)
    fn("ZEQ_WRParamStr", _INT, _HANDLE, ctypes.c_char_p, _INT)
    fn("ZEQ_GetParam16", _INT, _HANDLE, _INT, ctypes.POINTER(ctypes.c_uint16), _INT, _INT)
    fn("ZEQ_GetParam32", _INT, _HANDLE, _INT, ctypes.POINTER(ctypes.c_int32), _INT, _INT)
    fn("ZEQ_GetParam48", _INT, _HANDLE, _INT, ctypes.POINTER(ctypes.c_int64), _INT, _INT)
    fn("ZEQ_SetParam16", _INT, _HANDLE, _INT, _INT, _INT, _INT)
    fn("ZEQ_SetParam32", _INT, _HANDLE, _INT, _INT, _INT, _INT)
    fn("ZEQ_SetParam48", _INT, _HANDLE, _INT, ctypes.c_int64, _INT, _INT)
    fn("ZEQ_SetTimescale", None, _HANDLE, _DOUBLE)
    fn("ZEQ_GetTimescale", _DOUBLE, _HANDLE)
    fn("ZEQ_SetDistScale", None, _HANDLE, _DOUBLE, _INT)
    fn("ZEQ_GetDistScale", _DOUBLE, _HANDLE, _INT)
    for name in ("ZEQ_SetMCSmaxvel", "ZEQ_SetMCSaccel", "ZEQ_SetMCSdecel", "ZEQ_MoveAbsolute",
                 "ZEQ_MoveRelative", "ZEQ_MoveVelocity"):
        fn(name, _INT, _HANDLE, _DOUBLE, _INT, _INT)
    fn("ZEQ_MCSstop", _INT, _HANDLE, _INT, _INT)
    for name in ("ZEQ_GetCurPos", "ZEQ_GetActPos", "ZEQ_GetMCStgPos", "ZEQ_GetCurvel",
                 "ZEQ_GetMCSmaxvel"):
        fn(name, _INT, _HANDLE, ctypes.POINTER(_DOUBLE), _INT, _INT)
