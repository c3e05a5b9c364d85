// The requests the window sends to the set editor's document thread. Each
// carries two pointer-sized parameters and returns a 32-bit result, 1 for
// success and 0 for failure. Out-values are written through pointers that
// stay valid for the synchronous send; a request with one parameter takes
// it in lParam.
//
// Texts: melody names and error texts travel as CStringU; paths as
// NUL-terminated UTF-8 text (file-system names); the name of a new set as
// NUL-terminated Windows-1251 text.
#pragma once

#include "platform/Types.h"

enum SetoraRequest : UINT {
  SDM_DESTROYED = 0x0002,       // the thread's message window is gone: leave the loop
  SDM_CLOSE = 0x8001,           // end the thread
  SDM_NEW = 0x8002,             // lParam: const char* name
  SDM_OPEN = 0x8003,            // wParam: CStringU* error out; lParam: const char* path
  SDM_SAVE = 0x8004,            // wParam: CStringU* error out; lParam: const char* path, or null for the own path
  SDM_IS_MODIFIED = 0x8005,     // result: the modified flag
  SDM_GET_COUNT = 0x8006,       // wParam: LONG* out, the number of melodies
  SDM_GET_NAME = 0x8007,        // wParam: CStringU* out; lParam: melody index
  SDM_GET_PATH = 0x8008,        // wParam: std::string* out, the document's UTF-8 path or new name
  SDM_GET_NOTE_COUNT = 0x8009,  // wParam: LONG* out; lParam: melody index
  SDM_ADD_MELODY = 0x800A,      // wParam: CStringU* error out; lParam: const char* path of a .mel file
  SDM_SAVE_MELODY = 0x800B,     // wParam: CStringU* error out; lParam: const SaveMelodyBlock*
  SDM_DELETE = 0x800C,          // lParam: melody index
  SDM_MOVE_UP = 0x800D,         // lParam: melody index
  SDM_MOVE_DOWN = 0x800E,       // lParam: melody index
  SDM_PLAY = 0x800F,            // wParam: CStringU* error out or null; lParam: melody index
  SDM_IS_STOPPED = 0x8010,      // wParam: LONG* out, 1 once playback has ended; lParam: melody index
  SDM_STOP = 0x8011,            // lParam: melody index
};

struct SaveMelodyBlock {
  LONG index;
  const char* path;
};
