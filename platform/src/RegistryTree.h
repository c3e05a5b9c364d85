// The keys and values of one registry root, and their registry-editor
// export text. Paths are relative to the root, segments joined by '\'; the
// root itself is the empty path. Key and value names compare without regard
// to case, as on the original platform.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

namespace nv::platform {

struct RegistryValue {
  std::string name;    // "" is the default value
  std::string folded;  // name in the case used for comparisons
  DWORD type = 0;
  std::vector<BYTE> data;  // REG_SZ: UTF-8 text and its NUL
};

struct RegistryKey {
  std::string path;                   // as first created, with its case
  std::vector<RegistryValue> values;  // in the order they were first set
};

class RegistryTree {
 public:
  // The export text's first line.
  static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

  // Reads export text of the root `rootName` ("HKEY_CURRENT_USER"). Lines it
  // cannot read are skipped and mark the tree damaged; text without the
  // header line gives an empty, damaged tree. Never throws on bad input.
  static RegistryTree Parse(std::string_view text, std::string_view rootName);
  // The export text: the header, then one section per key, parents first.
  std::string Serialize(std::string_view rootName) const;

  bool damaged() const { return damaged_; }

  // Null when the key does not exist; the root always exists.
  const RegistryKey* Find(std::string_view path) const;
  RegistryKey* Find(std::string_view path);
  // Creates the key and its missing parents; true when the key was new.
  bool Create(std::string_view path);
  bool HasSubkeys(std::string_view path) const;
  // Removes the key (not its subkeys); false when it did not exist.
  bool Erase(std::string_view path);

  static const RegistryValue* FindValue(const RegistryKey& key, std::string_view name);
  static void SetValue(RegistryKey& key, std::string_view name, DWORD type, std::vector<BYTE> data);
  static bool EraseValue(RegistryKey& key, std::string_view name);

  // The path's non-empty segments joined by single '\'.
  static std::string NormalisePath(std::string_view path);
  // Lower case for ASCII, Latin-1 and Cyrillic letters, other bytes unchanged.
  static std::string Fold(std::string_view text);

 private:
  // Orders folded paths so that every key's subkeys follow it directly.
  struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const;
  };

  void ParseValueLine(std::string_view line, RegistryKey& key);

  std::map<std::string, RegistryKey, PathLess> keys_;  // by folded path
  bool damaged_ = false;
};

}  // namespace nv::platform
