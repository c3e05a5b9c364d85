// Interrupted writes: an append, clear or header change stopped after any
// single page write (a failed transfer, or the process killed outright)
// leaves the old set, or the old set and the new melody, readable.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "BellMemory20.h"
#include "BellMemory29.h"
#include "MemoryImages.h"
#include "SimulatedDoorbell.h"
#include "portix/Portix.h"

namespace {

using chimox::BellMemory20;
using chimox::BellMemory29;
using namespace chimoxtest;

// Passes transfers on until the n-th write that stores bytes (a write with
// stop), which fails without reaching the bus, or kills the process.
class InterruptedPort final : public chimox::BusPort {
 public:
  enum class How { kFail, kKill };
  InterruptedPort(chimox::BusPort& inner, int failAt, How how) : inner_(inner), failAt_(failAt), how_(how) {}

  bool Transfer(DWORD code, const BYTE* input, DWORD inputLength, BYTE* output, DWORD outputLength) override {
    if (code == IOCTL_BUS_WRITE && inputLength >= 2 && input[1] != 0 && ++writes_ == failAt_) {
      if (how_ == How::kKill) raise(SIGKILL);
      return false;
    }
    return inner_.Transfer(code, input, inputLength, output, outputLength);
  }
  void Pause(DWORD milliseconds) override { inner_.Pause(milliseconds); }
  int writes() const { return writes_; }

