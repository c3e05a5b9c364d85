// The requests of the device thread and the record that device requests
// carry. Every request answers nonzero for success; a failing request with an
// error text parameter (a CStringU*) leaves its message there. File paths are
// UTF-8 file-system paths (const char*).
#pragma once

#include "chimox/Chimox.h"
#include "platform/Types.h"

// message              first parameter   second parameter
constexpr UINT DEVM_DESTROY = 0x8001;      // -                 -                 ends the thread's loop
constexpr UINT DEVM_INITIALISE = 0x8002;   // -                 -                 objects made, melody list emptied
constexpr UINT DEVM_IS_BUSY = 0x8003;      // LONG* busy        -
constexpr UINT DEVM_CANCEL = 0x8004;       // -                 -
constexpr UINT DEVM_READ_INFO = 0x8005;    // CStringU* error   DeviceRequest*
constexpr UINT DEVM_READ_MELODY = 0x8006;  // CStringU* error   DeviceRequest*    next device melody into the list
constexpr UINT DEVM_SAVE_SET = 0x8007;     // CStringU* error   const char* path  the list as a melody set file
constexpr UINT DEVM_ADD_MELODY = 0x8008;   // CStringU* error   DeviceRequest*    next list melody onto the device
constexpr UINT DEVM_LOAD_MELODY = 0x8009;  // CStringU* error   const char* path  the list becomes that melody
constexpr UINT DEVM_PLAY = 0x800A;         // -                 -                 first list melody
constexpr UINT DEVM_STOP = 0x800B;         // -                 -
constexpr UINT DEVM_IS_STOPPED = 0x800C;   // LONG* stopped     -
constexpr UINT DEVM_CLEAR = 0x800D;        // CStringU* error   DeviceRequest*
constexpr UINT DEVM_LOAD_SET = 0x800E;     // CStringU* error   const char* path  the list becomes the set
constexpr UINT DEVM_GET_COUNT = 0x800F;    // LONG* count       -                 melodies in the list
constexpr UINT DEVM_SET_MODE = 0x8010;     // CStringU* error   DeviceRequest*
constexpr UINT DEVM_REOPEN_PORT = 0x8011;  // CStringU* error   -                 a new bell object on the port set now

// A device request, filled by the main dialog and read by the device thread
// while it serves the request. info is the program's one status record; it
// must live until the last message of the operation the request starts.
struct DeviceRequest {
  LONG bellType;  // BELL_TYPE_20 or BELL_TYPE_29
  HWND window;    // where the bell posts its progress
  UINT message;   // the flow's message number
  BellInfo* info;
  LONG first;  // nonzero for the first request of a series (read melody, append)
};
