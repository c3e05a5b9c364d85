// The requests the user-interface thread sends to the document thread, their
// parameter blocks and the playback notification. Every request carries two
// pointer-sized parameters and returns a 32-bit result, 1 for success and 0
// for failure unless stated. Out-values are written through pointers that
// stay valid for the synchronous send.
//
// Texts: names travel as CStringU or as NUL-terminated Windows-1251 text;
// paths as NUL-terminated UTF-8 text (file-system names).
#pragma once

#include <string>

#include "platform/Types.h"

class CStringU;

enum DocMessage : UINT {
  DOCM_DESTROYED = 0x0002,      // the thread's message window is gone: leave the loop
  DOCM_CLOSE = 0x8001,          // end the thread
  DOCM_NEW = 0x8002,            // lParam: const char* name (Windows-1251)
  DOCM_OPEN = 0x8003,           // wParam: CStringU* error out; lParam: const char* path
  DOCM_SAVE = 0x8004,           // wParam: CStringU* error out; lParam: const char* path or null
  DOCM_IS_MODIFIED = 0x8005,    // result: the modified flag
  DOCM_GET_PATH = 0x8006,       // wParam: std::string* out, the UTF-8 path or new name
  DOCM_EXPORT_MIDI = 0x8007,    // wParam: CStringU* error out; lParam: const char* path
  DOCM_UNDO = 0x8008,           // 0 when the pool is empty
  DOCM_NEXT_NOTE = 0x8009,      // 0 when the melody is empty
  DOCM_PREV_NOTE = 0x800A,      // 0 when the melody is empty
  DOCM_SOUND_NOTE = 0x800B,     // sounds the current note as a sixteenth and waits for its end
  DOCM_IS_UNDO_EMPTY = 0x800C,  // wParam: LONG* out, 1 when empty

  // Ring-tone text and transposition; each edit is one undo step.
  DOCM_RING_IMPORT = 0x8020,  // wParam: RingToneImportResult* out; lParam: const RingToneImportBlock*
  DOCM_RING_EXPORT = 0x8021,  // wParam: RingToneExportResult* out; lParam: const char* path, null for the text only
  DOCM_TRANSPOSE = 0x8022,    // wParam: LONG* out, notes folded; lParam: const TransposeBlock*

  DOCM_DRAW = 0x8064,           // lParam: const DrawBlock*
  DOCM_GET_NAME = 0x8065,       // wParam: CStringU* out
  DOCM_GET_COUNT = 0x8066,      // wParam: LONG* out
  DOCM_GET_CURRENT = 0x8067,    // wParam: LONG* out (-1: none)
  DOCM_GET_NOTE_POS = 0x8068,   // wParam: POINT* out; lParam: const NotePosBlock*
  DOCM_GET_PITCH = 0x8069,      // wParam: SHORT* out
  DOCM_GET_DURATION = 0x806A,   // wParam: SHORT* out
  DOCM_GET_FLAGS = 0x806B,      // wParam: SHORT* out
  DOCM_GET_NOTE_SIZE = 0x806C,  // wParam: SIZE* out; lParam: const NoteSizeBlock*
  DOCM_PLAY = 0x806D,
  DOCM_STOP = 0x806E,
  DOCM_SELECT_AT = 0x806F,  // lParam: const SelectAtBlock*
  DOCM_INSERT_NOTE = 0x8070,
  DOCM_INSERT_REST = 0x8071,
  DOCM_DELETE = 0x8072,
  DOCM_PITCH_UP = 0x8073,
  DOCM_PITCH_DOWN = 0x8074,
  DOCM_LENGTHEN = 0x8075,
  DOCM_SHORTEN = 0x8076,
  DOCM_RENAME = 0x8077,      // lParam: const CStringU* new name
  DOCM_IS_PLAYING = 0x8078,  // wParam: LONG* out, 0 or 1

  DOCM_CH_CLEAR = 0x80C8,
  DOCM_CH_ADD_NOTE = 0x80C9,     // lParam: const ChannelNoteBlock*
  DOCM_CH_COUNT = 0x80CA,        // wParam: LONG* out
  DOCM_CH_GET_COUNT = 0x80CB,    // wParam: LONG* out; lParam: channel melody index
  DOCM_CH_IS_PLAYING = 0x80CC,   // wParam: LONG* out; lParam: index
  DOCM_CH_STOP = 0x80CD,         // lParam: index
  DOCM_CH_PLAY = 0x80CE,         // lParam: index
  DOCM_CH_SET_BLOCK = 0x80CF,    // lParam: const ChannelBlockBlock*
  DOCM_CH_SET_CURRENT = 0x80D0,  // lParam: const ChannelCurrentBlock*
  DOCM_CH_GET_CURRENT = 0x80D1,  // wParam: LONG* out; lParam: index
  DOCM_CH_TAKE = 0x80D2,         // lParam: const ChannelTakeBlock*
};

// Posted by playback to the staff view: wParam is the index of the note now
// sounding, or one past the last note played when the range has ended.
constexpr UINT UIM_PLAY_PROGRESS = 0x8001;

// Everything IMelody::Draw takes, in its order. area is in document
// coordinates; the surface's origin is its top-left corner.
struct DrawBlock {
  HDC dc;
  HIMAGELIST staffImages;
  HIMAGELIST noteImages;
  HIMAGELIST selectedImages;
  const COLORREF* colours;  // the five colours of the view
  const RECT* area;
  HFONT font;
  LONG zoom;
};

struct NotePosBlock {
  LONG index;
  LONG zoom;
  LONG nameHeight;
};

struct NoteSizeBlock {
  LONG zoom;
  LONG nameHeight;
};

struct SelectAtBlock {
  LONG x;
  LONG y;
  LONG zoom;
  LONG nameHeight;
};

struct ChannelNoteBlock {
  BYTE pitch;
  BYTE duration;
  BYTE flags;
  LONG channel;
};

struct ChannelBlockBlock {
  LONG index;
  LONG start;
  LONG end;
};

struct ChannelCurrentBlock {
  LONG index;
  LONG current;
};

// The text of one tune (UTF-8), how to move its notes and whether to insert
// it after the current note instead of replacing the melody.
struct RingToneImportBlock {
  const std::string* text;
  LONG semitones;
  LONG fit;
  LONG insert;
};

// Symbols taken in and notes folded into the range, or the reason the text
// was refused (the editor's words, with line and column).
struct RingToneImportResult {
  LONG notes = 0;
  LONG folded = 0;
  std::u16string error;
};

// The melody as ring-tone text; raised when it had to be written an octave
// higher (notes below C4); error when it could not be written.
struct RingToneExportResult {
  std::string text;
  LONG raised = 0;
  std::u16string error;
};

struct TransposeBlock {
  LONG semitones;
  LONG fit;
};

struct ChannelTakeBlock {
  LONG index;
  LONG start;
  LONG end;
  const CStringU* name;
};
