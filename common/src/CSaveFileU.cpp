#include "common/CSaveFileU.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>

namespace {

// The folder part of path, "." when it has none.
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows a symbolic link to the file it names, so saving replaces that file
// and keeps the link. A dangling link is replaced by its target path too.
std::string ResolveLink(const std::string& target) {
  struct stat st;
  if (lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
  char buffer[PATH_MAX];
  ssize_t n = readlink(target.c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return target;
  std::string link(buffer, static_cast<size_t>(n));
  if (link.front() != '/') link = FolderOf(target) + "/" + link;
  return link;
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // Best effort: the rename itself has already succeeded.
  (void)fsync(fd);
  close(fd);
}

}  // namespace

CSaveFileU::~CSaveFileU() {
  Discard();
}

bool CSaveFileU::Create(const std::string& target) {
  Discard();
  if (target.empty()) return false;
  std::string resolved = ResolveLink(target);
  struct stat existing;
  bool exists = stat(resolved.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return false;

  // The name is cut so the temporary name stays within the file-name limit.
  std::string base = FolderOf(resolved) + "/." + NameOf(resolved).substr(0, 200) + ".";
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = base + std::to_string(random() % 1000000u) + ".tmp";
    // 0666 lets the process umask decide, as for any newly created file.
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (exists && fchmod(fd, existing.st_mode & 07777) != 0) {
      close(fd);
      unlink(candidate.c_str());
      return false;
    }
    FILE* stream = fdopen(fd, "wb");
    if (!stream) {
      close(fd);
      unlink(candidate.c_str());
      return false;
    }
    file_ = CFileU(stream);
    target_ = resolved;
    temporary_ = candidate;
    return true;
  }
  return false;
}

bool CSaveFileU::Commit() {
  if (temporary_.empty()) return false;
  bool written = file_.Sync();
  bool closed = file_.Close();
  if (!written || !closed || rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  SyncFolder(FolderOf(target_));
  return true;
}

void CSaveFileU::Discard() {
  file_.Close();
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}
