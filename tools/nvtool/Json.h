// The few pieces of JSON the tool prints: strings and note lists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/MelodyData.h"

class Json {
 public:
  // A quoted JSON string of UTF-16 text, as UTF-8 with control characters,
  // quotes and backslashes escaped.
  static std::string Quote(std::u16string_view text);
  // [[pitch, duration, flags], ...]
  static std::string Notes(const std::vector<NoteValues>& notes);
};
