// The programmer's flows without windows or a device: messages in, actions
// out. A scripted stand-in answers the device requests and the dialogs and
// writes everything the flow asks for into a log.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "CPortSetting.h"
#include "CProgrammerFlow.h"
#include "DinovaIds.h"
#include "TempDir.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"
#include "platform/CodePage.h"

namespace {

const std::string kIoBox = "box Ошибка ввода-вывода при обмене со звонком";
const std::string kProgramBox = "box Программная ошибка при выполнении операции";
const std::string kDamagedBox =
    "box Память звонка повреждена: записанные мелодии не могут быть прочитаны.\n"
    "Очистите звонок, чтобы снова записывать в него мелодии";

HWND const kWindow = reinterpret_cast<HWND>(0x1234);

std::vector<NoteValues> Notes(int count) {
  std::vector<NoteValues> notes;
  for (int i = 0; i < count; ++i) notes.push_back({static_cast<BYTE>(i % 32), static_cast<BYTE>(i % 5), 0});
  return notes;
}

class Script : public ProgrammerActions, public DeviceClient {
 public:
  // What the bell reports at each status read.
  BellInfo status{7160, 1, 10, 1, BELL_MODE_SEQUENTIAL, 0};
  // Answers: files and save paths chosen ("" cancels), the mode chosen (0
  // cancels), yes or no, the requests' success and texts.
  std::deque<std::string> files;
  std::deque<std::string> savePaths;
  std::deque<BYTE> modes;
  std::deque<bool> answers;
  std::deque<bool> reopens;  // whether a bell can be made on each new port
  bool readInfoOk = true, readMelodyOk = true, addOk = true, loadOk = true, clearOk = true, modeOk = true;
  std::u16string failure = u"отказ";
  LONG listCount = 3;
  int busyPolls = 0;  // IsBusy answers busy this many times

  std::vector<std::string> log;
  // The current melody of the record when the first append was sent.
  LONG currentAtAppend = -1;

