#include "RegistryStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

#include "platform/Registry.h"

namespace nv::platform {
namespace {

// A file descriptor closed on scope exit.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether close succeeded (it may report a failed write).
  bool Close() {
    const int fd = std::exchange(fd_, -1);
    return fd < 0 || ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Files written within this span of their last read are read again, since a
// replacement written in the same clock tick could match size, inode and time.
constexpr time_t kRacySeconds = 2;

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

bool ReadAll(int fd, std::string& out) {
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Creates the folder and its parents (mode 0700 for new ones).
bool MakeFolders(const std::string& folder) {
  for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir) return found->pw_dir;
  return {};
}

}  // namespace

bool RegistryStore::Identity::operator==(const Identity& o) const {
  return device == o.device && inode == o.inode && size == o.size && modified.tv_sec == o.modified.tv_sec &&
         modified.tv_nsec == o.modified.tv_nsec;
}

RegistryStore::RegistryStore(std::string rootName) : rootName_(std::move(rootName)) {}

// The stores are never destroyed: threads and modules may still read the
// registry while the process runs its static destructors.
RegistryStore& RegistryStore::ClassesRoot() {
  static auto* store = new RegistryStore("HKEY_CLASSES_ROOT");
  return *store;
}

RegistryStore& RegistryStore::CurrentUser() {
  static auto* store = new RegistryStore("HKEY_CURRENT_USER");
  return *store;
}

std::string RegistryStore::FilePath() const {
  std::string base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') {
    base = config;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.config";
  }
  return base + "/N&V/registry/" + rootName_ + ".reg";
}

void RegistryStore::Refresh(const std::string& path) {
  if (path != cachedPath_) {
    cachedPath_ = path;
    cacheValid_ = false;
  }
  Fd fd(path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
    // Missing or unreadable: no data.
    tree_ = RegistryTree();
    damagedText_.clear();
    cacheValid_ = false;
    return;
  }
  const Identity id{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  if (cacheValid_ && id == identity_ && loaded_.tv_sec - id.modified.tv_sec > kRacySeconds) return;

  std::string text;
  const timespec now = Now();
  if (!ReadAll(fd.get(), text)) {
    tree_ = RegistryTree();
    damagedText_.clear();
    cacheValid_ = false;
    return;
  }
  tree_ = RegistryTree::Parse(text, rootName_);
  damagedText_ = tree_.damaged() ? std::move(text) : std::string();
  identity_ = id;
  loaded_ = now;
  cacheValid_ = true;
}

LONG RegistryStore::Read(const std::function<LONG(const RegistryTree&)>& read) {
  std::lock_guard lock(mutex_);
  Refresh(FilePath());
  return read(tree_);
}

bool RegistryStore::WriteFile(const std::string& path, const std::string& text, Identity* written) {
  std::string temp = path + ".XXXXXX";
  Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;
  struct stat st {};
  const bool ok = WriteAll(fd.get(), text) && ::fsync(fd.get()) == 0 && ::fstat(fd.get(), &st) == 0 && fd.Close() &&
                  ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  if (written) *written = Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  // Make the rename itself durable.
  const std::string folder = path.substr(0, path.rfind('/'));
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

LONG RegistryStore::Write(const std::function<LONG(RegistryTree&)>& change) {
  std::lock_guard lock(mutex_);
  const std::string path = FilePath();
  if (path.empty() || !MakeFolders(path.substr(0, path.rfind('/')))) return ERROR_CANTWRITE;

  // The lock lives on a file of its own: the data file is replaced on every write.
  Fd lockFd(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (lockFd.get() < 0) return ERROR_CANTWRITE;
  int locked;
  do {
    locked = ::flock(lockFd.get(), LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  if (locked != 0) return ERROR_CANTWRITE;

  Refresh(path);
  RegistryTree updated = tree_;
  const LONG result = change(updated);
  if (result != ERROR_SUCCESS) return result;

  // Keep a damaged file's text beside the new one rather than drop what could not be read.
  if (!damagedText_.empty() && !WriteFile(path + ".damaged", damagedText_, nullptr)) return ERROR_CANTWRITE;
  const std::string text = updated.Serialize(rootName_);
  Identity written;
  const timespec now = Now();
  if (!WriteFile(path, text, &written)) return ERROR_CANTWRITE;
  tree_ = RegistryTree::Parse(text, rootName_);
  damagedText_.clear();
  identity_ = written;
  loaded_ = now;
  cacheValid_ = true;
  return ERROR_SUCCESS;
}

}  // namespace nv::platform
