// Argument handling: the command line turned into the options of one run.
#ifndef TRB2ASC_APP_ARGUMENT_PARSER_H_
#define TRB2ASC_APP_ARGUMENT_PARSER_H_

namespace trb2asc {

// What the run does: a conversion, or only the usage text or the version line.
enum class RunRequest { kConvert, kHelp, kVersion };

// Built once by parseArguments and read-only afterwards. The paths point to static
// text or to the program's own arguments, which live for the whole run.
struct RunOptions {
  bool quiet;
  const char* inputPath;   // always "ceTrackTail.trb"
  const char* outputPath;  // "VexaTrackTail.asc" unless the one argument names another
  RunRequest request;      // kConvert unless argv[1] is exactly "--help" or "--version"
};

inline constexpr const char* kInputPath = "ceTrackTail.trb";
inline constexpr const char* kDefaultOutputPath = "VexaTrackTail.asc";

// Turns the command line into RunOptions. argv[0] is not examined and only argv[1] is:
// exactly "--help" or "--version" (same bytes, whatever follows) asks for that text
// instead of a conversion, with the default quiet flag and paths; "-quiet" in any
// letter case switches quiet on (and keeps the default output path); otherwise, when it
// is the only argument and not empty, it becomes the output path, unchanged and
// whatever its length. Every other case keeps the defaults.
RunOptions parseArguments(int argc, const char* const* argv);

}  // namespace trb2asc

#endif  // TRB2ASC_APP_ARGUMENT_PARSER_H_
