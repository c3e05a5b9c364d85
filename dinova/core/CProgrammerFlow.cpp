#include "CProgrammerFlow.h"

#include <algorithm>

#include "CFileChecker.h"
#include "CPortSetting.h"
#include "DinovaStrings.h"
#include "platform/CodePage.h"
#include "platform/Kernel.h"

namespace {

std::u16string Text(const char* utf8) {
  return nv::Utf8ToWide(utf8);
}

// The wait cursor for the length of a scope.
class Waiting {
 public:
  explicit Waiting(ProgrammerActions& actions) : actions_(actions) { actions_.SetWaiting(true); }
  ~Waiting() { actions_.SetWaiting(false); }
  Waiting(const Waiting&) = delete;
  Waiting& operator=(const Waiting&) = delete;

 private:
  ProgrammerActions& actions_;
};

UINT FlowOf(int control) {
  switch (control) {
    case IDC_ADD_MELODY:
      return FLOW_ADD_MELODY;
    case IDC_WRITE_SET:
      return FLOW_WRITE_SET;
    case IDC_READ_SET:
      return FLOW_READ_SET;
    default:
      return FLOW_REFRESH;
  }
}

}  // namespace

CProgrammerFlow::CProgrammerFlow(ProgrammerActions& actions, HWND window) : actions_(actions), window_(window) {}

CProgrammerFlow::Outcome CProgrammerFlow::Classify(WORD operation, LPARAM code) {
  if (code == BELL_ERR_NONE) return Outcome::Progress;
  if (operation == BELL_OP_READ_INFO) {
    if (code == BELL_ERR_DAMAGED) return Outcome::Damaged;
    return code == BELL_ERR_TRANSFER || code == BELL_ERR_CANCELLED ? Outcome::IoError : Outcome::ProgramError;
  }
  // Part of a melody may be written (or read) by now, whatever stopped the
  // worker, unless it refused before it began.
  return code == BELL_ERR_REFUSED || code == BELL_ERR_COINIT ? Outcome::ProgramError : Outcome::IoError;
}

int CProgrammerFlow::Stretch(int base, LONG index, int percent, LONG count) {
  if (count <= 0) return 100;
  // base + (100 - base) * (index + percent / 100) / count, in hundredths of
  // a stretch so the rounding sees the exact value.
  const long long numerator =
      static_cast<long long>(base) * 100 * count + static_cast<long long>(100 - base) * (index * 100LL + percent);
  const long long denominator = 100LL * count;
  return static_cast<int>((2 * numerator + denominator) / (2 * denominator));
}

// --- Starting ----------------------------------------------------------------

bool CProgrammerFlow::Start(int control) {
  if (flow_ != 0 || closing_) return false;
  const UINT flow = FlowOf(control);
  request_ = {bellType_, window_, flow, &info_, 1};
  std::u16string error;
  bool started = false;
  {
    // Device requests first wait until the bell's last worker has finished.
    Waiting wait(actions_);
    started = actions_.Device().ReadInfo(request_, error);
  }
  if (!started) {
    actions_.ShowError(error);
    return false;
  }
  flow_ = flow;
  phase_ = Phase::Status;
  starter_ = control;
  bar_ = 0;
  actions_.Begin();
  return true;
}

bool CProgrammerFlow::SelectBellType(LONG type) {
  if (type == bellType_ || flow_ != 0) return false;
  bellType_ = type;
  return Start(IDC_BELL_TYPE);
}

bool CProgrammerFlow::Send(bool (DeviceClient::*request)(const DeviceRequest&, std::u16string&), LONG first) {
  request_ = {bellType_, window_, flow_, &info_, first};
  std::u16string error;
  bool sent = false;
  {
    Waiting wait(actions_);
    sent = (actions_.Device().*request)(request_, error);
  }
  if (!sent) actions_.ShowError(error);
  return sent;
}

void CProgrammerFlow::SetBar(int position) {
  bar_ = std::clamp(position, 0, 100);
  actions_.SetBar(bar_);
}

// --- Messages ----------------------------------------------------------------

