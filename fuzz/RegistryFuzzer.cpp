// Any bytes as a registry export file, which users may edit by hand: the
// reader never fails on them, every key and value it kept is found again,
// and what it writes is a fixed point: read back it is undamaged and writes
// the same text again. (The first write may differ from the input: text that
// is not UTF-8 and needs the hex(1) form is converted once.)
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "RegistryTree.h"

namespace {

using nv::platform::RegistryTree;

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

// The sections of the written text name every key that has values; each must
// be found again, also by its folded name, with each of its values.
void CheckFound(const RegistryTree& tree, std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.size() < kRoot.size() + 2 || line.front() != '[' || line.back() != ']' ||
        line.substr(1, kRoot.size()) != kRoot)
      continue;
    std::string_view path = line.substr(1 + kRoot.size(), line.size() - kRoot.size() - 2);
    if (!path.empty()) path.remove_prefix(1);  // the '\' after the root
    const nv::platform::RegistryKey* key = tree.Find(path);
    if (!key || tree.Find(RegistryTree::Fold(path)) != key) abort();
    for (const auto& value : key->values)
      if (RegistryTree::FindValue(*key, value.name) != &value) abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const RegistryTree first = RegistryTree::Parse(input, kRoot);
  const std::string written = first.Serialize(kRoot);
  const RegistryTree second = RegistryTree::Parse(written, kRoot);
  if (second.damaged()) abort();
  CheckFound(second, written);
  const std::string again = second.Serialize(kRoot);
  const RegistryTree third = RegistryTree::Parse(again, kRoot);
  if (third.damaged() || third.Serialize(kRoot) != again) abort();
  // Without damage nothing was dropped, so the second reading keeps it all.
  if (!first.damaged() && again != written) abort();
  return 0;
}