  // ProgrammerActions.
  DeviceClient& Device() override { return *this; }
  void SetWaiting(bool) override {}
  void SetBar(int position) override { log.push_back("bar " + std::to_string(position)); }
  void ShowStatus(const BellInfo* info) override {
    log.push_back(info == nullptr ? "status ?" : "status " + std::to_string(info->melodyCount));
  }
  void ShowError(const std::u16string& text) override {
    if (!text.empty()) log.push_back("box " + nv::WideToUtf8(text));
  }
  void Begin() override { log.push_back("begin"); }
  void End(const Ending& ending) override {
    log.push_back(std::string("end ") + (ending.statusKnown ? "known" : "unknown") + " focus " +
                  std::to_string(ending.focus) + (ending.holdBar ? " hold" : ""));
  }
  std::string AskFile(CAppendRules::Kind kind, const CAppendRules::Limits& limits) override {
    log.push_back(std::string("ask ") + (kind == CAppendRules::Kind::Melody ? "melody" : "set") + " free " +
                  std::to_string(limits.freeSymbols));
    return Next(files);
  }
  std::string AskSavePath() override {
    log.push_back("ask save");
    return Next(savePaths);
  }
  bool AskMode(BYTE& mode, bool randomAllowed) override {
    log.push_back(std::string("ask mode") + (randomAllowed ? " random" : ""));
    if (modes.empty() || modes.front() == 0) return false;
    mode = modes.front();
    modes.pop_front();
    return true;
  }
  bool Ask(Question question) override {
    log.push_back(question == Question::Clear ? "ask clear" : "ask exit");
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void SetWorkDirFrom(const std::string& path) override { log.push_back("folder " + path); }

  // DeviceClient.
  bool Initialise(std::u16string&) override { return true; }
  bool IsBusy(bool& busy) override {
    log.push_back("busy?");
    busy = busyPolls > 0;
    if (busyPolls > 0) --busyPolls;
    return true;
  }
  bool Cancel() override {
    log.push_back("cancel");
    return true;
  }
  bool ReadInfo(const DeviceRequest& request, std::u16string& error) override {
    Expect(request);
    log.push_back("read info");
    if (readInfoOk) *request.info = status;
    return Answer(readInfoOk, error);
  }
  bool ReadMelody(const DeviceRequest& request, std::u16string& error) override {
    Expect(request);
    log.push_back("read melody " + std::to_string(request.first));
    return Answer(readMelodyOk, error);
  }
  bool AddMelody(const DeviceRequest& request, std::u16string& error) override {
    Expect(request);
    log.push_back("add " + std::to_string(request.first));
    if (request.first != 0) currentAtAppend = request.info->currentMelody;
    return Answer(addOk, error);
  }
  bool Clear(const DeviceRequest&, std::u16string& error) override {
    log.push_back("clear");
    return Answer(clearOk, error);
  }
  bool SetMode(const DeviceRequest& request, std::u16string& error) override {
    log.push_back("set mode " + std::to_string(request.info->selectionMode));
    return Answer(modeOk, error);
  }
  bool LoadMelody(const std::string&, std::u16string& error) override {
    log.push_back("load melody");
    return Answer(loadOk, error);
  }
  bool LoadSet(const std::string&, std::u16string& error) override {
    log.push_back("load set");
    return Answer(loadOk, error);
  }
  bool SaveSet(const std::string& path, std::u16string&) override {
    log.push_back("save " + path);
    return true;
  }
  LONG Count() override { return listCount; }
  bool Play() override { return true; }
  bool Stop() override { return true; }
  bool IsStopped() override { return true; }
  bool ReopenPort(std::u16string&) override {
    log.push_back("reopen");
    const bool ok = reopens.empty() || reopens.front();
    if (!reopens.empty()) reopens.pop_front();
    return ok;
  }

 private:
  static std::string Next(std::deque<std::string>& queue) {
    if (queue.empty()) return {};
    std::string next = queue.front();
    queue.pop_front();
    return next;
  }
  bool Answer(bool ok, std::u16string& error) const {
    if (!ok) error = failure;
    return ok;
  }
  static void Expect(const DeviceRequest& request) {
    EXPECT_EQ(kWindow, request.window);
    EXPECT_NE(nullptr, request.info);
  }
};

class ProgrammerFlowTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FileStatus::Ok, MelFormat::Save(melody_, {u"m", Notes(5)}));
    ASSERT_EQ(FileStatus::Ok, StoFormat::Save(set_, {{u"a", Notes(2)}, {u"b", Notes(3)}, {u"c", Notes(4)}}));
  }

  // A message of the running flow's kind.
  void Post(UINT flow, WORD operation, int percent, LPARAM code = 0) {
    flow_.OnMessage(flow, MAKELONG(operation, percent), code);
  }
  // Starts the flow of control and ends its status read well.
  void ReadStatus(int control, UINT flow) {
    ASSERT_TRUE(flow_.Start(control));
    Post(flow, BELL_OP_READ_INFO, 100);
  }
  // The log from entry from on.
  std::vector<std::string> LogFrom(size_t from) const { return LogFrom(script_, from); }
  static std::vector<std::string> LogFrom(const Script& script, size_t from) {
    return {script.log.begin() + static_cast<std::ptrdiff_t>(from), script.log.end()};
  }

  nvtest::TempDir dir_;
  const std::string melody_ = dir_.file("m.mel");
  const std::string set_ = dir_.file("s.sto");
  Script script_;
  CProgrammerFlow flow_{script_, kWindow};
};

// Where each flow stands when a worker's message comes: the flow, its
// control, the operation it waits for, and how to get there.
struct Phase {
  const char* name;
  int control;
  UINT flow;
  WORD operation;
  // Per code 0 to 6: '.' goes on, 'I' I/O error, 'P' program error, 'D'
  // damaged memory.
  const char* outcomes;
};

