// One bell object of the doorbell server for one device version, with the
// status record it fills. Worker operations are started and awaited here:
// their progress messages drive an optional progress bar, Ctrl+C cancels
// them at their next progress point, and every failure becomes a ToolError
// with the text the doorbell programmer shows for it.
#pragma once

#include <string>

#include "ToolError.h"
#include "platform/ComPtr.h"
#include "chimox/Chimox.h"
#include "platform/MessageQueue.h"

class ComSession;
class ProgressBar;

// Where a worker's percent goes on a bar: base + percent × span / 100.
struct BellProgress {
  ProgressBar* bar = nullptr;
  int base = 0;
  int span = 100;
};

class BellSession {
 public:
  enum class Version { V2_0, V2_9 };

  // "2.0" or "2.9"; anything else is a usage error.
  static Version ParseVersion(const std::string& text);

  // Creates the bell object on the port the settings name (port is only
  // for messages) and asks it for the version's interface.
  BellSession(ComSession& session, Version version, std::string port);

  Version GetVersion() const { return version_; }
  BellInfo& Info() { return info_; }
  LONG FreeSymbols() const { return info_.capacity - info_.usedSymbols; }

  // What a status read does when it finds the memory damaged.
  enum class Damage {
    Refuse,  // fail with kExitDamaged
    Accept,  // end well with Damaged() true; the record shows no melodies and no free space
  };

  // Worker operations; each returns once the operation has ended well.
  void ReadInfo(BellProgress progress = {}, Damage damage = Damage::Refuse);
  // The last status read found the memory damaged.
  bool Damaged() const { return damaged_; }
  // The failure that tells the memory is damaged and what mends it.
  static ToolError DamagedError();
  void AddMelody(IMelody* melody, BellProgress progress = {});
  // Appends the notes of melody number (1-based) to melody.
  void ReadMelody(IMelody* melody, LONG number, BellProgress progress = {});

  // Synchronous operations on the record's values.
  void ClearSet();
  void SetSelectionMode();
  void SetCurrentMelody();
  // The whole memory as text.
  void Dump(const std::string& path);

 private:
  void Await(WORD operation, HRESULT started, BellProgress progress);
  [[noreturn]] void FailWorker(WORD operation, LPARAM code, bool cancelled) const;
  void CheckSync(HRESULT hr) const;
  std::u16string Description() const;
  std::u16string IoErrorText() const;

  Version version_;
  std::string port_;
  nv::ComPtr<IUnknown> bell_;
  nv::ComPtr<IBell> control_;
  nv::ComPtr<IBell_ver2_0> v20_;
  nv::ComPtr<IBell_ver2_9> v29_;
  MessageQueue queue_;
  NotifyTarget target_{};
  BellInfo info_{};
  bool damaged_ = false;
};
