// The registry file on disk: where it is, reading it, replacing it atomically, and the
// locked read-modify-write that every change goes through.

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
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

// The file a registry path finally names: symbolic links are followed (the target need not
// exist yet), so that a write replaces the target and leaves the link in place.
bool followLinks(const std::string& path, std::string* target, std::string* error) {
  constexpr int kMaxLinks = 40;
  std::string at = path;
  for (int hops = 0; hops < kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(at.c_str(), &st) != 0) {
      if (errno != ENOENT) return *error = osError("cannot look at the registry file", at), false;
      *target = at;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      *target = at;
      return true;
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
    if (n < 0) return *error = osError("cannot read the symbolic link", at), false;
    link.resize(static_cast<std::size_t>(n));
    at = link.front() == '/' ? link : parentFolder(at) + "/" + link;
  }
  *error = "the registry path " + path + " runs through too many symbolic links";
  return false;
}

const char* fileKind(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "no regular file";
}

// Only a regular file is a registry; anything else (a pipe would block, a device would be
// read forever or replaced) is refused without being opened.
bool refuseIrregular(const std::string& path, const struct stat& st, std::string* error) {
  if (S_ISREG(st.st_mode)) return false;
  if (error)
    *error = "the registry " + path + " is " + fileKind(st.st_mode) +
             ", not a regular file; it is left as it is";
  return true;
}

// The thread's update in progress: registry calls made inside it work on its store, and the
// file is written once when it ends.
thread_local RegistryStore* tlsActive = nullptr;

class ActiveStore {
 public:
  explicit ActiveStore(RegistryStore* store) { tlsActive = store; }
  ~ActiveStore() { tlsActive = nullptr; }
  ActiveStore(const ActiveStore&) = delete;
  ActiveStore& operator=(const ActiveStore&) = delete;
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
  std::string target, why;
  if (!followLinks(path, &target, &why)) {
    if (error) *error = why;
    return ERROR_CANTREAD;
  }
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) {
      *this = RegistryStore();
      return ERROR_SUCCESS;
    }
    if (error) *error = osError("cannot read the registry file", target);
    return ERROR_CANTREAD;
  }
  if (refuseIrregular(target, st, error)) return ERROR_CANTREAD;
  // O_NONBLOCK: should a pipe be swapped in after the look above, opening it cannot hang.
  const int fd = ::open(target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) {
      *this = RegistryStore();
      return ERROR_SUCCESS;
    }
    if (error) *error = osError("cannot read the registry file", target);
    return ERROR_CANTREAD;
  }
  std::string text;
  if (::fstat(fd, &st) != 0 || refuseIrregular(target, st, error)) {
    ::close(fd);
    return ERROR_CANTREAD;
  }
  text.reserve(static_cast<std::size_t>(st.st_size));
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      if (error) *error = osError("cannot read the registry file", target);
      ::close(fd);
      return ERROR_CANTREAD;
    }
    text.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!parse(text, &why)) {
    if (error)
      *error = "the registry file " + target + " is damaged, " + why + "; it is left as it is";
    return ERROR_REGISTRY_CORRUPT;
  }
  return ERROR_SUCCESS;
}

LONG RegistryStore::save(const std::string& path, std::string* error) const {
  std::string target, why;
  if (!followLinks(path, &target, &why)) {
    if (error) *error = why;
    return ERROR_CANTWRITE;
  }
  // Keep the permissions of the file being replaced; a new registry is private to the user.
  // A file nobody may write to was made read-only on purpose: it is not replaced, whoever
  // runs this (the folder's permissions alone would let a rename through).
  mode_t mode = 0600;
  struct stat old;
  if (::stat(target.c_str(), &old) == 0) {
    if (refuseIrregular(target, old, error)) return ERROR_CANTWRITE;
    if ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
      if (error) *error = "the registry file " + target + " is read-only; it is left as it is";
      return ERROR_CANTWRITE;
    }
    mode = old.st_mode & 07777;
  }
  const std::string folder = parentFolder(target);
  if (!makeFolders(folder)) {
    if (error) *error = osError("cannot create the folder", folder);
    return ERROR_CANTWRITE;
  }
  std::string temp = target + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    if (error) *error = osError("cannot create a temporary file beside", target);
    return ERROR_CANTWRITE;
  }
  std::string failure;
  if (!writeAll(fd, serialize()))
    failure = osError("cannot write", temp);
  else if (::fchmod(fd, mode) != 0)
    failure = osError("cannot set the permissions of", temp);
  else if (::fsync(fd) != 0)
    failure = osError("cannot flush", temp);
  if (::close(fd) != 0 && failure.empty()) failure = osError("cannot close", temp);
  if (failure.empty() && ::rename(temp.c_str(), target.c_str()) != 0)
    failure = osError("cannot rename the temporary file over", target);
  if (!failure.empty()) {
    ::unlink(temp.c_str());
    if (error) *error = failure;
    return ERROR_CANTWRITE;
  }
  return ERROR_SUCCESS;
}

LONG registryUpdate(const std::function<LONG(RegistryStore&)>& fn) {
  if (tlsActive) return fn(*tlsActive);  // part of an update in progress on this thread
  try {
    const std::string path = RegistryStore::defaultPath();
    if (path.empty()) return noRegistryLocation();
    std::string target, error;
    if (!followLinks(path, &target, &error)) {
      tlsLastError = error;
      return ERROR_CANTREAD;
    }
    RegistryStore store;
    LONG rc;
    // Without a file the update runs on an empty store first: one that changes nothing (an
    // unregistration, say) then creates neither the folder nor the lock file.
    struct stat st;
    bool missing = ::lstat(target.c_str(), &st) != 0 && errno == ENOENT;
    if (missing) {
      {
        ActiveStore active(&store);
        rc = fn(store);
      }
      if (rc != ERROR_SUCCESS || store == RegistryStore()) return rc;
    }
    FileLock lock(target);
    if (!lock.locked()) {
      tlsLastError = lock.error();
      return ERROR_LOCK_FAILED;
    }
    // Another process may have created the file meanwhile; then the update runs on it.
    missing = missing && ::lstat(target.c_str(), &st) != 0 && errno == ENOENT;
    if (!missing) {
      rc = store.load(target, &error);
      if (rc != ERROR_SUCCESS) {
        tlsLastError = error;
        return rc;
      }
      const RegistryStore before = store;
      {
        ActiveStore active(&store);
        rc = fn(store);
      }
      if (rc != ERROR_SUCCESS || store == before) return rc;
    }
    rc = store.save(target, &error);
    if (rc != ERROR_SUCCESS) tlsLastError = error;
    return rc;
  } catch (const std::bad_alloc&) {
    tlsLastError = "out of memory";
    return ERROR_OUTOFMEMORY;
  }
}

LONG registryRead(const std::function<LONG(const RegistryStore&)>& fn) {
  if (tlsActive) return fn(*tlsActive);
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