constexpr Phase kPhases[] = {
    {"refresh: status", IDC_REFRESH, FLOW_REFRESH, BELL_OP_READ_INFO, ".IPPIPD"},
    {"add melody: status", IDC_ADD_MELODY, FLOW_ADD_MELODY, BELL_OP_READ_INFO, ".IPPIPD"},
    {"add melody: append", IDC_ADD_MELODY, FLOW_ADD_MELODY, BELL_OP_ADD_MELODY, ".IPPIII"},
    {"write set: status", IDC_WRITE_SET, FLOW_WRITE_SET, BELL_OP_READ_INFO, ".IPPIPD"},
    {"write set: append", IDC_WRITE_SET, FLOW_WRITE_SET, BELL_OP_ADD_MELODY, ".IPPIII"},
    {"read set: status", IDC_READ_SET, FLOW_READ_SET, BELL_OP_READ_INFO, ".IPPIPD"},
    {"read set: read back", IDC_READ_SET, FLOW_READ_SET, BELL_OP_READ_MELODY, ".IPPIII"},
};

TEST_F(ProgrammerFlowTest, EveryCodeInEveryPhaseOfEveryFlow) {
  for (const Phase& phase : kPhases) {
    for (LPARAM code = 0; code <= 6; ++code) {
      SCOPED_TRACE(std::string(phase.name) + ", code " + std::to_string(code));
      Script script;
      script.files = {phase.flow == FLOW_ADD_MELODY ? melody_ : set_};
      CProgrammerFlow flow(script, kWindow);
      ASSERT_TRUE(flow.Start(phase.control));
      if (phase.operation != BELL_OP_READ_INFO) {
        flow.OnMessage(phase.flow, MAKELONG(BELL_OP_READ_INFO, 100), 0);
        ASSERT_TRUE(flow.IsRunning());
      }
      const size_t before = script.log.size();
      flow.OnMessage(phase.flow, MAKELONG(phase.operation, 40), code);
      const std::vector<std::string> actions(script.log.begin() + static_cast<std::ptrdiff_t>(before),
                                             script.log.end());

      const char outcome = phase.outcomes[code];
      EXPECT_EQ(outcome == '.', flow.IsRunning());
      if (outcome == '.') {
        ASSERT_EQ(1u, actions.size());
        EXPECT_EQ(0u, actions[0].rfind("bar ", 0));
        continue;
      }
      // A failed status read leaves no status to trust; a failed append or
      // read keeps the one read before it unless the device is in doubt. A
      // damaged memory is a known status that only a clear can mend.
      const bool known = (outcome == 'P' && phase.operation != BELL_OP_READ_INFO) || outcome == 'D';
      const std::vector<std::string> expected =
          outcome == 'D'
              ? std::vector<std::string>{kDamagedBox, "status 1", "end known focus " + std::to_string(IDC_CLEAR)}
              : std::vector<std::string>{
                    outcome == 'I' ? kIoBox : kProgramBox, known ? "status 1" : "status ?",
                    known ? "end known focus 0" : "end unknown focus " + std::to_string(IDC_REFRESH)};
      EXPECT_EQ(expected, actions);
      EXPECT_EQ(known, flow.IsStatusKnown());
      EXPECT_EQ(outcome == 'D', flow.IsDamaged());

      // The worker's own end comes after the flow's: late, it changes nothing.
      const size_t ended = script.log.size();
      flow.OnMessage(phase.flow, MAKELONG(phase.operation, 100), 0);
      EXPECT_EQ(ended, script.log.size());
    }
  }
}

TEST_F(ProgrammerFlowTest, MessagesOutsideTheRunningFlowAndPhaseAreLate) {
  struct Case {
    const char* name;
    UINT message;
    WORD operation;
  };
  const Case cases[] = {
      {"another flow's message", FLOW_REFRESH, BELL_OP_READ_INFO},
      {"an append while the status is read", FLOW_WRITE_SET, BELL_OP_ADD_MELODY},
      {"a melody read in a write", FLOW_WRITE_SET, BELL_OP_READ_MELODY},
      {"a message number of no flow", 0x8005, BELL_OP_READ_INFO},
  };
  ASSERT_TRUE(flow_.Start(IDC_WRITE_SET));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const size_t before = script_.log.size();
    for (LPARAM code : {0, 1, 100}) Post(c.message, c.operation, 100, code);
    EXPECT_EQ(before, script_.log.size());
    EXPECT_TRUE(flow_.IsRunning());
  }
  // Nothing runs: every message is late.
  Post(FLOW_WRITE_SET, BELL_OP_READ_INFO, 100);  // the dialog is cancelled: done
  ASSERT_FALSE(flow_.IsRunning());
  const size_t after = script_.log.size();
  Post(FLOW_WRITE_SET, BELL_OP_READ_INFO, 100, 1);
  Post(FLOW_WRITE_SET, BELL_OP_ADD_MELODY, 100, 4);
  EXPECT_EQ(after, script_.log.size());
}

