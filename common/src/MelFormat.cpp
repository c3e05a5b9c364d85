#include "common/MelFormat.h"

#include "common/CSaveFileU.h"

FileStatus MelFormat::ReadMagic(CFileU& file) {
  CStringU magic;
  if (!file.ReadString(magic)) return FileStatus::ReadFailed;
  return magic.Compare(kMagic) == 0 ? FileStatus::Ok : FileStatus::BadMagic;
}

FileStatus MelFormat::ReadBody(CFileU& file, MelodyData& melody, bool* nameRead) {
  if (nameRead) *nameRead = false;
  LONG ignoredCount = 0;
  if (!file.ReadLong(ignoredCount)) return FileStatus::ReadFailed;
  if (!file.ReadString(melody.name)) return FileStatus::ReadFailed;
  if (nameRead) *nameRead = true;
  LONG count = 0;
  if (!file.ReadLong(count)) return FileStatus::ReadFailed;
  for (LONG i = 0; i < count; ++i) {
    BYTE record[3];
    if (!file.Read(record, sizeof record)) return FileStatus::ReadFailed;
    const NoteValues note{record[0], record[1], record[2]};
    if (!note.HasValidDuration()) return FileStatus::BadMagic;
    melody.notes.push_back(note);
  }
  return FileStatus::Ok;
}

FileStatus MelFormat::Read(CFileU& file, MelodyData& melody) {
  FileStatus status = ReadMagic(file);
  return status == FileStatus::Ok ? ReadBody(file, melody) : status;
}

FileStatus MelFormat::Write(CFileU& file, const MelodyData& melody) {
  if (!HaveValidDurations(melody.notes)) return FileStatus::WriteFailed;
  LONG count = static_cast<LONG>(melody.notes.size());
  bool ok = file.WriteString(CStringU(kMagic)) && file.WriteLong(count) && file.WriteString(melody.name) &&
            file.WriteLong(count);
  for (size_t i = 0; ok && i < melody.notes.size(); ++i) {
    const NoteValues& n = melody.notes[i];
    BYTE record[3] = {n.pitch, n.duration, n.flags};
    ok = file.Write(record, sizeof record);
  }
  return ok ? FileStatus::Ok : FileStatus::WriteFailed;
}

FileStatus MelFormat::Load(const std::string& path, MelodyData& melody) {
  CFileU file;
  if (!file.Open(path, "rb")) return FileStatus::OpenFailed;
  return Read(file, melody);
}

FileStatus MelFormat::Save(const std::string& path, const MelodyData& melody) {
  CSaveFileU save;
  if (!save.Create(path)) return FileStatus::OpenFailed;
  if (Write(save.File(), melody) != FileStatus::Ok || !save.Commit()) return FileStatus::WriteFailed;
  return FileStatus::Ok;
}
