#include "RingCommand.h"

#include <cstdio>
#include <memory>
#include <random>

#include "ArgParser.h"
#include "BellSession.h"
#include "CAppendRules.h"
#include "ComSession.h"
#include "DinovaStrings.h"
#include "Interrupt.h"
#include "MelodyPlayer.h"
#include "PortOverride.h"
#include "ToolError.h"
#include "platform/CodePage.h"

namespace {

// The melody after current by the bell's selection mode: sequential moves
// on and wraps to 1, manual stays, random picks any other melody. An
// unknown mode behaves as sequential.
LONG NextMelody(BYTE mode, LONG current, LONG count, std::mt19937& random) {
  switch (mode) {
    case BELL_MODE_MANUAL:
      return current;
    case BELL_MODE_RANDOM: {
      if (count < 2) return current;
      std::uniform_int_distribution<LONG> pick(1, count - 1);
      const LONG other = pick(random);
      return other >= current ? other + 1 : other;
    }
    default:
      return current % count + 1;
  }
}

}  // namespace

std::string_view RingCommand::Help() const {
  return "usage: nvtool ring --port virtual:IMAGE [--times N] [--version 2.0|2.9] [--mute]\n"
         "\n"
         "Simulates the doorbell on a virtual doorbell's memory image: reads the\n"
         "stored set as the bell does, and on each ring plays the current melody and\n"
         "moves on by the stored selection mode (sequential: the next one, wrapping\n"
         "to 1; manual: the same; random: another one). Prints which melody rang and\n"
         "stores the new current melody in the image.\n"
         "\n"
         "  --port virtual:IMAGE  the image (see nvtool bell --help)\n"
         "  --times N             rings, 1 to 1000 (default 1)\n"
         "  --version V           2.0 or 2.9 (default 2.9)\n"
         "  --mute                do not play the melodies (without an audio device\n"
         "                        they are not played either)\n";
}

int RingCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"port", 0, true}, {"times", 0, true}, {"version", 0, true}, {"mute", 0, false}});
  parser.ExpectPositionals(0, "");
  const std::string port = parser.Required("port");
  const long times = parser.Number("times", 1, 1000, 1);
  const BellSession::Version version = BellSession::ParseVersion(parser.Value("version").value_or("2.9"));

  PortOverride override(port);
  if (!override.IsVirtual()) throw ToolError::Usage("--port must name a virtual doorbell (virtual:IMAGE)");
  ComSession session;
  BellSession bell(session, version, port);
  bell.ReadInfo();
  BellInfo& info = bell.Info();
  if (info.melodyCount == 0) throw ToolError::Failed(DinovaStrings::kNoMelodies);

  std::unique_ptr<MelodyPlayer> player;
  if (!parser.Has("mute")) {
    try {
      player = std::make_unique<MelodyPlayer>(session);
    } catch (const ToolError& error) {
      std::fprintf(stderr, "nvtool: %s: ringing without sound\n", error.what());
    }
  }

  std::mt19937 random{std::random_device{}()};
  // A current melody outside the set (a foreign image) starts at the first.
  LONG current = CAppendRules::CurrentInSet(info);
  int status = kExitOk;
  for (long ring = 1; ring <= times; ++ring) {
    nv::ComPtr<IMelody> melody = session.NewMelody();
    bell.ReadMelody(melody.get(), current);
    LONG notes = 0;
    melody->GetCount(&notes);
    std::printf("ring %ld: melody %d (%d note symbols)\n", ring, static_cast<int>(current), static_cast<int>(notes));
    std::fflush(stdout);
    if (player && !player->Play(melody.get(), nullptr)) {
      status = kExitInterrupted;
      break;
    }
    current = NextMelody(info.selectionMode, current, info.melodyCount, random);
    if (Interrupt::Requested()) {
      status = kExitInterrupted;
      break;
    }
  }
  info.currentMelody = current;
  bell.SetCurrentMelody();
  std::printf("next: melody %d\n", static_cast<int>(current));
  return status;
}