TEST_F(ProgrammerFlowTest, RefreshFillsTheBarAndEndsWithTheStatus) {
  ASSERT_TRUE(flow_.Start(IDC_REFRESH));
  Post(FLOW_REFRESH, BELL_OP_READ_INFO, 30);
  Post(FLOW_REFRESH, BELL_OP_READ_INFO, 100);
  const std::vector<std::string> expected = {"read info", "begin",
                                             "bar 30",    "bar 100",
                                             "status 1",  "end known focus " + std::to_string(IDC_REFRESH) + " hold"};
  EXPECT_EQ(expected, script_.log);
  EXPECT_TRUE(flow_.IsStatusKnown());
  // A second start is refused only while a flow runs.
  EXPECT_TRUE(flow_.Start(IDC_READ_SET));
  EXPECT_FALSE(flow_.Start(IDC_REFRESH));
}

TEST_F(ProgrammerFlowTest, StretchSplitsTheRestOfTheBarRoundingHalfUp) {
  struct Case {
    int base;
    LONG index;
    int percent;
    LONG count;
    int bar;
  };
  const Case cases[] = {
      {10, 0, 0, 3, 10},    {10, 0, 100, 3, 40}, {10, 1, 50, 3, 55},
      {10, 2, 100, 3, 100}, {10, 1, 0, 4, 33},  // 32.5 rounds up
      {10, 0, 50, 4, 21},                       // 21.25 rounds down
      {50, 0, 1, 200, 50},                      // 50.0025
      {0, 6, 50, 7, 93},                        // 92.857...
      {10, 0, 50, 0, 100},                      // no stretches: full
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << " " << c.index << " " << c.percent << " " << c.count);
    EXPECT_EQ(c.bar, CProgrammerFlow::Stretch(c.base, c.index, c.percent, c.count));
  }
}

TEST_F(ProgrammerFlowTest, WriteSetAppendsEveryMelodyInEqualStretches) {
  script_.files = {set_};
  ReadStatus(IDC_WRITE_SET, FLOW_WRITE_SET);
  for (int melody = 0; melody < 3; ++melody) {
    Post(FLOW_WRITE_SET, BELL_OP_ADD_MELODY, 50);
    Post(FLOW_WRITE_SET, BELL_OP_ADD_MELODY, 100);
  }
  const std::vector<std::string> expected = {"read info",
                                             "begin",
                                             "bar 10",
                                             "status 1",
                                             "ask set free 7150",
                                             "folder " + set_,
                                             "load set",
                                             "add 1",
                                             "bar 25",
                                             "bar 40",
                                             "status 1",
                                             "add 0",
                                             "bar 55",
                                             "bar 70",
                                             "status 1",
                                             "add 0",
                                             "bar 85",
                                             "bar 100",
                                             "status 1",
                                             "status 1",
                                             "end known focus " + std::to_string(IDC_WRITE_SET) + " hold"};
  EXPECT_EQ(expected, script_.log);
  EXPECT_FALSE(flow_.IsRunning());
}

TEST_F(ProgrammerFlowTest, ReadSetReadsEachMelodyThenSavesThem) {
  script_.status.melodyCount = 2;
  script_.savePaths = {dir_.file("back.sto")};
  ReadStatus(IDC_READ_SET, FLOW_READ_SET);
  for (int melody = 0; melody < 2; ++melody) Post(FLOW_READ_SET, BELL_OP_READ_MELODY, 100);
  const std::vector<std::string> expected = {"read info",
                                             "begin",
                                             "bar 10",
                                             "status 2",
                                             "read melody 1",
                                             "bar 55",
                                             "status 2",
                                             "read melody 0",
                                             "bar 100",
                                             "status 2",
                                             "status 2",
                                             "end known focus " + std::to_string(IDC_READ_SET) + " hold",
                                             "ask save",
                                             "folder " + dir_.file("back.sto"),
                                             "save " + dir_.file("back.sto")};
  EXPECT_EQ(expected, script_.log);
}

