#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace nvtest {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/nvtest-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string BinDir() {
  const char* dir = std::getenv("NV_BIN_DIR");
  return dir && *dir ? dir : std::string(NV_DEFAULT_BIN_DIR);
}

}  // namespace nvtest
