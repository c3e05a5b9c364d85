#include "common/FileTexts.h"

#include "platform/CodePage.h"

namespace FileTexts {

std::u16string WithPath(std::u16string_view text, const std::string& path) {
  return std::u16string(text) + u" " + nv::Utf8ToWide(path);
}

std::u16string Line(std::u16string_view text) {
  return std::u16string(text) + u"\n";
}

}  // namespace FileTexts

FileStatus ProbeFile(const std::string& path, FileStatus (*readMagic)(CFileU&)) {
  CFileU probe;
  if (!probe.Open(path, "rb")) return FileStatus::OpenFailed;
  const FileStatus status = readMagic(probe);
  return status == FileStatus::Ok || status == FileStatus::BadMagic ? status : FileStatus::ReadFailed;
}
