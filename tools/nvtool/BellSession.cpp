#include "BellSession.h"

#include "CProgrammerFlow.h"
#include "ComSession.h"
#include "DinovaStrings.h"
#include "Interrupt.h"
#include "ProgressBar.h"
#include "ToolError.h"
#include "common/ComErrorU.h"
#include "platform/CodePage.h"

namespace {

constexpr UINT kBellMessage = WM_APP + 2;
constexpr DWORD kPollMs = 100;

// The doorbell programmer's own words.
const std::u16string kIoError = nv::Utf8ToWide(DinovaStrings::kIoError);
const std::u16string kProgramError = nv::Utf8ToWide(DinovaStrings::kProgramError);
const std::u16string kInterfaceError = nv::Utf8ToWide(DinovaStrings::kBellInterfaceFailed);

}  // namespace

BellSession::Version BellSession::ParseVersion(const std::string& text) {
  if (text == "2.0") return Version::V2_0;
  if (text == "2.9") return Version::V2_9;
  throw ToolError::Usage("--version must be 2.0 or 2.9, not \"" + text + "\"");
}

BellSession::BellSession(ComSession& session, Version version, std::string port)
    : version_(version), port_(std::move(port)), bell_(session.NewBell()) {
  if (queue_.Window() == nullptr) throw ToolError::Failed("no message queue for the doorbell's progress");
  target_ = {kBellMessage, queue_.Window()};
  HRESULT hr = bell_->QueryInterface(IID_IBell, control_.putVoid());
  if (SUCCEEDED(hr)) {
    hr = version == Version::V2_0 ? bell_->QueryInterface(IID_IBell_ver2_0, v20_.putVoid())
                                  : bell_->QueryInterface(IID_IBell_ver2_9, v29_.putVoid());
  }
  if (FAILED(hr)) throw ToolError::Failed(kInterfaceError);
}

std::u16string BellSession::Description() const {
  return v20_ ? ComErrorU::Description(v20_.get(), IID_IBell_ver2_0)
              : ComErrorU::Description(v29_.get(), IID_IBell_ver2_9);
}

std::u16string BellSession::IoErrorText() const {
  return kIoError + u" (" + nv::Utf8ToWide(port_) + u")";
}

void BellSession::ReadInfo(BellProgress progress, Damage damage) {
  damaged_ = false;
  const HRESULT hr = v20_ ? v20_->ReadInfo(&info_, &target_) : v29_->ReadInfo(&info_, &target_);
  Await(BELL_OP_READ_INFO, hr, progress);
  if (damaged_ && damage == Damage::Refuse) throw DamagedError();
}

ToolError BellSession::DamagedError() {
  return ToolError(kExitDamaged, std::string(DinovaStrings::kDamaged) + " (nvtool bell clear)");
}

void BellSession::AddMelody(IMelody* melody, BellProgress progress) {
  const HRESULT hr = v20_ ? v20_->AddMelody(melody, &info_, &target_) : v29_->AddMelody(melody, &info_, &target_, 0);
  Await(BELL_OP_ADD_MELODY, hr, progress);
}

void BellSession::ReadMelody(IMelody* melody, LONG number, BellProgress progress) {
  const HRESULT hr =
      v20_ ? v20_->ReadMelody(melody, number, &info_, &target_) : v29_->ReadMelody(melody, number, &info_, &target_);
  Await(BELL_OP_READ_MELODY, hr, progress);
}

void BellSession::Await(WORD operation, HRESULT started, BellProgress progress) {
  if (FAILED(started)) {
    const std::u16string text = Description();
    throw ToolError::Failed(text.empty() ? kProgramError : text);
  }
  // Every operation that began ends with exactly one last message (100 %,
  // or an error); the worker stops being busy before it posts it, so that
  // message, not the busy flag, tells the end.
  bool cancelled = false;
  for (;;) {
    if (Interrupt::Requested() && !cancelled) {
      control_->Cancel();
      cancelled = true;
    }
    MessageQueue::Message message{};
    if (queue_.Get(&message, kPollMs)) {
      if (message.message != kBellMessage || LOWORD(message.wParam) != operation) continue;
      const int percent = HIWORD(message.wParam);
      if (progress.bar) progress.bar->Set(progress.base + percent * progress.span / 100);
      // A damaged memory ends the status read with the record filled; the
      // caller decides whether that is a failure.
      if (operation == BELL_OP_READ_INFO && message.lParam == BELL_ERR_DAMAGED) {
        damaged_ = true;
        return;
      }
      if (message.lParam != BELL_ERR_NONE) FailWorker(operation, message.lParam, cancelled);
      if (percent >= 100) return;
    }
  }
}

void BellSession::FailWorker(WORD operation, LPARAM code, bool cancelled) const {
  if (code == BELL_ERR_CANCELLED && cancelled) throw ToolError(kExitInterrupted, "interrupted");
  // As the doorbell programmer tells and words them.
  const bool programError = CProgrammerFlow::Classify(operation, code) == CProgrammerFlow::Outcome::ProgramError;
  throw ToolError::Failed(programError ? kProgramError : IoErrorText());
}

void BellSession::CheckSync(HRESULT hr) const {
  if (SUCCEEDED(hr)) return;
  const std::u16string text = Description();
  if (text == kIoError) throw ToolError::Failed(IoErrorText());
  throw ToolError::Failed(text.empty() ? kProgramError : text);
}

void BellSession::ClearSet() {
  CheckSync(v20_ ? v20_->ClearSet(&info_) : v29_->ClearSet(&info_));
}

void BellSession::SetSelectionMode() {
  CheckSync(v20_ ? v20_->SetSelectionMode(&info_) : v29_->SetSelectionMode(&info_));
}

void BellSession::SetCurrentMelody() {
  CheckSync(v20_ ? v20_->SetCurrentMelody(&info_) : v29_->SetCurrentMelody(&info_));
}

void BellSession::Dump(const std::string& path) {
  nv::ComPtr<IChimoxice> dumps;
  if (FAILED(bell_->QueryInterface(IID_IChimoxice, dumps.putVoid()))) throw ToolError::Failed(kInterfaceError);
  const std::u16string wide = nv::Utf8ToWide(path);
  const HRESULT hr = version_ == Version::V2_0 ? dumps->DumpVer2_0(wide.c_str()) : dumps->DumpVer2_9(wide.c_str());
  if (hr == E_OUTOFMEMORY) throw ToolError::Failed("no memory for the dump");
  if (FAILED(hr)) {
    throw ToolError::Failed("the memory dump cannot be written to " + path +
                            " (the file cannot be created or the exchange with the bell failed)");
  }
}
