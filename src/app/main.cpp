// trb2asc: converts the track-tail file ceTrackTail.trb into coordinate text.
#include "app/argument_parser.h"
#include "app/run_sequence.h"
#include "console/console_output.h"

int main(int argc, char** argv) {
  trb2asc::prepareStandardOutput();
  return trb2asc::runConverter(trb2asc::parseArguments(argc, argv));
}
