// The bell component as clients use it: created through the component
// runtime on a virtual doorbell named in the registry, with its worker
// operations reporting through posted messages.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "MemoryImages.h"
#include "SimulatedDoorbell.h"
#include "TempDir.h"
#include "chimox/Chimox.h"
#include "platform/CodePage.h"
#include "platform/Kernel.h"
#include "platform/Library.h"
#include "platform/MessageQueue.h"
#include "platform/Registry.h"
#include "portix/PortSetting.h"
#include "portix/Portix.h"

namespace {

using namespace chimoxtest;

constexpr UINT kNotify = WM_APP + 7;
constexpr char kBusyText[] = "Звонок занят операцией ввода-вывода\n";

std::string ModuleDir() {
  const std::string dir = nvtest::BinDir();
  return dir.empty() ? NV_TEST_BIN_DIR : dir;
}

void SetRegistryText(HKEY root, const char* path, const char* name, const std::string& text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyEx(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

// The calling thread's error description, taken out of its slot.
std::string ErrorText() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return "<none>";
  BSTR text = nullptr;
  info->GetDescription(&text);
  info->Release();
  std::string result = text ? nv::WideToUtf8(std::u16string(text, SysStringLen(text))) : "";
  SysFreeString(text);
  return result;
}

struct Note {
  WORD operation;
  WORD percent;
  LPARAM code;
  bool operator==(const Note&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Note& n) {
  return out << "(" << n.operation << ", " << n.percent << "%, " << n.code << ")";
}

class BellObject : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    HMODULE module = LoadLibrary((ModuleDir() + "/" + CHIMOX_MODULE).c_str());
    ASSERT_NE(module, nullptr);
    auto registerServer = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), S_OK);
    FreeLibrary(module);
    target_ = {kNotify, queue_.Window()};
  }
  void TearDown() override { CoUninitialize(); }

  // A bell on an image file holding the given bytes; fast: in simulated time.
  template <class I>
  HRESULT Create(const std::vector<BYTE>& image, bool fast, REFIID iid, I** bell) {
    WriteImage(image_, image);
    return CreateOn("virtual:" + image_ + (fast ? "?fast=1" : ""), iid, bell);
  }
  template <class I>
  HRESULT CreateOn(const std::string& port, REFIID iid, I** bell) {
    SetRegistryText(HKEY_CURRENT_USER, portix::kSettingsKey, portix::kPortValue, port);
    return CoCreateInstance(CLSID_Bell, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(bell));
  }

  // Every message up to and including the operation's last one.
  std::vector<Note> UntilEnd() {
    std::vector<Note> notes;
    MessageQueue::Message message{};
    while (queue_.Get(&message, 60000)) {
      EXPECT_EQ(message.message, kNotify);
      const Note note{LOWORD(message.wParam), HIWORD(message.wParam), message.lParam};
      notes.push_back(note);
      if (note.code != 0 || note.percent == 100) return notes;
    }
    ADD_FAILURE() << "no end of operation";
    return notes;
  }

  nvtest::TempDir dir_;
  std::string image_ = dir_.file("bell.bin");
  MessageQueue queue_;
  NotifyTarget target_{};
};

TEST_F(BellObject, RegistersAndIsCreatedOnlyWithAPort) {
  CLSID registered{};
  EXPECT_EQ(CLSIDFromProgID(u"Chimox.Bell", &registered), S_OK);
  EXPECT_TRUE(IsEqualCLSID(registered, CLSID_Bell));
  IBell* bell = nullptr;
  ASSERT_EQ(Create(Image20({}), true, IID_IBell, &bell), S_OK);
  EXPECT_EQ(ErrorText(), "Ошибок нет");
  for (const IID* iid : {&IID_IUnknown, &IID_IBell_ver2_0, &IID_IBell_ver2_9, &IID_IChimoxice}) {
    nv::ComPtr<IUnknown> part;
    EXPECT_EQ(bell->QueryInterface(*iid, part.putVoid()), S_OK);
  }
  EXPECT_EQ(bell->Release(), 0u);
  EXPECT_EQ(CreateOn(dir_.file("parport-none"), IID_IBell, &bell), S_OK);  // a parallel port opens lazily
  bell->Release();
  EXPECT_EQ(CreateOn("/dev/i2c-250", IID_IBell, &bell), E_FAIL);  // an I2C adapter must be there
  EXPECT_EQ(bell, nullptr);
}

