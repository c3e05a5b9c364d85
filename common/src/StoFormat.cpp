#include "common/StoFormat.h"

#include "common/CSaveFileU.h"

FileStatus StoFormat::ReadMagic(CFileU& file) {
  CStringU magic;
  if (!file.ReadString(magic)) return FileStatus::ReadFailed;
  return magic.Compare(kMagic) == 0 ? FileStatus::Ok : FileStatus::BadMagic;
}

FileStatus StoFormat::ReadBody(CFileU& file, std::vector<MelodyData>& melodies) {
  LONG count = 0;
  if (!file.ReadLong(count)) return FileStatus::ReadFailed;
  for (LONG m = 0; m < count; ++m) {
    MelodyData& melody = melodies.emplace_back();
    LONG notes = 0;
    if (!file.ReadLong(notes) || !file.ReadString(melody.name)) return FileStatus::ReadFailed;
    for (LONG i = 0; i < notes; ++i) {
      BYTE record[3];
      if (!file.Read(record, sizeof record)) return FileStatus::ReadFailed;
      const NoteValues note{record[0], record[1], record[2]};
      if (!note.HasValidDuration()) return FileStatus::BadMagic;
      melody.notes.push_back(note);
    }
  }
  return FileStatus::Ok;
}

FileStatus StoFormat::Read(CFileU& file, std::vector<MelodyData>& melodies) {
  FileStatus status = ReadMagic(file);
  return status == FileStatus::Ok ? ReadBody(file, melodies) : status;
}

FileStatus StoFormat::Write(CFileU& file, const std::vector<MelodyData>& melodies) {
  for (const MelodyData& melody : melodies) {
    if (!HaveValidDurations(melody.notes)) return FileStatus::WriteFailed;
  }
  bool ok = file.WriteString(CStringU(kMagic)) && file.WriteLong(static_cast<LONG>(melodies.size()));
  for (size_t m = 0; ok && m < melodies.size(); ++m) {
    const MelodyData& melody = melodies[m];
    ok = file.WriteLong(static_cast<LONG>(melody.notes.size())) && file.WriteString(melody.name);
    for (size_t i = 0; ok && i < melody.notes.size(); ++i) {
      const NoteValues& n = melody.notes[i];
      BYTE record[3] = {n.pitch, n.duration, n.flags};
      ok = file.Write(record, sizeof record);
    }
  }
  return ok ? FileStatus::Ok : FileStatus::WriteFailed;
}

FileStatus StoFormat::Load(const std::string& path, std::vector<MelodyData>& melodies) {
  CFileU file;
  if (!file.Open(path, "rb")) return FileStatus::OpenFailed;
  return Read(file, melodies);
}

FileStatus StoFormat::Save(const std::string& path, const std::vector<MelodyData>& melodies) {
  CSaveFileU save;
  if (!save.Create(path)) return FileStatus::OpenFailed;
  if (Write(save.File(), melodies) != FileStatus::Ok || !save.Commit()) return FileStatus::WriteFailed;
  return FileStatus::Ok;
}

LONG StoFormat::SetSize(const std::vector<MelodyData>& melodies) {
  LONG size = 0;
  for (const MelodyData& melody : melodies) size += static_cast<LONG>(melody.notes.size()) + 1;
  return size;
}
