"""Python access to ZEQ motion-controller cards through libzeqlink (ctypes, no build step).

    import zeqlink
    with zeqlink.open(0) as card:            # or zeqlink.open(description="ZEQ-SIM0")
        card.set_mcs_maxvel(20.0, axis=0)
        card.move_absolute(1000.0, axis=0)
        print(card.get_cur_pos(axis=0))

Every library call that returns a code other than 0 raises ZeqError, which carries the code and
the library's text for it (ZEQ_ErrorText).

The library is looked up in this order: the path in the environment variable ZEQLINK_LIBRARY;
build/bin/Dll/libzeqlink.so of the source tree this package sits in; the installed
libzeqlink.so.0.
"""

import ctypes

from ._library import load_library

__all__ = [
    "Card", "ZeqError", "open", "device_count", "list_devices", "error_text",
    "library_version", "IMMEDIATE", "QUEUE",
]

IMMEDIATE = 0
"""FIFO selector of the card's immediate command FIFO (takes effect at once)."""
QUEUE = 1
"""FIFO selector of the card's queue FIFO (runs in order, can wait on card conditions)."""

_FT_LIST_NUMBER_ONLY = 0x80000000
_FT_LIST_BY_INDEX = 0x40000000
_FT_OPEN_BY_DESCRIPTION = 2
_FT_OPEN_BY_LOCATION = 4

_lib = None


def _library():
    global _lib
    if _lib is None:
        _lib = load_library()
    return _lib


class ZeqError(Exception):
    """A library call returned a code other than 0."""

    def __init__(self, code, function):
        self.code = code
        self.function = function
        self.text = error_text(code)
        super().__init__("%s failed: %s (code %d)" % (function, self.text, code))


def error_text(code):
    """The library's short English text for a return code."""
    return _library().ZEQ_ErrorText(int(code)).decode("ascii", "replace")


def library_version():
    """The version of the loaded libzeqlink."""
    return _library().ZEQ_GetLibraryVersion().decode("ascii")


def _check(code, function):
    if code != 0:
        raise ZeqError(code, function)


def device_count():
    """Number of devices in the device list (real cards first, then the virtual cards)."""
    count = ctypes.c_uint32(0)
    _check(_library().ZEQ_ListDevices(ctypes.byref(count), None, _FT_LIST_NUMBER_ONLY),
           "ZEQ_ListDevices")
    return count.value


def list_devices():
    """[(index, description, location)] of the devices found."""
    lib = _library()
    devices = []
    for index in range(device_count()):
        text = ctypes.create_string_buffer(64)
        _check(lib.ZEQ_ListDevices(ctypes.c_void_p(index), text,
                                   _FT_LIST_BY_INDEX | _FT_OPEN_BY_DESCRIPTION),
               "ZEQ_ListDevices")
        location = ctypes.c_uint32(0)
        if lib.ZEQ_ListDevices(ctypes.c_void_p(index), ctypes.byref(location),
                               _FT_LIST_BY_INDEX | _FT_OPEN_BY_LOCATION) != 0:
            location.value = 0
        devices.append((index, text.value.decode("utf-8", "replace"), location.value))
    return devices


def open(index=None, description=None, password=None):
    """Opens a card by its index in the device list (default 0) or by its description.

    Use it in a with statement so that the card is closed at the end."""
    if index is not None and description is not None:
        raise ValueError("give an index or a description, not both")
    lib = _library()
    handle = ctypes.c_uint32(0)
    secret = None if password is None else password.encode("utf-8")
    if description is not None:
        text = ctypes.create_string_buffer(description.encode("utf-8"))
        code = lib.ZEQ_OpenExUsePassword(ctypes.cast(text, ctypes.c_void_p),
                                         _FT_OPEN_BY_DESCRIPTION, ctypes.byref(handle), secret)
        _check(code, "ZEQ_OpenEx")
    else:
        code = lib.ZEQ_OpenUsePassword(0 if index is None else int(index),
                                       ctypes.byref(handle), secret)
        _check(code, "ZEQ_Open")
    return Card(handle.value)