TEST_F(BellObject, ThePortIsFixedAtCreationAndABusyPortIsRefusedAtOnce) {
  IBell_ver2_0* bell = nullptr;
  ASSERT_EQ(Create(Image20({Notes(3), Notes(2)}), true, IID_IBell_ver2_0, &bell), S_OK);
  const std::string port = "virtual:" + image_ + "?fast=1";
  // The setting names another doorbell now; this object keeps its own.
  SetRegistryText(HKEY_CURRENT_USER, portix::kSettingsKey, portix::kPortValue,
                  "virtual:" + dir_.file("other.bin") + "?size=512&fast=1");
  BellInfo info{};
  ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
  ASSERT_EQ(UntilEnd().back(), (Note{BELL_OP_READ_INFO, 100, 0}));
  EXPECT_EQ(info.melodyCount, 2);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("other.bin")));

  // Another program holds the port: refused at once, nothing interleaved.
  HMODULE library = LoadLibrary((ModuleDir() + "/" + PORTIX_MODULE).c_str());
  ASSERT_NE(library, nullptr);
  auto open = reinterpret_cast<PFN_PORTIXOPENPORT>(GetProcAddress(library, "PortixOpenPort"));
  auto lock = reinterpret_cast<PFN_PORTIXLOCK>(GetProcAddress(library, "PortixLock"));
  auto unlock = reinterpret_cast<PFN_PORTIXUNLOCK>(GetProcAddress(library, "PortixUnlock"));
  auto close = reinterpret_cast<PFN_PORTIXCLOSEPORT>(GetProcAddress(library, "PortixClosePort"));
  ASSERT_TRUE(open && lock && unlock && close);
  PORTIX_PORT other = open(port.c_str());
  ASSERT_EQ(lock(other, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(bell->ReadInfo(&info, &target_), E_FAIL);
  EXPECT_EQ(ErrorText(), "Порт звонка занят другой программой\n");
  EXPECT_EQ(bell->ClearSet(&info), E_FAIL);
  EXPECT_EQ(ErrorText(), "Порт звонка занят другой программой\n");
  EXPECT_EQ(info.melodyCount, 2);
  EXPECT_TRUE(unlock(other));
  EXPECT_EQ(bell->ClearSet(&info), S_OK);
  EXPECT_EQ(info.melodyCount, 0);
  close(other);
  FreeLibrary(library);
  bell->Release();
}

TEST_F(BellObject, OperationsAreRefusedWhileAWorkerRuns) {
  IBell_ver2_9* bell = nullptr;
  // Real timing: the status read takes long enough to be still running.
  ASSERT_EQ(Create(Image29(32768, {Notes(4)}), false, IID_IBell_ver2_9, &bell), S_OK);
  nv::ComPtr<IBell> control;
  nv::ComPtr<IChimoxice> dumps;
  ASSERT_EQ(bell->QueryInterface(IID_IBell, control.putVoid()), S_OK);
  ASSERT_EQ(bell->QueryInterface(IID_IChimoxice, dumps.putVoid()), S_OK);

  BellInfo info{};
  ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
  SHORT busy = 0;
  EXPECT_EQ(control->IsBusy(&busy), S_OK);
  EXPECT_EQ(busy, 1);
  BellInfo other{};
  auto melody = MakeMelody(Notes(2));
  const std::u16string dumpPath = nv::Utf8ToWide(dir_.file("dump.txt"));
  for (HRESULT hr :
       {bell->ReadInfo(&other, &target_), bell->AddMelody(melody.get(), &other, &target_, 0),
        bell->ReadMelody(melody.get(), 1, &other, &target_), bell->ClearSet(&other), bell->SetSelectionMode(&other),
        bell->SetCurrentMelody(&other), dumps->DumpVer2_0(dumpPath.c_str())}) {
    EXPECT_EQ(hr, E_FAIL);
  }
  EXPECT_EQ(ErrorText(), "Звонок занят операцией ввода-вывода\n");
  EXPECT_EQ(References(melody.get()), 1u);

  EXPECT_EQ(UntilEnd(), (std::vector<Note>{{1, 10, 0}, {1, 60, 0}, {1, 100, 0}}));
  EXPECT_EQ(info.melodyCount, 1);
  EXPECT_EQ(info.usedSymbols, 5);
  // Idle by the time the last message arrives: the next operation starts at once.
  EXPECT_EQ(control->IsBusy(&busy), S_OK);
  EXPECT_EQ(busy, 0);
  EXPECT_EQ(bell->SetCurrentMelody(&info), S_OK);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("dump.txt")));
  bell->Release();
}