void CProgrammerFlow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (closing_ || flow_ == 0 || message != flow_) return;
  const WORD operation = LOWORD(wParam);
  const int percent = HIWORD(wParam);
  const WORD expected = phase_ == Phase::Status   ? BELL_OP_READ_INFO
                        : phase_ == Phase::Append ? BELL_OP_ADD_MELODY
                                                  : BELL_OP_READ_MELODY;
  if (operation != expected) return;
  switch (Classify(operation, lParam)) {
    case Outcome::IoError:
      IoError();
      return;
    case Outcome::ProgramError:
      // A failed status read leaves nothing of the status to trust.
      ProgramError(phase_ != Phase::Status);
      return;
    case Outcome::Damaged:
      Damaged();
      return;
    case Outcome::Progress:
      break;
  }
  switch (phase_) {
    case Phase::Status:
      OnStatusRead(percent);
      break;
    case Phase::Append:
      OnAppended(percent);
      break;
    case Phase::ReadBack:
      OnMelodyRead(percent);
      break;
  }
}

void CProgrammerFlow::OnStatusRead(int percent) {
  // The status read fills the whole bar of a refresh, half of it before one
  // melody is appended and a tenth before a set is written or read.
  const int share = flow_ == FLOW_REFRESH ? 1 : flow_ == FLOW_ADD_MELODY ? 2 : 10;
  SetBar(percent / share);
  if (percent < 100) return;
  statusKnown_ = true;
  damaged_ = false;
  base_ = bar_;
  if (flow_ == FLOW_REFRESH) {
    Done();
    return;
  }
  actions_.ShowStatus(&info_);
  if (flow_ == FLOW_READ_SET) {
    index_ = 0;
    count_ = info_.melodyCount;
    phase_ = Phase::ReadBack;
    if (!Send(&DeviceClient::ReadMelody, 1)) Done();
    return;
  }
  if (!StartAppending()) Done();
}

bool CProgrammerFlow::StartAppending() {
  const bool melody = flow_ == FLOW_ADD_MELODY;
  const CAppendRules::Kind kind = melody ? CAppendRules::Kind::Melody : CAppendRules::Kind::Set;
  const CAppendRules::Limits limits = CAppendRules::LimitsOf(info_, bellType_);
  const std::string path = actions_.AskFile(kind, limits);
  if (path.empty()) return false;
  actions_.SetWorkDirFrom(path);

  // The file may have changed since the dialog weighed it; nothing is
  // written unless every melody and note of it can be stored.
  const CAppendRules::Result check = CFileChecker::Check(kind, path, limits);
  if (check.verdict != CAppendRules::Verdict::Fits) {
    actions_.ShowError(nv::Utf8ToWide(CAppendRules::Text(kind, check, limits)));
    return false;
  }
  if (!CAppendRules::PrepareAppend(info_)) {
    BYTE mode = info_.selectionMode;
    if (!actions_.AskMode(mode, bellType_ == BELL_TYPE_29)) return false;
    info_.selectionMode = mode;
  }

  std::u16string error;
  const bool loaded = melody ? actions_.Device().LoadMelody(path, error) : actions_.Device().LoadSet(path, error);
  if (!loaded) {
    actions_.ShowError(error);
    return false;
  }
  count_ = melody ? 1 : actions_.Device().Count();
  if (count_ <= 0) return false;
  index_ = 0;
  phase_ = Phase::Append;
  return Send(&DeviceClient::AddMelody, 1);
}

void CProgrammerFlow::OnAppended(int percent) {
  if (flow_ == FLOW_ADD_MELODY) {
    SetBar(base_ + percent / 2);
    if (percent >= 100) Done();
    return;
  }
  SetBar(Stretch(base_, index_, percent, count_));
  if (percent < 100) return;
  actions_.ShowStatus(&info_);
  if (++index_ >= count_) {
    Done();
    return;
  }
  if (!Send(&DeviceClient::AddMelody, 0)) Done();
}

void CProgrammerFlow::OnMelodyRead(int percent) {
  SetBar(Stretch(base_, index_, percent, count_));
  if (percent < 100) return;
  actions_.ShowStatus(&info_);
  if (++index_ < count_) {
    if (!Send(&DeviceClient::ReadMelody, 0)) Done();
    return;
  }
  Done();
  SaveReadSet();
}

void CProgrammerFlow::SaveReadSet() {
  const std::string path = actions_.AskSavePath();
  if (path.empty()) return;
  actions_.SetWorkDirFrom(path);
  std::u16string error;
  bool saved = false;
  {
    Waiting wait(actions_);
    saved = actions_.Device().SaveSet(path, error);
  }
  if (!saved) actions_.ShowError(error);
}

