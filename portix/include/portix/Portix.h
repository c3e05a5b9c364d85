// The two-wire bus library: one export that runs a bus read or write
// transaction towards the doorbell's serial memory. Its arguments mirror the
// platform's device-control call, so that the port driver path and this
// library carry the same request buffer and control codes.
//
// Request (input buffer, at least 2 bytes):
//   byte 0   select byte: device address with the direction in bit 0
//            (0xA0/0xA2 write, 0xA1/0xA3 read for the doorbell memory);
//   byte 1   stop flag: nonzero ends the transaction with a stop condition,
//            0 leaves the bus claimed so the next request starts with a
//            repeated start; BUS_STOP_SELECT_ONCE also asks the select byte
//            only once instead of retrying it for a second;
//   byte 2.. write only: the bytes sent after the select byte (memory
//            address byte(s), then data).
// A read fills exactly output-length bytes of the output buffer.
//
// The port is the one named by the string value "Port" under
// HKEY_CURRENT_USER\Software\N&V\Chimox (default "/dev/parport0"):
// "/dev/parportN" drives the lines through ppdev; "virtual:/path/image.bin"
// (options "?size=N" for a new image and "&fast=1" for simulated time)
// drives a simulated serial memory kept in that image file. The port is
// opened on the first transfer and stays open until PortixClose.
//
// The bell server names its port itself instead (PortixOpenPort), fixed for
// the life of a bell object, and locks it for each operation.
#pragma once

#include "platform/Types.h"

#if defined(PORTIX_BUILD)
#define PORTIX_API __attribute__((visibility("default")))
#else
#define PORTIX_API
#endif

// Control codes: device type 0x22, buffered method, any access.
constexpr DWORD IOCTL_BUS_WRITE = 0x222004;  // send bytes to a device on the bus
constexpr DWORD IOCTL_BUS_READ = 0x222008;   // receive bytes from a device on the bus

// Stop-flag values (request byte 1).
constexpr BYTE BUS_STOP = 1;
// Stop, and a select byte that is not acknowledged at once fails the transfer
// (a question whether a device answers, not a wait for a busy one).
constexpr BYTE BUS_STOP_SELECT_ONCE = 0x81;

// Last-error value of an unknown control code.
constexpr DWORD ERROR_BUS_UNKNOWN_CODE = 4320;

extern "C" {

// Runs one bus transaction. *returned (when not null) receives the number of
// payload bytes moved: bytes sent after the select byte for a write, bytes
// received for a read, also on failure. Returns nonzero on success and 0 on
// failure; last error is set in both cases: 0 success;
// ERROR_INVALID_PARAMETER (87) input missing or shorter than 2 bytes, or a
// read without output buffer or with output length 0 (detected after the
// select byte); ERROR_BUS_UNKNOWN_CODE (4320) a control code other than the
// two above (detected after the select byte); ERROR_IO_DEVICE (1117) any bus
// failure or a port that cannot be opened. No stop condition is sent on a
// failure after the first start condition.
PORTIX_API BOOL DeviceControlIO(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength,
                                DWORD* returned);

// Closes the port (releasing it to other programs); the next transfer opens
// the port the registry names then. Harmless when nothing is open.
PORTIX_API void PortixClose();

// A port named by its caller, independent of the setting and of other ports.
typedef struct PortixPort* PORTIX_PORT;

// Keeps the port (the setting's syntax) for later calls without opening it.
// Null for a malformed port, an I2C adapter (not driven by this library) or
// no memory.
PORTIX_API PORTIX_PORT PortixOpenPort(const char* port);
// Takes the port for one operation without waiting, opening it first when
// needed: ERROR_SUCCESS; ERROR_BUSY when another program or bell object has
// it; ERROR_IO_DEVICE when it cannot be opened or claimed (a text for the
// user, truncated, in error when errorSize > 0).
PORTIX_API DWORD PortixLock(PORTIX_PORT port, char* error, DWORD errorSize);
// Lets the port go. FALSE when a write of the virtual doorbell could not be
// saved (the operation did not store what it reported). TRUE when not locked.
PORTIX_API BOOL PortixUnlock(PORTIX_PORT port);
// As DeviceControlIO, on this port. Without a lock held the transfer takes
// the port for itself; a busy port fails with ERROR_BUSY.
PORTIX_API BOOL PortixTransfer(PORTIX_PORT port, DWORD code, const BYTE* input, DWORD inputLength, BYTE* output,
                               DWORD outputLength, DWORD* returned);
// Unlocks and closes the port; harmless with null.
PORTIX_API void PortixClosePort(PORTIX_PORT port);

}  // extern "C"

typedef BOOL (*PFN_DEVICECONTROLIO)(DWORD, const BYTE*, DWORD, BYTE*, DWORD, DWORD*);
typedef void (*PFN_PORTIXCLOSE)();
typedef PORTIX_PORT (*PFN_PORTIXOPENPORT)(const char*);
typedef DWORD (*PFN_PORTIXLOCK)(PORTIX_PORT, char*, DWORD);
typedef BOOL (*PFN_PORTIXUNLOCK)(PORTIX_PORT);
typedef BOOL (*PFN_PORTIXTRANSFER)(PORTIX_PORT, DWORD, const BYTE*, DWORD, BYTE*, DWORD, DWORD*);
typedef void (*PFN_PORTIXCLOSEPORT)(PORTIX_PORT);

// The module's file name in the program folder.
constexpr const char* PORTIX_MODULE = "libportix.so";