TEST_F(BellObject, CancelAndDestructionStopTheWorkerAtItsNextProgressPoint) {
  for (const bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "cancelled");
    IBell_ver2_9* bell = nullptr;
    ASSERT_EQ(Create(Image29(16384, {Notes(3)}), false, IID_IBell_ver2_9, &bell), S_OK);
    BellInfo info{};
    ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
    if (destroy) {
      EXPECT_EQ(bell->Release(), 0u);  // returns once the worker has ended
      EXPECT_EQ(queue_.Size(), 2u);
    } else {
      nv::ComPtr<IBell> control;
      ASSERT_EQ(bell->QueryInterface(IID_IBell, control.putVoid()), S_OK);
      EXPECT_EQ(control->Cancel(), S_OK);
    }
    EXPECT_EQ(UntilEnd(), (std::vector<Note>{{1, 10, 0}, {1, 10, BELL_ERR_CANCELLED}}));
    if (!destroy) bell->Release();
    EXPECT_EQ(queue_.Size(), 0u);
  }
}

TEST_F(BellObject, CurrentMelodyMayBeTheLastButNotBeyond) {
  IBell_ver2_0* bell = nullptr;
  ASSERT_EQ(Create(Image20({Notes(2), Notes(3), {}}), true, IID_IBell_ver2_0, &bell), S_OK);
  nv::ComPtr<IBell> control;
  ASSERT_EQ(bell->QueryInterface(IID_IBell, control.putVoid()), S_OK);
  EXPECT_EQ(control->Cancel(), S_OK);  // nothing runs: forgotten by the next start
  BellInfo info{};
  ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
  ASSERT_EQ(UntilEnd(), (std::vector<Note>{{1, 10, 0}, {1, 60, 0}, {1, 100, 0}}));
  ASSERT_EQ(info.melodyCount, 3);

  info.currentMelody = 3;
  EXPECT_EQ(bell->SetCurrentMelody(&info), S_OK);
  EXPECT_EQ(ReadImage(image_)[256], 18);
  info.currentMelody = 4;
  EXPECT_EQ(bell->SetCurrentMelody(&info), E_FAIL);
  EXPECT_EQ(ErrorText(), "Номер текущей мелодии больше количества мелодий");
  EXPECT_EQ(ReadImage(image_)[256], 18);
  EXPECT_EQ(bell->SetCurrentMelody(nullptr), E_POINTER);
  bell->Release();
}

