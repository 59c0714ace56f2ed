#include "app/argument_parser.h"

#include <string.h>

namespace trb2asc {

namespace {

// Only the letters A to Z are folded; every other byte must match exactly.
bool isQuietSwitch(const char* argument) {
  const char* expected = "-quiet";
  for (; *expected != '\0'; ++argument, ++expected) {
    char c = *argument;
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
    if (c != *expected) {
      return false;
    }
  }
  return *argument == '\0';
}

}  // namespace

RunOptions parseArguments(int argc, const char* const* argv) {
  RunOptions options{false, kInputPath, kDefaultOutputPath, RunRequest::kConvert};
  // Users of console tools try these two first; only the exact spellings count, so that
  // every other argument (-h, /?, --HELP) stays an output path as it always was.
  if (argc >= 2 && strcmp(argv[1], "--help") == 0) {
    options.request = RunRequest::kHelp;
  } else if (argc >= 2 && strcmp(argv[1], "--version") == 0) {
    options.request = RunRequest::kVersion;
  } else if (argc >= 2 && isQuietSwitch(argv[1])) {
    options.quiet = true;
  } else if (argc == 2 && argv[1][0] != '\0') {
    options.outputPath = argv[1];
  }
  return options;
}

}  // namespace trb2asc
