// The set editor's command rules, document commands and playback state,
// without a display: the commands talk to a scripted set document served by
// a request thread with the real request numbers, and to scripted answers
// in place of the user.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "CSetDocumentCommands.h"
#include "CSetPlayback.h"
#include "SetCommandRules.h"
#include "common/CAppPathU.h"
#include "common/DocumentThread.h"

namespace {

// A set document answering the window's requests from plain fields.
class FakeSetThread : public nv::DocumentThread<FakeSetThread> {
 public:
  ~FakeSetThread() { Close(); }

  std::vector<std::string> names;
  std::string path = "Новый набор.sto";
  bool modified = false;
  bool newFails = false;
  // Open: the error text, or empty for success; partial keeps the path as
  // a set that was read in part does.
  std::string openError;
  bool openPartial = false;
  std::string saveError;
  std::vector<std::string> saves;  // the paths saved to, "" for the own path
  std::map<std::string, std::string> addErrors;
  std::vector<int> refusedDeletes;
  bool playFails = false;
  std::string playError;
  bool stops = true;  // a stopped melody falls silent
  bool playing = false;

 private:
  friend class nv::DocumentThread<FakeSetThread>;
  static constexpr UINT kCloseMessage = SDM_CLOSE;
  static const nv::RequestThread::Entry kRequests[];

  bool OnStart() { return true; }
  void OnStop() {}

  static const char* Text(LPARAM l) { return reinterpret_cast<const char*>(l); }
  static LONG Fail(WPARAM w, const std::string& text) {
    *nv::RequestOut<CStringU>(w) = CStringU::FromUtf8(text);
    return 0;
  }

