// Identifiers of the set editor's commands, controls and strings. Command
// identifiers double as string keys: the text of a command or display is
// its tool tip.
#pragma once

enum SetoraCommand : int {
  IDM_NEW = 3001,
  IDM_OPEN = 3002,
  IDM_SAVE = 3003,
  IDM_SAVE_AS = 3004,
  IDM_SAVE_MELODY = 3005,
  IDM_EXIT = 3007,
  IDM_ADD_MELODY = 3008,
  IDM_DELETE_MELODY = 3009,
  IDM_MELODY_UP = 3010,
  IDM_MELODY_DOWN = 3011,
  IDM_PLAY = 3012,
  IDM_STOP = 3013,
  IDM_HELP = 3014,
  IDM_ABOUT = 3015,
};

enum SetoraControl : int {
  IDC_MELODY_LIST = 1001,
  IDC_SET_SIZE = 1002,
  IDC_BLOCK_SIZE = 1003,
};

enum SetoraString : int {
  IDS_APP_TITLE = 5001,    // also the caption of every message box
  IDS_INIT_FAILED = 5002,  // start-up failure
  IDS_REGISTRY_KEY = 5004,
};
