#include "platform/registry/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "platform/registry/RegistryText.h"
#include "platform/shell/FileDescriptor.h"
#include "platform/shell/FileOperations.h"
#include "platform/shell/PathHelpers.h"
#include "platform/shell/UserFolders.h"
#include "platform/ui/MessageBox.h"

namespace {

FileDescriptor OpenLock(const std::string& filePath, int operation) {
  FileDescriptor lock(::open((filePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  while (lock.IsValid() && ::flock(lock.Get(), operation) != 0) {
    if (errno != EINTR) {
      return FileDescriptor();
    }
  }
  return lock;
}

// Reads the whole file; false when it cannot be read or is too big (tooBig tells which).
bool ReadAll(int fd, std::string& text, bool& tooBig) {
  text.clear();
  tooBig = false;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got == 0) {
      return true;
    }
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (text.size() + static_cast<size_t>(got) > RegistryStore::kMaxFileBytes) {
      tooBig = true;
      return false;
    }
    text.append(buffer, static_cast<size_t>(got));
  }
}

std::string DamagedName(const std::string& filePath) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = filePath + ".damaged-" + stamp;
  std::string name = base;
  for (int counter = 1; PathFileExists(name); ++counter) {
    name = base + "-" + std::to_string(counter);
  }
  return name;
}

}  // namespace

RegistryStore::RegistryStore(std::string filePath) : m_filePath(std::move(filePath)) {}

std::string RegistryStore::DefaultPath() { return PathAppend(PathAppend(GetConfigFolder(), "vantro"), "corvox.reg"); }

bool RegistryStore::FileIdentity::operator==(const FileIdentity& other) const {
  return device == other.device && inode == other.inode && size == other.size &&
         modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
}

RegistryStore::FileState RegistryStore::ReadFile(RegistryKeyMap& keys, bool useCache) const {
  keys.clear();
  FileDescriptor file(::open(m_filePath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.IsValid()) {
    return errno == ENOENT ? FileState::Parsed : FileState::Unreadable;
  }
  struct stat info;
  if (::fstat(file.Get(), &info) != 0) {
    return FileState::Unreadable;
  }
  const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  if (useCache) {
    std::lock_guard lock(*m_cacheMutex);
    if (m_cache && m_cache->identity == identity) {
      keys = m_cache->keys;
      return FileState::Parsed;
    }
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxFileBytes) {
    return FileState::Damaged;
  }
  std::string text;
  bool tooBig = false;
  if (!ReadAll(file.Get(), text, tooBig)) {
    return tooBig ? FileState::Damaged : FileState::Unreadable;
  }
  if (!ParseRegistryText(text, keys)) {
    return FileState::Damaged;
  }
  Remember(identity, keys);
  return FileState::Parsed;
}

void RegistryStore::Remember(const FileIdentity& identity, const RegistryKeyMap& keys) const {
  std::lock_guard lock(*m_cacheMutex);
  m_cache = Snapshot{identity, keys};
}

void RegistryStore::SetAside() const {
  const std::string asideName = DamagedName(m_filePath);
  const bool kept = ::rename(m_filePath.c_str(), asideName.c_str()) == 0;
  MessageBox(nullptr,
             "The settings file " + m_filePath + " could not be read; " +
                 (kept ? "it was kept as " + asideName + " and " : "") + "the settings start from their defaults.",
             MB_ICONWARNING);
}

bool RegistryStore::ReadUnchanged(RegistryKeyMap& keys) const {
  struct stat info;
  if (::stat(m_filePath.c_str(), &info) != 0) {
    return false;
  }
  const FileIdentity identity{info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  std::lock_guard lock(*m_cacheMutex);
  if (!m_cache || !(m_cache->identity == identity)) {
    return false;
  }
  keys = m_cache->keys;
  return true;
}

LSTATUS RegistryStore::Read(RegistryKeyMap& keys) const {
  // Files are only ever replaced whole (renamed into place), so the file the snapshot was
  // taken of needs no lock to be read.
  if (ReadUnchanged(keys)) {
    return ERROR_SUCCESS;
  }
  if (!PathFileExists(m_filePath)) {
    keys.clear();
    return ERROR_SUCCESS;
  }
  // Without a lock (a read-only folder) the file is still read: nobody can be writing it.
  FileDescriptor lock = OpenLock(m_filePath, LOCK_SH);
  FileState state = ReadFile(keys, true);
  if (state == FileState::Damaged && lock.IsValid() && ::flock(lock.Get(), LOCK_EX) == 0) {
    // Another process may have replaced the file between our locks: look again.
    state = ReadFile(keys, true);
    if (state == FileState::Damaged) {
      SetAside();
    }
  }
  if (state == FileState::Unreadable) {
    return ERROR_CANTREAD;
  }
  if (state == FileState::Damaged) {
    keys.clear();
  }
  return ERROR_SUCCESS;
}

LSTATUS RegistryStore::Update(const std::function<LSTATUS(RegistryKeyMap& keys)>& change) const {
  const std::string folder = PathRemoveFileSpec(m_filePath);
  if (!folder.empty() && !CreateDirectoryPath(folder, 0700)) {
    return ERROR_CANTOPEN;
  }
  FileDescriptor lock = OpenLock(m_filePath, LOCK_EX);
  if (!lock.IsValid()) {
    return ERROR_CANTOPEN;
  }
  RegistryKeyMap keys;
  const FileState state = ReadFile(keys, false);
  if (state == FileState::Unreadable) {
    // Never replace a file we could not read: it may hold everything the user set.
    return ERROR_CANTREAD;
  }
  if (state == FileState::Damaged) {
    SetAside();
    keys.clear();
  }
  const LSTATUS result = change(keys);
  if (result != ERROR_SUCCESS) {
    return result;
  }
  const std::string text = FormatRegistryText(keys);
  if (!ReplaceFileAtomically(m_filePath, 0600, [&](int fd) { return WriteAll(fd, text); })) {
    return ERROR_CANTWRITE;
  }
  // Still under the exclusive lock: the file on disk is the one just written.
  struct stat info;
  if (::stat(m_filePath.c_str(), &info) == 0) {
    Remember({info.st_dev, info.st_ino, info.st_size, info.st_mtim}, keys);
  }
  return ERROR_SUCCESS;
}
