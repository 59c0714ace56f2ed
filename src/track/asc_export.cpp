#include "track/asc_export.h"

#include <string.h>

#include "console/console_output.h"
#include "track/record_walk.h"
#include "track/track_store.h"

namespace trb2asc {

namespace {

// The walk writes its lines straight into data and hands over large blocks; a failed
// write is remembered and nothing more is attempted.
struct OutputBuffer {
  TrackFile file;
  bool failed;
  char data[8192];
};

void writeBlock(void* context, const char* text, size_t length) {
  OutputBuffer* out = static_cast<OutputBuffer*>(context);
  if (!out->failed && !writeTrackFile(out->file, text, length)) {
    out->failed = true;
  }
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
  const int lastRecord =
      walkTrackText(trackStore(), pointCount, out.data, sizeof out.data, writeBlock, &out);
  const bool closed = closeTrackFile(out.file);
  if (out.failed || !closed) {
    reportOutput(outputPath, " could not be written!\n");
    return 0;
  }
  return lastRecord;
}

}  // namespace trb2asc
