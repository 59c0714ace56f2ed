#include <windows.h>

#include "track/track_file.h"

namespace trb2asc {

namespace {

HANDLE handleOf(TrackFile file) {
  return reinterpret_cast<HANDLE>(file.native);
}

// Only a regular file on a disk: no device (CON, NUL, COM1), pipe or directory.
bool describeDiskFile(HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, info) &&
         (info->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

FileIdentity identityOf(const BY_HANDLE_FILE_INFORMATION& info) {
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                      true};
}

// ReadFile and WriteFile take 32-bit sizes.
DWORD chunkOf(size_t size) {
  const size_t kMaxChunk = 0x40000000;
  return static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
}

}  // namespace

bool identityOfPath(const char* path, FileIdentity* identity) {
  if (path == nullptr) {
    return false;
  }
  // No access asked for and everything shared: works on a read-only file and on one
  // another program holds.
  const HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  const bool known =
      GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) != FALSE;
  CloseHandle(handle);
  if (known) {
    *identity = identityOf(info);
  }
  return known;
}

bool openInputFile(const char* path, TrackFile* file, FileIdentity* identity) {
  // Share mode: others may read the file while it is loaded, nobody may write it.
  const HANDLE handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!describeDiskFile(handle, &info)) {
    CloseHandle(handle);
    return false;
  }
  file->native = reinterpret_cast<intptr_t>(handle);
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
  // OPEN_ALWAYS rather than CREATE_ALWAYS: the file is truncated only once it is held
  // (share mode 0) and known not to be the input.
  const HANDLE handle =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return OutputOpen::kFailed;
  }
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) {
      CloseHandle(handle);
      return OutputOpen::kFailed;  // without an identity the input could not be protected
    }
    if (isProtectedFile(identityOf(info), protectedPath, protectedFile)) {
      CloseHandle(handle);
      return OutputOpen::kIsProtected;
    }
    if (!SetEndOfFile(handle)) {  // the new handle stands at offset 0
      CloseHandle(handle);
      return OutputOpen::kFailed;
    }
  }
  file->native = reinterpret_cast<intptr_t>(handle);
  return OutputOpen::kOpened;
}

long readTrackFile(TrackFile file, void* buffer, size_t size) {
  DWORD got = 0;
  if (!ReadFile(handleOf(file), buffer, chunkOf(size), &got, nullptr)) {
    return -1;
  }
  return static_cast<long>(got);
}

bool writeTrackFile(TrackFile file, const void* data, size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    DWORD put = 0;
    if (!WriteFile(handleOf(file), next, chunkOf(size), &put, nullptr) || put == 0) {
      return false;
    }
    next += put;
    size -= put;
  }
  return true;
}

bool closeTrackFile(TrackFile file) {
  return CloseHandle(handleOf(file)) != FALSE;
}

}  // namespace trb2asc