  LONG OnClose(WPARAM, LPARAM) {
    thread_.Quit();
    return 1;
  }
  LONG OnNew(WPARAM, LPARAM) {
    if (newFails) return 0;
    names.clear();
    path = "Новый набор.sto";
    modified = false;
    return 1;
  }
  LONG OnOpen(WPARAM w, LPARAM l) {
    if (!openError.empty()) {
      if (openPartial) {
        path = Text(l);
        names = {"part"};
      }
      return Fail(w, openError);
    }
    path = Text(l);
    names = {"a", "b", "c"};
    modified = false;
    return 1;
  }
  LONG OnSave(WPARAM w, LPARAM l) {
    if (!saveError.empty()) return Fail(w, saveError);
    saves.push_back(l != 0 ? Text(l) : "");
    if (l != 0) path = Text(l);
    modified = false;
    return 1;
  }
  LONG OnIsModified(WPARAM, LPARAM) { return modified ? 1 : 0; }
  LONG OnGetCount(WPARAM w, LPARAM) {
    *nv::RequestOut<LONG>(w) = static_cast<LONG>(names.size());
    return 1;
  }
  LONG OnGetName(WPARAM w, LPARAM l) {
    if (l < 0 || static_cast<size_t>(l) >= names.size()) return 0;
    *nv::RequestOut<CStringU>(w) = CStringU::FromUtf8(names[l]);
    return 1;
  }
  LONG OnGetPath(WPARAM w, LPARAM) {
    *nv::RequestOut<std::string>(w) = path;
    return 1;
  }
  LONG OnAddMelody(WPARAM w, LPARAM l) {
    const auto it = addErrors.find(Text(l));
    if (it != addErrors.end()) return Fail(w, it->second);
    names.push_back(Text(l));
    return 1;
  }
  LONG OnSaveMelody(WPARAM w, LPARAM l) {
    const auto* block = reinterpret_cast<const SaveMelodyBlock*>(l);
    saves.push_back(std::to_string(block->index) + ":" + block->path);
    return saveError.empty() ? 1 : Fail(w, saveError);
  }
  LONG OnDelete(WPARAM, LPARAM l) {
    if (std::count(refusedDeletes.begin(), refusedDeletes.end(), static_cast<int>(l)) != 0) return 0;
    names.erase(names.begin() + l);
    return 1;
  }
  LONG OnMove(WPARAM, LPARAM l, int by) {
    std::swap(names[l], names[l + by]);
    return 1;
  }
  LONG OnMoveUp(WPARAM w, LPARAM l) { return OnMove(w, l, -1); }
  LONG OnMoveDown(WPARAM w, LPARAM l) { return OnMove(w, l, 1); }
  LONG OnPlay(WPARAM w, LPARAM) {
    if (playFails) return playError.empty() ? 0 : Fail(w, playError);
    playing = true;
    return 1;
  }
  LONG OnIsStopped(WPARAM w, LPARAM) {
    *nv::RequestOut<LONG>(w) = playing ? 0 : 1;
    return 1;
  }
  LONG OnStop(WPARAM, LPARAM) {
    if (stops) playing = false;
    return 1;
  }
};

#define NV_ROW(message, method) \
  { message, &nv::RequestThread::Bind<FakeSetThread, &FakeSetThread::method> }
const nv::RequestThread::Entry FakeSetThread::kRequests[] = {
    NV_ROW(SDM_CLOSE, OnClose),         NV_ROW(SDM_NEW, OnNew),
    NV_ROW(SDM_OPEN, OnOpen),           NV_ROW(SDM_SAVE, OnSave),
    NV_ROW(SDM_IS_MODIFIED, OnIsModified), NV_ROW(SDM_GET_COUNT, OnGetCount),
    NV_ROW(SDM_GET_NAME, OnGetName),    NV_ROW(SDM_GET_PATH, OnGetPath),
    NV_ROW(SDM_ADD_MELODY, OnAddMelody), NV_ROW(SDM_SAVE_MELODY, OnSaveMelody),
    NV_ROW(SDM_DELETE, OnDelete),       NV_ROW(SDM_MOVE_UP, OnMoveUp),
    NV_ROW(SDM_MOVE_DOWN, OnMoveDown),  NV_ROW(SDM_PLAY, OnPlay),
    NV_ROW(SDM_IS_STOPPED, OnIsStopped), NV_ROW(SDM_STOP, OnStop),
    {0, nullptr},
};
#undef NV_ROW

// Answers from queues; records what was asked and shown.
struct ScriptedUi : SetCommandsUi {
  std::deque<Answer> saveAnswers;
  bool deleteAnswer = true;
  std::deque<std::string> paths;  // every single-file choice, in order
  std::vector<std::string> melodiesToAdd;
  std::vector<std::string> initialNames;
  std::vector<std::u16string> errors;
  int questions = 0;
  int busy = 0;

  Answer AskSaveChanges() override {
    ++questions;
    const Answer answer = saveAnswers.empty() ? Answer::kCancel : saveAnswers.front();
    if (!saveAnswers.empty()) saveAnswers.pop_front();
    return answer;
  }
  bool AskDeleteMelodies() override {
    ++questions;
    return deleteAnswer;
  }
  std::string ChooseSetToOpen() override { return Next(); }
  std::string ChooseSetToSave(const std::string& initialName) override {
    initialNames.push_back(initialName);
    return Next();
  }
  std::string ChooseMelodyToSave(const std::string& initialName) override {
    initialNames.push_back(initialName);
    return Next();
  }
  std::vector<std::string> ChooseMelodiesToAdd() override { return melodiesToAdd; }
  void ShowError(const std::u16string& text) override { errors.push_back(text); }
  void SetBusy(bool on) override { busy += on ? 1 : -1; }

 private:
  std::string Next() {
    if (paths.empty()) return {};
    std::string path = paths.front();
    paths.pop_front();
    return path;
  }
};

using Answer = SetCommandsUi::Answer;
using Focus = SetListChange::Focus;

class SetCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(doc_.Start()); }

  FakeSetThread doc_;
  SetDocClient client_{doc_.Thread()};
  CAppPathU paths_;
  ScriptedUi ui_;
  CSetDocumentCommands commands_{client_, paths_, ui_};
};