 private:
  chimox::BusPort& inner_;
  int failAt_;
  How how_;
  int writes_ = 0;
};

struct Version {
  bool v29;
  int Status(chimox::BusPort& port, BellInfo& info) const {
    ProgressLog log;
    return v29 ? BellMemory29(port).ReadStatus(info, log) : BellMemory20(port).ReadStatus(info, log);
  }
  int Append(chimox::BusPort& port, IMelody* melody, BellInfo& info) const {
    ProgressLog log;
    return v29 ? BellMemory29(port).AppendMelody(melody, info, false, log)
               : BellMemory20(port).AppendMelody(melody, info, log);
  }
  std::vector<NoteValues> Read(chimox::BusPort& port, LONG n, const BellInfo& info) const {
    auto melody = MakeMelody();
    ProgressLog log;
    const int code = v29 ? BellMemory29(port).ReadMelody(melody.get(), n, info, log)
                         : BellMemory20(port).ReadMelody(melody.get(), n, info, log);
    EXPECT_EQ(code, BELL_ERR_NONE);
    return NotesOf(melody.get());
  }
};

// The melodies a fresh status finds, read back one by one.
Melodies StoredSet(const Version& version, chimox::BusPort& port, BellInfo* info) {
  EXPECT_EQ(version.Status(port, *info), BELL_ERR_NONE);
  Melodies set;
  for (LONG n = 1; n <= info->melodyCount; ++n) set.push_back(version.Read(port, n, *info));
  return set;
}

struct Scenario {
  const char* name;
  Version version;
  std::vector<BYTE> image;
  std::vector<NoteValues> added;
  LONG current;  // asked for with the append
  BYTE mode;
};

std::vector<Scenario> Scenarios() {
  const Melodies three20 = {{}, Notes(4, FLAG_DOT), {{5, 2, FLAG_REST}, {31, 4, 0}}};
  const Melodies seven20(7, Notes(3, FLAG_REST));  // the new entry ends an 8-byte page
  const Melodies three29 = {Notes(30, 0), {}, {{5, 2, FLAG_REST}, {31, 4, FLAG_DOT}}};
  std::vector<BYTE> cleared29 = Image29(16384, three29, 2, 1);
  cleared29[4] = cleared29[5] = 0;  // cleared: the old directory and current pointer stay
  return {
      {"2.0 into a cleared memory", {false}, Image20({}, 0xFF), Notes(9, FLAG_DOT), 1, BELL_MODE_SEQUENTIAL},
      {"2.0 new current and mode", {false}, Image20(three20, 16), Notes(20, FLAG_REST), 4, BELL_MODE_MANUAL},
      {"2.0 entry pair across a page", {false}, Image20(seven20, 17), Notes(5, 0), 2, BELL_MODE_SEQUENTIAL},
      {"2.9 into a new memory", {true}, std::vector<BYTE>(16384, 0xFF), Notes(40, FLAG_DOT), 1, BELL_MODE_RANDOM},
      {"2.9 new current and mode", {true}, Image29(32768, three29, 2, 0), Notes(70, FLAG_REST), 4,
       BELL_MODE_MANUAL},
      {"2.9 after a clear with a stale current", {true}, cleared29, Notes(3, 0), 1, BELL_MODE_SEQUENTIAL},
  };
}

// Runs the append against a port interrupted at write n; returns whether
// the append wrote fewer than n pages (it completed).
using Interrupt = std::function<bool(SimulatedDoorbell&, const Scenario&, int)>;

void CheckEveryWrite(const Interrupt& interrupt) {
  for (const Scenario& s : Scenarios()) {
    SCOPED_TRACE(s.name);
    // What the set is before and after a complete append.
    SimulatedDoorbell reference(s.image);
    BellInfo info{};
    const Melodies before = StoredSet(s.version, reference, &info);
    Melodies after = before;
    after.push_back(s.added);

    bool completed = false;
    for (int n = 1; !completed && n < 40; ++n) {
      SCOPED_TRACE("interrupted at write " + std::to_string(n));
      SimulatedDoorbell bell(s.image);
      completed = interrupt(bell, s, n);
      BellInfo now{};
      const Melodies found = StoredSet(s.version, bell, &now);
      if (completed) {
        EXPECT_EQ(found, after);
        EXPECT_EQ(now.currentMelody, s.current);
      } else {
        EXPECT_TRUE(found == before || found == after) << found.size() << " melodies";
      }
    }
    EXPECT_TRUE(completed);
  }
}

bool AppendWithStatus(chimox::BusPort& port, const Scenario& s) {
  BellInfo info{};
  if (s.version.Status(port, info) != BELL_ERR_NONE) return false;
  info.currentMelody = s.current;
  info.selectionMode = s.mode;
  auto melody = MakeMelody(s.added);
  return s.version.Append(port, melody.get(), info) == BELL_ERR_NONE;
}

TEST(WriteOrder, AFailedTransferAtAnyWriteOfAnAppendKeepsTheSetReadable) {
  CheckEveryWrite([](SimulatedDoorbell& bell, const Scenario& s, int n) {
    InterruptedPort port(bell, n, InterruptedPort::How::kFail);
    const bool ok = AppendWithStatus(port, s);
    EXPECT_EQ(ok, port.writes() < n);
    return ok;
  });
}

TEST(WriteOrder, AProcessKilledAtAnyWriteOfAnAppendLeavesTheSetReadable) {
  CheckEveryWrite([](SimulatedDoorbell& bell, const Scenario& s, int n) {
    const pid_t child = fork();
    if (child == 0) {
      InterruptedPort port(bell, n, InterruptedPort::How::kKill);
      _exit(AppendWithStatus(port, s) ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    bell.Reopen();  // the image as the killed process left it
    if (WIFSIGNALED(status)) {
      EXPECT_EQ(WTERMSIG(status), SIGKILL);
      return false;
    }
    EXPECT_EQ(WEXITSTATUS(status), 0);
    return true;
  });
}

TEST(WriteOrder, SingleWritesEitherHappenOrNot) {
  const Melodies three = {Notes(3, 0), Notes(2, 0), Notes(1, 0)};
  const struct {
    const char* name;
    Version version;
    std::vector<BYTE> image;
    std::function<bool(chimox::BusPort&, BellInfo&)> write;
    LONG countAfter;
  } cases[] = {
      {"2.0 clear", {false}, Image20(three), [](auto& p, auto& i) { return BellMemory20(p).Clear(i); }, 0},
      {"2.9 clear", {true}, Image29(16384, three), [](auto& p, auto& i) { return BellMemory29(p).Clear(i); }, 0},
      {"2.0 current", {false}, Image20(three),
       [](auto& p, auto& i) {
         i.currentMelody = 3;
         return BellMemory20(p).SetCurrentMelody(i);
       },
       3},
      {"2.9 current", {true}, Image29(16384, three),
       [](auto& p, auto& i) {
         i.currentMelody = 3;
         return BellMemory29(p).SetCurrentMelody(i);
       },
       3},
      {"2.9 mode", {true}, Image29(16384, three),
       [](auto& p, auto& i) {
         i.selectionMode = BELL_MODE_RANDOM;
         return BellMemory29(p).SetSelectionMode(i);
       },
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool fail : {true, false}) {
      SimulatedDoorbell bell(c.image);
      BellInfo info{};
      ASSERT_EQ(c.version.Status(bell, info), BELL_ERR_NONE);
      InterruptedPort port(bell, fail ? 1 : 0, InterruptedPort::How::kFail);
      EXPECT_EQ(c.write(port, info), !fail);
      BellInfo now{};
      EXPECT_EQ(c.version.Status(bell, now), BELL_ERR_NONE);
      EXPECT_EQ(now.melodyCount, fail ? 3 : c.countAfter);
    }
  }
}

}  // namespace
