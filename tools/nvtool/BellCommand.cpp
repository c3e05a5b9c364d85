#include "BellCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "BellSession.h"
#include "CAppendRules.h"
#include "ComSession.h"
#include "DinovaIds.h"
#include "DinovaStrings.h"
#include "MelodyCompare.h"
#include "MelodyFiles.h"
#include "PortOverride.h"
#include "ProgressBar.h"
#include "ToolError.h"
#include "common/StoFormat.h"
#include "platform/CodePage.h"

namespace {

struct Context {
  ComSession& session;
  BellSession& bell;
  const ArgParser& args;
};

const char* ModeName(BYTE mode) {
  return mode >= BELL_MODE_SEQUENTIAL && mode <= BELL_MODE_RANDOM ? DinovaStrings::kModeNames[mode - 1]
                                                                  : DinovaStrings::kUnknown;
}

LONG BellType(BellSession::Version version) {
  return version == BellSession::Version::V2_0 ? BELL_TYPE_20 : BELL_TYPE_29;
}

void PrintStatus(BellSession& bell) {
  const BellInfo& info = bell.Info();
  std::printf("Тип звонка - %s\n", DinovaStrings::kBellTypes[BellType(bell.GetVersion())]);
  std::printf("Емкость - %d нотных знаков\n", static_cast<int>(info.capacity));
  std::printf("Свободно - %d нотных знаков\n", static_cast<int>(bell.FreeSymbols()));
  std::printf("Количество мелодий - %d\n", static_cast<int>(info.melodyCount));
  if (info.melodyCount > 0) {
    std::printf("Текущая мелодия - %d\n", static_cast<int>(info.currentMelody));
  } else {
    std::printf("Текущая мелодия -\n");
  }
  std::printf("Режим выбора мелодии - %s\n", ModeName(info.selectionMode));
}

// What the programmer does before it appends: nothing is written unless
// the bell can store every note of the melodies, and has room for them and
// their number (the checker's words, with the sizes for a size refusal);
// then the current melody is kept inside the set, and a bell whose
// selection mode is unknown must be given a mode first (the programmer asks
// for it; here it is a command). A refusal ends bar's line first.
void PrepareAppend(BellSession& bell, ProgressBar& bar, CAppendRules::Kind kind,
                   const std::vector<MelodyData>& melodies) {
  BellInfo& info = bell.Info();
  const CAppendRules::Limits limits = CAppendRules::LimitsOf(info, BellType(bell.GetVersion()));
  const CAppendRules::Result check = CAppendRules::Check(kind, melodies, limits);
  if (check.verdict != CAppendRules::Verdict::Fits) {
    std::string text = CAppendRules::Text(kind, check, limits);
    if (check.verdict == CAppendRules::Verdict::TooBig) {
      text += " (" + std::to_string(check.size) + " > " + std::to_string(limits.freeSymbols) + ")";
    }
    bar.Finish();
    throw ToolError::Failed(text);
  }
  if (!CAppendRules::PrepareAppend(info)) {
    bar.Finish();
    throw ToolError::Failed(
        "the bell's melody selection mode is not known: set it first with "
        "\"nvtool bell mode sequential|manual|random\"");
  }
}

// Reads melody number back and compares it with what was written.
void Verify(Context& c, LONG number, const MelodyData& written) {
  nv::ComPtr<IMelody> melody = c.session.NewMelody();
  c.bell.ReadMelody(melody.get(), number);
  const MelodyData read = ComSession::Read(melody.get());
  if (auto difference = MelodyCompare::FirstDifference(written.notes, read.notes)) {
    throw ToolError::Failed("verification failed: melody " + std::to_string(number) + " (\"" +
                            nv::WideToUtf8(written.name) + "\") differs at " + *difference);
  }
}

int Status(Context& c) {
  c.args.ExpectPositionals(1, "");
  ProgressBar bar("Reading the status");
  c.bell.ReadInfo({&bar}, BellSession::Damage::Accept);
  bar.Finish();
  PrintStatus(c.bell);
  if (c.bell.Damaged()) throw BellSession::DamagedError();
  return kExitOk;
}

int Add(Context& c) {
  c.args.ExpectPositionals(2, "FILE.mel");
  const std::string& path = c.args.Positionals()[1];
  const MelodyData data = MelodyFiles::LoadMelody(path);
  ProgressBar bar("Adding \"" + nv::WideToUtf8(data.name) + "\"");
  c.bell.ReadInfo({&bar, 0, 50});
  PrepareAppend(c.bell, bar, CAppendRules::Kind::Melody, {data});
  nv::ComPtr<IMelody> melody = c.session.MelodyFrom(data);
  c.bell.AddMelody(melody.get(), {&bar, 50, 50});
  const LONG number = c.bell.Info().melodyCount;
  if (c.args.Has("verify")) Verify(c, number, data);
  bar.Finish();
  std::printf("\"%s\" written as melody %d (%d note symbols)%s\n", nv::WideToUtf8(data.name).c_str(),
              static_cast<int>(number), static_cast<int>(data.notes.size()), c.args.Has("verify") ? ", verified" : "");
  PrintStatus(c.bell);
  return kExitOk;
}

int WriteSet(Context& c) {
  c.args.ExpectPositionals(2, "FILE.sto");
  const std::string& path = c.args.Positionals()[1];
  const std::vector<MelodyData> set = MelodyFiles::LoadSet(path);
  ProgressBar bar("Writing " + path);
  c.bell.ReadInfo({&bar, 0, 10});
  const LONG size = StoFormat::SetSize(set);
  PrepareAppend(c.bell, bar, CAppendRules::Kind::Set, set);
  const LONG first = c.bell.Info().melodyCount + 1;
  // Each melody takes an equal stretch of what is left of the bar.
  const int n = static_cast<int>(set.size());
  for (int i = 0; i < n; ++i) {
    nv::ComPtr<IMelody> melody = c.session.MelodyFrom(set[static_cast<size_t>(i)]);
    c.bell.AddMelody(melody.get(), {&bar, 10 + 90 * i / n, 90 / n});
  }
  if (c.args.Has("verify")) {
    for (int i = 0; i < n; ++i) Verify(c, first + i, set[static_cast<size_t>(i)]);
  }
  bar.Finish();
  if (n == 0) {
    std::printf("%s holds no melodies: nothing written\n", path.c_str());
  } else {
    std::printf("written as melodies %d to %d: %d note symbols%s\n", static_cast<int>(first),
                static_cast<int>(first + n - 1), static_cast<int>(size), c.args.Has("verify") ? ", verified" : "");
  }
  PrintStatus(c.bell);
  return kExitOk;
}

int ReadSet(Context& c) {
  c.args.ExpectPositionals(2, "OUT.sto");
  const std::string& path = c.args.Positionals()[1];
  ProgressBar bar("Reading the set");
  c.bell.ReadInfo({&bar, 0, 10});
  const LONG count = c.bell.Info().melodyCount;
  if (count == 0) {
    bar.Finish();
    throw ToolError::Failed(DinovaStrings::kNoMelodies);
  }
  // The device keeps no names: the programmer names them by position.
  std::vector<MelodyData> set;
  for (LONG i = 1; i <= count; ++i) {
    nv::ComPtr<IMelody> melody = c.session.NewMelody();
    c.bell.ReadMelody(melody.get(), i,
                      {&bar, static_cast<int>(10 + 90 * (i - 1) / count), static_cast<int>(90 / count)});
    MelodyData data = ComSession::Read(melody.get());
    char name[64];
    std::snprintf(name, sizeof name, DinovaStrings::kSavedName, static_cast<int>(i));
    data.name = nv::Utf8ToWide(name);
    set.push_back(std::move(data));
  }
  bar.Finish();
  MelodyFiles::SaveSet(path, set);
  std::printf("%s: melodies: %d, set size %d note symbols\n", path.c_str(), static_cast<int>(count),
              static_cast<int>(StoFormat::SetSize(set)));
  return kExitOk;
}

int Clear(Context& c) {
  c.args.ExpectPositionals(1, "");
  // Clearing is what makes a damaged memory usable again.
  c.bell.ReadInfo({}, BellSession::Damage::Accept);
  c.bell.ClearSet();
  PrintStatus(c.bell);
  return kExitOk;
}

int Mode(Context& c) {
  c.args.ExpectPositionals(2, "sequential, manual or random");
  const std::string& name = c.args.Positionals()[1];
  BYTE mode = BELL_MODE_UNKNOWN;
  if (name == "sequential") mode = BELL_MODE_SEQUENTIAL;
  if (name == "manual") mode = BELL_MODE_MANUAL;
  if (name == "random") mode = BELL_MODE_RANDOM;
  if (mode == BELL_MODE_UNKNOWN)
    throw ToolError::Usage("the mode is sequential, manual or random, not \"" + name + "\"");
  if (mode == BELL_MODE_RANDOM && c.bell.GetVersion() == BellSession::Version::V2_0) {
    throw ToolError::Usage("random selection needs a version 2.9 bell");
  }
  c.bell.ReadInfo();
  c.bell.Info().selectionMode = mode;
  c.bell.SetSelectionMode();
  PrintStatus(c.bell);
  return kExitOk;
}

int Current(Context& c) {
  c.args.ExpectPositionals(2, "the melody number");
  const long number = ArgParser::ParseNumber(c.args.Positionals()[1], 1, 0xFFFF, "the melody number");
  c.bell.ReadInfo();
  c.bell.Info().currentMelody = static_cast<LONG>(number);
  c.bell.SetCurrentMelody();
  PrintStatus(c.bell);
  return kExitOk;
}

int Dump(Context& c) {
  c.args.ExpectPositionals(2, "OUT.txt");
  const std::string& path = c.args.Positionals()[1];
  c.bell.Dump(path);
  std::printf("%s: memory dump written\n", path.c_str());
  return kExitOk;
}

struct Operation {
  const char* name;
  int (*run)(Context&);
  bool verifies;
};

constexpr Operation kOperations[] = {
    {"status", &Status, false}, {"add", &Add, true},    {"write-set", &WriteSet, true}, {"read-set", &ReadSet, false},
    {"clear", &Clear, false},   {"mode", &Mode, false}, {"current", &Current, false},   {"dump", &Dump, false},
};

}  // namespace

