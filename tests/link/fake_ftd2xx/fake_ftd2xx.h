/* Control calls of the stand-in driver library used by the D2XX backend tests. The tests reach
 * them with dlsym on the same library file the backend loads, so both see one state. */
#ifndef FAKE_FTD2XX_H
#define FAKE_FTD2XX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Forgets every device and all recorded state. */
typedef void (*fake_ft_reset_fn)(void);
/* Adds a device (at most 4); its EEPROM starts with the given description and serial. */
typedef void (*fake_ft_add_device_fn)(const char* description, const char* serial,
                                      uint32_t location);
/* The next call of the named driver function (e.g. "FT_Read") fails with `status`. */
typedef void (*fake_ft_fail_next_fn)(const char* call, uint32_t status);
/* Queues bytes for the device's receive side. */
typedef void (*fake_ft_push_rx_fn)(int device, const void* data, uint32_t count);
/* Makes every write of the device take at most `limit` bytes. */
typedef void (*fake_ft_write_limit_fn)(int device, uint32_t limit);
/* A recorded value: "opened", "open_calls", "open_ex_calls", "latency", "purge", "resets",
 * "read_timeout", "write_timeout", "ee_version", "vid", "pid", "max_power", "self_powered". */
typedef uint32_t (*fake_ft_query_fn)(int device, const char* what);
/* An EEPROM text of the device: "manufacturer", "manufacturer_id", "description", "serial". */
typedef const char* (*fake_ft_ee_text_fn)(int device, const char* which);

#ifdef __cplusplus
}
#endif

#endif
