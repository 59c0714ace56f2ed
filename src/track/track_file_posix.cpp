#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "track/track_file.h"

namespace trb2asc {

namespace {

int descriptor(TrackFile file) {
  return static_cast<int>(file.native);
}

FileIdentity identityOf(const struct stat& info) {
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), true};
}

// Whether standard output already writes to this very file (a shell redirection).
bool isStandardOutputFile(int fd, const struct stat& info) {
  struct stat standardOutput;
  return fd != STDOUT_FILENO && fstat(STDOUT_FILENO, &standardOutput) == 0 &&
         sameFile(identityOf(standardOutput), identityOf(info));
}

// Non-blocking advisory lock: a file that another run holds is reported, never waited for.
// Where the file system has no locks at all, the file is used unlocked.
bool holdFile(int fd, int operation) {
  if (flock(fd, operation | LOCK_NB) == 0) {
    return true;
  }
  return errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP;
}

// Opened non-blocking so that a FIFO or device never stalls the open; writes and reads
// afterwards block as usual.
bool makeBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags != -1 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != -1;
}

}  // namespace

bool identityOfPath(const char* path, FileIdentity* identity) {
  struct stat info;
  if (path == nullptr || stat(path, &info) != 0) {
    return false;
  }
  *identity = identityOf(info);
  return true;
}

bool openInputFile(const char* path, TrackFile* file, FileIdentity* identity) {
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd == -1) {
    return false;
  }
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || !holdFile(fd, LOCK_SH) ||
      !makeBlocking(fd)) {
    close(fd);
    return false;
  }
  file->native = fd;
  *identity = identityOf(info);
  return true;
}

OutputOpen openOutputFile(const char* path, const char* protectedPath,
                          const FileIdentity& protectedFile, TrackFile* file) {
  // Checked before the open too, so that a read-only input is still reported as the input
  // rather than as a file that cannot be opened.
  if (pathNamesProtectedFile(path, protectedPath, protectedFile)) {
    return OutputOpen::kIsProtected;
  }
  // No O_TRUNC: the file is truncated only once it is known not to be the input and
  // is held by this run.
  int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd == -1) {
    return OutputOpen::kFailed;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return OutputOpen::kFailed;
  }
  if (isProtectedFile(identityOf(info), protectedPath, protectedFile)) {
    close(fd);
    return OutputOpen::kIsProtected;
  }
  if (isStandardOutputFile(fd, info)) {
    // Our own open would stand at offset 0 and overwrite the console text already there;
    // standard output's descriptor writes at its own position (appending for >>). It
    // belongs to the caller: it is not locked, switched to blocking or truncated.
    close(fd);
    fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd == -1) {
      return OutputOpen::kFailed;
    }
    file->native = fd;
    return OutputOpen::kOpened;
  }
  // Every check that can refuse the file comes before the truncation.
  if (!holdFile(fd, LOCK_EX) || !makeBlocking(fd) ||
      (S_ISREG(info.st_mode) && ftruncate(fd, 0) != 0)) {
    close(fd);
    return OutputOpen::kFailed;
  }
  file->native = fd;
  return OutputOpen::kOpened;
}

long readTrackFile(TrackFile file, void* buffer, size_t size) {
  for (;;) {
    const ssize_t got = read(descriptor(file), buffer, size);
    if (got >= 0) {
      return static_cast<long>(got);
    }
    if (errno != EINTR) {
      return -1;
    }
  }
}

bool writeTrackFile(TrackFile file, const void* data, size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = write(descriptor(file), next, size);
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      // Standard output's file may be non-blocking: wait for room rather than lose lines.
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        struct pollfd watch = {descriptor(file), POLLOUT, 0};
        if (poll(&watch, 1, -1) >= 0 || errno == EINTR) {
          continue;
        }
      }
      return false;
    }
    next += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

bool closeTrackFile(TrackFile file) {
  return close(descriptor(file)) == 0;
}

}  // namespace trb2asc
