// The device thread over the real Sonvox and Chimox modules and a virtual
// doorbell; the bell's progress messages go to a message queue.
#include <gtest/gtest.h>

#include "CDeviceThread.h"
#include "DinovaIds.h"
#include "DinovaTestSupport.h"
#include "TempDir.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"
#include "platform/CodePage.h"
#include "platform/Kernel.h"
#include "platform/MessageQueue.h"

namespace {

using namespace dinovatest;

constexpr UINT kFlow = FLOW_REFRESH;

std::string Utf8(const CStringU& text) {
  return nv::WideToUtf8(text.View());
}

class DeviceThreadTest : public testing::Test {
 protected:
  void SetUp() override {
    PrepareModules();
    WriteImage(image_, Image29(32768, Melodies{}));
    UseVirtualBell(image_);
    ASSERT_TRUE(device_.Start());
    ASSERT_EQ(1, device_.Send(DEVM_INITIALISE));
  }

  DeviceRequest Request(LONG type, LONG first = 1) { return {type, queue_.Window(), kFlow, &info_, first}; }

  // Sends a request with an error text; its answer, the text in error_.
  LONG Send(UINT message, const void* parameter) {
    error_ = CStringU();
    return device_.Send(message, reinterpret_cast<WPARAM>(&error_), reinterpret_cast<LPARAM>(parameter));
  }
  LONG Count() {
    LONG count = -1;
    EXPECT_EQ(1, device_.Send(DEVM_GET_COUNT, reinterpret_cast<WPARAM>(&count)));
    return count;
  }
  // Waits for the end of the running worker operation; its last code.
  LPARAM WaitForEnd() {
    MessageQueue::Message message{};
    while (queue_.Get(&message, 60000)) {
      if (message.lParam != 0 || HIWORD(message.wParam) == 100) return message.lParam;
    }
    ADD_FAILURE() << "no end of operation";
    return -1;
  }

  nvtest::TempDir dir_;
  std::string image_ = dir_.file("bell.bin");
  MessageQueue queue_;
  BellInfo info_{};
  CStringU error_;
  CDeviceThread device_;
};

TEST_F(DeviceThreadTest, FailedLoadsLeaveTheListAsItWas) {
  const std::string mel = dir_.file("good.mel");
  ASSERT_EQ(FileStatus::Ok, MelFormat::Save(mel, {u"Тема", Notes(6)}));
  const std::string sto = dir_.file("good.sto");
  ASSERT_EQ(FileStatus::Ok, StoFormat::Save(sto, {{u"a", Notes(2)}, {u"b", Notes(3)}, {u"c", Notes(1)}}));
  const std::string shortMel = dir_.file("short.mel");
  const std::string shortSto = dir_.file("short.sto");
  for (const auto& [source, target] : {std::pair{mel, shortMel}, std::pair{sto, shortSto}}) {
    std::vector<BYTE> bytes = ReadImage(source);
    bytes.resize(bytes.size() - 2);
    WriteImage(target, bytes);
  }

  struct Case {
    UINT request;
    std::string path;
    const char* error;
  };
  const Case cases[] = {
      {DEVM_LOAD_MELODY, dir_.file("missing.mel"), "Ошибка при открытии файла"},
      {DEVM_LOAD_MELODY, sto, "Файл не является мелодией"},
      {DEVM_LOAD_MELODY, shortMel, "Ошибка при чтении файла"},
      {DEVM_LOAD_SET, dir_.file("missing.sto"), "Ошибка при открытии файла"},
      {DEVM_LOAD_SET, mel, "Неправильный формат файла"},
      {DEVM_LOAD_SET, shortSto, "Ошибка при чтении файла"},
  };
  ASSERT_EQ(1, Send(DEVM_LOAD_SET, sto.c_str()));
  ASSERT_EQ(3, Count());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(0, Send(c.request, c.path.c_str()));
    EXPECT_EQ(c.error, Utf8(error_));
    EXPECT_EQ(3, Count());
  }
  ASSERT_EQ(1, Send(DEVM_LOAD_MELODY, mel.c_str()));
  EXPECT_EQ(1, Count());

