#include "CDeviceThread.h"

#include <cstdio>

#include "DinovaIds.h"
#include "DinovaStrings.h"
#include "common/ComErrorU.h"
#include "common/MelFormat.h"
#include "common/MelodyValues.h"
#include "common/ObjectFactory.h"
#include "common/StoFormat.h"
#include "common/ToneSample.h"
#include "platform/CodePage.h"
#include "platform/Kernel.h"

using nv::RequestThread;

namespace {

const DeviceRequest* Request(LPARAM lParam) {
  return reinterpret_cast<const DeviceRequest*>(lParam);
}

const char* Path(LPARAM lParam) {
  return reinterpret_cast<const char*>(lParam);
}

std::u16string Text(const char* utf8) {
  return nv::Utf8ToWide(utf8);
}

// The answer of a request with an error text: 1, or 0 with the text stored
// (cut to the string's capacity rather than lost).
LONG Answer(WPARAM wParam, bool ok, const std::u16string& error) {
  if (ok) return 1;
  if (auto* out = nv::RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

// Classes are probed through their class objects, so the check never opens
// the doorbell's port the way a new bell object does.
HRESULT ClassObject(REFCLSID clsid, REFIID, void** out) {
  return CoGetClassObject(clsid, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER, nullptr,
                          IID_IClassFactory, out);
}

}  // namespace

const RequestThread::Entry CDeviceThread::kRequests[] = {
    {DEVM_DESTROY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnDestroy>},
    {DEVM_INITIALISE, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnInitialise>},
    {DEVM_IS_BUSY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnIsBusy>},
    {DEVM_CANCEL, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnCancel>},
    {DEVM_READ_INFO, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnReadInfo>},
    {DEVM_READ_MELODY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnReadMelody>},
    {DEVM_SAVE_SET, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnSaveSet>},
    {DEVM_ADD_MELODY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnAddMelody>},
    {DEVM_LOAD_MELODY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnLoadMelody>},
    {DEVM_PLAY, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnPlay>},
    {DEVM_STOP, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnStop>},
    {DEVM_IS_STOPPED, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnIsStopped>},
    {DEVM_CLEAR, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnClear>},
    {DEVM_LOAD_SET, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnLoadSet>},
    {DEVM_GET_COUNT, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnGetCount>},
    {DEVM_SET_MODE, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnSetMode>},
    {DEVM_REOPEN_PORT, &RequestThread::Bind<CDeviceThread, &CDeviceThread::OnReopenPort>},
    {0, nullptr},
};

CDeviceThread::~CDeviceThread() {
  Close();
}

bool CDeviceThread::OnStart() {
  return RegisterServerIfMissing(&CreateServerObject, CLSID_Melody, SONVOX_MODULE) &&
         RegisterServerIfMissing(&ClassObject, CLSID_Bell, CHIMOX_MODULE);
}

void CDeviceThread::OnStop() {
  StopPreview();
  melodies_.clear();
  sample_.reset();
  bell_.reset();
}

bool CDeviceThread::CreateBell(std::u16string& error) {
  IUnknown* bell = nullptr;
  if (FAILED(CreateServerObject(CLSID_Bell, IID_IUnknown, reinterpret_cast<void**>(&bell))) || bell == nullptr) {
    error = Text(DinovaStrings::kBellCreateFailed);
    return false;
  }
  bell_.reset(bell);
  return true;
}

void CDeviceThread::WaitForIdle() {
  if (!bell_) return;
  IBell* bell = nullptr;
  if (FAILED(bell_->QueryInterface(IID_IBell, reinterpret_cast<void**>(&bell))) || bell == nullptr) return;
  const Ref<IBell> held(bell);
  SHORT busy = 0;
  do {
    busy = 0;
    bell->IsBusy(&busy);
    Sleep(kIdlePollMs);
  } while (busy != 0);
}

std::u16string CDeviceThread::BellError(REFIID iid) {
  return ComErrorU::Description(bell_.get(), iid);
}

template <class Call20, class Call29>
bool CDeviceThread::CallBell(const DeviceRequest& request, std::u16string& error, Call20 call20, Call29 call29) {
  if (request.bellType != BELL_TYPE_20 && request.bellType != BELL_TYPE_29) {
    error = Text(DinovaStrings::kUnknownBellType);
    return false;
  }
  const bool v20 = request.bellType == BELL_TYPE_20;
  const IID& iid = v20 ? IID_IBell_ver2_0 : IID_IBell_ver2_9;
  void* raw = nullptr;
  if (!bell_ || FAILED(bell_->QueryInterface(iid, &raw)) || raw == nullptr) {
    error = Text(DinovaStrings::kBellInterfaceFailed);
    return false;
  }
  HRESULT result = S_OK;
  if (v20) {
    const Ref<IBell_ver2_0> bell(static_cast<IBell_ver2_0*>(raw));
    result = call20(bell.get());
  } else {
    const Ref<IBell_ver2_9> bell(static_cast<IBell_ver2_9*>(raw));
    result = call29(bell.get());
  }
  if (SUCCEEDED(result)) return true;
  error = BellError(iid);
  return false;
}

bool CDeviceThread::MakeMelodies(const std::vector<MelodyData>& data, std::vector<Ref<IMelody>>& out,
                                 std::u16string& error) {
  out.clear();
  for (const MelodyData& values : data) {
    IMelody* melody = nullptr;
    if (FAILED(CreateServerObject(CLSID_Melody, IID_IMelody, reinterpret_cast<void**>(&melody))) || melody == nullptr) {
      error = Text(DinovaStrings::kMelodyCreateFailed);
      return false;
    }
    out.emplace_back(melody);
    if (FAILED(MelodyValues::WriteName(melody, values.name)) ||
        FAILED(MelodyValues::AppendNotes(melody, values.notes))) {
      error = Text(DinovaStrings::kMelodyCreateFailed);
      return false;
    }
  }
  return true;
}

void CDeviceThread::StopPreview() {
  if (!melodies_.empty()) melodies_.front()->Stop();
}

LONG CDeviceThread::OnDestroy(WPARAM, LPARAM) {
  thread_.Quit();
  return 1;
}

LONG CDeviceThread::OnInitialise(WPARAM wParam, LPARAM) {
  std::u16string error;
  if (!sample_) {
    ISample1* sample = nullptr;
    ToneSample::Failure failure;
    if (FAILED(ToneSample::Create(&CreateServerObject, ToneSample::EditorPeriod(), &sample, &failure))) {
      error = failure.description;
      return Answer(wParam, false, error);
    }
    sample_.reset(sample);
  }
  if (!bell_ && !CreateBell(error)) return Answer(wParam, false, error);
  StopPreview();
  melodies_.clear();
  return 1;
}

LONG CDeviceThread::OnIsBusy(WPARAM wParam, LPARAM) {
  if (!bell_) return 0;
  IBell* bell = nullptr;
  if (FAILED(bell_->QueryInterface(IID_IBell, reinterpret_cast<void**>(&bell))) || bell == nullptr) return 0;
  const Ref<IBell> held(bell);
  SHORT busy = 0;
  bell->IsBusy(&busy);
  if (auto* out = nv::RequestOut<LONG>(wParam)) *out = busy != 0 ? 1 : 0;
  return 1;
}

LONG CDeviceThread::OnCancel(WPARAM, LPARAM) {
  if (!bell_) return 0;
  IBell* bell = nullptr;
  if (FAILED(bell_->QueryInterface(IID_IBell, reinterpret_cast<void**>(&bell))) || bell == nullptr) return 0;
  const Ref<IBell> held(bell);
  bell->Cancel();
  return 1;
}

LONG CDeviceThread::OnReadInfo(WPARAM wParam, LPARAM lParam) {
  const DeviceRequest& request = *Request(lParam);
  std::u16string error;
  WaitForIdle();
  target_ = {request.message, request.window};
  const bool ok = CallBell(
      request, error, [&](IBell_ver2_0* bell) { return bell->ReadInfo(request.info, &target_); },
      [&](IBell_ver2_9* bell) { return bell->ReadInfo(request.info, &target_); });
  return Answer(wParam, ok, error);
}

LONG CDeviceThread::OnReadMelody(WPARAM wParam, LPARAM lParam) {
  const DeviceRequest& request = *Request(lParam);
  std::u16string error;
  WaitForIdle();
  if (request.first != 0) {
    StopPreview();
    melodies_.clear();
    readIndex_ = 0;
  } else {
    ++readIndex_;
  }
  if (request.info->melodyCount == 0) return Answer(wParam, false, Text(DinovaStrings::kNoMelodies));
  IMelody* melody = nullptr;
  if (FAILED(CreateServerObject(CLSID_Melody, IID_IMelody, reinterpret_cast<void**>(&melody))) || melody == nullptr) {
    return Answer(wParam, false, Text(DinovaStrings::kMelodyCreateFailed));
  }
  melodies_.emplace_back(melody);
  target_ = {request.message, request.window};
  const LONG number = readIndex_ + 1;
  const bool ok = CallBell(
      request, error, [&](IBell_ver2_0* bell) { return bell->ReadMelody(melody, number, request.info, &target_); },
      [&](IBell_ver2_9* bell) { return bell->ReadMelody(melody, number, request.info, &target_); });
  return Answer(wParam, ok, error);
}

LONG CDeviceThread::OnSaveSet(WPARAM wParam, LPARAM lParam) {
  const char* path = Path(lParam);
  if (path == nullptr) return Answer(wParam, false, Text(DinovaStrings::kOpenFailed));
  // The device keeps no names: the melodies are numbered in device order.
  std::vector<MelodyData> set(melodies_.size());
  for (size_t i = 0; i < melodies_.size(); ++i) {
    if (FAILED(MelodyValues::Read(melodies_[i].get(), set[i]))) {
      return Answer(wParam, false, Text(DinovaStrings::kWriteFailed));
    }
    char name[64];
    std::snprintf(name, sizeof name, DinovaStrings::kSavedName, static_cast<int>(i + 1));
    set[i].name = Text(name);
  }
  switch (StoFormat::Save(path, set)) {
    case FileStatus::Ok:
      return 1;
    case FileStatus::OpenFailed:
      return Answer(wParam, false, Text(DinovaStrings::kOpenFailed));
    default:
      return Answer(wParam, false, Text(DinovaStrings::kWriteFailed));
  }
}

LONG CDeviceThread::OnAddMelody(WPARAM wParam, LPARAM lParam) {
  const DeviceRequest& request = *Request(lParam);
  std::u16string error;
  WaitForIdle();
  appendIndex_ = request.first != 0 ? 0 : appendIndex_ + 1;
  if (appendIndex_ < 0 || appendIndex_ >= static_cast<LONG>(melodies_.size())) return Answer(wParam, false, {});
  IMelody* melody = melodies_[static_cast<size_t>(appendIndex_)].get();
  target_ = {request.message, request.window};
  const bool ok = CallBell(
      request, error, [&](IBell_ver2_0* bell) { return bell->AddMelody(melody, request.info, &target_); },
      [&](IBell_ver2_9* bell) { return bell->AddMelody(melody, request.info, &target_, 0); });
  return Answer(wParam, ok, error);
}

LONG CDeviceThread::OnLoadMelody(WPARAM wParam, LPARAM lParam) {
  const char* path = Path(lParam);
  MelodyData data;
  switch (path == nullptr ? FileStatus::OpenFailed : MelFormat::Load(path, data)) {
    case FileStatus::Ok:
      break;
    case FileStatus::OpenFailed:
      return Answer(wParam, false, Text(DinovaStrings::kOpenFailed));
    case FileStatus::BadMagic:
      return Answer(wParam, false, Text(DinovaStrings::kNotMelody));
    default:
      return Answer(wParam, false, Text(DinovaStrings::kReadFailed));
  }
  // The list changes only once the new melody is complete.
  std::vector<Ref<IMelody>> made;
  std::u16string error;
  if (!MakeMelodies({data}, made, error)) return Answer(wParam, false, error);
  StopPreview();
  melodies_ = std::move(made);
  return 1;
}

LONG CDeviceThread::OnPlay(WPARAM, LPARAM) {
  if (melodies_.empty() || !sample_) return 0;
  return SUCCEEDED(melodies_.front()->Play(0, sample_.get(), nullptr, 0)) ? 1 : 0;
}

LONG CDeviceThread::OnStop(WPARAM, LPARAM) {
  if (melodies_.empty()) return 0;
  return SUCCEEDED(melodies_.front()->Stop()) ? 1 : 0;
}

LONG CDeviceThread::OnIsStopped(WPARAM wParam, LPARAM) {
  SHORT playing = 0;
  if (!melodies_.empty() && FAILED(melodies_.front()->IsPlaying(&playing))) playing = 0;
  if (auto* out = nv::RequestOut<LONG>(wParam)) *out = playing == 0 ? 1 : 0;
  return 1;
}

LONG CDeviceThread::OnClear(WPARAM wParam, LPARAM lParam) {
  const DeviceRequest& request = *Request(lParam);
  if (request.bellType != BELL_TYPE_20 && request.bellType != BELL_TYPE_29) return 1;
  std::u16string error;
  WaitForIdle();
  const bool ok = CallBell(
      request, error, [&](IBell_ver2_0* bell) { return bell->ClearSet(request.info); },
      [&](IBell_ver2_9* bell) { return bell->ClearSet(request.info); });
  return Answer(wParam, ok, error);
}

LONG CDeviceThread::OnLoadSet(WPARAM wParam, LPARAM lParam) {
  const char* path = Path(lParam);
  std::vector<MelodyData> data;
  switch (path == nullptr ? FileStatus::OpenFailed : StoFormat::Load(path, data)) {
    case FileStatus::Ok:
      break;
    case FileStatus::OpenFailed:
      return Answer(wParam, false, Text(DinovaStrings::kOpenFailed));
    case FileStatus::BadMagic:
      return Answer(wParam, false, Text(DinovaStrings::kBadFormat));
    default:
      return Answer(wParam, false, Text(DinovaStrings::kReadFailed));
  }
  std::vector<Ref<IMelody>> made;
  std::u16string error;
  if (!MakeMelodies(data, made, error)) return Answer(wParam, false, error);
  StopPreview();
  melodies_ = std::move(made);
  return 1;
}

LONG CDeviceThread::OnGetCount(WPARAM wParam, LPARAM) {
  if (auto* out = nv::RequestOut<LONG>(wParam)) *out = static_cast<LONG>(melodies_.size());
  return 1;
}

LONG CDeviceThread::OnSetMode(WPARAM wParam, LPARAM lParam) {
  const DeviceRequest& request = *Request(lParam);
  std::u16string error;
  const bool ok = CallBell(
      request, error, [&](IBell_ver2_0* bell) { return bell->SetSelectionMode(request.info); },
      [&](IBell_ver2_9* bell) { return bell->SetSelectionMode(request.info); });
  return Answer(wParam, ok, error);
}

LONG CDeviceThread::OnReopenPort(WPARAM wParam, LPARAM) {
  // The old object lets its port go (after its worker, if any, has ended)
  // before the new one opens the port the setting names now.
  bell_.reset();
  std::u16string error;
  return Answer(wParam, CreateBell(error), error);
}