TEST_F(ProgrammerFlowTest, AddMelodyTakesTheSecondHalfOfTheBar) {
  script_.files = {melody_};
  ReadStatus(IDC_ADD_MELODY, FLOW_ADD_MELODY);
  Post(FLOW_ADD_MELODY, BELL_OP_ADD_MELODY, 50);
  Post(FLOW_ADD_MELODY, BELL_OP_ADD_MELODY, 100);
  const std::vector<std::string> expected = {"read info",
                                             "begin",
                                             "bar 50",
                                             "status 1",
                                             "ask melody free 7150",
                                             "folder " + melody_,
                                             "load melody",
                                             "add 1",
                                             "bar 75",
                                             "bar 100",
                                             "status 1",
                                             "end known focus " + std::to_string(IDC_ADD_MELODY) + " hold"};
  EXPECT_EQ(expected, script_.log);
}

// Every way a flow ends early before or between its device operations: the
// user cancels a dialog, or a request fails (its own text is shown).
TEST_F(ProgrammerFlowTest, CancelledDialogsAndFailedRequestsEndTheFlowDone) {
  const std::string done = "end known focus ";
  struct Case {
    const char* name;
    int control;
    UINT flow;
    std::function<void(Script&)> arrange;
    std::vector<std::string> tail;  // the log after the status read's "status"
  };
  const std::string melody = melody_;
  const std::string set = set_;
  const Case cases[] = {
      {"open dialog cancelled",
       IDC_ADD_MELODY,
       FLOW_ADD_MELODY,
       [](Script&) {},
       {"ask melody free 7150", "status 1", done + std::to_string(IDC_ADD_MELODY) + " hold"}},
      {"mode dialog cancelled",
       IDC_WRITE_SET,
       FLOW_WRITE_SET,
       [&](Script& s) {
         s.files = {set};
         s.status.selectionMode = BELL_MODE_UNKNOWN;
       },
       {"ask set free 7150", "folder " + set, "ask mode random", "status 1",
        done + std::to_string(IDC_WRITE_SET) + " hold"}},
      {"load failed",
       IDC_ADD_MELODY,
       FLOW_ADD_MELODY,
       [&](Script& s) {
         s.files = {melody};
         s.loadOk = false;
       },
       {"ask melody free 7150", "folder " + melody, "load melody", "box отказ", "status 1",
        done + std::to_string(IDC_ADD_MELODY) + " hold"}},
      {"empty set",
       IDC_WRITE_SET,
       FLOW_WRITE_SET,
       [&](Script& s) {
         s.files = {set};
         s.listCount = 0;
       },
       {"ask set free 7150", "folder " + set, "load set", "status 1", done + std::to_string(IDC_WRITE_SET) + " hold"}},
      {"first append refused",
       IDC_WRITE_SET,
       FLOW_WRITE_SET,
       [&](Script& s) {
         s.files = {set};
         s.addOk = false;
       },
       {"ask set free 7150", "folder " + set, "load set", "add 1", "box отказ", "status 1",
        done + std::to_string(IDC_WRITE_SET) + " hold"}},
      {"first read refused",
       IDC_READ_SET,
       FLOW_READ_SET,
       [](Script& s) {
         s.readMelodyOk = false;
         s.failure = u"Звонок не содержит мелодий";
       },
       {"read melody 1", "box Звонок не содержит мелодий", "status 1", done + std::to_string(IDC_READ_SET) + " hold"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    c.arrange(script);
    CProgrammerFlow flow(script, kWindow);
    ASSERT_TRUE(flow.Start(c.control));
    flow.OnMessage(c.flow, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    EXPECT_FALSE(flow.IsRunning());
    const auto status = std::find(script.log.begin(), script.log.end(), "status 1");
    ASSERT_NE(script.log.end(), status);
    EXPECT_EQ(c.tail, std::vector<std::string>(status + 1, script.log.end()));
  }
}

TEST_F(ProgrammerFlowTest, ALaterAppendOrReadThatCannotBeSentEndsTheFlow) {
  struct Case {
    int control;
    UINT flow;
    WORD operation;
    bool Script::*fails;
  };
  const Case cases[] = {
      {IDC_WRITE_SET, FLOW_WRITE_SET, BELL_OP_ADD_MELODY, &Script::addOk},
      {IDC_READ_SET, FLOW_READ_SET, BELL_OP_READ_MELODY, &Script::readMelodyOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    Script script;
    script.files = {set_};
    script.status.melodyCount = 3;
    CProgrammerFlow flow(script, kWindow);
    ASSERT_TRUE(flow.Start(c.control));
    flow.OnMessage(c.flow, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    script.*c.fails = false;
    flow.OnMessage(c.flow, MAKELONG(c.operation, 100), 0);
    EXPECT_FALSE(flow.IsRunning());
    EXPECT_EQ("box отказ", script.log[script.log.size() - 3]);
    EXPECT_EQ("end known focus " + std::to_string(c.control) + " hold", script.log.back());
  }
}

TEST_F(ProgrammerFlowTest, AFailingStartShowsItsTextAndStartsNothing) {
  script_.readInfoOk = false;
  EXPECT_FALSE(flow_.Start(IDC_READ_SET));
  EXPECT_EQ((std::vector<std::string>{"read info", "box отказ"}), script_.log);
  EXPECT_FALSE(flow_.IsRunning());
}

TEST_F(ProgrammerFlowTest, NothingIsLoadedForAFileTheBellCannotStore) {
  std::vector<NoteValues> high = Notes(4);
  high[3].duration = 0;
  high[3].pitch = 32;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("high.sto"), {{u"a", Notes(2)}, {u"b", high}}));
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(dir_.file("big.sto"), {{u"a", Notes(7150)}}));
  struct Case {
    std::string file;
    LONG stored;
    LONG type;
    std::string box;
  };
  const Case cases[] = {
      {dir_.file("high.sto"), 1, BELL_TYPE_29,
       "box Мелодия 2, нота 4 (высота 32, длительность 0) не может быть записана в звонок"},
      {set_, 109, BELL_TYPE_20, "box Слишком много мелодий: звонок вмещает не более 111"},
      {dir_.file("big.sto"), 1, BELL_TYPE_29, "box Набор мелодий слишком большой"},
      {dir_.file("missing.sto"), 1, BELL_TYPE_29, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Script script;
    script.files = {c.file};
    script.status.melodyCount = c.stored;
    CProgrammerFlow flow(script, kWindow);
    if (c.type != flow.BellType()) {
      ASSERT_TRUE(flow.SelectBellType(c.type));
      flow.OnMessage(FLOW_REFRESH, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    }
    ASSERT_TRUE(flow.Start(IDC_WRITE_SET));
    flow.OnMessage(FLOW_WRITE_SET, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    EXPECT_FALSE(flow.IsRunning());
    for (const std::string& entry : script.log) EXPECT_NE(0u, entry.rfind("load", 0)) << entry;
    if (!c.box.empty()) {
      EXPECT_NE(script.log.end(), std::find(script.log.begin(), script.log.end(), c.box));
    }
  }
}

TEST_F(ProgrammerFlowTest, ACurrentMelodyOutsideTheStoredSetBecomesTheFirst) {
  struct Case {
    LONG count;
    LONG current;
    LONG sent;
  };
  const Case cases[] = {
      {0, 0, 1},    // an empty version 2.9 memory
      {0, 240, 1},  // a new version 2.0 memory
      {3, 0, 1},   {3, 2, 2}, {3, 3, 3}, {3, 4, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.count << " " << c.current);
    Script script;
    script.files = {melody_};
    script.status.melodyCount = c.count;
    script.status.currentMelody = c.current;
    CProgrammerFlow flow(script, kWindow);
    ASSERT_TRUE(flow.Start(IDC_ADD_MELODY));
    flow.OnMessage(FLOW_ADD_MELODY, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    EXPECT_EQ(c.sent, script.currentAtAppend);
  }
}

TEST_F(ProgrammerFlowTest, AnUnknownModeIsAskedForBeforeTheFirstAppend) {
  script_.status.selectionMode = BELL_MODE_UNKNOWN;
  script_.files = {melody_};
  script_.modes = {BELL_MODE_MANUAL};
  ASSERT_TRUE(flow_.SelectBellType(BELL_TYPE_20));
  Post(FLOW_REFRESH, BELL_OP_READ_INFO, 100);
  ASSERT_TRUE(flow_.Start(IDC_ADD_MELODY));
  Post(FLOW_ADD_MELODY, BELL_OP_READ_INFO, 100);
  const std::vector<std::string> tail(script_.log.end() - 4, script_.log.end());
  // Random is offered on version 2.9 only.
  EXPECT_EQ((std::vector<std::string>{"folder " + melody_, "ask mode", "load melody", "add 1"}), tail);
  EXPECT_EQ(BELL_MODE_MANUAL, flow_.Info().selectionMode);
}

TEST_F(ProgrammerFlowTest, FailedClearOrModeLeavesTheStatusUnknownAndOnlyRefresh) {
  const std::string unknown = "end unknown focus " + std::to_string(IDC_REFRESH);
  struct Case {
    const char* name;
    void (CProgrammerFlow::*request)();
    std::function<void(Script&)> arrange;
    std::vector<std::string> actions;
    bool knownAfter;
  };
  const Case cases[] = {
      {"clear: no", &CProgrammerFlow::Clear, [](Script& s) { s.answers = {false}; }, {"ask clear"}, true},
      {"clear: yes",
       &CProgrammerFlow::Clear,
       [](Script& s) { s.answers = {true}; },
       {"ask clear", "clear", "status 1"},
       true},
      {"clear fails",
       &CProgrammerFlow::Clear,
       [](Script& s) {
         s.answers = {true};
         s.clearOk = false;
       },
       {"ask clear", "clear", "box отказ", "status ?", unknown},
       false},
      {"mode cancelled", &CProgrammerFlow::SetSelectionMode, [](Script&) {}, {"ask mode random"}, true},
      {"mode set",
       &CProgrammerFlow::SetSelectionMode,
       [](Script& s) { s.modes = {BELL_MODE_RANDOM}; },
       {"ask mode random", "set mode 3", "status 1"},
       true},
      {"mode fails",
       &CProgrammerFlow::SetSelectionMode,
       [](Script& s) {
         s.modes = {BELL_MODE_MANUAL};
         s.modeOk = false;
       },
       {"ask mode random", "set mode 2", "box отказ", "status ?", unknown},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    CProgrammerFlow flow(script, kWindow);
    ASSERT_TRUE(flow.Start(IDC_REFRESH));
    flow.OnMessage(FLOW_REFRESH, MAKELONG(BELL_OP_READ_INFO, 100), 0);
    c.arrange(script);
    const size_t before = script.log.size();
    (flow.*c.request)();
    EXPECT_EQ(c.actions,
              std::vector<std::string>(script.log.begin() + static_cast<std::ptrdiff_t>(before), script.log.end()));
    EXPECT_EQ(c.knownAfter, flow.IsStatusKnown());
    // With the status unknown neither can run again.
    const size_t after = script.log.size();
    if (!c.knownAfter) {
      flow.Clear();
      flow.SetSelectionMode();
      EXPECT_EQ(after, script.log.size());
    }
  }
}

TEST_F(ProgrammerFlowTest, ADamagedMemoryIsWrittenOrReadByNoFlowUntilCleared) {
  struct Case {
    const char* name;
    int control;
    UINT flow;
  };
  const Case cases[] = {
      {"add melody", IDC_ADD_MELODY, FLOW_ADD_MELODY},
      {"write set", IDC_WRITE_SET, FLOW_WRITE_SET},
      {"read set", IDC_READ_SET, FLOW_READ_SET},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script script;
    script.files = {c.flow == FLOW_ADD_MELODY ? melody_ : set_};
    script.savePaths = {dir_.file("out.sto")};
    CProgrammerFlow flow(script, kWindow);
    ASSERT_TRUE(flow.Start(c.control));
    flow.OnMessage(c.flow, MAKELONG(BELL_OP_READ_INFO, 60), BELL_ERR_DAMAGED);
    // No file is asked for, nothing loaded, appended or read back.
    const std::vector<std::string> expected = {"read info", "begin", kDamagedBox, "status 1",
                                               "end known focus " + std::to_string(IDC_CLEAR)};
    EXPECT_EQ(expected, script.log);
    EXPECT_FALSE(flow.IsRunning());
    EXPECT_TRUE(flow.IsDamaged());

    // The mode may still be set; a refused clear keeps nothing known; a
    // clear that works ends the damage.
    script.modes = {BELL_MODE_MANUAL};
    size_t before = script.log.size();
    flow.SetSelectionMode();
    EXPECT_EQ((std::vector<std::string>{"ask mode random", "set mode 2", "status 1"}), LogFrom(script, before));
    EXPECT_TRUE(flow.IsDamaged());
    script.answers = {true};
    before = script.log.size();
    flow.Clear();
    EXPECT_EQ((std::vector<std::string>{"ask clear", "clear", "status 1"}), LogFrom(script, before));
    EXPECT_FALSE(flow.IsDamaged());
    EXPECT_TRUE(flow.IsStatusKnown());
  }
}

TEST_F(ProgrammerFlowTest, APortWithoutABellGivesWayToThePreviousOne) {
  const std::string unknown = "end unknown focus " + std::to_string(IDC_REFRESH);
  struct Case {
    std::deque<bool> reopens;
    std::string setting;  // in force afterwards
    std::vector<std::string> actions;
  };
  const Case cases[] = {
      {{true}, "/dev/parport251", {"reopen", "status ?", unknown}},
      {{false, true},
       "/dev/parport250",
       {"reopen", "box Не удалось открыть порт звонка: порт /dev/parport251", "reopen", "status ?", unknown}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    ASSERT_TRUE(CPortSetting::Write("/dev/parport250"));
    Script script;
    script.reopens = c.reopens;
    CProgrammerFlow flow(script, kWindow);
    flow.ChangePort("/dev/parport250");  // the port in force: nothing to do
    EXPECT_TRUE(script.log.empty());
    flow.ChangePort("/dev/parport251");
    EXPECT_EQ(c.actions, script.log);
    EXPECT_EQ(c.setting, CPortSetting::Read());
  }
}

TEST_F(ProgrammerFlowTest, ExitWhileAnAppendRunsAsksCancelsAndWaits) {
  script_.files = {set_};
  ReadStatus(IDC_WRITE_SET, FLOW_WRITE_SET);
  ASSERT_TRUE(flow_.IsRunning());

  script_.busyPolls = 1;
  script_.answers = {false};
  size_t before = script_.log.size();
  EXPECT_FALSE(flow_.MayClose());
  EXPECT_EQ((std::vector<std::string>{"busy?", "ask exit"}), LogFrom(before));
  EXPECT_TRUE(flow_.IsRunning());

  script_.busyPolls = 3;
  script_.answers = {true};
  before = script_.log.size();
  EXPECT_TRUE(flow_.MayClose());
  EXPECT_EQ((std::vector<std::string>{"busy?", "ask exit", "cancel", "busy?", "busy?", "busy?"}), LogFrom(before));

  // The cancelled append's last message shows no error while closing.
  before = script_.log.size();
  Post(FLOW_WRITE_SET, BELL_OP_ADD_MELODY, 30, BELL_ERR_CANCELLED);
  EXPECT_EQ(before, script_.log.size());
  EXPECT_TRUE(flow_.MayClose());
  EXPECT_FALSE(flow_.Start(IDC_REFRESH));
}

TEST_F(ProgrammerFlowTest, ExitWhileIdleAsksNothing) {
  EXPECT_TRUE(flow_.MayClose());
  EXPECT_EQ((std::vector<std::string>{"busy?"}), script_.log);
}

}  // namespace