TEST(SetCommandRulesTest, SelectionAndPlayingOpenTheRightCommands) {
  // New/Open/Add, Save melody, Delete, Play, Up, Down, Stop.
  struct Row {
    std::vector<int> rows;
    int count;
    bool playing;
    std::vector<bool> expected;
  };
  const Row table[] = {
      {{}, 0, false, {1, 0, 0, 0, 0, 0, 0}},
      {{0}, 1, false, {1, 1, 1, 1, 0, 0, 0}},
      {{0}, 3, false, {1, 1, 1, 1, 0, 1, 0}},
      {{1}, 3, false, {1, 1, 1, 1, 1, 1, 0}},
      {{2}, 3, false, {1, 1, 1, 1, 1, 0, 0}},
      {{0, 2}, 3, false, {1, 0, 1, 0, 0, 0, 0}},
      {{1}, 3, true, {0, 1, 0, 0, 0, 0, 1}},
      {{0, 1}, 3, true, {0, 0, 0, 0, 0, 0, 1}},
  };
  for (const Row& row : table) {
    std::map<int, bool> states;
    for (const SetCommandState& state : SetCommandRules::States(row.rows, row.count, row.playing)) {
      states[state.id] = state.enabled;
    }
    const std::vector<bool> got = {states.at(IDM_NEW),
                                   states.at(IDM_SAVE_MELODY),
                                   states.at(IDM_DELETE_MELODY),
                                   states.at(IDM_PLAY),
                                   states.at(IDM_MELODY_UP),
                                   states.at(IDM_MELODY_DOWN),
                                   states.at(IDM_STOP)};
    EXPECT_EQ(row.expected, got) << "selected " << row.rows.size() << " of " << row.count << " playing "
                                 << row.playing;
    EXPECT_EQ(states.at(IDM_NEW), states.at(IDM_OPEN));
    EXPECT_EQ(states.at(IDM_NEW), states.at(IDM_ADD_MELODY));
  }
}

TEST_F(SetCommandsTest, TheUnsavedChangesQuestionGoesOnOnlyWhenNothingIsLost) {
  struct Row {
    bool modified;
    Answer answer;
    const char* chosenPath;  // the save dialog's answer when Yes must ask for a name
    bool saveFails;
    bool goesOn;
    int saves;
  };
  const Row table[] = {
      {false, Answer::kCancel, "", false, true, 0},
      {true, Answer::kNo, "", false, true, 0},
      {true, Answer::kCancel, "", false, false, 0},
      {true, Answer::kYes, "/tmp/set.sto", false, true, 1},
      {true, Answer::kYes, "", false, false, 0},  // save dialog cancelled
      {true, Answer::kYes, "/tmp/set.sto", true, false, 0},
  };
  for (const Row& row : table) {
    doc_.modified = row.modified;
    doc_.saveError = row.saveFails ? "write failed" : "";
    doc_.saves.clear();
    ui_.saveAnswers = {row.answer};
    ui_.paths = {row.chosenPath};
    ui_.errors.clear();
    CSetDocumentCommands commands(client_, paths_, ui_);  // a set without a file: Yes asks for a name
    EXPECT_EQ(row.goesOn, commands.ConfirmDiscard()) << static_cast<int>(row.answer) << " " << row.chosenPath;
    EXPECT_EQ(row.saves, static_cast<int>(doc_.saves.size()));
    EXPECT_EQ(row.saveFails ? 1u : 0u, ui_.errors.size());
  }
}

