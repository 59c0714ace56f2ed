// trb2asc: converts the track-tail file ceTrackTail.trb into coordinate text.
#include "app/console_output.h"
#include "app/run_options.h"
#include "app/run_sequence.h"

int main(int argc, char** argv) {
  prepareStandardOutput();
  return runConverter(parseArguments(argc, argv));
}
