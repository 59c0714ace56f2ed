#include "track/asc_export.h"

#include <string.h>

#include "app/console_output.h"
#include "track/record_walk.h"
#include "track/track_store.h"

namespace {

// Lines are gathered here and written in large blocks; a failed write is remembered and
// nothing more is attempted.
struct OutputBuffer {
  TrackFile file;
  bool failed;
  size_t used;
  char data[8192];
};

void flushOutput(OutputBuffer* out) {
  if (!out->failed && out->used > 0 && !writeTrackFile(out->file, out->data, out->used)) {
    out->failed = true;
  }
  out->used = 0;
}

void bufferLine(void* context, const char* line, size_t length) {
  OutputBuffer* out = static_cast<OutputBuffer*>(context);
  if (sizeof out->data - out->used < length) {
    flushOutput(out);
  }
  memcpy(out->data + out->used, line, length);
  out->used += length;
}

void reportOutput(const char* path, const char* failure) {
  consoleWrite(path);
  consoleWrite(failure);
}

}  // namespace

int exportAscFile(const char* outputPath, int32_t pointCount, const char* inputPath,
                  const FileIdentity& input) {
  if (strlen(outputPath) > kMaxPathLength) {
    reportOutput(outputPath, " could not opend!\n");
    return 0;
  }
  OutputBuffer out;
  out.failed = false;
  out.used = 0;
  switch (openOutputFile(outputPath, inputPath, input, &out.file)) {
    case OutputOpen::kFailed:
      reportOutput(outputPath, " could not opend!\n");
      return 0;
    case OutputOpen::kIsProtected:
      reportOutput(outputPath, " is the input file, not overwritten!\n");
      return 0;
    case OutputOpen::kOpened:
      break;
  }
  const int lastRecord = walkTrackRecords(trackStore(), pointCount, bufferLine, &out);
  flushOutput(&out);
  const bool closed = closeTrackFile(out.file);
  if (out.failed || !closed) {
    reportOutput(outputPath, " could not be written!\n");
    return 0;
  }
  return lastRecord;
}
