#include "RegistryTree.h"

#include <algorithm>
#include <cstdio>

#include "platform/CodePage.h"
#include "platform/Registry.h"

namespace nv::platform {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string RegistryTree::NormalisePath(std::string_view path) {
  std::string out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) {
      if (!out.empty()) out.push_back('\\');
      out.append(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return out;
}

namespace {

// Reads a quoted string with \\ and \" escapes starting at text[i] == '"';
// leaves i after the closing quote. False when the quote is not closed.
bool ReadQuoted(std::string_view text, size_t& i, std::string& out) {
  ++i;
  while (i < text.size()) {
    const char c = text[i++];
    if (c == '"') return true;
    if (c == '\\' && i < text.size() && (text[i] == '\\' || text[i] == '"')) {
      out.push_back(text[i++]);
    } else {
      out.push_back(c);
    }
  }
  return false;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses 1 to `maxDigits` hex digits making up all of text.
bool ParseHex(std::string_view text, size_t maxDigits, uint32_t& value) {
  text = Trim(text);
  if (text.empty() || text.size() > maxDigits) return false;
  value = 0;
  for (char c : text) {
    const int d = HexDigit(c);
    if (d < 0) return false;
    value = (value << 4) | static_cast<uint32_t>(d);
  }
  return true;
}

// "0a,00,ff" (possibly empty) into bytes.
bool ParseHexList(std::string_view text, std::vector<BYTE>& out) {
  text = Trim(text);
  if (text.empty()) return true;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string_view::npos) end = text.size();
    uint32_t byte = 0;
    if (!ParseHex(text.substr(start, end - start), 2, byte)) return false;
    out.push_back(static_cast<BYTE>(byte));
    start = end + 1;
  }
  return true;
}

void AppendHexList(std::string& out, const std::vector<BYTE>& data) {
  char buffer[4];
  for (size_t i = 0; i < data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, i ? ",%02x" : "%02x", data[i]);
    out.append(buffer);
  }
}

// REG_SZ data as stored: the text up to its first NUL, then one NUL.
std::vector<BYTE> TextData(std::string_view text) {
  std::vector<BYTE> data(text.begin(), std::find(text.begin(), text.end(), '\0'));
  data.push_back(0);
  return data;
}

std::string_view DataText(const std::vector<BYTE>& data) {
  const auto* begin = reinterpret_cast<const char*>(data.data());
  return std::string_view(begin, std::find(begin, begin + data.size(), '\0') - begin);
}

}  // namespace

bool RegistryTree::PathLess::operator()(const std::string& a, const std::string& b) const {
  // '\' sorts below every other byte, so "a\b" comes before "a b".
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const int ux = x == '\\' ? -1 : static_cast<unsigned char>(x);
    const int uy = y == '\\' ? -1 : static_cast<unsigned char>(y);
    return ux < uy;
  });
}

std::string RegistryTree::Fold(std::string_view text) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    auto b = static_cast<unsigned char>(out[i]);
    if (b >= 'A' && b <= 'Z') {
      out[i] = static_cast<char>(b + 32);
      continue;
    }
    if (i + 1 >= out.size()) break;
    auto n = static_cast<unsigned char>(out[i + 1]);
    if (b == 0xC3 && n >= 0x80 && n <= 0x9E && n != 0x97) {  // À..Þ except ×
      out[i + 1] = static_cast<char>(n + 0x20);
    } else if (b == 0xD0 && n >= 0x80 && n <= 0x8F) {  // Ѐ..Џ -> ѐ..џ
      out[i] = static_cast<char>(0xD1), out[i + 1] = static_cast<char>(n + 0x10);
    } else if (b == 0xD0 && n >= 0x90 && n <= 0x9F) {  // А..П -> а..п
      out[i + 1] = static_cast<char>(n + 0x20);
    } else if (b == 0xD0 && n >= 0xA0 && n <= 0xAF) {  // Р..Я -> р..я
      out[i] = static_cast<char>(0xD1), out[i + 1] = static_cast<char>(n - 0x20);
    } else if (b == 0xD2 && n == 0x90) {  // Ґ -> ґ
      out[i + 1] = static_cast<char>(0x91);
    }
    if (b >= 0xC0) ++i;
  }
  return out;
}