  EXPECT_EQ(0, Send(DEVM_SAVE_SET, dir_.file("no/such/folder/set.sto").c_str()));
  EXPECT_EQ("Ошибка при открытии файла", Utf8(error_));
}

TEST_F(DeviceThreadTest, UnknownBellTypeFailsDeviceRequestsButClearsNothing) {
  const std::vector<BYTE> before = ReadImage(image_);
  DeviceRequest request = Request(7);
  EXPECT_EQ(0, Send(DEVM_READ_INFO, &request));
  EXPECT_EQ("Неизвестный тип звонка", Utf8(error_));
  EXPECT_EQ(1, Send(DEVM_CLEAR, &request));
  EXPECT_EQ(before, ReadImage(image_));
}

TEST_F(DeviceThreadTest, ReadingASetFromAnEmptyBellFailsAtTheFirstMelody) {
  DeviceRequest request = Request(BELL_TYPE_29);
  ASSERT_EQ(1, Send(DEVM_READ_INFO, &request));
  ASSERT_EQ(0, WaitForEnd());
  EXPECT_EQ(15352, info_.capacity);
  ASSERT_EQ(0, info_.melodyCount);
  EXPECT_EQ(0, Send(DEVM_READ_MELODY, &request));
  EXPECT_EQ("Звонок не содержит мелодий", Utf8(error_));
}

TEST_F(DeviceThreadTest, PreviewPlaysTheFirstMelodyUntilStopped) {
  LONG stopped = 0;
  EXPECT_EQ(0, device_.Send(DEVM_PLAY));
  EXPECT_EQ(1, device_.Send(DEVM_IS_STOPPED, reinterpret_cast<WPARAM>(&stopped)));
  EXPECT_EQ(1, stopped);

  // Whole notes: the melody plays for several seconds unless stopped.
  std::vector<NoteValues> notes(8, NoteValues{13, 0, 0});
  const std::string mel = dir_.file("long.mel");
  ASSERT_EQ(FileStatus::Ok, MelFormat::Save(mel, {u"long", notes}));
  ASSERT_EQ(1, Send(DEVM_LOAD_MELODY, mel.c_str()));
  ASSERT_EQ(1, device_.Send(DEVM_PLAY));
  ASSERT_EQ(1, device_.Send(DEVM_IS_STOPPED, reinterpret_cast<WPARAM>(&stopped)));
  EXPECT_EQ(0, stopped);
  EXPECT_EQ(1, device_.Send(DEVM_STOP));
  for (int waited = 0; waited < 10000 && stopped == 0; waited += 20) {
    Sleep(20);
    device_.Send(DEVM_IS_STOPPED, reinterpret_cast<WPARAM>(&stopped));
  }
  EXPECT_EQ(1, stopped);
}

TEST_F(DeviceThreadTest, APortThatCannotBeOpenedLeavesNoBellUntilAnotherIsSet) {
  ASSERT_TRUE(CPortSetting::Write("/dev/i2c-250"));
  EXPECT_EQ(0, device_.Send(DEVM_REOPEN_PORT, reinterpret_cast<WPARAM>(&error_)));
  EXPECT_EQ("Не удалось открыть порт звонка", Utf8(error_));
  LONG busy = -1;
  EXPECT_EQ(0, device_.Send(DEVM_IS_BUSY, reinterpret_cast<WPARAM>(&busy)));
  DeviceRequest request = Request(BELL_TYPE_29);
  EXPECT_EQ(0, Send(DEVM_READ_INFO, &request));
  EXPECT_EQ("Программная ошибка при обращении к звонку", Utf8(error_));

  UseVirtualBell(image_);
  EXPECT_EQ(1, device_.Send(DEVM_REOPEN_PORT, reinterpret_cast<WPARAM>(&error_)));
  EXPECT_EQ(1, Send(DEVM_READ_INFO, &request));
  EXPECT_EQ(0, WaitForEnd());
}

}  // namespace