TEST_F(SetCommandsTest, OpenChangesTheListOnlyForAWholeSet) {
  struct Row {
    const char* chosen;
    const char* error;
    bool partial;
    bool rebuild;
    int select;
    bool hasFile;
    Focus focus;
  };
  const Row table[] = {
      {"", "", false, false, -1, false, Focus::kKeep},  // cancelled
      {"/tmp/sets/good.sto", "", false, true, 0, true, Focus::kList},
      {"/tmp/sets/bad.sto", "Ошибка чтения", false, false, -1, false, Focus::kKeep},
      // A set that failed part-way leaves the open set and its list as they were.
      {"/tmp/sets/part.sto", "Ошибка чтения", true, false, -1, false, Focus::kKeep},
  };
  for (const Row& row : table) {
    doc_.openError = row.error;
    doc_.openPartial = row.partial;
    ui_.paths = {row.chosen};
    ui_.errors.clear();
    CSetDocumentCommands commands(client_, paths_, ui_);
    const SetListChange change = commands.Open();
    EXPECT_EQ(row.rebuild, change.rebuild) << row.chosen;
    EXPECT_EQ(row.select, change.select) << row.chosen;
    EXPECT_EQ(row.hasFile, commands.HasFile()) << row.chosen;
    EXPECT_EQ(row.focus, change.focus) << row.chosen;
    EXPECT_EQ(std::string(row.error).empty() ? 0u : 1u, ui_.errors.size());
    if (*row.chosen != '\0') {
      EXPECT_EQ("/tmp/sets/", paths_.WorkDir());
    }
  }
}

TEST_F(SetCommandsTest, SaveAsksForANameUntilTheSetHasAFileAndACancelledSaveAsKeepsIt) {
  doc_.path = "/old/Новый набор.sto";
  ui_.paths = {""};
  EXPECT_FALSE(commands_.Save());
  EXPECT_EQ(std::vector<std::string>{"Новый набор.sto"}, ui_.initialNames);
  ui_.paths = {"/tmp/x/mine.sto"};
  EXPECT_TRUE(commands_.Save());
  EXPECT_TRUE(commands_.Save());  // now under its own path, without a dialog
  EXPECT_EQ((std::vector<std::string>{"/tmp/x/mine.sto", ""}), doc_.saves);

  ui_.paths = {""};
  EXPECT_FALSE(commands_.SaveAs());
  EXPECT_TRUE(commands_.HasFile());
  doc_.saveError = "disk full";
  ui_.paths = {"/tmp/x/other.sto"};
  EXPECT_FALSE(commands_.SaveAs());
  EXPECT_TRUE(commands_.HasFile());
  EXPECT_EQ(std::vector<std::u16string>{u"disk full"}, ui_.errors);
}

TEST_F(SetCommandsTest, NewEmptiesTheListUnlessTheDocumentRefuses) {
  doc_.names = {"a"};
  SetListChange change = commands_.New();
  EXPECT_TRUE(change.rebuild);
  EXPECT_EQ(Focus::kAddButton, change.focus);
  EXPECT_TRUE(doc_.names.empty());

  doc_.newFails = true;
  change = commands_.New();
  EXPECT_FALSE(change.rebuild);
  ASSERT_EQ(1u, ui_.errors.size());
  EXPECT_EQ(u"Ошибка при создании нового документа", ui_.errors[0]);
}

TEST_F(SetCommandsTest, AddAppendsUntilAFileFailsAndSelectsTheLastAdded) {
  struct Row {
    std::vector<std::string> files;
    std::string failing;
    int appended;
    int select;
  };
  const Row table[] = {
      {{}, "", 0, -1},
      {{"/m/a.mel", "/m/b.mel"}, "", 2, 3},
      {{"/m/a.mel", "/m/bad.mel", "/m/c.mel"}, "/m/bad.mel", 1, 2},
      {{"/m/bad.mel"}, "/m/bad.mel", 0, -1},
  };
  for (const Row& row : table) {
    doc_.names = {"x", "y"};
    doc_.addErrors.clear();
    if (!row.failing.empty()) doc_.addErrors[row.failing] = "Файл повреждён";
    ui_.melodiesToAdd = row.files;
    ui_.errors.clear();
    const SetListChange change = commands_.AddMelodies(2);
    EXPECT_EQ(row.appended, change.appended) << row.files.size();
    EXPECT_EQ(row.select, change.select) << row.files.size();
    EXPECT_EQ(row.failing.empty() ? 0u : 1u, ui_.errors.size());
    EXPECT_EQ(0, ui_.busy) << "the wait cursor is always given back";
  }
}

