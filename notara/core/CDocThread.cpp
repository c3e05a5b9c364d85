#include "CDocThread.h"

#include "DocMessages.h"
#include "common/CStringU.h"
#include "common/MelodyValues.h"
#include "platform/CodePage.h"
#include "platform/DrawSurface.h"
#include "platform/Kernel.h"
#include "platform/Library.h"

using nv::RequestOut;
using nv::RequestThread;

namespace {

template <class T>
const T* In(LPARAM lParam) {
  return reinterpret_cast<const T*>(lParam);
}

}  // namespace

// Hands the document's messages and wait cursor to the thread that sent the
// current request.
class CDocThread::DocUi : public CMelodyDoc::Ui {
 public:
  DocUi(RequestThread& thread, const CDocThread::Ui& ui) : thread_(thread), ui_(ui) {}

  void ShowError(const std::u16string& text) override {
    if (ui_.showError) thread_.RunOnSender([&] { ui_.showError(text); });
  }
  void BeginWait() override {
    if (ui_.setWaitCursor) thread_.RunOnSender([&] { ui_.setWaitCursor(true); });
  }
  void EndWait() override {
    if (ui_.setWaitCursor) thread_.RunOnSender([&] { ui_.setWaitCursor(false); });
  }

 private:
  RequestThread& thread_;
  const CDocThread::Ui& ui_;
};

