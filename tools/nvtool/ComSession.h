// The component runtime for the tool's main thread: the multithreaded
// apartment for the session's lifetime, and Sonvox and Chimox objects
// created by class identifier, registering a server from the program folder
// first when its class is unknown (as the programs do on their first run).
//
// Every object the session hands out must be released before the session
// ends; declare the session first.
#pragma once

#include "platform/ComPtr.h"
#include "common/MelodyData.h"
#include "sonvox/Sonvox.h"

class ComSession {
 public:
  // Enters the apartment; ToolError when the runtime refuses.
  ComSession();
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

  // Makes sure Sonvox's classes can be created; ToolError when its module
  // cannot be loaded or registered.
  void RequireSonvox();
  // An empty Sonvox melody; ToolError when Sonvox cannot be registered or
  // the object cannot be made.
  nv::ComPtr<IMelody> NewMelody();
  // A melody holding data's name and notes; ToolError as NewMelody or when
  // the melody refuses the notes.
  nv::ComPtr<IMelody> MelodyFrom(const MelodyData& data);
  // A Sonvox sample filled with the melody editor's tone; ToolError with
  // Sonvox's own text when it cannot be filled (no audio output device).
  nv::ComPtr<ISample1> NewEditorSample();
  // The bell object; ToolError when Chimox cannot be registered or the
  // object cannot be made (its port cannot be opened).
  nv::ComPtr<IUnknown> NewBell();

  // A melody's name and notes; ToolError when the melody refuses.
  static MelodyData Read(IMelody* melody);

 private:
  void RequireServer(REFCLSID clsid, const char* module, bool& checked);

  bool sonvoxChecked_ = false;
  bool chimoxChecked_ = false;
};
