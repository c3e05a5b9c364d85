#include "Json.h"

#include <cstdio>

#include "platform/CodePage.h"

std::string Json::Quote(std::u16string_view text) {
  const std::string utf8 = nv::WideToUtf8(text);
  std::string out = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string Json::Notes(const std::vector<NoteValues>& notes) {
  std::string out = "[";
  for (size_t i = 0; i < notes.size(); ++i) {
    if (i > 0) out += ", ";
    out += "[" + std::to_string(notes[i].pitch) + ", " + std::to_string(notes[i].duration) + ", " +
           std::to_string(notes[i].flags) + "]";
  }
  return out + "]";
}
