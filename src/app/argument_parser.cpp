#include "app/argument_parser.h"

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
  RunOptions options{false, kInputPath, kDefaultOutputPath};
  if (argc >= 2 && isQuietSwitch(argv[1])) {
    options.quiet = true;
  } else if (argc == 2 && argv[1][0] != '\0') {
    options.outputPath = argv[1];
  }
  return options;
}

}  // namespace trb2asc
