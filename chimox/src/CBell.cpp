#include "CBell.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "BellMemory20.h"
#include "BellMemory29.h"
#include "ScopedHandle.h"
#include "platform/CodePage.h"
#include "platform/Messages.h"

namespace chimox {

namespace {

constexpr char kNoErrorsText[] = "Ошибок нет";
constexpr char kBellBusyText[] = "Звонок занят операцией ввода-вывода\n";
constexpr char kCurrentAboveCountText[] = "Номер текущей мелодии больше количества мелодий";
constexpr char kCurrentBelowOneText[] = "Номер текущей мелодии должен быть не меньше 1";
constexpr char kIoErrorText[] = "Ошибка ввода-вывода при обмене со звонком";
constexpr char kPortBusyText[] = "Порт звонка занят другой программой\n";

void Notify(const NotifyTarget& target, WORD operation, int percent, LPARAM code) {
  // A closed or null window simply gets no report.
  PostMessage(target.window, target.message, MAKELONG(operation, static_cast<WORD>(percent)), code);
}

// Posts each progress point and looks at the cancel event right after it.
class WorkerProgress final : public Progress {
 public:
  WorkerProgress(const NotifyTarget& target, WORD operation, HANDLE cancel)
      : target_(target), operation_(operation), cancel_(cancel) {}

  bool Reached(int percent) override {
    reached_ = percent;
    Notify(target_, operation_, percent, BELL_ERR_NONE);
    return WaitForSingleObject(cancel_, 0) != WAIT_OBJECT_0;
  }
  int reached() const { return reached_; }

 private:
  NotifyTarget target_;
  WORD operation_;
  HANDLE cancel_;
  int reached_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File CreateDumpFile(LPCOLESTR path) {
  if (!path) return nullptr;
  return File(std::fopen(nv::WideToUtf8(path).c_str(), "wb"));
}

// Closes the file, reporting whether everything written reached it.
bool Finish(File file) {
  return std::fclose(file.release()) == 0;
}

}  // namespace

const nv::InterfaceEntry<CBell> CBell::interfaceMap[] = {
    {&IID_ISupportErrorInfo, &nv::InterfacePart<CBell, ISupportErrorInfo>},
    {&IID_IBell, &nv::InterfacePart<CBell, IBell>},
    {&IID_IBell_ver2_0, &nv::InterfacePart<CBell, IBell_ver2_0_Impl>},
    {&IID_IBell_ver2_9, &nv::InterfacePart<CBell, IBell_ver2_9_Impl>},
    {&IID_IChimoxice, &nv::InterfacePart<CBell, IChimoxice>},
    {nullptr, nullptr},
};

HRESULT CBell::Initialize() {
  cancel_ = CreateEvent(nullptr, TRUE, FALSE, nullptr);
  if (!cancel_) return E_HANDLE;
  // The port is read once: everything this object does goes to that device.
  if (port_.Open(PortAccess::FromSetting()) != 0) return E_FAIL;
  nv::SetErrorText(kNoErrorsText);
  return S_OK;
}

void CBell::FinalRelease() {
  if (worker_) {
    SetEvent(cancel_);
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
  }
}

CBell::~CBell() {
  FinalRelease();  // no-op unless construction failed half-way
  if (cancel_) CloseHandle(cancel_);
  port_.Close();
}

void CBell::RefuseWhileBusy() {
  if (InterlockedRead(&busy_) != 0) nv::Raise(E_FAIL, kBellBusyText);
}

bool CBell::LockPort() {
  std::string why;
  switch (port_.Lock(&why)) {
    case portix::PortLock::kHeld:
      return true;
    case portix::PortLock::kBusy:
      nv::Raise(E_FAIL, kPortBusyText);
    case portix::PortLock::kRefused:
      nv::SetErrorText((why + "\n").c_str());
      nv::Raise(E_FAIL);
    case portix::PortLock::kFailed:
      break;
  }
  return false;
}

void CBell::RunLocked(const std::function<bool()>& transfers) {
  if (!LockPort()) nv::Raise(E_FAIL, kIoErrorText);
  bool ok = false;
  try {
    ok = transfers();
  } catch (...) {
    port_.Unlock();
    throw;
  }
  // Unlocking saves what is pending: a page that cannot be saved is a failed write.
  if (!port_.Unlock() || !ok) nv::Raise(E_FAIL, kIoErrorText);
}

HRESULT CBell::IsBusy(SHORT* busy) {
  return Run([&] {
    if (!busy) return E_POINTER;
    *busy = InterlockedRead(&busy_) != 0 ? 1 : 0;
    return S_OK;
  });
}

HRESULT CBell::Cancel() {
  return Run([&] {
    SetEvent(cancel_);
    return S_OK;
  });
}

HRESULT CBell::StartWorker(WORD operation, Version version, IMelody* melody, LONG number, BellInfo* info,
                           NotifyTarget* target, bool defer) {
  return Run([&] {
    RefuseWhileBusy();
    if (!info || !target || (operation != BELL_OP_READ_INFO && !melody)) return E_POINTER;
    ScopedHandle started(CreateEvent(nullptr, FALSE, FALSE, nullptr));
    if (!started) return E_HANDLE;
    // The port stays locked until the worker ends; a port that cannot be
    // opened shows as the worker's failed transfer.
    const bool locked = LockPort();
    StartRecord record{started.get(), this, {operation, version, melody, number, info, *target, defer, locked}};

    ResetEvent(cancel_);
    if (worker_) {
      // The previous worker cleared its busy flag and is only finishing; it
      // must be gone before its handle is, so that no thread of this module
      // can outlive the object.
      WaitForSingleObject(worker_, INFINITE);
      CloseHandle(worker_);
      worker_ = nullptr;
    }
    worker_ = CreateThread(nullptr, 0, &CBell::WorkerMain, &record, 0, nullptr);
    if (!worker_) {
      if (locked) port_.Unlock();
      return E_HANDLE;
    }
    // The record lives on this stack: the worker copies it before it signals.
    WaitForSingleObject(started.get(), INFINITE);
    return S_OK;
  });
}

DWORD CBell::WorkerMain(LPVOID parameter) {
  const StartRecord record = *static_cast<const StartRecord*>(parameter);
  record.bell->Work(record.job, record.started);
  return 0;
}

void CBell::Work(const Job& job, HANDLE started) {
  bool comInitialised = false;
  if (job.melody) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
      if (job.locked) port_.Unlock();
      Notify(job.target, job.operation, 0, BELL_ERR_COINIT);
      SetEvent(started);
      return;
    }
    comInitialised = true;
    job.melody->AddRef();
  }
  InterlockedExchange(&busy_, 1);
  SetEvent(started);

