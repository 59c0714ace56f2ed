// Track files: the platform's file operations with the sharing the converter needs.
// The input is read while others may read it but not write it; the output is held
// alone while it is written, and is never truncated before it is held.
#ifndef TRB2ASC_TRACK_TRACK_FILE_H_
#define TRB2ASC_TRACK_TRACK_FILE_H_

#include <stddef.h>
#include <stdint.h>

namespace trb2asc {

// An open file: a POSIX descriptor or a Windows handle, as an integer.
struct TrackFile {
  intptr_t native;
};

// Which file on which volume (device and inode, or volume serial and file index).
struct FileIdentity {
  uint64_t volume;
  uint64_t index;
  bool known;  // false when no identity could be had; such a file matches nothing
};

// True when both identities are known and name the same file.
bool sameFile(const FileIdentity& a, const FileIdentity& b);

// Finds the file `path` names at this moment, following links, without opening it for
// reading or writing (so permissions and other programs' holds do not matter). Returns
// false when path is null or names nothing that has an identity.
bool identityOfPath(const char* path, FileIdentity* identity);

// True when candidate is the input: the file `protectedFile` (the one loaded) or the file
// `protectedPath` names now, since another process may have renamed a new file over it
// after the load. protectedPath may be null.
bool isProtectedFile(const FileIdentity& candidate, const char* protectedPath,
                     const FileIdentity& protectedFile);

// True when the file `path` names now is the input in the sense of isProtectedFile.
// Asked before an output is opened, so that the answer does not depend on whether the
// input may be written.
bool pathNamesProtectedFile(const char* path, const char* protectedPath,
                            const FileIdentity& protectedFile);

enum class OutputOpen { kOpened, kIsProtected, kFailed };

// Opens the existing regular file `path` for binary reading, shared for reading only.
// Fails without blocking for a missing or unreadable file, one that is not a regular
// file (directory, FIFO, device) and one another process holds for writing.
// On success fills *file and *identity and returns true.
bool openInputFile(const char* path, TrackFile* file, FileIdentity* identity);

// Opens `path` for writing, creating it when missing, held so that no other process
// may use it. When it is the input, that is the file `protectedFile` names or the file
// `protectedPath` names at this moment (null: no path to check), it is left untouched and
// kIsProtected is returned; this is checked before the open for writing (so the answer
// does not depend on permissions) and again on the opened file. When it cannot be opened
// or held, kFailed, and nothing was truncated. When it is the file standard output writes
// to, *file writes through standard output's own descriptor at its current position and
// nothing is truncated, so the lines stay in order with the console text. Otherwise a
// regular file is truncated to zero length, after every check that can refuse it (other
// files, such as devices, are written as they are). kOpened comes with *file set.
OutputOpen openOutputFile(const char* path, const char* protectedPath,
                          const FileIdentity& protectedFile, TrackFile* file);

// Reads up to `size` bytes into buffer. Returns the number read (0 only at the end of
// the file) or -1 on a read error. Interrupted reads are retried.
long readTrackFile(TrackFile file, void* buffer, size_t size);

// Writes all `size` bytes of data, waiting for room when the file is non-blocking.
// Returns false when any of them could not be written.
bool writeTrackFile(TrackFile file, const void* data, size_t size);

// Closes the file, releasing its hold. Returns false when the close reported an error
// (for an output file: data that may not have reached the disk).
bool closeTrackFile(TrackFile file);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_TRACK_FILE_H_