TEST_F(BellObject, CurrentMelodyOutsideTheSetIsRefusedWhereItWouldHideTheSet) {
  constexpr char kBelowOne[] = "Номер текущей мелодии должен быть не меньше 1";
  constexpr char kAboveCount[] = "Номер текущей мелодии больше количества мелодий";
  struct Case {
    const char* name;
    bool v29;
    int melodies;
    LONG current;
    HRESULT result;
    const char* text;  // nullptr: accepted
  };
  const Case cases[] = {
      {"2.9, zero in a set", true, 3, 0, E_FAIL, kBelowOne},
      {"2.9, negative in a set", true, 3, -1, E_FAIL, kBelowOne},
      {"2.9, above the count", true, 3, 4, E_FAIL, kAboveCount},
      {"2.9, the first", true, 3, 1, S_OK, nullptr},
      {"2.9, the last", true, 3, 3, S_OK, nullptr},
      {"2.9, zero in an empty memory", true, 0, 0, S_OK, nullptr},
      {"2.9, negative in an empty memory", true, 0, -1, E_FAIL, kBelowOne},
      {"2.0, zero in a set (no lower bound)", false, 3, 0, S_OK, nullptr},
      {"2.0, above the count", false, 3, 4, E_FAIL, kAboveCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Melodies set(static_cast<size_t>(c.melodies), Notes(2));
    const std::vector<BYTE> image = c.v29 ? Image29(16384, set, c.melodies > 0 ? 2 : 0) : Image20(set, 17);
    BellInfo info{};
    HRESULT hr = E_UNEXPECTED;
    if (c.v29) {
      IBell_ver2_9* bell = nullptr;
      ASSERT_EQ(Create(image, true, IID_IBell_ver2_9, &bell), S_OK);
      ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
      ASSERT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
      info.currentMelody = c.current;
      hr = bell->SetCurrentMelody(&info);
      bell->Release();
    } else {
      IBell_ver2_0* bell = nullptr;
      ASSERT_EQ(Create(image, true, IID_IBell_ver2_0, &bell), S_OK);
      ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
      ASSERT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
      info.currentMelody = c.current;
      hr = bell->SetCurrentMelody(&info);
      bell->Release();
    }
    EXPECT_EQ(hr, c.result);
    if (c.text) {
      EXPECT_EQ(ErrorText(), c.text);
      // A refusal writes nothing.
      EXPECT_EQ(ReadImage(image_), image);
    }

    // Whatever was accepted, the set still reads whole.
    IBell_ver2_9* v29 = nullptr;
    IBell_ver2_0* v20 = nullptr;
    BellInfo fresh{};
    if (c.v29) {
      ASSERT_EQ(CreateOn("virtual:" + image_ + "?fast=1", IID_IBell_ver2_9, &v29), S_OK);
      ASSERT_EQ(v29->ReadInfo(&fresh, &target_), S_OK);
    } else {
      ASSERT_EQ(CreateOn("virtual:" + image_ + "?fast=1", IID_IBell_ver2_0, &v20), S_OK);
      ASSERT_EQ(v20->ReadInfo(&fresh, &target_), S_OK);
    }
    EXPECT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
    EXPECT_EQ(fresh.melodyCount, c.melodies);
    if (v29) v29->Release();
    if (v20) v20->Release();
  }
}

// Writes to files at or beyond limit bytes fail (EFBIG) for the length of a
// scope, as a full or failing disk would: the page saves of the virtual
// doorbell's image meet a real failed write.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    EXPECT_EQ(0, getrlimit(RLIMIT_FSIZE, &before_));
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lowered = before_;
    lowered.rlim_cur = limit;
    EXPECT_EQ(0, setrlimit(RLIMIT_FSIZE, &lowered));
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &before_);
    std::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit before_{};
  void (*previous_)(int) = SIG_DFL;
};

// One bell object of either version, for the tests that run the same steps
// on both.
struct AnyBell {
  nv::ComPtr<IBell_ver2_0> v20;
  nv::ComPtr<IBell_ver2_9> v29;
  HRESULT ReadInfo(BellInfo* info, NotifyTarget* target) {
    return v29 ? v29->ReadInfo(info, target) : v20->ReadInfo(info, target);
  }
  HRESULT AddMelody(IMelody* melody, BellInfo* info, NotifyTarget* target) {
    return v29 ? v29->AddMelody(melody, info, target, 0) : v20->AddMelody(melody, info, target);
  }
  HRESULT ReadMelody(IMelody* melody, LONG number, BellInfo* info, NotifyTarget* target) {
    return v29 ? v29->ReadMelody(melody, number, info, target) : v20->ReadMelody(melody, number, info, target);
  }
  HRESULT ClearSet(BellInfo* info) { return v29 ? v29->ClearSet(info) : v20->ClearSet(info); }
  HRESULT SetSelectionMode(BellInfo* info) { return v29 ? v29->SetSelectionMode(info) : v20->SetSelectionMode(info); }
  HRESULT SetCurrentMelody(BellInfo* info) { return v29 ? v29->SetCurrentMelody(info) : v20->SetCurrentMelody(info); }
};