TEST_F(SetCommandsTest, DeleteRemovesFromTheTopDownAndSelectsTheNeighbour) {
  struct Row {
    std::vector<int> rows;
    bool yes;
    std::vector<int> refused;
    std::vector<int> removed;
    int select;
    Focus focus;
  };
  const Row table[] = {
      {{1}, false, {}, {}, -1, Focus::kKeep},
      {{1, 3}, true, {}, {3, 1}, 1, Focus::kList},
      {{3}, true, {}, {3}, 2, Focus::kList},
      {{0, 1, 2, 3}, true, {}, {3, 2, 1, 0}, -1, Focus::kAddButton},
      {{1, 2}, true, {2}, {1}, 1, Focus::kList},
  };
  for (const Row& row : table) {
    doc_.names = {"a", "b", "c", "d"};
    doc_.refusedDeletes = row.refused;
    ui_.deleteAnswer = row.yes;
    const SetListChange change = commands_.DeleteMelodies(row.rows, 4);
    EXPECT_EQ(row.removed, change.removed);
    EXPECT_EQ(row.select, change.select);
    EXPECT_EQ(row.focus, change.focus);
    EXPECT_EQ(4 - row.removed.size(), doc_.names.size());
  }
}

TEST_F(SetCommandsTest, MoveSwapsWithTheNeighbourInsideTheList) {
  struct Row {
    std::vector<int> rows;
    bool up;
    std::vector<int> reloaded;
    int select;
  };
  const Row table[] = {
      {{1}, true, {1, 0}, 0}, {{1}, false, {1, 2}, 2}, {{0}, true, {}, -1}, {{2}, false, {}, -1}, {{0, 1}, true, {}, -1},
  };
  for (const Row& row : table) {
    doc_.names = {"a", "b", "c"};
    const SetListChange change = commands_.MoveMelody(row.rows, 3, row.up);
    EXPECT_EQ(row.reloaded, change.reloaded);
    EXPECT_EQ(row.select, change.select);
  }
  EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), doc_.names);
  commands_.MoveMelody({2}, 3, true);
  EXPECT_EQ((std::vector<std::string>{"a", "c", "b"}), doc_.names);
}

TEST_F(SetCommandsTest, SaveMelodyOffersTheNameAsAFileName) {
  doc_.names = {"Вальс 1/2"};
  ui_.paths = {"/tmp/v.mel"};
  commands_.SaveMelody({0});
  EXPECT_EQ(std::vector<std::string>{"Вальс 1_2"}, ui_.initialNames);
  EXPECT_EQ(std::vector<std::string>{"0:/tmp/v.mel"}, doc_.saves);
  commands_.SaveMelody({0, 1});  // only one melody at a time
  EXPECT_EQ(1u, ui_.initialNames.size());
}

TEST_F(SetCommandsTest, PlaybackStartsWatchesAndStops) {
  CSetPlayback playback(client_);
  CStringU error;
  doc_.playFails = true;
  EXPECT_FALSE(playback.Start(1, error));
  EXPECT_TRUE(error.IsEmpty());
  doc_.playError = "Нет звука";
  EXPECT_FALSE(playback.Start(1, error));
  EXPECT_EQ(u"Нет звука", error.View());
  EXPECT_FALSE(playback.IsPlaying());

  doc_.playFails = false;
  ASSERT_TRUE(playback.Start(1, error));
  EXPECT_EQ(1, playback.Index());
  EXPECT_FALSE(playback.Poll());
  doc_.playing = false;  // the melody came to its end
  EXPECT_TRUE(playback.Poll());
  EXPECT_FALSE(playback.IsPlaying());
  EXPECT_FALSE(playback.Poll());

  ASSERT_TRUE(playback.Start(2, error));
  doc_.stops = false;  // a melody that will not fall silent keeps the state
  EXPECT_FALSE(playback.Stop(std::chrono::milliseconds(0)));
  EXPECT_TRUE(playback.IsPlaying());
  doc_.stops = true;
  EXPECT_TRUE(playback.Stop());
  EXPECT_EQ(-1, playback.Index());
  EXPECT_TRUE(playback.Stop());
}

}  // namespace
