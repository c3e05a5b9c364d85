#include "CChmFileU.h"

#include <chm_lib.h>

CChmFileU::CChmFileU(const std::string& path) : file_(chm_open(path.c_str())) {}

CChmFileU::~CChmFileU() {
  if (file_ != nullptr) chm_close(file_);
}

bool CChmFileU::Contains(const std::string& objectPath) const {
  chmUnitInfo info{};
  return file_ != nullptr && chm_resolve_object(file_, objectPath.c_str(), &info) == CHM_RESOLVE_SUCCESS;
}

bool CChmFileU::Read(const std::string& objectPath, std::string& out) const {
  out.clear();
  chmUnitInfo info{};
  if (file_ == nullptr || chm_resolve_object(file_, objectPath.c_str(), &info) != CHM_RESOLVE_SUCCESS) return false;
  if (info.length > kMaxObjectSize) return false;
  out.resize(static_cast<size_t>(info.length));
  if (info.length == 0) return true;
  const LONGINT64 got = chm_retrieve_object(file_, &info, reinterpret_cast<unsigned char*>(out.data()), 0,
                                            static_cast<LONGINT64>(info.length));
  if (got != static_cast<LONGINT64>(info.length)) {
    out.clear();
    return false;
  }
  return true;
}