TEST_F(BellObject, APageThatCannotBeSavedIsAFailedWriteAndLosesNothing) {
  enum class Op { Append, Clear, Mode, Current };
  struct Case {
    const char* name;
    bool v29;
    bool fast;     // saves at the stop condition; else in the background while the host pauses
    rlim_t limit;  // image bytes from here on cannot be written
    Op op;
  };
  const Case cases[] = {
      {"2.0 append: notes saved, their flags not", false, true, 256, Op::Append},
      {"2.0 append, background saves", false, false, 256, Op::Append},
      {"2.0 clear", false, true, 256, Op::Clear},
      {"2.0 mode", false, true, 256, Op::Mode},
      {"2.0 current", false, true, 256, Op::Current},
      {"2.9 append: the notes", true, true, 0x0800, Op::Append},
      {"2.9 append, background saves", true, false, 0x0800, Op::Append},
      {"2.9 clear", true, true, 0, Op::Clear},
      {"2.9 clear, background save", true, false, 0, Op::Clear},
      {"2.9 mode", true, true, 0, Op::Mode},
      {"2.9 current", true, true, 0, Op::Current},
  };
  const Melodies stored = {Notes(3), Notes(5, FLAG_DOT)};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteImage(image_, c.v29 ? Image29(16384, stored) : Image20(stored));
    const std::string port = "virtual:" + image_ + (c.fast ? "?fast=1" : "");
    AnyBell bell;
    ASSERT_EQ(
        c.v29 ? CreateOn(port, IID_IBell_ver2_9, bell.v29.put()) : CreateOn(port, IID_IBell_ver2_0, bell.v20.put()),
        S_OK);
    BellInfo info{};
    ASSERT_EQ(bell.ReadInfo(&info, &target_), S_OK);
    ASSERT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
    ASSERT_EQ(info.melodyCount, 2);
    const BellInfo before = info;

    auto melody = MakeMelody(Notes(4));
    auto run = [&](Op op) {
      switch (op) {
        case Op::Append:
          EXPECT_EQ(bell.AddMelody(melody.get(), &info, &target_), S_OK);
          return UntilEnd().back().code == BELL_ERR_NONE;
        case Op::Clear:
          return bell.ClearSet(&info) == S_OK;
        case Op::Mode:
          info.selectionMode = BELL_MODE_MANUAL;
          return bell.SetSelectionMode(&info) == S_OK;
        case Op::Current:
          info.currentMelody = 2;
          return bell.SetCurrentMelody(&info) == S_OK;
      }
      return false;
    };
    {
      FileSizeLimit full(c.limit);
      EXPECT_FALSE(run(c.op));
    }
    if (c.op != Op::Append) {
      EXPECT_EQ(ErrorText(), "Ошибка ввода-вывода при обмене со звонком");
      // The record changes only once the device has it.
      EXPECT_EQ(info.melodyCount, before.melodyCount);
      EXPECT_EQ(info.usedSymbols, before.usedSymbols);
    }

    // The same bell, and the image as any program sees it, still hold the
    // set as it was, and the bell goes on working once the file can be
    // written again.
    BellInfo after{};
    ASSERT_EQ(bell.ReadInfo(&after, &target_), S_OK);
    ASSERT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
    EXPECT_EQ(after.melodyCount, 2);
    EXPECT_EQ(after.usedSymbols, before.usedSymbols);
    EXPECT_EQ(after.currentMelody, 1);
    EXPECT_EQ(after.selectionMode, BELL_MODE_SEQUENTIAL);
    for (LONG m = 1; m <= 2; ++m) {
      auto back = MakeMelody();
      ASSERT_EQ(bell.ReadMelody(back.get(), m, &after, &target_), S_OK);
      ASSERT_EQ(UntilEnd().back().code, BELL_ERR_NONE);
      EXPECT_EQ(NotesOf(back.get()), stored[static_cast<size_t>(m - 1)]) << m;
    }
    info = after;
    EXPECT_TRUE(run(c.op));
  }
}

