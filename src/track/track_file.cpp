// The file identity checks both platforms share; the identities come from the platform files.
#include "track/track_file.h"

namespace trb2asc {

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
  return a.known && b.known && a.volume == b.volume && a.index == b.index;
}

bool isProtectedFile(const FileIdentity& candidate, const char* protectedPath,
                     const FileIdentity& protectedFile) {
  FileIdentity named;
  return sameFile(candidate, protectedFile) ||
         (identityOfPath(protectedPath, &named) && sameFile(candidate, named));
}

bool pathNamesProtectedFile(const char* path, const char* protectedPath,
                            const FileIdentity& protectedFile) {
  FileIdentity named;
  return identityOfPath(path, &named) && isProtectedFile(named, protectedPath, protectedFile);
}

}  // namespace trb2asc