const RequestThread::Entry CDocThread::kRequests[] = {
    {DOCM_DESTROYED, &RequestThread::Bind<CDocThread, &CDocThread::OnDestroyed>},
    {DOCM_CLOSE, &RequestThread::Bind<CDocThread, &CDocThread::OnClose>},
    {DOCM_NEW, &RequestThread::Bind<CDocThread, &CDocThread::OnNew>},
    {DOCM_OPEN, &RequestThread::Bind<CDocThread, &CDocThread::OnOpen>},
    {DOCM_SAVE, &RequestThread::Bind<CDocThread, &CDocThread::OnSave>},
    {DOCM_IS_MODIFIED, &RequestThread::Bind<CDocThread, &CDocThread::OnIsModified>},
    {DOCM_GET_PATH, &RequestThread::Bind<CDocThread, &CDocThread::OnGetPath>},
    {DOCM_EXPORT_MIDI, &RequestThread::Bind<CDocThread, &CDocThread::OnExportMidi>},
    {DOCM_UNDO, &RequestThread::Bind<CDocThread, &CDocThread::OnUndo>},
    {DOCM_NEXT_NOTE, &RequestThread::Bind<CDocThread, &CDocThread::OnNextNote>},
    {DOCM_PREV_NOTE, &RequestThread::Bind<CDocThread, &CDocThread::OnPrevNote>},
    {DOCM_SOUND_NOTE, &RequestThread::Bind<CDocThread, &CDocThread::OnSoundNote>},
    {DOCM_IS_UNDO_EMPTY, &RequestThread::Bind<CDocThread, &CDocThread::OnIsUndoEmpty>},
    {DOCM_RING_IMPORT, &RequestThread::Bind<CDocThread, &CDocThread::OnRingImport>},
    {DOCM_RING_EXPORT, &RequestThread::Bind<CDocThread, &CDocThread::OnRingExport>},
    {DOCM_TRANSPOSE, &RequestThread::Bind<CDocThread, &CDocThread::OnTranspose>},
    {DOCM_DRAW, &RequestThread::Bind<CDocThread, &CDocThread::OnDraw>},
    {DOCM_GET_NAME, &RequestThread::Bind<CDocThread, &CDocThread::OnGetName>},
    {DOCM_GET_COUNT, &RequestThread::Bind<CDocThread, &CDocThread::OnGetCount>},
    {DOCM_GET_CURRENT, &RequestThread::Bind<CDocThread, &CDocThread::OnGetCurrent>},
    {DOCM_GET_NOTE_POS, &RequestThread::Bind<CDocThread, &CDocThread::OnGetNotePos>},
    {DOCM_GET_PITCH, &RequestThread::Bind<CDocThread, &CDocThread::OnGetPitch>},
    {DOCM_GET_DURATION, &RequestThread::Bind<CDocThread, &CDocThread::OnGetDuration>},
    {DOCM_GET_FLAGS, &RequestThread::Bind<CDocThread, &CDocThread::OnGetFlags>},
    {DOCM_GET_NOTE_SIZE, &RequestThread::Bind<CDocThread, &CDocThread::OnGetNoteSize>},
    {DOCM_PLAY, &RequestThread::Bind<CDocThread, &CDocThread::OnPlay>},
    {DOCM_STOP, &RequestThread::Bind<CDocThread, &CDocThread::OnStop>},
    {DOCM_SELECT_AT, &RequestThread::Bind<CDocThread, &CDocThread::OnSelectAt>},
    {DOCM_INSERT_NOTE, &RequestThread::Bind<CDocThread, &CDocThread::OnInsertNote>},
    {DOCM_INSERT_REST, &RequestThread::Bind<CDocThread, &CDocThread::OnInsertRest>},
    {DOCM_DELETE, &RequestThread::Bind<CDocThread, &CDocThread::OnDelete>},
    {DOCM_PITCH_UP, &RequestThread::Bind<CDocThread, &CDocThread::OnPitchUp>},
    {DOCM_PITCH_DOWN, &RequestThread::Bind<CDocThread, &CDocThread::OnPitchDown>},
    {DOCM_LENGTHEN, &RequestThread::Bind<CDocThread, &CDocThread::OnLengthen>},
    {DOCM_SHORTEN, &RequestThread::Bind<CDocThread, &CDocThread::OnShorten>},
    {DOCM_RENAME, &RequestThread::Bind<CDocThread, &CDocThread::OnRename>},
    {DOCM_IS_PLAYING, &RequestThread::Bind<CDocThread, &CDocThread::OnIsPlaying>},
    {DOCM_CH_CLEAR, &RequestThread::Bind<CDocThread, &CDocThread::OnChClear>},
    {DOCM_CH_ADD_NOTE, &RequestThread::Bind<CDocThread, &CDocThread::OnChAddNote>},
    {DOCM_CH_COUNT, &RequestThread::Bind<CDocThread, &CDocThread::OnChCount>},
    {DOCM_CH_GET_COUNT, &RequestThread::Bind<CDocThread, &CDocThread::OnChGetCount>},
    {DOCM_CH_IS_PLAYING, &RequestThread::Bind<CDocThread, &CDocThread::OnChIsPlaying>},
    {DOCM_CH_STOP, &RequestThread::Bind<CDocThread, &CDocThread::OnChStop>},
    {DOCM_CH_PLAY, &RequestThread::Bind<CDocThread, &CDocThread::OnChPlay>},
    {DOCM_CH_SET_BLOCK, &RequestThread::Bind<CDocThread, &CDocThread::OnChSetBlock>},
    {DOCM_CH_SET_CURRENT, &RequestThread::Bind<CDocThread, &CDocThread::OnChSetCurrent>},
    {DOCM_CH_GET_CURRENT, &RequestThread::Bind<CDocThread, &CDocThread::OnChGetCurrent>},
    {DOCM_CH_TAKE, &RequestThread::Bind<CDocThread, &CDocThread::OnChTake>},
    {0, nullptr},
};

CDocThread::CDocThread(Ui ui, ObjectFactory factory)
    : ui_(std::move(ui)), factory_(OrServerObjects(std::move(factory))) {}

CDocThread::~CDocThread() {
  Close();
}

