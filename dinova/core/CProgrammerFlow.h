// The programmer's flows and short requests, without windows. Every device
// action is a request to the device thread; the long ones run as worker
// operations of the bell, which post their progress to the window, and the
// window hands each message to OnMessage, where the flow takes its next step:
//   refresh      status read
//   add melody   status read, open dialog, check, load the file, append it
//   write set    status read, open dialog, check, load the set, append each
//   read set     status read, read each melody back, save dialog, save
// Clear and the selection mode are short requests of their own. While a flow
// runs only "Выход" stays enabled; after an I/O error the status is unknown
// and only a refresh can follow. A status read that finds the memory damaged
// ends every flow with that news; the status counts as known (no melodies, no
// free space) so that "Очистить" can make the bell usable again. Everything
// the user sees goes through ProgrammerActions.
#pragma once

#include "CAppendRules.h"
#include "DeviceMessages.h"
#include "DinovaIds.h"
#include "ProgrammerActions.h"

class CProgrammerFlow {
 public:
  // How often a cancelled bell is asked whether it has stopped.
  static constexpr DWORD kBusyPollMs = 100;

  // What a worker's message means for the flow.
  enum class Outcome {
    Progress,      // code 0: the operation goes on or has ended well
    IoError,       // the exchange failed or was cancelled: the status is unknown
    ProgramError,  // the bell refused or could not run the operation
    Damaged,       // the status read found a damaged memory: only clearing helps
  };

  // window: where the bell posts the flows' messages. actions must outlive
  // the flow.
  CProgrammerFlow(ProgrammerActions& actions, HWND window);

  // Starts the flow of control (IDC_ADD_MELODY, IDC_WRITE_SET,
  // IDC_READ_SET; anything else refreshes) with a status read. False when a
  // flow runs, the program is closing, or the read could not be started (its
  // text shown).
  bool Start(int control);
  // A new choice in the bell type list: the type for every later request,
  // and a refresh. False when nothing started (same type, a flow running).
  bool SelectBellType(LONG type);
  // A message the bell posted to the window. Messages of no running flow, of
  // another flow, or of an operation the flow is not waiting for are late
  // and change nothing.
  void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // "Очистить": asks first. Needs a known status and no flow.
  void Clear();
  // The selection mode dialog, then the mode written. Needs a known status
  // and no flow.
  void SetSelectionMode();
  // Whether the program may close now. While the bell is busy the user is
  // asked; on yes the bell is cancelled and awaited. Once true, every later
  // message is ignored.
  bool MayClose();
  // The port becomes setting (see CPortSetting): stored, and the bell made
  // anew on it. When no bell can be made there, that is shown and the
  // previous port comes back, so the program keeps a bell. Unless the
  // setting could not be stored, the status is unknown afterwards: it
  // belonged to the bell on the other port. Nothing happens while a flow
  // runs or for the port in force.
  void ChangePort(const std::string& setting);

  bool IsRunning() const { return flow_ != 0; }
  bool IsStatusKnown() const { return statusKnown_; }
  // The status is known and its read found the memory damaged (no clear
  // since).
  bool IsDamaged() const { return damaged_; }
  LONG BellType() const { return bellType_; }
  const BellInfo& Info() const { return info_; }

  // The outcome of a worker's code for operation: a status read fails with
  // an I/O error for a failed transfer or a cancel, reports a damaged memory
  // as such, and fails with a program error for anything else; an append or
  // a melody read fails with a program error only when refused or without a
  // component runtime (the device is untouched then), with an I/O error for
  // everything else, a worker out of memory included.
  static Outcome Classify(WORD operation, LPARAM code);
  // The bar position that splits the rest of the bar after base into count
  // equal stretches, at percent of stretch index; rounded half up.
  static int Stretch(int base, LONG index, int percent, LONG count);

 private:
  // Which operation the running flow waits for.
  enum class Phase { Status, Append, ReadBack };

  void OnStatusRead(int percent);
  void OnAppended(int percent);
  void OnMelodyRead(int percent);
  // After the status read of the add and write flows: the file, the checks,
  // the mode, the load and the first append. False when the flow ends here.
  bool StartAppending();
  void SaveReadSet();

  // Sends a device request of the running flow; false with its text shown.
  bool Send(bool (DeviceClient::*request)(const DeviceRequest&, std::u16string&), LONG first);
  void SetBar(int position);

  // The ends of a flow.
  void Done();
  void IoError();
  void ProgramError(bool keepStatus);
  void Damaged();
  // After a failed clear or set mode: the status is unknown.
  void ShortRequestFailed(const std::u16string& error);
  void EndUnknown();

  ProgrammerActions& actions_;
  HWND window_;
  BellInfo info_{};
  // The record of the last device request; the bell reads it while its
  // worker runs.
  DeviceRequest request_{};
  LONG bellType_ = BELL_TYPE_29;
  bool statusKnown_ = false;
  bool damaged_ = false;
  bool closing_ = false;

  // The running flow (its message number; 0 for none) and its counters.
  UINT flow_ = 0;
  Phase phase_ = Phase::Status;
  int starter_ = 0;
  int bar_ = 0;
  int base_ = 0;
  LONG index_ = 0;
  LONG count_ = 0;
};
