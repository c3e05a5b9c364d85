#include "PlayCommand.h"

#include <cstdio>

#include "ArgParser.h"
#include "ComSession.h"
#include "MelodyFiles.h"
#include "MelodyPlayer.h"
#include "ProgressBar.h"
#include "ToolError.h"
#include "platform/CodePage.h"

std::string_view PlayCommand::Help() const {
  return "usage: nvtool play IN.mel\n"
         "\n"
         "Plays the melody with the melody editor's tone on the audio device: the ALSA\n"
         "PCM named by the string value \"AudioDevice\" under\n"
         "HKEY_CURRENT_USER\\Software\\N&V\\Sonvox (ALSA's default when it is absent).\n"
         "Ctrl+C stops it.\n";
}

int PlayCommand::Run(const std::vector<std::string>& args) {
  ArgParser parser(args, {});
  parser.ExpectPositionals(1, "IN.mel");
  const MelodyData data = MelodyFiles::LoadMelody(parser.Positionals()[0]);

  ComSession session;
  MelodyPlayer player(session);
  nv::ComPtr<IMelody> melody = session.MelodyFrom(data);
  ProgressBar bar("Playing \"" + nv::WideToUtf8(data.name) + "\"");
  if (!player.Play(melody.get(), &bar)) return kExitInterrupted;
  return kExitOk;
}
