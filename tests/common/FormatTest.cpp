// The melody (.mel) and melody set (.sto) files, byte for byte and broken.
#include <gtest/gtest.h>

#include <cstdio>

#include "common/MelFormat.h"
#include "common/StoFormat.h"

namespace {

using Bytes = std::vector<BYTE>;

// A stream over a copy of bytes, as the readers see a file.
CFileU Over(const Bytes& bytes) {
  static std::vector<Bytes> keep;  // fmemopen needs the buffer alive
  keep.push_back(bytes.empty() ? Bytes{0} : bytes);
  return CFileU(fmemopen(keep.back().data(), bytes.size(), "rb"));
}

Bytes MelImage(const MelodyData& melody) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  {
    CFileU file(stream);
    EXPECT_EQ(FileStatus::Ok, MelFormat::Write(file, melody));
  }
  Bytes bytes(data, data + size);
  free(data);
  return bytes;
}

Bytes StoImage(const std::vector<MelodyData>& set) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  {
    CFileU file(stream);
    EXPECT_EQ(FileStatus::Ok, StoFormat::Write(file, set));
  }
  Bytes bytes(data, data + size);
  free(data);
  return bytes;
}

const Bytes kMelMagic = {5, 'E', 'M', '2', '.', '0'};
const Bytes kStoMagic = {6, 'E', 'S', 'T', '1', '.', '0'};

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

}  // namespace

TEST(MelFormat, WritesTheDocumentedImage) {
  EXPECT_EQ(Join({kMelMagic, {0, 0, 0, 0, 1, 'A', 0, 0, 0, 0}}), MelImage({u"A", {}}));
  EXPECT_EQ(Join({kMelMagic, {2, 0, 0, 0, 1, 0xC0, 2, 0, 0, 0, 13, 2, 0, 11, 3, 0x0C}}),
            MelImage({u"А", {{13, 2, 0}, {11, 3, 0x0C}}}));
  // A name too long for its length byte is written empty.
  EXPECT_EQ(Join({kMelMagic, {0, 0, 0, 0, 0, 0, 0, 0, 0}}), MelImage({std::u16string(256, u'x'), {}}));
}

TEST(MelFormat, ReadsWhatItWrites) {
  MelodyData melody{std::u16string(255, u'ё'), {{0, 0, 0}, {31, 4, 0x08}, {200, 4, 0xFF}}};
  CFileU file = Over(MelImage(melody));
  MelodyData read;
  ASSERT_EQ(FileStatus::Ok, MelFormat::Read(file, read));
  EXPECT_EQ(melody, read);
}

TEST(MelFormat, ReadsBrokenFilesSafely) {
  struct Case {
    const char* what;
    Bytes bytes;
    FileStatus status;
    size_t notes;
  };
  const Case cases[] = {
      {"empty file", {}, FileStatus::ReadFailed, 0},
      {"lower-case magic", {5, 'e', 'm', '2', '.', '0', 0, 0, 0, 0, 0, 0, 0, 0, 0}, FileStatus::BadMagic, 0},
      {"other version", {5, 'E', 'M', '2', '.', '1', 0, 0, 0, 0, 0, 0, 0, 0, 0}, FileStatus::BadMagic, 0},
      {"set file", Join({kStoMagic, {0, 0, 0, 0}}), FileStatus::BadMagic, 0},
      {"magic cut short", {5, 'E', 'M'}, FileStatus::ReadFailed, 0},
      {"first count differs: the second decides", Join({kMelMagic, {9, 0, 0, 0, 0, 1, 0, 0, 0, 5, 2, 0}}),
       FileStatus::Ok, 1},
      {"negative count reads no notes", Join({kMelMagic, {0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}}), FileStatus::Ok, 0},
      {"huge count, two records present",
       Join({kMelMagic, {0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 1, 1, 1, 2, 2, 2, 3}}), FileStatus::ReadFailed, 2},
      {"name cut short", Join({kMelMagic, {0, 0, 0, 0, 4, 'a'}}), FileStatus::ReadFailed, 0},
      {"duration code above 4", Join({kMelMagic, {0, 0, 0, 0, 0, 2, 0, 0, 0, 13, 4, 0, 13, 5, 0}}),
       FileStatus::BadMagic, 1},
  };
  for (const Case& c : cases) {
    CFileU file = Over(c.bytes);
    MelodyData read;
    EXPECT_EQ(c.status, MelFormat::Read(file, read)) << c.what;
    EXPECT_EQ(c.notes, read.notes.size()) << c.what;
  }
}

