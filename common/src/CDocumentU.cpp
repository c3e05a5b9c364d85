#include "common/CDocumentU.h"

#include "common/CSaveFileU.h"

CDocumentU::~CDocumentU() = default;

FileStatus CDocumentU::OpenFile(const std::string& path) {
  CFileU file;
  if (!file.Open(path, "rb")) return FileStatus::OpenFailed;
  if (!Clear()) return FileStatus::Failed;
  path_ = path;
  FileStatus status = Serialize(file, false);
  file.Close();
  if (status == FileStatus::Ok) modified_ = 0;
  return status;
}

FileStatus CDocumentU::SaveFile(const std::string* path) {
  if (path) path_ = *path;
  CSaveFileU save;
  if (!save.Create(path_)) return FileStatus::OpenFailed;
  FileStatus status = Serialize(save.File(), true);
  if (status != FileStatus::Ok) return status;
  if (!save.Commit()) return FileStatus::WriteFailed;
  modified_ = 0;
  return FileStatus::Ok;
}
