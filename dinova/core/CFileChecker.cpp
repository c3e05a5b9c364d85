#include "CFileChecker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "DinovaStrings.h"
#include "common/MelFormat.h"
#include "common/StoFormat.h"

CFileChecker::Result CFileChecker::Check(Kind kind, const std::string& path, LONG freeSymbols) {
  Result result;
  // fopen opens folders too; they are no candidates.
  if (path.empty() || !QFileInfo(QFile::decodeName(path.c_str())).isFile()) return result;

  FileStatus status = FileStatus::Failed;
  if (kind == Kind::Melody) {
    MelodyData melody;
    status = MelFormat::Load(path, melody);
    if (status == FileStatus::Ok) result.size = static_cast<LONG>(melody.notes.size()) + 1;
  } else {
    std::vector<MelodyData> set;
    status = StoFormat::Load(path, set);
    if (status == FileStatus::Ok) result.size = StoFormat::SetSize(set);
  }

  switch (status) {
    case FileStatus::Ok:
      result.verdict = result.size <= freeSymbols ? Verdict::Fits : Verdict::TooBig;
      break;
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

QString CFileChecker::PathFor(Kind kind, const QString& folder, const QString& name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return {};
  QString path = QFileInfo(trimmed).isAbsolute() ? trimmed : QDir(folder).filePath(trimmed);
  if (QFileInfo(trimmed).suffix().isEmpty() && !QFileInfo(path).isDir()) {
    path += kind == Kind::Melody ? QStringLiteral(".mel") : QStringLiteral(".sto");
  }
  return path;
}

QString CFileChecker::Text(Kind kind, Verdict verdict) {
  const bool melody = kind == Kind::Melody;
  switch (verdict) {
    case Verdict::Fits:
      return QString::fromUtf8(melody ? DinovaStrings::kMelodyFits : DinovaStrings::kSetFits);
    case Verdict::TooBig:
      return QString::fromUtf8(melody ? DinovaStrings::kMelodyTooLong : DinovaStrings::kSetTooBig);
    case Verdict::BadFormat:
      return QString::fromUtf8(DinovaStrings::kBadFormat);
    case Verdict::ReadFailed:
      return QString::fromUtf8(DinovaStrings::kReadFailed);
    case Verdict::None:
      break;
  }
  return {};
}
