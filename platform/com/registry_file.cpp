// The registry file on disk: where it is, reading it, replacing it atomically, and the
// locked read-modify-write that every change goes through.

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/com/registry_node.h"

namespace {

thread_local std::string tlsLastError;

std::string osError(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

std::string parentFolder(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, new folders private to the user (as configuration folders are).
bool makeFolders(const std::string& folder) {
  struct stat st;
  if (::stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const std::string parent = parentFolder(folder);
  if (parent != folder && !makeFolders(parent)) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Holds an exclusive flock on "<registry>.lock" for its lifetime.
class FileLock {
 public:
  explicit FileLock(const std::string& registry) {
    const std::string path = registry + ".lock";
    if (!makeFolders(parentFolder(path))) {
      error_ = osError("cannot create the folder of", path);
      return;
    }
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
      error_ = osError("cannot open the lock file", path);
      return;
    }
    int rc;
    do rc = ::flock(fd_, LOCK_EX);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
      error_ = osError("cannot lock", path);
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool locked() const { return fd_ >= 0; }
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

LONG noRegistryLocation() {
  tlsLastError =
      "no registry file: neither KINETRA_REGISTRY, XDG_CONFIG_HOME nor a home folder is set";
  return ERROR_CANTOPEN;
}

}  // namespace

std::string RegistryStore::defaultPath() {
  if (const char* explicitPath = std::getenv("KINETRA_REGISTRY"); explicitPath && *explicitPath)
    return explicitPath;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
    return std::string(xdg) + "/kinetra/registry";
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* pw = ::getpwuid(::getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || !*home) return {};
  return std::string(home) + "/.config/kinetra/registry";
}

LONG RegistryStore::load(const std::string& path, std::string* error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) {
      *this = RegistryStore();
      return ERROR_SUCCESS;
    }
    if (error) *error = osError("cannot read the registry file", path);
    return ERROR_CANTREAD;
  }
  std::string text;
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (error) *error = osError("cannot read the registry file", path);
      ::close(fd);
      return ERROR_CANTREAD;
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  std::string why;
  if (!parse(text, &why)) {
    if (error)
      *error = "the registry file " + path + " is damaged, " + why + "; it is left as it is";
    return ERROR_REGISTRY_CORRUPT;
  }
  return ERROR_SUCCESS;
}

LONG RegistryStore::save(const std::string& path, std::string* error) const {
  const std::string folder = parentFolder(path);
  if (!makeFolders(folder)) {
    if (error) *error = osError("cannot create the folder", folder);
    return ERROR_CANTWRITE;
  }
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    if (error) *error = osError("cannot create a temporary file beside", path);
    return ERROR_CANTWRITE;
  }
  // Keep the permissions of the file being replaced; a new registry is private to the user.
  struct stat old;
  const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0600;
  std::string failure;
  if (!writeAll(fd, serialize()))
    failure = osError("cannot write", temp);
  else if (::fchmod(fd, mode) != 0)
    failure = osError("cannot set the permissions of", temp);
  else if (::fsync(fd) != 0)
    failure = osError("cannot flush", temp);
  if (::close(fd) != 0 && failure.empty()) failure = osError("cannot close", temp);
  if (failure.empty() && ::rename(temp.c_str(), path.c_str()) != 0)
    failure = osError("cannot rename the temporary file over", path);
  if (!failure.empty()) {
    ::unlink(temp.c_str());
    if (error) *error = failure;
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

LONG registryUpdate(const std::function<LONG(RegistryStore&)>& fn) {
  try {
    const std::string path = RegistryStore::defaultPath();
    if (path.empty()) return noRegistryLocation();
    FileLock lock(path);
    if (!lock.locked()) {
      tlsLastError = lock.error();
      return ERROR_LOCK_FAILED;
    }
    RegistryStore store;
    std::string error;
    LONG rc = store.load(path, &error);
    if (rc != ERROR_SUCCESS) {
      tlsLastError = error;
      return rc;
    }
    const RegistryStore before = store;
    rc = fn(store);
    if (rc != ERROR_SUCCESS || store == before) return rc;
    rc = store.save(path, &error);
    if (rc != ERROR_SUCCESS) tlsLastError = error;
    return rc;
  } catch (const std::bad_alloc&) {
    tlsLastError = "out of memory";
    return ERROR_OUTOFMEMORY;
  }
}

LONG registryRead(const std::function<LONG(const RegistryStore&)>& fn) {
  try {
    const std::string path = RegistryStore::defaultPath();
    if (path.empty()) return noRegistryLocation();
    RegistryStore store;
    std::string error;
    const LONG rc = store.load(path, &error);
    if (rc != ERROR_SUCCESS) {
      tlsLastError = error;
      return rc;
    }
    return fn(store);
  } catch (const std::bad_alloc&) {
    tlsLastError = "out of memory";
    return ERROR_OUTOFMEMORY;
  }
}

std::string RegLastErrorText() { return tlsLastError; }

void registry_detail::setLastError(std::string text) { tlsLastError = std::move(text); }

HRESULT hresultFromRegistryError(LONG error) {
  switch (error) {
    case ERROR_SUCCESS: return S_OK;
    case ERROR_CANTREAD:
    case ERROR_REGISTRY_CORRUPT: return REGDB_E_READREGDB;
    case ERROR_CANTWRITE:
    case ERROR_LOCK_FAILED:
    case ERROR_CANTOPEN: return REGDB_E_WRITEREGDB;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_KEY_DELETED: return REGDB_E_KEYMISSING;
    default: return HRESULT_FROM_WIN32(error);
  }
}
