#include "common/CDocumentU.h"

#include "common/CSaveFileU.h"

CDocumentU::~CDocumentU() = default;

FileStatus CDocumentU::OpenFile(const std::string& path) {
  CFileU file;
  if (!file.Open(path, "rb")) return FileStatus::OpenFailed;
  FileStatus status = Serialize(file, false);
  file.Close();
  if (status == FileStatus::Ok) {
    path_ = path;
    modified_ = 0;
  }
  return status;
}

FileStatus CDocumentU::SaveFile(const std::string* path) {
  const std::string target = path ? *path : path_;
  CSaveFileU save;
  if (!save.Create(target)) return FileStatus::OpenFailed;
  FileStatus status = Serialize(save.File(), true);
  if (status != FileStatus::Ok) return status;
  if (!save.Commit()) return FileStatus::WriteFailed;
  path_ = target;
  modified_ = 0;
  return FileStatus::Ok;
}