  WorkerProgress progress(job.target, job.operation, cancel_);
  int code = BELL_ERR_TRANSFER;
  if (job.locked) {
    try {
      code = RunProcedure(job, progress);
    } catch (const std::bad_alloc&) {
      code = BELL_ERR_NOMEMORY;
    }
    // Unlocking saves what is pending: a page that cannot be saved is a failed write.
    if (!port_.Unlock() && code == BELL_ERR_NONE) code = BELL_ERR_TRANSFER;
  }
  if (job.melody) job.melody->Release();

  // Idle before the final message, so that a client starting its next
  // operation on that message is not refused as busy.
  InterlockedExchange(&busy_, 0);
  if (code == BELL_ERR_NONE) {
    Notify(job.target, job.operation, 100, BELL_ERR_NONE);
  } else {
    Notify(job.target, job.operation, progress.reached(), code);
  }
  if (comInitialised) CoUninitialize();
}

int CBell::RunProcedure(const Job& job, Progress& progress) {
  BellInfo& info = *job.info;
  if (job.version == Version::k29) {
    BellMemory29 memory(port_);
    switch (job.operation) {
      case BELL_OP_READ_INFO:
        return memory.ReadStatus(info, progress);
      case BELL_OP_ADD_MELODY:
        return memory.AppendMelody(job.melody, info, job.defer, progress);
      default:
        return memory.ReadMelody(job.melody, job.number, info, progress);
    }
  }
  BellMemory20 memory(port_);
  switch (job.operation) {
    case BELL_OP_READ_INFO:
      return memory.ReadStatus(info, progress);
    case BELL_OP_ADD_MELODY:
      return memory.AppendMelody(job.melody, info, progress);
    default:
      return memory.ReadMelody(job.melody, job.number, info, progress);
  }
}

