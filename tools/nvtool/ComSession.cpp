#include "ComSession.h"

#include <cstdio>
#include <string>

#include "ToolError.h"
#include "chimox/Chimox.h"
#include "common/ComErrorU.h"
#include "common/MelodyValues.h"
#include "common/ObjectFactory.h"
#include "common/ToneSample.h"

namespace {

constexpr const char16_t* kMelodyError = u"Ошибка при создании объекта \"Мелодия\"";
constexpr const char16_t* kSampleError = u"Ошибка при создании объекта \"Образец\"";

// Asks for the class factory only: whether a server is registered must not
// depend on whether an object can be made (a bell cannot without its port).
HRESULT ProbeClass(REFCLSID clsid, REFIID iid, void** out) {
  return CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, iid, out);
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

}  // namespace

ComSession::ComSession() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(hr)) throw ToolError::Failed("the component runtime cannot start (" + Hex(hr) + ")");
}

ComSession::~ComSession() {
  CoUninitialize();
}

void ComSession::RequireServer(REFCLSID clsid, const char* module, bool& checked) {
  if (checked) return;
  if (!RegisterServerIfMissing(&ProbeClass, clsid, module)) {
    throw ToolError::Failed(std::string("the component server ") + module + " cannot be loaded or registered");
  }
  checked = true;
}

void ComSession::RequireSonvox() {
  RequireServer(CLSID_Melody, SONVOX_MODULE, sonvoxChecked_);
}

nv::ComPtr<IMelody> ComSession::NewMelody() {
  RequireSonvox();
  nv::ComPtr<IMelody> melody;
  if (FAILED(CreateServerObject(CLSID_Melody, IID_IMelody, melody.putVoid())) || !melody) {
    throw ToolError::Failed(kMelodyError);
  }
  return melody;
}

nv::ComPtr<IMelody> ComSession::MelodyFrom(const MelodyData& data) {
  nv::ComPtr<IMelody> melody = NewMelody();
  if (FAILED(MelodyValues::WriteName(melody.get(), data.name)) ||
      FAILED(MelodyValues::AppendNotes(melody.get(), data.notes))) {
    throw ToolError::Failed(kMelodyError);
  }
  // As the editor leaves a melody it has opened: no note selected.
  if (!data.notes.empty()) melody->SetCurrent(-1);
  return melody;
}

nv::ComPtr<ISample1> ComSession::NewEditorSample() {
  RequireSonvox();
  nv::ComPtr<ISample1> sample;
  ToneSample::Failure failure;
  if (FAILED(ToneSample::Create(&CreateServerObject, ToneSample::EditorPeriod(), sample.put(), &failure))) {
    const bool described = failure.step == ToneSample::Step::Fill && !failure.description.empty();
    throw ToolError::Failed(described ? failure.description : std::u16string(kSampleError));
  }
  return sample;
}

nv::ComPtr<IUnknown> ComSession::NewBell() {
  RequireSonvox();
  RequireServer(CLSID_Bell, CHIMOX_MODULE, chimoxChecked_);
  nv::ComPtr<IUnknown> bell;
  const HRESULT hr = CreateServerObject(CLSID_Bell, IID_IUnknown, bell.putVoid());
  if (FAILED(hr) || !bell) throw ToolError::Failed("the doorbell's port cannot be opened (" + Hex(hr) + ")");
  return bell;
}

MelodyData ComSession::Read(IMelody* melody) {
  MelodyData data;
  if (FAILED(MelodyValues::Read(melody, data))) throw ToolError::Failed("a melody object cannot be read");
  return data;
}