bool CDocThread::OnStart() {
  // Sonvox registers itself the first time a program meets it.
  IUnknown* probe = nullptr;
  if (SUCCEEDED(factory_(CLSID_Melody, IID_IUnknown, reinterpret_cast<void**>(&probe))) && probe != nullptr) {
    probe->Release();
  } else {
    HMODULE module = LoadLibrary(SONVOX_MODULE);
    if (module == nullptr) return false;
    if (auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"))) reg();
    FreeLibrary(module);
  }
  docUi_ = std::make_unique<DocUi>(thread_, ui_);
  doc_ = std::make_unique<CMelodyDoc>(docUi_.get(), factory_);
  editor_ = std::make_unique<CMelodyEditor>(*doc_, factory_, kSoundWaitMs);
  wholeEdits_ = std::make_unique<CWholeMelodyEdits>(*doc_);
  return true;
}

void CDocThread::OnStop() {
  wholeEdits_.reset();
  editor_.reset();
  doc_.reset();
}

IMelody* CDocThread::Melody() const {
  return doc_ ? doc_->Melody() : nullptr;
}

LONG CDocThread::OnDestroyed(WPARAM, LPARAM) {
  thread_.Quit();
  return 0;
}

LONG CDocThread::OnClose(WPARAM, LPARAM) {
  thread_.Quit();
  return 1;
}

LONG CDocThread::OnNew(WPARAM, LPARAM lParam) {
  const char* name = reinterpret_cast<const char*>(lParam);
  return doc_->NewDocument(nv::AnsiToWide(name != nullptr ? name : "")) ? 1 : 0;
}

LONG CDocThread::OnOpen(WPARAM wParam, LPARAM lParam) {
  const char* path = reinterpret_cast<const char*>(lParam);
  std::u16string error;
  if (path != nullptr && doc_->OpenDocument(path, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CDocThread::OnSave(WPARAM wParam, LPARAM lParam) {
  const char* path = reinterpret_cast<const char*>(lParam);
  const std::string given = path != nullptr ? path : "";
  std::u16string error;
  if (Melody() != nullptr && doc_->SaveDocument(path != nullptr ? &given : nullptr, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CDocThread::OnIsModified(WPARAM, LPARAM) {
  return doc_->IsModified() ? 1 : 0;
}

LONG CDocThread::OnGetPath(WPARAM wParam, LPARAM) {
  if (auto* out = RequestOut<std::string>(wParam)) *out = doc_->Path();
  return 1;
}

LONG CDocThread::OnExportMidi(WPARAM wParam, LPARAM lParam) {
  const char* path = reinterpret_cast<const char*>(lParam);
  std::u16string error;
  if (path != nullptr && Melody() != nullptr && doc_->ExportMidi(path, error)) return 1;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU::Truncated(error);
  return 0;
}

LONG CDocThread::OnIsUndoEmpty(WPARAM wParam, LPARAM) {
  if (auto* out = RequestOut<LONG>(wParam)) *out = doc_->Undo().IsEmpty() ? 1 : 0;
  return 1;
}

LONG CDocThread::OnRingImport(WPARAM wParam, LPARAM lParam) {
  const auto* b = In<RingToneImportBlock>(lParam);
  auto* out = RequestOut<RingToneImportResult>(wParam);
  if (b == nullptr || b->text == nullptr) return 0;
  RingToneImport::Prepared prepared;
  const LONG done = wholeEdits_->ImportRingTone(*b->text, b->semitones, b->fit != 0, b->insert != 0, prepared);
  if (out != nullptr) {
    out->notes = static_cast<LONG>(prepared.melody.notes.size());
    out->folded = static_cast<LONG>(prepared.folded);
    out->error = prepared.ok ? std::u16string() : RingToneImport::Describe(prepared.error);
  }
  return done;
}

LONG CDocThread::OnRingExport(WPARAM wParam, LPARAM lParam) {
  const char* path = reinterpret_cast<const char*>(lParam);
  auto* out = RequestOut<RingToneExportResult>(wParam);
  if (out == nullptr || Melody() == nullptr) return 0;
  bool raised = false;
  const bool done = doc_->ExportRingTone(path, out->text, raised, out->error);
  out->raised = raised ? 1 : 0;
  return done ? 1 : 0;
}

LONG CDocThread::OnTranspose(WPARAM wParam, LPARAM lParam) {
  const auto* b = In<TransposeBlock>(lParam);
  if (b == nullptr) return 0;
  size_t folded = 0;
  if (wholeEdits_->Transpose(b->semitones, b->fit != 0, folded) == 0) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = static_cast<LONG>(folded);
  return 1;
}

LONG CDocThread::OnIsPlaying(WPARAM wParam, LPARAM) {
  IMelody* melody = Melody();
  SHORT playing = 0;
  if (melody == nullptr || FAILED(melody->IsPlaying(&playing))) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = playing != 0 ? 1 : 0;
  return 1;
}

// Queries and drawing.

LONG CDocThread::OnDraw(WPARAM, LPARAM lParam) {
  IMelody* melody = Melody();
  const auto* b = In<DrawBlock>(lParam);
  if (melody == nullptr || b == nullptr) return 0;
  return SUCCEEDED(melody->Draw(b->dc, b->staffImages, b->noteImages, b->selectedImages, b->colours, b->area, b->font,
                                b->zoom))
             ? 1
             : 0;
}

LONG CDocThread::OnGetName(WPARAM wParam, LPARAM) {
  std::u16string name;
  if (Melody() == nullptr || FAILED(MelodyValues::ReadName(Melody(), name))) return 0;
  if (auto* out = RequestOut<CStringU>(wParam)) *out = CStringU(name);
  return 1;
}

LONG CDocThread::OnGetCount(WPARAM wParam, LPARAM) {
  LONG count = 0;
  if (Melody() == nullptr || FAILED(Melody()->GetCount(&count))) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = count;
  return 1;
}

LONG CDocThread::OnGetCurrent(WPARAM wParam, LPARAM) {
  LONG current = -1;
  if (Melody() == nullptr || FAILED(Melody()->GetCurrent(&current))) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = current;
  return 1;
}

LONG CDocThread::OnGetNotePos(WPARAM wParam, LPARAM lParam) {
  const auto* b = In<NotePosBlock>(lParam);
  auto* out = RequestOut<POINT>(wParam);
  if (Melody() == nullptr || b == nullptr || out == nullptr) return 0;
  return SUCCEEDED(Melody()->GetNotePosition(b->index, b->zoom, b->nameHeight, out)) ? 1 : 0;
}

LONG CDocThread::OnGetPitch(WPARAM wParam, LPARAM) {
  auto* out = RequestOut<SHORT>(wParam);
  if (Melody() == nullptr || out == nullptr) return 0;
  return SUCCEEDED(Melody()->GetCurrentPitch(out)) ? 1 : 0;
}

LONG CDocThread::OnGetDuration(WPARAM wParam, LPARAM) {
  auto* out = RequestOut<SHORT>(wParam);
  if (Melody() == nullptr || out == nullptr) return 0;
  return SUCCEEDED(Melody()->GetCurrentDuration(out)) ? 1 : 0;
}

LONG CDocThread::OnGetFlags(WPARAM wParam, LPARAM) {
  auto* out = RequestOut<SHORT>(wParam);
  if (Melody() == nullptr || out == nullptr) return 0;
  return SUCCEEDED(Melody()->GetCurrentFlags(out)) ? 1 : 0;
}

LONG CDocThread::OnGetNoteSize(WPARAM wParam, LPARAM lParam) {
  const auto* b = In<NoteSizeBlock>(lParam);
  auto* out = RequestOut<SIZE>(wParam);
  if (Melody() == nullptr || b == nullptr || out == nullptr) return 0;
  return SUCCEEDED(Melody()->GetNoteSize(b->zoom, b->nameHeight, &out->cx, &out->cy)) ? 1 : 0;
}

LONG CDocThread::OnSelectAt(WPARAM, LPARAM lParam) {
  const auto* b = In<SelectAtBlock>(lParam);
  if (Melody() == nullptr || b == nullptr) return 0;
  return SUCCEEDED(Melody()->SelectAt(b->x, b->y, b->zoom, b->nameHeight)) ? 1 : 0;
}

// Editing, navigation, sound and playback.

LONG CDocThread::OnUndo(WPARAM, LPARAM) {
  return editor_->Undo();
}
LONG CDocThread::OnNextNote(WPARAM, LPARAM) {
  return editor_->Next();
}
LONG CDocThread::OnPrevNote(WPARAM, LPARAM) {
  return editor_->Previous();
}
LONG CDocThread::OnSoundNote(WPARAM, LPARAM) {
  return editor_->SoundNote();
}
LONG CDocThread::OnInsertNote(WPARAM, LPARAM) {
  return editor_->InsertNote();
}
LONG CDocThread::OnInsertRest(WPARAM, LPARAM) {
  return editor_->InsertRest();
}
LONG CDocThread::OnDelete(WPARAM, LPARAM) {
  return editor_->Delete();
}
LONG CDocThread::OnPitchUp(WPARAM, LPARAM) {
  return editor_->PitchUp();
}
LONG CDocThread::OnPitchDown(WPARAM, LPARAM) {
  return editor_->PitchDown();
}
LONG CDocThread::OnLengthen(WPARAM, LPARAM) {
  return editor_->Lengthen();
}
LONG CDocThread::OnShorten(WPARAM, LPARAM) {
  return editor_->Shorten();
}

LONG CDocThread::OnRename(WPARAM, LPARAM lParam) {
  const auto* name = In<CStringU>(lParam);
  return name != nullptr ? editor_->Rename(*name) : 0;
}

LONG CDocThread::OnPlay(WPARAM, LPARAM) {
  return editor_->Play(viewWindow_.load());
}

LONG CDocThread::OnStop(WPARAM, LPARAM) {
  return Melody() != nullptr && SUCCEEDED(Melody()->Stop()) ? 1 : 0;
}

// Channel melodies of a MIDI import.

IMelody* CDocThread::Channel(LPARAM index) const {
  if (index < 0 || index > 0x7FFFFFFF) return nullptr;
  return doc_->ChannelMelody(static_cast<LONG>(index));
}

LONG CDocThread::OnChClear(WPARAM, LPARAM) {
  doc_->ChannelClear();
  return 1;
}

LONG CDocThread::OnChAddNote(WPARAM, LPARAM lParam) {
  const auto* b = In<ChannelNoteBlock>(lParam);
  if (b == nullptr) return 0;
  return doc_->ChannelAddNote(ImportedNote{b->pitch, b->duration, b->flags, b->channel}) ? 1 : 0;
}

LONG CDocThread::OnChCount(WPARAM wParam, LPARAM) {
  if (auto* out = RequestOut<LONG>(wParam)) *out = doc_->ChannelCount();
  return 1;
}

LONG CDocThread::OnChGetCount(WPARAM wParam, LPARAM lParam) {
  auto* out = RequestOut<LONG>(wParam);
  if (out != nullptr) *out = 0;
  IMelody* melody = Channel(lParam);
  LONG count = 0;
  if (melody == nullptr || FAILED(melody->GetCount(&count))) return 0;
  if (out != nullptr) *out = count;
  return 1;
}

LONG CDocThread::OnChIsPlaying(WPARAM wParam, LPARAM lParam) {
  IMelody* melody = Channel(lParam);
  SHORT playing = 0;
  if (melody == nullptr || FAILED(melody->IsPlaying(&playing))) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = playing != 0 ? 1 : 0;
  return 1;
}

LONG CDocThread::OnChStop(WPARAM, LPARAM lParam) {
  IMelody* melody = Channel(lParam);
  return melody != nullptr && SUCCEEDED(melody->Stop()) ? 1 : 0;
}

LONG CDocThread::OnChPlay(WPARAM, LPARAM lParam) {
  IMelody* melody = Channel(lParam);
  return melody != nullptr && SUCCEEDED(melody->Play(1, doc_->Sample(), nullptr, 0)) ? 1 : 0;
}

LONG CDocThread::OnChSetBlock(WPARAM, LPARAM lParam) {
  const auto* b = In<ChannelBlockBlock>(lParam);
  IMelody* melody = b != nullptr ? Channel(b->index) : nullptr;
  if (melody == nullptr) return 0;
  IBlock* block = nullptr;
  if (FAILED(melody->QueryInterface(IID_IBlock, reinterpret_cast<void**>(&block))) || block == nullptr) return 0;
  const bool ok = SUCCEEDED(block->SetStart(b->start)) && SUCCEEDED(block->SetEnd(b->end));
  block->Release();
  return ok ? 1 : 0;
}

LONG CDocThread::OnChSetCurrent(WPARAM, LPARAM lParam) {
  const auto* b = In<ChannelCurrentBlock>(lParam);
  IMelody* melody = b != nullptr ? Channel(b->index) : nullptr;
  return melody != nullptr && SUCCEEDED(melody->SetCurrent(b->current)) ? 1 : 0;
}

LONG CDocThread::OnChGetCurrent(WPARAM wParam, LPARAM lParam) {
  IMelody* melody = Channel(lParam);
  LONG current = -1;
  if (melody == nullptr || FAILED(melody->GetCurrent(&current))) return 0;
  if (auto* out = RequestOut<LONG>(wParam)) *out = current;
  return 1;
}

LONG CDocThread::OnChTake(WPARAM, LPARAM lParam) {
  const auto* b = In<ChannelTakeBlock>(lParam);
  if (b == nullptr || b->name == nullptr) return 0;
  return doc_->TakeChannelMelody(b->index, b->start, b->end, b->name->View()) ? 1 : 0;
}