std::string_view BellCommand::Help() const {
  return "usage: nvtool bell [--port P] [--version 2.0|2.9] OPERATION\n"
         "\n"
         "Operations, with the doorbell programmer's checks:\n"
         "  status               capacity, free space, melodies, current melody, mode\n"
         "  add FILE.mel         append a melody; refused when it does not fit\n"
         "  write-set FILE.sto   append every melody of a set; refused when the set\n"
         "                       does not fit into the free space\n"
         "  read-set OUT.sto     read every melody back into a set file (the device\n"
         "                       keeps no names: they become \"Мелодия N1\", ...)\n"
         "  clear                remove every melody (also from a damaged memory)\n"
         "  mode sequential|manual|random\n"
         "                       the melody selection mode (random: version 2.9 only)\n"
         "  current N            the melody the bell plays next\n"
         "  dump OUT.txt         the whole memory as text\n"
         "\n"
         "Appending needs a known selection mode (set one with \"mode\" first) and makes\n"
         "melody 1 current when there is no current melody.\n"
         "\n"
         "A memory whose directory no longer holds together is reported as damaged\n"
         "(exit status 3): \"status\" shows it, everything but \"clear\" and \"dump\" is\n"
         "refused, and \"clear\" makes the bell usable again.\n"
         "\n"
         "  --port P      the port for this run: /dev/parportN, /dev/i2c-N or\n"
         "                virtual:IMAGE[?size=BYTES][&fast=1] (default: the \"Port\" value\n"
         "                under HKEY_CURRENT_USER\\Software\\N&V\\Chimox, else /dev/parport0)\n"
         "  --version V   2.0 or 2.9 (default 2.9)\n"
         "  --verify      add and write-set: read the melodies back and compare them,\n"
         "                naming the first melody and note symbol that differ\n";
}

int BellCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {{"port", 0, true}, {"version", 0, true}, {"verify", 0, false}});
  if (parser.Positionals().empty()) throw ToolError::Usage("missing OPERATION (see nvtool bell --help)");
  const std::string& name = parser.Positionals()[0];
  const Operation* operation = nullptr;
  for (const Operation& candidate : kOperations)
    if (name == candidate.name) operation = &candidate;
  if (operation == nullptr) throw ToolError::Usage("unknown bell operation \"" + name + "\"");
  if (parser.Has("verify") && !operation->verifies) throw ToolError::Usage("--verify goes with add and write-set");
  const BellSession::Version version = BellSession::ParseVersion(parser.Value("version").value_or("2.9"));

  PortOverride port(parser.Value("port").value_or(""));
  ComSession session;
  BellSession bell(session, version, port.Port());
  Context context{session, bell, parser};
  return operation->run(context);
}
