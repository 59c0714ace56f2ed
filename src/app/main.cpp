// trb2asc: converts the track-tail file ceTrackTail.trb into coordinate text.
#include "app/argument_parser.h"
#include "app/run_sequence.h"
#include "console/console_output.h"

int main(int argc, char** argv) {
  prepareStandardOutput();
  return runConverter(parseArguments(argc, argv));
}
