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

// Follows symbolic links to the file they name, so saving replaces that file
// and keeps the links. A dangling link resolves to the path it names, which
// the save then creates. Empty (errno ELOOP) for a loop.
std::string ResolveLinks(const std::string& target) {
  std::string path = target;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char buffer[PATH_MAX];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0) return path;
    std::string link(buffer, static_cast<size_t>(n));
    path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
  }
  errno = ELOOP;
  return {};
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  // Best effort: the rename itself has already succeeded.
  (void)fsync(fd);
  close(fd);
}

// Gives the new file the old one's owner, group and permission bits. The
// owner and group are kept where the process may set them (an ordinary user
// can keep a group they belong to, never another user); the permission bits
// always carry over, and are set last because changing the owner clears the
// set-id bits.
bool CopyAttributes(int fd, const struct stat& old) {
  if (fchown(fd, old.st_uid, old.st_gid) != 0) (void)fchown(fd, static_cast<uid_t>(-1), old.st_gid);
  return fchmod(fd, old.st_mode & 07777) == 0;
}

// Creates a new empty file beside path; its descriptor, or -1 (errno set).
int CreateTemporary(const std::string& path, std::string& name) {
  // The name is cut so the temporary name stays within the file-name limit.
  std::string base = FolderOf(path) + "/." + NameOf(path).substr(0, 200) + ".";
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = base + std::to_string(random() % 1000000u) + ".tmp";
    // 0666 lets the process umask decide, as for any newly created file.
    int fd = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      name = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

// Copies everything from the stream's start into fd, which is cut to the
// copied length and synced. False on any failure.
bool CopyInto(FILE* from, int fd) {
  if (std::fseek(from, 0, SEEK_SET) != 0) return false;
  char buffer[65536];
  off_t total = 0;
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0) {
    for (size_t done = 0; done < n;) {
      ssize_t w = write(fd, buffer + done, n - done);
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += static_cast<size_t>(w);
    }
    total += static_cast<off_t>(n);
  }
  return !std::ferror(from) && ftruncate(fd, total) == 0 && fsync(fd) == 0;
}

}  // namespace

CSaveFileU::~CSaveFileU() {
  Discard();
}

bool CSaveFileU::Create(const std::string& target) {
  Discard();
  if (target.empty()) {
    errno = ENOENT;
    return false;
  }
  std::string resolved = ResolveLinks(target);
  if (resolved.empty()) return false;
  struct stat existing;
  bool exists = stat(resolved.c_str(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) {
      errno = EISDIR;
      return false;
    }
    if (!S_ISREG(existing.st_mode)) {
      errno = EINVAL;
      return false;
    }
    // The save replaces the file's contents, which needs the right to write
    // the file itself, not only its folder.
    if (faccessat(AT_FDCWD, resolved.c_str(), W_OK, AT_EACCESS) != 0) return false;
  }

  bool inPlace = exists && existing.st_nlink > 1;
  std::string temporary;
  int fd = CreateTemporary(resolved, temporary);
  FILE* stream = nullptr;
  if (fd >= 0) {
    // Also for a save in place: the copy may yet take the target's place.
    if (exists && !CopyAttributes(fd, existing)) {
      close(fd);
      unlink(temporary.c_str());
      return false;
    }
    stream = fdopen(fd, "w+b");
    if (!stream) {
      close(fd);
      unlink(temporary.c_str());
      return false;
    }
  } else {
    // A folder that takes no new file may still hold a file this user may
    // write: that file is written in place, from a copy kept elsewhere.
    if (!exists) return false;
    stream = std::tmpfile();
    if (!stream) return false;
    temporary.clear();
    inPlace = true;
  }
  file_ = CFileU(stream);
  target_ = resolved;
  temporary_ = temporary;
  inPlace_ = inPlace;
  return true;
}

bool CSaveFileU::Commit() {
  if (!file_.IsOpen()) return false;
  bool written = temporary_.empty() ? file_.Flush() : file_.Sync();
  if (!written) {
    Discard();
    return false;
  }
  if (inPlace_) return CommitInPlace();

  bool closed = file_.Close();
  if (!closed || rename(temporary_.c_str(), target_.c_str()) != 0) {
    Discard();
    return false;
  }
  temporary_.clear();
  SyncFolder(FolderOf(target_));
  return true;
}

bool CSaveFileU::CommitInPlace() {
  // No O_TRUNC: the file is cut only after the new contents are written, so
  // a failure part-way leaves at least the old length in place.
  int fd = open(target_.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  bool copied = false;
  if (fd >= 0) {
    struct stat st;
    copied = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && CopyInto(file_.Stream(), fd);
    close(fd);
  }
  if (copied) {
    Discard();
    return true;
  }
  // The complete copy beside the target still holds the new contents: it
  // takes the target's place, which costs the hard link but keeps the data.
  if (!temporary_.empty() && file_.Close() && rename(temporary_.c_str(), target_.c_str()) == 0) {
    temporary_.clear();
    SyncFolder(FolderOf(target_));
    return true;
  }
  Discard();
  return false;
}

void CSaveFileU::Discard() {
  file_.Close();
  inPlace_ = false;
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}
