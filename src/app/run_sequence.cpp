#include "app/run_sequence.h"

#include "app/console_output.h"
#include "app/key_pause.h"
#include "track/asc_export.h"
#include "track/track_loader.h"

int runConverter(const RunOptions& options) {
  if (!options.quiet) {
    consoleWrite(kTitleLine);
  }
  const LoadResult load = loadTrackTail(options.inputPath);
  if (load.loadedBytes > 0) {
    const int examined =
        exportAscFile(options.outputPath, load.pointCount, options.inputPath, load.source);
    if (!options.quiet) {
      consoleWrite(options.inputPath);
      consoleWrite(" --> ");
      consoleWrite(options.outputPath);
      consoleWrite(" : ");
      consoleWriteInt(examined);
      consoleWrite(" Trackpoints\n");
    }
  }
  if (!options.quiet) {
    consoleWrite(kPressAnyKey);
    waitForKey();
  }
  return 0;
}
