// The bell component: one doorbell reached through the port the settings
// name, in either memory version.
//
// ReadInfo, AddMelody and ReadMelody start one worker thread each. The
// object lock is held by every method for its whole body, except that worker
// operations hold it only while the thread starts; the worker never takes it.
// The busy flag, set by the worker before the start returns and cleared
// before its final message, is the only state the worker and the methods
// share. Destruction cancels a running worker and waits for its end.
#pragma once

#include <functional>

#include "BellVersionImpl.h"
#include "BellMemory29.h"
#include "CObjectBase.h"
#include "InterfaceEntry.h"
#include "PortAccess.h"
#include "Progress.h"
#include "chimox/Chimox.h"
#include "platform/Com.h"

namespace chimox {

class CBell : public nv::CObjectBase<CBell>,
              public ISupportErrorInfo,
              public IBell,
              public IChimoxice,
              public IBell_ver2_0_Impl,
              public IBell_ver2_9_Impl {
 public:
  static constexpr char progId[] = "Chimox.Bell";
  static const nv::InterfaceEntry<CBell> interfaceMap[];

  // E_HANDLE when the cancel event cannot be created, E_FAIL when the port
  // cannot be opened (the library or the I2C adapter is missing).
  HRESULT Initialize();
  // Cancels a running worker and waits for its end.
  void FinalRelease();
  ~CBell() override;

  // IBell
  HRESULT STDMETHODCALLTYPE IsBusy(SHORT* busy) override;
  HRESULT STDMETHODCALLTYPE Cancel() override;

  // IChimoxice
  HRESULT STDMETHODCALLTYPE DumpVer2_0(LPCOLESTR path) override;
  HRESULT STDMETHODCALLTYPE DumpVer2_9(LPCOLESTR path) override;

 protected:
  HRESULT ReadInfo20(BellInfo* info, NotifyTarget* target) override;
  HRESULT AddMelody20(IMelody* melody, BellInfo* info, NotifyTarget* target) override;
  HRESULT ReadMelody20(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) override;
  HRESULT ClearSet20(BellInfo* info) override;
  HRESULT SetSelectionMode20(BellInfo* info) override;
  HRESULT SetCurrentMelody20(BellInfo* info) override;

  HRESULT ReadInfo29(BellInfo* info, NotifyTarget* target) override;
  HRESULT AddMelody29(IMelody* melody, BellInfo* info, NotifyTarget* target, SHORT defer) override;
  HRESULT ReadMelody29(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) override;
  HRESULT ClearSet29(BellInfo* info) override;
  HRESULT SetSelectionMode29(BellInfo* info) override;
  HRESULT SetCurrentMelody29(BellInfo* info) override;

 private:
  enum class Version { k20, k29 };
  enum class SyncOperation { kClear, kSelectionMode, kCurrentMelody };

  // What a worker runs; copied by the worker out of the starter's stack.
  struct Job {
    WORD operation;
    Version version;
    IMelody* melody;
    LONG number;
    BellInfo* info;
    NotifyTarget target;
    bool defer;
    bool locked;  // the port is held for the worker, which lets it go at its end
  };
  struct StartRecord {
    HANDLE started;
    CBell* bell;
    Job job;
  };

  HRESULT StartWorker(WORD operation, Version version, IMelody* melody, LONG number, BellInfo* info,
                      NotifyTarget* target, bool defer);
  static DWORD WorkerMain(LPVOID parameter);
  void Work(const Job& job, HANDLE started);
  int RunProcedure(const Job& job, Progress& progress);

  HRESULT RunSync(SyncOperation operation, Version version, BellInfo* info);
  void RefuseWhileBusy();
  // Takes the port for one operation: true when held, false when it cannot
  // be opened; raises E_FAIL with a text for a busy or refused port.
  bool LockPort();
  // Runs transfers (false: a transfer failed) with the port locked; raises
  // E_FAIL with the I/O error text when they fail or cannot be saved.
  void RunLocked(const std::function<bool()>& transfers);

  HANDLE worker_ = nullptr;
  volatile LONG busy_ = 0;
  HANDLE cancel_ = nullptr;
  PortAccess port_;
  // What the version 2.9 probe learnt of this port's memory.
  MemorySizes sizes_;
};

}  // namespace chimox
