// The bridge backend over FTDI's own driver library, loaded at run time.
//
// Nothing of the driver is needed to build the library: make_d2xx_backend() loads the driver at
// run time and resolves its calls by name. The library file is "libftd2xx.so" ("ftd2xx.dll" on
// Windows), found through the dynamic loader's usual search, or the file named by the environment
// variable ZEQLINK_D2XX_LIB when that is set and not empty (a full path, for a driver installed
// outside the loader's search path).
//
// Required calls: FT_Open, FT_Close, FT_Read, FT_Write, FT_Purge, FT_SetTimeouts, FT_ResetDevice,
// and a way to list (FT_CreateDeviceInfoList with FT_GetDeviceInfoDetail, or FT_ListDevices).
// Optional: FT_OpenEx, FT_SetLatencyTimer, FT_EE_Read, FT_EE_Program (a missing EEPROM call
// answers ZEQ_FT_NOT_SUPPORTED). Every status of the driver is passed through unchanged.
#pragma once

#include <memory>

#include "transport/bridge.h"

namespace zeq::bridge {

// Name of the environment variable that names the driver library file.
inline constexpr const char* kD2xxLibraryEnv = "ZEQLINK_D2XX_LIB";
// The driver library's file name when the variable is not set.
#if defined(_WIN32)
inline constexpr const char* kD2xxLibraryDefault = "ftd2xx.dll";
#else
inline constexpr const char* kD2xxLibraryDefault = "libftd2xx.so";
#endif

// The backend, or nullptr when the driver library cannot be loaded or lacks a required call.
std::unique_ptr<Backend> make_d2xx_backend();

}  // namespace zeq::bridge
