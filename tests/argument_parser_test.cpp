#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/argument_parser.h"

using trb2asc::parseArguments;
using trb2asc::RunOptions;

namespace {

struct ArgumentCase {
  std::vector<const char*> arguments;  // after the program name
  bool quiet;
  const char* outputPath;
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
        ArgumentCase{{"/tmp/../tmp/./out.asc"}, false, "/tmp/../tmp/./out.asc"}));

}  // namespace