RegistryTree RegistryTree::Parse(std::string_view text, std::string_view rootName) {
  RegistryTree tree;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  const std::string rootFolded = Fold(rootName);
  bool headerSeen = false;
  RegistryKey* current = nullptr;
  std::string joined;  // a value line continued with ",\" at its end
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (!headerSeen) {
      if (line.empty()) continue;
      if (line != kHeader) {
        tree.damaged_ = true;
        return tree;
      }
      headerSeen = true;
      continue;
    }
    std::string logical;
    if (!joined.empty() || (line.size() >= 2 && line.substr(line.size() - 2) == ",\\")) {
      joined.append(line);
      if (joined.back() == '\\') {
        joined.pop_back();
        if (pos < text.size()) continue;
      }
      logical.swap(joined);
      line = logical;
    }
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      current = nullptr;
      if (line.back() != ']') {
        tree.damaged_ = true;
        continue;
      }
      const std::string_view inner = line.substr(1, line.size() - 2);
      if (!inner.empty() && inner.front() == '-') continue;  // a deletion entry: nothing to keep
      const size_t slash = inner.find('\\');
      if (Fold(inner.substr(0, slash)) != rootFolded) {
        tree.damaged_ = true;
        continue;
      }
      const std::string path = slash == std::string_view::npos ? std::string() : NormalisePath(inner.substr(slash + 1));
      tree.Create(path);
      current = tree.Find(path);
      continue;
    }
    if (!current) {
      tree.damaged_ = true;
      continue;
    }
    tree.ParseValueLine(line, *current);
  }
  if (!headerSeen && !text.empty()) tree.damaged_ = true;
  return tree;
}

void RegistryTree::ParseValueLine(std::string_view line, RegistryKey& key) {
  std::string name;
  size_t i = 0;
  if (line.front() == '@') {
    i = 1;
  } else if (line.front() != '"' || !ReadQuoted(line, i, name)) {
    damaged_ = true;
    return;
  }
  while (i < line.size() && line[i] == ' ') ++i;
  if (i >= line.size() || line[i] != '=') {
    damaged_ = true;
    return;
  }
  const std::string_view data = Trim(line.substr(i + 1));
  if (data == "-") return;  // a deletion entry
  if (!data.empty() && data.front() == '"') {
    std::string text;
    size_t k = 0;
    if (!ReadQuoted(data, k, text) || k != data.size()) {
      damaged_ = true;
      return;
    }
    SetValue(key, name, REG_SZ, TextData(text));
    return;
  }
  if (data.substr(0, 6) == "dword:") {
    uint32_t value = 0;
    if (!ParseHex(data.substr(6), 8, value)) {
      damaged_ = true;
      return;
    }
    std::vector<BYTE> bytes(4);
    for (int b = 0; b < 4; ++b) bytes[b] = static_cast<BYTE>(value >> (8 * b));
    SetValue(key, name, REG_DWORD, std::move(bytes));
    return;
  }
  DWORD type = REG_BINARY;
  std::string_view list;
  if (data.substr(0, 4) == "hex:") {
    list = data.substr(4);
  } else if (data.substr(0, 4) == "hex(" && data.find("):") != std::string_view::npos) {
    const size_t close = data.find("):");
    uint32_t parsed = 0;
    if (!ParseHex(data.substr(4, close - 4), 8, parsed)) {
      damaged_ = true;
      return;
    }
    type = parsed;
    list = data.substr(close + 2);
  } else {
    damaged_ = true;
    return;
  }
  std::vector<BYTE> bytes;
  if (!ParseHexList(list, bytes)) {
    damaged_ = true;
    return;
  }
  if (type == REG_SZ) {
    // Text written as hex(1) is UTF-16LE, as the export format has it.
    if (bytes.size() % 2 != 0) {
      damaged_ = true;
      return;
    }
    std::u16string wide;
    for (size_t b = 0; b + 1 < bytes.size(); b += 2)
      wide.push_back(static_cast<char16_t>(bytes[b] | bytes[b + 1] << 8));
    SetValue(key, name, REG_SZ, TextData(nv::WideToUtf8(wide)));
    return;
  }
  SetValue(key, name, type, std::move(bytes));
}

