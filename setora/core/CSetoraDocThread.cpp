#include "CSetoraDocThread.h"

#include <algorithm>
#include <limits>

#include "SetoraMessages.h"
#include "common/CStringU.h"
#include "common/ComErrorU.h"
#include "platform/CodePage.h"

using nv::RequestOut;
using nv::RequestThread;

namespace {

const char* Text(LPARAM lParam) {
  return reinterpret_cast<const char*>(lParam);
}

// A melody index; -1, which no melody has, for a value beyond LONG.
LONG Index(LPARAM lParam) {
  if (lParam < 0 || lParam > std::numeric_limits<LONG>::max()) return -1;
  return static_cast<LONG>(lParam);
}

LONG Result(bool ok) {
  return ok ? 1 : 0;
}

}  // namespace

const RequestThread::Entry CSetoraDocThread::kRequests[] = {
    {SDM_CLOSE, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnClose>},
    {SDM_DESTROYED, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnDestroyed>},
    {SDM_NEW, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnNew>},
    {SDM_OPEN, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnOpen>},
    {SDM_SAVE, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnSave>},
    {SDM_IS_MODIFIED, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnIsModified>},
    {SDM_GET_COUNT, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnGetCount>},
    {SDM_GET_NAME, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnGetName>},
    {SDM_GET_PATH, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnGetPath>},
    {SDM_GET_NOTE_COUNT, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnGetNoteCount>},
    {SDM_ADD_MELODY, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnAddMelody>},
    {SDM_SAVE_MELODY, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnSaveMelody>},
    {SDM_DELETE, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnDelete>},
    {SDM_MOVE_UP, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnMoveUp>},
    {SDM_MOVE_DOWN, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnMoveDown>},
    {SDM_PLAY, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnPlay>},
    {SDM_IS_STOPPED, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnIsStopped>},
    {SDM_STOP, &RequestThread::Bind<CSetoraDocThread, &CSetoraDocThread::OnStop>},
    {0, nullptr},
};

CSetoraDocThread::CSetoraDocThread(ObjectFactory factory) : factory_(OrServerObjects(std::move(factory))) {}

CSetoraDocThread::~CSetoraDocThread() {
  Close();
}

bool CSetoraDocThread::OnStart() {
  // Sonvox registers itself the first time a program meets it.
  if (!RegisterServerIfMissing(factory_, CLSID_Melody, SONVOX_MODULE)) return false;
  doc_ = std::make_unique<CSetoraDoc>(factory_);
  return true;
}

void CSetoraDocThread::OnStop() {
  // A melody still playing is stopped and awaited by its own release.
  doc_.reset();
}

LONG CSetoraDocThread::OnDestroyed(WPARAM, LPARAM) {
  thread_.Quit();
  return 0;
}

LONG CSetoraDocThread::OnClose(WPARAM, LPARAM) {
  thread_.Quit();
  return 1;
}

LONG CSetoraDocThread::OnNew(WPARAM, LPARAM lParam) {
  const char* name = Text(lParam);
  return Result(doc_->New(nv::AnsiToWide(name != nullptr ? name : "")));
}

LONG CSetoraDocThread::OnOpen(WPARAM wParam, LPARAM lParam) {
  const char* path = Text(lParam);
  std::u16string error;
  if (path != nullptr && doc_->Open(path, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CSetoraDocThread::OnSave(WPARAM wParam, LPARAM lParam) {
  const char* path = Text(lParam);
  const std::string given = path != nullptr ? path : "";
  std::u16string error;
  if (doc_->Save(path != nullptr ? &given : nullptr, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CSetoraDocThread::OnIsModified(WPARAM, LPARAM) {
  return Result(doc_->IsModified());
}

LONG CSetoraDocThread::OnGetCount(WPARAM wParam, LPARAM) {
  auto* out = RequestOut<LONG>(wParam);
  if (out == nullptr) return 0;
  *out = doc_->Count();
  return 1;
}

LONG CSetoraDocThread::OnGetName(WPARAM wParam, LPARAM lParam) {
  auto* out = RequestOut<CStringU>(wParam);
  std::u16string name;
  if (out == nullptr || !doc_->Name(Index(lParam), name)) return 0;
  *out = CStringU(name);
  return 1;
}

LONG CSetoraDocThread::OnGetPath(WPARAM wParam, LPARAM) {
  auto* out = RequestOut<std::string>(wParam);
  if (out == nullptr) return 0;
  *out = doc_->Path();
  return 1;
}

LONG CSetoraDocThread::OnGetNoteCount(WPARAM wParam, LPARAM lParam) {
  auto* out = RequestOut<LONG>(wParam);
  return Result(out != nullptr && doc_->NoteCount(Index(lParam), *out));
}

LONG CSetoraDocThread::OnAddMelody(WPARAM wParam, LPARAM lParam) {
  const char* path = Text(lParam);
  std::u16string error;
  if (path != nullptr && doc_->AddMelodyFile(path, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CSetoraDocThread::OnSaveMelody(WPARAM wParam, LPARAM lParam) {
  const auto* block = reinterpret_cast<const SaveMelodyBlock*>(lParam);
  std::u16string error;
  if (block != nullptr && block->path != nullptr && doc_->SaveMelody(block->index, block->path, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CSetoraDocThread::OnDelete(WPARAM, LPARAM lParam) {
  return Result(doc_->Delete(Index(lParam)));
}

LONG CSetoraDocThread::OnMoveUp(WPARAM, LPARAM lParam) {
  return Result(doc_->MoveUp(Index(lParam)));
}

LONG CSetoraDocThread::OnMoveDown(WPARAM, LPARAM lParam) {
  return Result(doc_->MoveDown(Index(lParam)));
}

LONG CSetoraDocThread::OnPlay(WPARAM wParam, LPARAM lParam) {
  const LONG index = Index(lParam);
  if (doc_->Play(index)) return 1;
  // The melody's own description of the refusal, when it left one.
  if (auto* out = RequestOut<CStringU>(wParam); out != nullptr) {
    IMelody* melody = doc_->Melody(index);
    *out = melody != nullptr ? CStringU::Truncated(ComErrorU::Description(melody, IID_IMelody)) : CStringU();
  }
  return 0;
}

LONG CSetoraDocThread::OnIsStopped(WPARAM wParam, LPARAM lParam) {
  auto* out = RequestOut<LONG>(wParam);
  bool stopped = false;
  if (out == nullptr || !doc_->IsStopped(Index(lParam), stopped)) return 0;
  *out = stopped ? 1 : 0;
  return 1;
}

LONG CSetoraDocThread::OnStop(WPARAM, LPARAM lParam) {
  return Result(doc_->Stop(Index(lParam)));
}
