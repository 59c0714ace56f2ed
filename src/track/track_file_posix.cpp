#include <errno.h>
#include <fcntl.h>
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

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.known && b.known && a.volume == b.volume && a.index == b.index;
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

OutputOpen openOutputFile(const char* path, const FileIdentity& protectedFile, TrackFile* file) {
  // No O_TRUNC: the file is truncated only once it is known not to be the input and
  // is held by this run.
  const int fd = open(path, O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd == -1) {
    return OutputOpen::kFailed;
  }
  struct stat info;
  if (fstat(fd, &info) != 0) {
    close(fd);
    return OutputOpen::kFailed;
  }
  if (sameFile(identityOf(info), protectedFile)) {
    close(fd);
    return OutputOpen::kIsProtected;
  }
  if (!holdFile(fd, LOCK_EX) || (S_ISREG(info.st_mode) && ftruncate(fd, 0) != 0) ||
      !makeBlocking(fd)) {
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
