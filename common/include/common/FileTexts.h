// The texts the programs and nvtool show when a melody or set file cannot be
// opened, recognised, read or written, or a document cannot make its
// objects, and the probe every opening starts with.
#pragma once

#include <string>
#include <string_view>

#include "common/CFileU.h"
#include "common/MelodyData.h"

namespace FileTexts {

inline constexpr std::u16string_view kOpenFailed = u"Ошибка при открытии файла";
inline constexpr std::u16string_view kReadFailed = u"Ошибка при чтении файла";
inline constexpr std::u16string_view kWriteFailed = u"Ошибка при записи в файл";
inline constexpr std::u16string_view kNotMelody = u"Файл не является мелодией";
inline constexpr std::u16string_view kNotSet = u"Файл не является набором мелодий";
inline constexpr std::u16string_view kBadFormat = u"Неправильный формат файла";
inline constexpr std::u16string_view kInitFailed = u"Ошибка при инициализации документа";
inline constexpr std::u16string_view kMelodyObjectFailed = u"Ошибка при создании объекта \"Мелодия\"";
inline constexpr std::u16string_view kSampleObjectFailed = u"Ошибка при создании объекта \"Образец\"";

// text, a space and the UTF-8 path.
std::u16string WithPath(std::u16string_view text, const std::string& path);
// text ended by a line break, as message boxes show a file error.
std::u16string Line(std::u16string_view text);

}  // namespace FileTexts

// Opens path for reading and checks its magic with readMagic (MelFormat's or
// StoFormat's). Returns Ok, OpenFailed, BadMagic or ReadFailed; the file is
// closed again.
FileStatus ProbeFile(const std::string& path, FileStatus (*readMagic)(CFileU&));
