// Console output: every message of the program goes to standard output, unbuffered,
// with each line break written as CR LF on every platform.
#ifndef TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_
#define TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_

#include <stddef.h>

namespace trb2asc {

// Makes standard output unbuffered and untranslated (binary) so that the bytes
// written by consoleWrite reach it exactly. On POSIX it also ignores SIGPIPE and SIGXFSZ
// for the whole run, so that a reader gone away or a file-size limit make a write fail
// (and be reported) instead of ending the program, and it opens /dev/null on any of the
// standard descriptors 0 to 2 that is closed, so that no file the program opens takes
// their place. Call once before any output.
void prepareStandardOutput();

// The platform part of consoleWrite: writes the bytes to standard output unchanged.
// When standard output is non-blocking and full it waits for room; text that cannot be
// written (a reader gone away, a closed descriptor) is dropped.
void writeStandardOutput(const char* bytes, size_t length);

// Writes text to standard output, each "\n" as "\r\n" and every other byte unchanged.
// Whatever is written is complete on standard output when it returns; write failures
// are ignored (the console is the only place they could be reported).
void consoleWrite(const char* text);

// As consoleWrite, for the first length bytes of text (which may hold zero bytes).
void consoleWriteBytes(const char* text, size_t length);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_CONSOLE_OUTPUT_H_