// --- Ends of a flow ------------------------------------------------------------

// Each end leaves the flow before it shows anything: a message box runs the
// event loop, and messages that arrive meanwhile are late.
void CProgrammerFlow::Done() {
  const int focus = starter_;
  flow_ = 0;
  if (statusKnown_) {
    actions_.ShowStatus(&info_);
    actions_.End({true, focus, true});
  } else {
    actions_.End({false, IDC_REFRESH, true});
  }
}

void CProgrammerFlow::IoError() {
  flow_ = 0;
  actions_.ShowError(Text(DinovaStrings::kIoError));
  EndUnknown();
}

void CProgrammerFlow::ProgramError(bool keepStatus) {
  flow_ = 0;
  actions_.ShowError(Text(DinovaStrings::kProgramError));
  statusKnown_ = statusKnown_ && keepStatus;
  if (!statusKnown_) {
    EndUnknown();
    return;
  }
  actions_.ShowStatus(&info_);
  actions_.End({true, 0, false});
}

void CProgrammerFlow::Damaged() {
  // Whatever the flow was for, nothing is appended to or read from a
  // damaged memory. The record the bell filled holds no melodies and no free
  // space; with it the status counts as known, which leaves "Очистить" on.
  flow_ = 0;
  statusKnown_ = true;
  damaged_ = true;
  actions_.ShowError(Text(DinovaStrings::kDamaged));
  actions_.ShowStatus(&info_);
  actions_.End({true, IDC_CLEAR, false});
}

void CProgrammerFlow::EndUnknown() {
  statusKnown_ = false;
  damaged_ = false;
  actions_.ShowStatus(nullptr);
  actions_.End({false, IDC_REFRESH, false});
}

// --- Short requests --------------------------------------------------------------

void CProgrammerFlow::ShortRequestFailed(const std::u16string& error) {
  actions_.ShowError(error);
  EndUnknown();
}

void CProgrammerFlow::Clear() {
  if (flow_ != 0 || closing_ || !statusKnown_) return;
  if (!actions_.Ask(ProgrammerActions::Question::Clear)) return;
  request_ = {bellType_, window_, 0, &info_, 0};
  std::u16string error;
  bool cleared = false;
  {
    Waiting wait(actions_);
    cleared = actions_.Device().Clear(request_, error);
  }
  if (cleared) {
    damaged_ = false;
    actions_.ShowStatus(&info_);
  } else {
    ShortRequestFailed(error);
  }
}

void CProgrammerFlow::SetSelectionMode() {
  if (flow_ != 0 || closing_ || !statusKnown_) return;
  BYTE mode = info_.selectionMode;
  if (!actions_.AskMode(mode, bellType_ == BELL_TYPE_29)) return;
  info_.selectionMode = mode;
  request_ = {bellType_, window_, 0, &info_, 0};
  std::u16string error;
  if (actions_.Device().SetMode(request_, error)) {
    actions_.ShowStatus(&info_);
  } else {
    ShortRequestFailed(error);
  }
}

void CProgrammerFlow::ChangePort(const std::string& setting) {
  const std::string before = CPortSetting::Read();
  if (flow_ != 0 || closing_ || setting == before) return;
  if (!CPortSetting::Write(setting)) {
    actions_.ShowError(Text(DinovaStrings::kPortNotSaved));
    return;
  }
  std::u16string error;
  bool reopened = false;
  {
    Waiting wait(actions_);
    reopened = actions_.Device().ReopenPort(error);
  }
  if (!reopened) {
    actions_.ShowError(Text(DinovaStrings::kBellCreateFailed) + u": " +
                       nv::Utf8ToWide(CPortSetting::Describe(setting)));
    CPortSetting::Write(before);
    actions_.Device().ReopenPort(error);
  }
  EndUnknown();
}

// --- Exit ------------------------------------------------------------------------

bool CProgrammerFlow::MayClose() {
  if (closing_) return true;
  // A bell that cannot answer (no bell object) runs nothing either.
  bool busy = false;
  actions_.Device().IsBusy(busy);
  if (busy) {
    if (!actions_.Ask(ProgrammerActions::Question::ExitWhileBusy)) return false;
    Waiting wait(actions_);
    actions_.Device().Cancel();
    do {
      Sleep(kBusyPollMs);
      busy = false;
      actions_.Device().IsBusy(busy);
    } while (busy);
  }
  closing_ = true;
  return true;
}
