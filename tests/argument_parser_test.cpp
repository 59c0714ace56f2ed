#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/argument_parser.h"

using trb2asc::parseArguments;
using trb2asc::RunOptions;
using trb2asc::RunRequest;

namespace {

struct ArgumentCase {
  std::vector<const char*> arguments;  // after the program name
  bool quiet;
  const char* outputPath;
  RunRequest request = RunRequest::kConvert;
};

void PrintTo(const ArgumentCase& c, std::ostream* out) {
  *out << "arguments:";
  for (const char* argument : c.arguments) {
    *out << " [" << argument << "]";
  }
}

class ParseArgumentsTest : public testing::TestWithParam<ArgumentCase> {};

TEST_P(ParseArgumentsTest, GivesQuietFlagAndOutputPath) {
  const ArgumentCase& c = GetParam();
  std::vector<const char*> argv{"trb2asc"};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const RunOptions options = parseArguments(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(options.quiet, c.quiet);
  EXPECT_STREQ(options.outputPath, c.outputPath);
  EXPECT_STREQ(options.inputPath, "ceTrackTail.trb");
  EXPECT_EQ(options.request, c.request);
}

const char* const kDefault = "VexaTrackTail.asc";

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ParseArgumentsTest,
    testing::Values(
        ArgumentCase{{}, false, kDefault}, ArgumentCase{{"-quiet"}, true, kDefault},
        ArgumentCase{{"-QUIET"}, true, kDefault}, ArgumentCase{{"-Quiet"}, true, kDefault},
        ArgumentCase{{"out.asc"}, false, "out.asc"},
        ArgumentCase{{"-quiet", "out.asc"}, true, kDefault},
        ArgumentCase{{"out.asc", "-quiet"}, false, kDefault}, ArgumentCase{{""}, false, kDefault},
        ArgumentCase{{"a", "b"}, false, kDefault},
        // Only A-Z fold, and the lengths must match: these are paths.
        ArgumentCase{{"-quiet "}, false, "-quiet "}, ArgumentCase{{"-quie"}, false, "-quie"},
        ArgumentCase{{"quiet"}, false, "quiet"}, ArgumentCase{{"_quiet"}, false, "_quiet"},
        ArgumentCase{{"-qu\xC3\xAF"
                      "et"},
                     false,
                     "-qu\xC3\xAF"
                     "et"},
        // A long path is kept whole; the export refuses it rather than cut it.
        ArgumentCase{{"/tmp/../tmp/./out.asc"}, false, "/tmp/../tmp/./out.asc"},
        // The two requests: the exact first argument, whatever follows it.
        ArgumentCase{{"--help"}, false, kDefault, RunRequest::kHelp},
        ArgumentCase{{"--version"}, false, kDefault, RunRequest::kVersion},
        ArgumentCase{{"--help", "out.asc"}, false, kDefault, RunRequest::kHelp},
        ArgumentCase{{"--version", "-quiet"}, false, kDefault, RunRequest::kVersion},
        // Anything else that looks like a request is still an output path.
        ArgumentCase{{"out.asc", "--help"}, false, kDefault},
        ArgumentCase{{"-quiet", "--version"}, true, kDefault}, ArgumentCase{{"-h"}, false, "-h"},
        ArgumentCase{{"/?"}, false, "/?"}, ArgumentCase{{"--HELP"}, false, "--HELP"},
        ArgumentCase{{"--help "}, false, "--help "}, ArgumentCase{{"--hel"}, false, "--hel"},
        ArgumentCase{{"-help"}, false, "-help"},
        ArgumentCase{{"--version=1"}, false, "--version=1"},
        ArgumentCase{{"./--help"}, false, "./--help"}));

}  // namespace