HRESULT CBell::RunSync(SyncOperation operation, Version version, BellInfo* info) {
  return Run([&] {
    RefuseWhileBusy();
    if (!info) return E_POINTER;
    if (operation == SyncOperation::kCurrentMelody && info->currentMelody > info->melodyCount) {
      nv::Raise(E_FAIL, kCurrentAboveCountText);
    }
    // A version 2.9 memory whose current pointer names no melody of a
    // non-empty set reads as damaged as a whole, so such a number is
    // refused as a number beyond the set is. Version 2.0 keeps the pointer
    // apart from the directory and reads on whatever it holds.
    if (operation == SyncOperation::kCurrentMelody && version == Version::k29 &&
        info->currentMelody < (info->melodyCount > 0 ? 1 : 0)) {
      nv::Raise(E_FAIL, kCurrentBelowOneText);
    }
    // The record changes only once the device has it.
    BellInfo updated = *info;
    RunLocked([&] {
      if (version == Version::k29) {
        BellMemory29 memory(port_);
        return operation == SyncOperation::kClear           ? memory.Clear(updated)
               : operation == SyncOperation::kSelectionMode ? memory.SetSelectionMode(updated)
                                                            : memory.SetCurrentMelody(updated);
      }
      BellMemory20 memory(port_);
      return operation == SyncOperation::kClear           ? memory.Clear(updated)
             : operation == SyncOperation::kSelectionMode ? memory.SetSelectionMode(updated)
                                                          : memory.SetCurrentMelody(updated);
    });
    *info = updated;
    return S_OK;
  });
}

HRESULT CBell::ReadInfo20(BellInfo* info, NotifyTarget* target) {
  return StartWorker(BELL_OP_READ_INFO, Version::k20, nullptr, 0, info, target, false);
}
HRESULT CBell::AddMelody20(IMelody* melody, BellInfo* info, NotifyTarget* target) {
  return StartWorker(BELL_OP_ADD_MELODY, Version::k20, melody, 0, info, target, false);
}
HRESULT CBell::ReadMelody20(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) {
  return StartWorker(BELL_OP_READ_MELODY, Version::k20, melody, number, info, target, false);
}
HRESULT CBell::ClearSet20(BellInfo* info) {
  return RunSync(SyncOperation::kClear, Version::k20, info);
}
HRESULT CBell::SetSelectionMode20(BellInfo* info) {
  return RunSync(SyncOperation::kSelectionMode, Version::k20, info);
}
HRESULT CBell::SetCurrentMelody20(BellInfo* info) {
  return RunSync(SyncOperation::kCurrentMelody, Version::k20, info);
}

HRESULT CBell::ReadInfo29(BellInfo* info, NotifyTarget* target) {
  return StartWorker(BELL_OP_READ_INFO, Version::k29, nullptr, 0, info, target, false);
}
HRESULT CBell::AddMelody29(IMelody* melody, BellInfo* info, NotifyTarget* target, SHORT defer) {
  return StartWorker(BELL_OP_ADD_MELODY, Version::k29, melody, 0, info, target, defer != 0);
}
HRESULT CBell::ReadMelody29(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) {
  return StartWorker(BELL_OP_READ_MELODY, Version::k29, melody, number, info, target, false);
}
HRESULT CBell::ClearSet29(BellInfo* info) {
  return RunSync(SyncOperation::kClear, Version::k29, info);
}
HRESULT CBell::SetSelectionMode29(BellInfo* info) {
  return RunSync(SyncOperation::kSelectionMode, Version::k29, info);
}
HRESULT CBell::SetCurrentMelody29(BellInfo* info) {
  return RunSync(SyncOperation::kCurrentMelody, Version::k29, info);
}

// Dumps share the bus with the worker, so they are refused while one runs.
HRESULT CBell::DumpVer2_0(LPCOLESTR path) {
  return Run([&] {
    RefuseWhileBusy();
    File file = CreateDumpFile(path);
    if (!file) return E_FAIL;
    bool ok = false;
    if (LockPort()) {
      ok = BellMemory20(port_).Dump(file.get());
      ok = port_.Unlock() && ok;
    }
    return Finish(std::move(file)) && ok ? S_OK : E_FAIL;
  });
}

HRESULT CBell::DumpVer2_9(LPCOLESTR path) {
  return Run([&] {
    RefuseWhileBusy();
    if (!LockPort()) return E_FAIL;
    // Whatever happens below, the port is let go at the end.
    std::unique_ptr<PortAccess, void (*)(PortAccess*)> unlock(&port_, [](PortAccess* port) { port->Unlock(); });
    BellMemory29 memory(port_, sizes_);
    const DWORD size = BellMemory29::MemorySize(memory.ProbeSize());
    if (size == 0) return E_FAIL;
    std::vector<BYTE> buffer(size + 2);  // allocation failure: E_OUTOFMEMORY
    File file = CreateDumpFile(path);
    if (!file) return E_FAIL;
    const bool ok = memory.Dump(file.get(), buffer.data(), size);
    return Finish(std::move(file)) && ok && port_.Unlock() ? S_OK : E_FAIL;
  });
}

}  // namespace chimox