TEST_F(BellObject, WorkerOutcomesArriveAsMessages) {
  // The version 2.0 interface on a version 2.9 memory: the notes go out
  // (halfway), then block 1 never answers.
  IBell_ver2_0* bell = nullptr;
  ASSERT_EQ(Create(std::vector<BYTE>(32768, 0xFF), true, IID_IBell_ver2_0, &bell), S_OK);
  auto melody = MakeMelody(Notes(3));
  BellInfo info{256, 0, 0, 1, BELL_MODE_SEQUENTIAL, 0};
  ASSERT_EQ(bell->AddMelody(melody.get(), &info, &target_), S_OK);
  EXPECT_EQ(UntilEnd(), (std::vector<Note>{{2, 50, 0}, {2, 50, BELL_ERR_TRANSFER}}));
  EXPECT_EQ(References(melody.get()), 1u);

  info.melodyCount = 1;
  ASSERT_EQ(bell->ReadMelody(melody.get(), 2, &info, &target_), S_OK);
  EXPECT_EQ(UntilEnd(), (std::vector<Note>{{3, 0, BELL_ERR_REFUSED}}));
  ASSERT_EQ(bell->ReadMelody(melody.get(), 1, &info, &target_), S_OK);
  EXPECT_EQ(UntilEnd(), (std::vector<Note>{{3, 0, BELL_ERR_TRANSFER}}));
  EXPECT_EQ(bell->AddMelody(nullptr, &info, &target_), E_POINTER);
  EXPECT_EQ(bell->ReadInfo(&info, nullptr), E_POINTER);
  bell->Release();
}

TEST_F(BellObject, DumpsFollowTheProbe) {
  IChimoxice* dumps = nullptr;
  ASSERT_EQ(Create(Image20({Notes(2)}), true, IID_IChimoxice, &dumps), S_OK);
  const std::string path = dir_.file("dump.txt");
  EXPECT_EQ(dumps->DumpVer2_9(nv::Utf8ToWide(path).c_str()), E_FAIL);  // not a version 2.9 memory
  EXPECT_FALSE(std::filesystem::exists(path));
  ASSERT_EQ(dumps->DumpVer2_0(nv::Utf8ToWide(path).c_str()), S_OK);
  const std::vector<BYTE> text = ReadImage(path);
  EXPECT_TRUE(std::string(text.begin(), text.end()).starts_with("\r\nCBell_v2_0: DUMP 1Page\r\n\r\n0000 08 11 07 "));
  EXPECT_EQ(dumps->DumpVer2_0(nv::Utf8ToWide(dir_.file("no/such/folder/d.txt")).c_str()), E_FAIL);
  dumps->Release();
}

// A set written through the version 2.9 interface reads back note for note,
// and the image follows the documented layout.
TEST_F(BellObject, MelodySetRoundTripsThroughTheVersion29Interface) {
  IBell_ver2_9* bell = nullptr;
  ASSERT_EQ(Create(std::vector<BYTE>(32768, 0xFF), true, IID_IBell_ver2_9, &bell), S_OK);
  BellInfo info{};
  ASSERT_EQ(bell->ReadInfo(&info, &target_), S_OK);
  ASSERT_EQ(UntilEnd().back(), (Note{1, 100, 0}));
  EXPECT_EQ(info.capacity, 15352);
  EXPECT_EQ(info.melodyCount, 0);
  info.currentMelody = 1;
  info.selectionMode = BELL_MODE_MANUAL;

  const Melodies set = {Notes(30, FLAG_DOT, 3), {}, {{13, 2, FLAG_REST}, {31, 4, 0}, {0, 0, FLAG_DOT}}, Notes(7)};
  for (size_t m = 0; m < set.size(); ++m) {
    ASSERT_EQ(bell->AddMelody(MakeMelody(set[m]).get(), &info, &target_, m + 1 < set.size() ? 1 : 0), S_OK);
    EXPECT_EQ(UntilEnd(), (std::vector<Note>{{2, 90, 0}, {2, 100, 0}}));
  }
  EXPECT_EQ(ReadImage(image_), Image29(32768, set, 1, 1, 4, 0xFF));

  BellInfo fresh{};
  ASSERT_EQ(bell->ReadInfo(&fresh, &target_), S_OK);
  UntilEnd();
  EXPECT_EQ(fresh.melodyCount, 4);
  EXPECT_EQ(fresh.usedSymbols, 31 + 1 + 4 + 8);
  EXPECT_EQ(fresh.currentMelody, 1);
  EXPECT_EQ(fresh.selectionMode, BELL_MODE_MANUAL);
  for (size_t m = 0; m < set.size(); ++m) {
    auto melody = MakeMelody();
    ASSERT_EQ(bell->ReadMelody(melody.get(), static_cast<LONG>(m + 1), &fresh, &target_), S_OK);
    EXPECT_EQ(UntilEnd().back(), (Note{3, 100, 0}));
    EXPECT_EQ(NotesOf(melody.get()), set[m]) << m;
  }
  bell->Release();
}

}  // namespace
