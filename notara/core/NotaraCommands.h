// Command identifiers of the editor's menu, accelerators and tool bar.
#pragma once

enum CommandId : int {
  IDM_NEW = 3001,
  IDM_OPEN = 3002,
  IDM_SAVE = 3003,
  IDM_SAVE_AS = 3004,
  IDM_IMPORT_MIDI = 3005,
  IDM_EXPORT_MIDI = 3006,
  IDM_EXIT = 3007,
  IDM_UNDO = 3008,
  IDM_NEXT_NOTE = 3009,
  IDM_PREV_NOTE = 3010,
  IDM_INSERT_NOTE = 3011,
  IDM_INSERT_REST = 3012,
  IDM_DELETE = 3013,
  IDM_PITCH_UP = 3014,
  IDM_PITCH_DOWN = 3015,
  IDM_LENGTHEN = 3016,
  IDM_SHORTEN = 3017,
  IDM_NAME = 3018,
  IDM_ZOOM_IN = 3019,
  IDM_ZOOM_OUT = 3020,
  IDM_ZOOM_FACTOR = 3021,
  IDM_COLOURS = 3022,
  IDM_FONT = 3023,
  IDM_PLAY = 3024,
  IDM_STOP = 3025,
  IDM_SOUND_ON_EDIT = 3026,
  IDM_HELP = 3027,
  IDM_ABOUT = 3028,
  // Printing the staff.
  IDM_PRINT = 3040,
  IDM_PRINT_PREVIEW = 3041,
  // Ring-tone text and transposition.
  IDM_IMPORT_RINGTONE = 3045,
  IDM_EXPORT_RINGTONE = 3046,
  IDM_COPY_RINGTONE = 3047,
  IDM_TRANSPOSE = 3048,
};

// Status-bar fields: note count, note name, duration.
enum StatusPart : int { IDS_PART_COUNT = 201, IDS_PART_NAME = 202, IDS_PART_DURATION = 203 };
