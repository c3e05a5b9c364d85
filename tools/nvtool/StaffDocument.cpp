#include "StaffDocument.h"

#include "DocMessages.h"
#include "common/CStringU.h"
#include "common/MelodyValues.h"

using nv::RequestThread;

const RequestThread::Entry StaffDocument::kRequests[] = {
    {DOCM_GET_NAME, &RequestThread::Bind<StaffDocument, &StaffDocument::OnGetName>},
    {DOCM_GET_COUNT, &RequestThread::Bind<StaffDocument, &StaffDocument::OnGetCount>},
    {DOCM_GET_CURRENT, &RequestThread::Bind<StaffDocument, &StaffDocument::OnGetCurrent>},
    {DOCM_DRAW, &RequestThread::Bind<StaffDocument, &StaffDocument::OnDraw>},
    {0, nullptr},
};

StaffDocument::StaffDocument(IMelody* melody) : melody_(melody) {
  melody_->AddRef();
}

StaffDocument::~StaffDocument() {
  thread_.Close();
  melody_->Release();
}

bool StaffDocument::Start() {
  return thread_.Start(kRequests, this);
}

LONG StaffDocument::OnGetName(WPARAM wParam, LPARAM) {
  std::u16string name;
  if (FAILED(MelodyValues::ReadName(melody_, name))) return 0;
  if (auto* out = reinterpret_cast<CStringU*>(wParam)) *out = CStringU(name);
  return 1;
}

LONG StaffDocument::OnGetCount(WPARAM wParam, LPARAM) {
  LONG count = 0;
  if (FAILED(melody_->GetCount(&count))) return 0;
  if (auto* out = reinterpret_cast<LONG*>(wParam)) *out = count;
  return 1;
}

LONG StaffDocument::OnGetCurrent(WPARAM wParam, LPARAM) {
  LONG current = -1;
  if (FAILED(melody_->GetCurrent(&current))) return 0;
  if (auto* out = reinterpret_cast<LONG*>(wParam)) *out = current;
  return 1;
}

LONG StaffDocument::OnDraw(WPARAM, LPARAM lParam) {
  const auto* b = reinterpret_cast<const DrawBlock*>(lParam);
  if (b == nullptr) return 0;
  return SUCCEEDED(melody_->Draw(b->dc, b->staffImages, b->noteImages, b->selectedImages, b->colours, b->area, b->font,
                                 b->zoom))
             ? 1
             : 0;
}