class Card:
    """An open card. Axis numbers start at 0; `fifo` selects IMMEDIATE (default) or QUEUE."""

    def __init__(self, handle):
        self._handle = handle

    # -- life --------------------------------------------------------------------------------
    @property
    def handle(self):
        """The device handle (0 once closed)."""
        return self._handle

    def close(self):
        """Closes the card; closing twice does nothing."""
        if self._handle:
            handle, self._handle = self._handle, 0
            _check(_library().ZEQ_Close(handle), "ZEQ_Close")

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, tb):
        self.close()
        return False

    def __repr__(self):
        return "<zeqlink.Card handle=%d>" % self._handle

    def _call(self, name, *args):
        if not self._handle:
            raise ZeqError(6, name)
        _check(getattr(_library(), name)(self._handle, *args), name)

    # -- information -------------------------------------------------------------------------
    def info(self):
        """The device's identification text."""
        text = _library().ZEQ_ReserveGInfo(self._handle)
        return "" if not text else text.decode("utf-8", "replace")

    # -- parameters by name ------------------------------------------------------------------
    def read_param(self, name, axis=0, fifo=IMMEDIATE):
        """Reads a card parameter by its catalogue name (e.g. "curpos"); signed kinds are
        sign-extended."""
        value = ctypes.c_int64(0)
        self._call("ZEQ_RDParamStr", self._param_text("RD", name, None, axis),
                   ctypes.byref(value), fifo)
        return value.value

    def write_param(self, name, value, axis=0, fifo=IMMEDIATE):
        """Writes a writable card parameter by name with the width the catalogue gives it."""
        self._call("ZEQ_WRParamStr", self._param_text("WR", name, int(value), axis), fifo)

    @staticmethod
    def _param_text(verb, name, value, axis):
        if not 0 <= int(axis) <= 9:
            raise ValueError("axis must be 0..9 for named parameters")
        if not name or any(c.isspace() for c in name):
            raise ValueError("invalid parameter name: %r" % (name,))
        parts = [verb, name] + ([] if value is None else [str(value)]) + [str(int(axis))]
        return " ".join(parts).encode("ascii")

    # -- parameters by address ---------------------------------------------------------------
    def get_param16(self, address, axis=0, fifo=IMMEDIATE):
        value = ctypes.c_uint16(0)
        self._call("ZEQ_GetParam16", int(address), ctypes.byref(value), int(axis), fifo)
        return value.value

    def get_param32(self, address, axis=0, fifo=IMMEDIATE):
        value = ctypes.c_int32(0)
        self._call("ZEQ_GetParam32", int(address), ctypes.byref(value), int(axis), fifo)
        return value.value

    def get_param48(self, address, axis=0, fifo=IMMEDIATE):
        value = ctypes.c_int64(0)
        self._call("ZEQ_GetParam48", int(address), ctypes.byref(value), int(axis), fifo)
        return value.value

    def set_param16(self, address, value, axis=0, fifo=IMMEDIATE):
        self._call("ZEQ_SetParam16", int(address), int(value), int(axis), fifo)

    def set_param32(self, address, value, axis=0, fifo=IMMEDIATE):
        self._call("ZEQ_SetParam32", int(address), _int32(value), int(axis), fifo)

    def set_param48(self, address, value, axis=0, fifo=IMMEDIATE):
        self._call("ZEQ_SetParam48", int(address), int(value), int(axis), fifo)

    # -- scales ------------------------------------------------------------------------------
    def set_time_scale(self, scale):
        """Card ticks per user time unit."""
        _library().ZEQ_SetTimescale(self._handle, float(scale))

    def get_time_scale(self):
        return _library().ZEQ_GetTimescale(self._handle)

    def set_dist_scale(self, scale, axis=0):
        """Counts per user distance unit of the axis."""
        _library().ZEQ_SetDistScale(self._handle, float(scale), int(axis))

    def get_dist_scale(self, axis=0):
        return _library().ZEQ_GetDistScale(self._handle, int(axis))

    # -- motion in user units ----------------------------------------------------------------
    def _motion(self, name, value, axis, fifo):
        self._call(name, float(value), int(axis), fifo)

    def set_mcs_maxvel(self, velocity, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_SetMCSmaxvel", velocity, axis, fifo)

    def set_mcs_accel(self, acceleration, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_SetMCSaccel", acceleration, axis, fifo)

    def set_mcs_decel(self, deceleration, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_SetMCSdecel", deceleration, axis, fifo)

    def move_absolute(self, position, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_MoveAbsolute", position, axis, fifo)

    def move_relative(self, distance, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_MoveRelative", distance, axis, fifo)

    def move_velocity(self, velocity, axis=0, fifo=IMMEDIATE):
        self._motion("ZEQ_MoveVelocity", velocity, axis, fifo)

    def stop(self, axis=0, fifo=IMMEDIATE):
        """Stops the axis's mcs profile generator."""
        self._call("ZEQ_MCSstop", int(axis), fifo)

    def _read_double(self, name, axis, fifo):
        value = ctypes.c_double(0.0)
        self._call(name, ctypes.byref(value), int(axis), fifo)
        return value.value

    def get_cur_pos(self, axis=0, fifo=IMMEDIATE):
        """Commanded position in user distance units."""
        return self._read_double("ZEQ_GetCurPos", axis, fifo)

    def get_act_pos(self, axis=0, fifo=IMMEDIATE):
        """Actual (encoder) position in user distance units."""
        return self._read_double("ZEQ_GetActPos", axis, fifo)

    def get_mcs_tgpos(self, axis=0, fifo=IMMEDIATE):
        return self._read_double("ZEQ_GetMCStgPos", axis, fifo)

    def get_cur_vel(self, axis=0, fifo=IMMEDIATE):
        """Commanded velocity in user units."""
        return self._read_double("ZEQ_GetCurvel", axis, fifo)

    def get_mcs_maxvel(self, axis=0, fifo=IMMEDIATE):
        return self._read_double("ZEQ_GetMCSmaxvel", axis, fifo)


def _int32(value):
    value = int(value)
    if not -(1 << 31) <= value < (1 << 32):
        raise ValueError("value does not fit 32 bits: %d" % value)
    return value - (1 << 32) if value >= (1 << 31) else value
