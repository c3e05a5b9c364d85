// What the programmer's flows ask of the window that shows them: the device
// thread to send requests to, the progress bar, the status fields, the
// controls, the questions and dialogs, and the error boxes. CBellWindow
// gives them widgets; tests record them.
#pragma once

#include <string>

#include "CAppendRules.h"
#include "DeviceClient.h"

class ProgrammerActions {
 public:
  // How a flow or a short request ends.
  struct Ending {
    // Known: every control enabled; unknown: only the bell type list,
    // "Обновить" and "Выход".
    bool statusKnown = false;
    // The control (IDC_*) that gets the focus; 0 leaves it.
    int focus = 0;
    // The full bar stays a moment before it empties (a flow done), or it
    // empties at once (an error).
    bool holdBar = false;
  };

  // The questions asked with yes and no.
  enum class Question {
    Clear,          // remove every melody?
    ExitWhileBusy,  // leave while the bell is written? ("no" as default)
  };

  virtual ~ProgrammerActions() = default;

  // Where requests go.
  virtual DeviceClient& Device() = 0;
  // The wait cursor while a request may take long.
  virtual void SetWaiting(bool waiting) = 0;

  // The progress bar, 0 to 100.
  virtual void SetBar(int position) = 0;
  // The status fields: info's values, or "?" everywhere for null.
  virtual void ShowStatus(const BellInfo* info) = 0;
  // An error box; an empty text shows nothing.
  virtual void ShowError(const std::u16string& text) = 0;
  // A flow has started: only "Выход" stays enabled, the bar is emptied.
  virtual void Begin() = 0;
  // A flow or a short request has ended.
  virtual void End(const Ending& ending) = 0;

  // The open dialog of the add and write flows, with its checker weighing
  // files against limits. The chosen file's path (UTF-8); empty when the
  // user cancels.
  virtual std::string AskFile(CAppendRules::Kind kind, const CAppendRules::Limits& limits) = 0;
  // The save dialog for the set read back; empty when the user cancels.
  virtual std::string AskSavePath() = 0;
  // The selection mode dialog, starting at mode; false when cancelled, else
  // mode holds the choice.
  virtual bool AskMode(BYTE& mode, bool randomAllowed) = 0;
  virtual bool Ask(Question question) = 0;
  // The working folder becomes the folder of path.
  virtual void SetWorkDirFrom(const std::string& path) = 0;
};