std::string RegistryTree::Serialize(std::string_view rootName) const {
  std::string out(kHeader);
  out.append("\n\n");
  for (const auto& [folded, key] : keys_) {
    if (key.path.empty() && key.values.empty()) continue;
    out.push_back('[');
    out.append(rootName);
    if (!key.path.empty()) out.append("\\").append(key.path);
    out.append("]\n");
    for (const RegistryValue& value : key.values) {
      if (value.name.empty()) {
        out.push_back('@');
      } else {
        AppendQuoted(out, value.name);
      }
      out.push_back('=');
      const std::string_view text = DataText(value.data);
      if (value.type == REG_SZ && text.find_first_of("\r\n") == std::string_view::npos) {
        AppendQuoted(out, text);
      } else if (value.type == REG_SZ) {
        // Line breaks cannot stand in a quoted string of this format.
        std::u16string wide = nv::Utf8ToWide(text);
        wide.push_back(u'\0');
        std::vector<BYTE> bytes;
        for (char16_t c : wide)
          bytes.push_back(static_cast<BYTE>(c & 0xFF)), bytes.push_back(static_cast<BYTE>(c >> 8));
        out.append("hex(1):");
        AppendHexList(out, bytes);
      } else if (value.type == REG_DWORD && value.data.size() == 4) {
        char buffer[16];
        const uint32_t v = value.data[0] | value.data[1] << 8 | value.data[2] << 16 | uint32_t(value.data[3]) << 24;
        std::snprintf(buffer, sizeof buffer, "dword:%08x", v);
        out.append(buffer);
      } else {
        if (value.type == REG_BINARY) {
          out.append("hex:");
        } else {
          char buffer[24];
          std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
          out.append(buffer);
        }
        AppendHexList(out, value.data);
      }
      out.push_back('\n');
    }
    out.push_back('\n');
  }
  return out;
}

const RegistryKey* RegistryTree::Find(std::string_view path) const {
  static const RegistryKey kEmptyRoot;
  const auto it = keys_.find(Fold(path));
  if (it != keys_.end()) return &it->second;
  return path.empty() ? &kEmptyRoot : nullptr;
}

RegistryKey* RegistryTree::Find(std::string_view path) {
  if (path.empty()) Create(path);
  const auto it = keys_.find(Fold(path));
  return it == keys_.end() ? nullptr : &it->second;
}

bool RegistryTree::Create(std::string_view path) {
  if (keys_.count(Fold(path))) return false;
  // Parents first, so every key of the tree has its whole chain.
  size_t slash = path.find('\\');
  while (slash != std::string_view::npos) {
    const std::string_view parent = path.substr(0, slash);
    keys_.try_emplace(Fold(parent), RegistryKey{std::string(parent), {}});
    slash = path.find('\\', slash + 1);
  }
  keys_.try_emplace(Fold(path), RegistryKey{std::string(path), {}});
  return true;
}

bool RegistryTree::HasSubkeys(std::string_view path) const {
  const std::string folded = Fold(path);
  auto it = keys_.upper_bound(folded);
  if (it == keys_.end()) return false;
  if (folded.empty()) return true;
  return it->first.size() > folded.size() && it->first.compare(0, folded.size(), folded) == 0 &&
         it->first[folded.size()] == '\\';
}

bool RegistryTree::Erase(std::string_view path) {
  return keys_.erase(Fold(path)) > 0;
}

const RegistryValue* RegistryTree::FindValue(const RegistryKey& key, std::string_view name) {
  const std::string folded = Fold(name);
  for (const RegistryValue& value : key.values) {
    if (value.folded == folded) return &value;
  }
  return nullptr;
}

void RegistryTree::SetValue(RegistryKey& key, std::string_view name, DWORD type, std::vector<BYTE> data) {
  if (type == REG_SZ) data = TextData(DataText(data));
  auto* value = const_cast<RegistryValue*>(FindValue(key, name));
  if (!value) {
    key.values.push_back(RegistryValue{std::string(name), Fold(name), type, std::move(data)});
    return;
  }
  value->type = type;
  value->data = std::move(data);
}

bool RegistryTree::EraseValue(RegistryKey& key, std::string_view name) {
  const std::string folded = Fold(name);
  const auto it =
      std::find_if(key.values.begin(), key.values.end(), [&](const RegistryValue& v) { return v.folded == folded; });
  if (it == key.values.end()) return false;
  key.values.erase(it);
  return true;
}

}  // namespace nv::platform
