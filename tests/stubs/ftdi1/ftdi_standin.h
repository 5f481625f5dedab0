// Control calls of the stand-in libftdi1 used by the libftdi backend tests. The stand-in exports
// the ftdi_* and libusb_* calls the backend makes, over a pretend USB bus whose devices are the
// devices of a bridge backend attached here (in the tests: the virtual cards).
#pragma once

#define FTDI_STANDIN_API __attribute__((visibility("default")))

namespace zeq::bridge {
class Backend;
}

extern "C" {

// Puts the devices of `devices` on the bus: bus device i is entry i of devices->list() (read again
// at every enumeration), opened through devices->open(i). nullptr empties the bus. The bus does
// not own the backend; ports it opened are closed when their context is.
FTDI_STANDIN_API void ftdi_standin_attach(zeq::bridge::Backend* devices);

// Forgets every setting and counter (open ports stay open).
FTDI_STANDIN_API void ftdi_standin_reset(void);

// A setting of bus device `device`:
//   "trickle"  payload bytes the chip sends per bulk-in transfer before its latency period ends
//              with nothing more (0: as much as a transfer holds; the power-on value is
//              FTDI_STANDIN_TRICKLE from the environment, else 0);
//   "stall"    the next N bulk-in transfers time out (after the context's read time-out);
//   "noaccess" 1: the device cannot be opened (its strings cannot be read either);
//   "blank_eeprom" 1: the EEPROM reads erased until it is programmed;
//   "pid"      the USB product id (default 0x6014).
FTDI_STANDIN_API void ftdi_standin_set(int device, const char* what, int value);

// A recorded value of bus device `device`: "opened" (1 while a context holds it), "opens",
// "latency" (ms, 16 at power-on), "bitmode", "rx_purges", "tx_purges", "resets",
// "read_timeout", "write_timeout" (ms, of the context holding it), "transfers" (bulk-in
// transfers), "empty_transfers" (those that carried no payload), "reads" (ftdi_read_data calls),
// "short_reads" (those that returned fewer bytes than asked). -1 for an unknown name or device.
FTDI_STANDIN_API int ftdi_standin_query(int device, const char* what);

// Calls that entered a context while another call on it was under way (libftdi leaves a context
// unguarded, so each one could corrupt it).
FTDI_STANDIN_API int ftdi_standin_overlaps(void);
}
