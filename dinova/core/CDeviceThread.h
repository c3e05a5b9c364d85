// The programmer's device thread: it owns the bell object, the Sonvox
// melodies of the melody list and the preview sample, and serves the
// requests of DeviceMessages.h one at a time in arrival order. The main
// dialog sends a request and waits for its answer; the bell's worker
// operations report straight to the dialog by posted messages.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "DeviceMessages.h"
#include "common/CStringU.h"
#include "common/DocumentThread.h"
#include "common/MelodyData.h"
#include "common/RequestThread.h"
#include "sonvox/Sonvox.h"

class CDeviceThread : public nv::DocumentThread<CDeviceThread> {
 public:
  // How often the bell is asked whether its worker has finished before a
  // new device operation starts.
  static constexpr DWORD kIdlePollMs = 100;

  // Start() runs the thread and waits until it is ready: it enters the
  // multithreaded apartment and makes sure Sonvox and Chimox are registered
  // (registering a module from the program folder when its class is
  // missing); false when any step failed (the thread has ended then).
  // Close() sends DEVM_DESTROY and waits for the thread to end; the objects
  // are released on the thread (the bell waits for its worker first).
  static constexpr UINT kCloseMessage = DEVM_DESTROY;

  CDeviceThread() = default;
  // Closes the thread when it still runs.
  ~CDeviceThread();

 private:
  friend class nv::DocumentThread<CDeviceThread>;

  struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
  };
  template <class I>
  using Ref = std::unique_ptr<I, Releaser>;

  bool OnStart();
  void OnStop();

  LONG OnDestroy(WPARAM, LPARAM);
  LONG OnInitialise(WPARAM, LPARAM);
  LONG OnIsBusy(WPARAM, LPARAM);
  LONG OnCancel(WPARAM, LPARAM);
  LONG OnReadInfo(WPARAM, LPARAM);
  LONG OnReadMelody(WPARAM, LPARAM);
  LONG OnSaveSet(WPARAM, LPARAM);
  LONG OnAddMelody(WPARAM, LPARAM);
  LONG OnLoadMelody(WPARAM, LPARAM);
  LONG OnPlay(WPARAM, LPARAM);
  LONG OnStop(WPARAM, LPARAM);
  LONG OnIsStopped(WPARAM, LPARAM);
  LONG OnClear(WPARAM, LPARAM);
  LONG OnLoadSet(WPARAM, LPARAM);
  LONG OnGetCount(WPARAM, LPARAM);
  LONG OnSetMode(WPARAM, LPARAM);
  LONG OnReopenPort(WPARAM, LPARAM);

  // The bell object; error text set when it cannot be made.
  bool CreateBell(std::u16string& error);
  // Returns once the bell has no worker running, after at least one pause.
  void WaitForIdle();
  // Calls the bell through the interface of the request's bell type: call20
  // or call29. False with error set when the type is unknown, the interface
  // cannot be had or the call fails (the bell's own description then).
  template <class Call20, class Call29>
  bool CallBell(const DeviceRequest& request, std::u16string& error, Call20 call20, Call29 call29);
  // The description the bell left for this thread after a failed call on
  // the interface iid.
  std::u16string BellError(REFIID iid);
  // Melodies made from file values; false with error set when a melody
  // cannot be made or refuses a value.
  bool MakeMelodies(const std::vector<MelodyData>& data, std::vector<Ref<IMelody>>& out, std::u16string& error);
  // Stops any preview of the first list melody before the list changes.
  void StopPreview();

  static const nv::RequestThread::Entry kRequests[];

  Ref<IUnknown> bell_;
  Ref<ISample1> sample_;
  std::vector<Ref<IMelody>> melodies_;
  LONG readIndex_ = 0;
  LONG appendIndex_ = 0;
  // The target handed to the bell; kept here so it outlives every operation.
  NotifyTarget target_{};
};
