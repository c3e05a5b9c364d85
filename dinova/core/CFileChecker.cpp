#include "CFileChecker.h"

#include <sys/stat.h>

#include "common/MelFormat.h"
#include "common/StoFormat.h"

CFileChecker::Result CFileChecker::Check(Kind kind, const std::string& path, const CAppendRules::Limits& limits) {
  // fopen opens folders too, and would wait on a pipe with no writer.
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return {};

  std::vector<MelodyData> melodies;
  FileStatus status = FileStatus::Failed;
  if (kind == Kind::Melody) {
    melodies.resize(1);
    status = MelFormat::Load(path, melodies[0]);
  } else {
    status = StoFormat::Load(path, melodies);
  }

  Result result;
  switch (status) {
    case FileStatus::Ok:
      return CAppendRules::Check(kind, melodies, limits);
    case FileStatus::BadMagic:
      result.verdict = Verdict::BadFormat;
      break;
    case FileStatus::ReadFailed:
      result.verdict = Verdict::ReadFailed;
      break;
    default:
      break;
  }
  return result;
}
