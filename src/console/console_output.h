// Console output: every message of the program goes to standard output, unbuffered,
// with each line break written as CR LF on every platform.
#ifndef TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_
#define TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_

#include <stddef.h>

namespace trb2asc {

// Makes standard output unbuffered and untranslated (binary) so that the bytes
// written by consoleWrite reach it exactly. Call once before any output.
void prepareStandardOutput();

// Writes text to standard output, each "\n" as "\r\n" and every other byte unchanged.
// Whatever is written is complete on standard output when it returns; write failures
// are ignored (the console is the only place they could be reported).
void consoleWrite(const char* text);

// As consoleWrite, for the first length bytes of text (which may hold zero bytes).
void consoleWriteBytes(const char* text, size_t length);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_
