// What the programmer's tests share: Sonvox and Chimox registered in the
// test's private registry, sound to the null device, virtual doorbells in
// image files named as the port, and the version 2.9 memory layout to build
// and read those images by.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "BellImages.h"
#include "CPortSetting.h"
#include "NotaraTestSupport.h"
#include "TestApplication.h"
#include "chimox/Chimox.h"
#include "common/MelodyData.h"

namespace dinovatest {

using Melodies = std::vector<std::vector<NoteValues>>;

inline QApplication& App() {
  return TestApplication<QApplication>("dinova_tests");
}

// Sonvox and Chimox registered from the program folder, sound to the null PCM.
inline void PrepareModules() {
  notaratest::PrepareSonvox();
  const std::string path = nvtest::BinDir() + "/" + CHIMOX_MODULE;
  HMODULE module = LoadLibrary(path.c_str());
  ASSERT_NE(nullptr, module) << path;
  auto reg = reinterpret_cast<LPFNREGISTERSERVER>(GetProcAddress(module, "DllRegisterServer"));
  ASSERT_NE(nullptr, reg);
  ASSERT_EQ(S_OK, reg());
  FreeLibrary(module);
}

inline void WriteImage(const std::string& path, const std::vector<BYTE>& image) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline std::vector<BYTE> ReadImage(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The doorbell in image file path; fast: in simulated bus time.
inline void UseVirtualBell(const std::string& path, bool fast = true) {
  ASSERT_TRUE(CPortSetting::Write("virtual:" + path + (fast ? "?fast=1" : "")));
}

// Notes n of a melody: pitch, duration code and flags vary with n.
inline std::vector<NoteValues> Notes(int count, int seed = 0) {
  std::vector<NoteValues> notes;
  for (int i = 0; i < count; ++i) {
    const int n = i + seed;
    notes.push_back({static_cast<BYTE>(n % 32), static_cast<BYTE>(n % 5),
                     static_cast<BYTE>(n % 7 == 3   ? 4
                                       : n % 7 == 5 ? 8
                                                    : 0)});
  }
  return notes;
}

// A version 2.9 memory of size bytes holding melodies, with the current
// melody number and the mode byte as the bell keeps them.
using nvtest::Image29;

// What a version 2.9 image holds by its layout: mode byte, current melody
// number and the melodies the directory names.
struct Content29 {
  BYTE modeByte = 0;
  int current = 0;
  Melodies melodies;
};

inline Content29 Decode29(const std::vector<BYTE>& image) {
  Content29 content;
  if (image.size() < 0x0810) return content;
  auto word = [&](size_t at) { return static_cast<size_t>(image[at]) * 256 + image[at + 1]; };
  content.modeByte = image[1];
  content.current = (static_cast<int>(word(2)) - 16) / 2 + 1;
  const size_t last = word(4);
  if (last < 16) return content;
  const size_t count = (last - 16) / 2 + 1;
  for (size_t m = 0; m < count && m < 1024; ++m) {
    std::vector<NoteValues> notes;
    for (size_t at = word(0x0010 + 2 * m); at + 1 < image.size() && image[at] != 7; at += 2) {
      notes.push_back({static_cast<BYTE>(image[at] / 8), static_cast<BYTE>(image[at] % 8),
                       static_cast<BYTE>(((image[at + 1] & 1) ? 4 : 0) | ((image[at + 1] & 2) ? 8 : 0))});
    }
    content.melodies.push_back(notes);
  }
  return content;
}

// Runs the event loop until done() holds or timeoutMs has passed; done()'s
// last answer.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace dinovatest