TEST(MelFormat, EveryTruncationIsAReadError) {
  Bytes whole = MelImage({u"Мелодия", {{1, 2, 3}, {4, 1, 6}}});
  for (size_t n = 0; n < whole.size(); ++n) {
    CFileU file = Over(Bytes(whole.begin(), whole.begin() + static_cast<long>(n)));
    MelodyData read;
    EXPECT_EQ(FileStatus::ReadFailed, MelFormat::Read(file, read)) << n << " bytes";
  }
}

TEST(StoFormat, WritesTheDocumentedImages) {
  EXPECT_EQ(Join({kStoMagic, {0, 0, 0, 0}}), StoImage({}));
  Bytes one = StoImage({{u"a", {{13, 2, 0}, {11, 3, 0x04}}}});
  EXPECT_EQ(23u, one.size());
  EXPECT_EQ(Join({kStoMagic, {1, 0, 0, 0, 2, 0, 0, 0, 1, 'a', 13, 2, 0, 11, 3, 4}}), one);
}

TEST(StoFormat, ReadsBrokenFilesSafely) {
  struct Case {
    const char* what;
    Bytes bytes;
    FileStatus status;
    std::vector<size_t> noteCounts;  // of the melodies read, the partial one included
  };
  const Case cases[] = {
      {"empty file", {}, FileStatus::ReadFailed, {}},
      {"melody file", Join({kMelMagic, {0, 0, 0, 0, 0, 0, 0, 0, 0}}), FileStatus::BadMagic, {}},
      {"no melodies", Join({kStoMagic, {0, 0, 0, 0}}), FileStatus::Ok, {}},
      {"negative melody count", Join({kStoMagic, {0xFE, 0xFF, 0xFF, 0xFF}}), FileStatus::Ok, {}},
      {"negative note count", Join({kStoMagic, {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}}), FileStatus::Ok, {0}},
      {"second record cut short",
       Join({kStoMagic, {2, 0, 0, 0, 1, 0, 0, 0, 0, 7, 3, 7, 5, 0, 0, 0, 0, 8, 2, 8}}),
       FileStatus::ReadFailed,
       {1, 1}},
      {"huge melody count, one record",
       Join({kStoMagic, {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0}}),
       FileStatus::ReadFailed,
       {0, 0}},
      {"duration code above 4",
       Join({kStoMagic, {2, 0, 0, 0, 2, 0, 0, 0, 0, 13, 0, 0, 13, 7, 0}}),
       FileStatus::BadMagic,
       {1}},
  };
  for (const Case& c : cases) {
    CFileU file = Over(c.bytes);
    std::vector<MelodyData> read;
    EXPECT_EQ(c.status, StoFormat::Read(file, read)) << c.what;
    std::vector<size_t> counts;
    for (const MelodyData& m : read) counts.push_back(m.notes.size());
    EXPECT_EQ(c.noteCounts, counts) << c.what;
  }
}

// Neither writer writes a note symbol without a length.
TEST(Formats, WritersRefuseADurationCodeAbove4) {
  const MelodyData melody{u"x", {{13, 2, 0}, {13, 5, 0}}};
  char* data = nullptr;
  size_t size = 0;
  {
    CFileU file(open_memstream(&data, &size));
    EXPECT_EQ(FileStatus::WriteFailed, MelFormat::Write(file, melody));
    EXPECT_EQ(FileStatus::WriteFailed, StoFormat::Write(file, {melody}));
  }
  EXPECT_EQ(size, 0u);
  free(data);
}

TEST(StoFormat, RoundTripsAndCountsItsSize) {
  std::vector<MelodyData> set = {{u"Первая", std::vector<NoteValues>(10, {1, 2, 0})},
                                 {u"", std::vector<NoteValues>(20, {3, 4, 8})},
                                 {u"Пустая", {}}};
  CFileU file = Over(StoImage(set));
  std::vector<MelodyData> read;
  ASSERT_EQ(FileStatus::Ok, StoFormat::Read(file, read));
  EXPECT_EQ(set, read);
  EXPECT_EQ(33, StoFormat::SetSize(set));
  EXPECT_EQ(0, StoFormat::SetSize({}));
}
