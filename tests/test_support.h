// Test support: temporary directories, whole-file reads and writes, and runs of a built
// program without a terminal, with its standard output and error captured.
#ifndef TRB2ASC_TESTS_TEST_SUPPORT_H_
#define TRB2ASC_TESTS_TEST_SUPPORT_H_

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A fresh directory under $TMPDIR (or /tmp), open to every user (so that a run as an
// ordinary user can enter it), removed with all it holds on destruction.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

// Removes path and, for a directory, everything below it (read-only ones too).
void removeTree(const std::string& path);

void writeFile(const std::string& path, const std::string& bytes);

// The file's bytes; `exists` (when given) tells whether it could be opened and read.
std::string readFile(const std::string& path, bool* exists = nullptr);

bool fileExists(const std::string& path);

// The program's console texts, with the CR LF it writes.
inline const std::string kTitleLine = "VexaCE trb to asc Converter  (Lon-Lat)  /v1.0 18.05.09\r\n";
inline const std::string kPressAnyKey = "\r\nPress any key";
inline const std::string kOverflowLine =
    "**** ceTrackTail too big to read into memory buffer: 65535\r\n";

// The summary line of a run that wrote `output` and examined `records` records.
inline std::string summaryLine(const std::string& output, int records) {
  return "ceTrackTail.trb --> " + output + " : " + std::to_string(records) + " Trackpoints\r\n";
}

struct ProgramRun {
  bool finished = false;  // false: killed when its time ran out
  int exitStatus = -1;    // -1 when it did not exit normally
  std::string output;     // standard output
  std::string errors;     // standard error
  long maxResidentKb = 0;
  double seconds = 0;
};

// A program started by startProgram and not yet waited for.
struct StartedProgram {
  pid_t pid = -1;
  int outputFd = -1;  // -1 when standard output is not a pipe read by finishProgram
  int errorsFd = -1;
  std::size_t prefilled = 0;  // filler bytes ahead of the program's output in the pipe
  std::chrono::steady_clock::time_point started;
};

// What a started program's standard output is.
enum class StandardOutput {
  kPipe,                 // a pipe that finishProgram reads into ProgramRun::output
  kPipeWithoutReader,    // a pipe whose reading end is closed before the start
  kFullNonBlockingPipe,  // non-blocking and full at the start; finishProgram drains it
                         // once the program has ended or had half a second to write
  kFileTruncated,        // StartOptions::outputFile in the directory, as with `> file`
  kFileAppended,         // StartOptions::outputFile in the directory, as with `>> file`
};

struct StartOptions {
  // A run by root first becomes the user nobody, for whom file permissions hold, and
  // checks that it may not write `mustNotWrite` (when given).
  bool asNobody = false;
  std::string mustNotWrite;
  StandardOutput standardOutput = StandardOutput::kPipe;
  std::string outputFile;
  long long fileSizeLimit = -1;  // bytes (RLIMIT_FSIZE); -1 leaves the limit alone
};

// Exit statuses of the child itself when it could not become what was asked.
inline constexpr int kExitNoPrivilegeDrop = 121;  // could not become the user nobody
inline constexpr int kExitStillWritable = 122;    // became it, but may still write there
inline constexpr int kExitNoExec = 127;

// Starts `program arguments...` in directory dir, in a new session (no controlling
// terminal, so a key pause returns at once), standard input from /dev/null. With
// asNobody, a run by root first becomes the user nobody, for whom file permissions hold,
// and checks that it may not write `mustNotWrite` (when given).
StartedProgram startProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& dir, bool asNobody = false,
                            const std::string& mustNotWrite = std::string());

// As above, with standard output and limits as `options` say. SIGPIPE and SIGXFSZ have
// their default actions in the program, whatever the test runner's are.
StartedProgram startProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& dir, const StartOptions& options);

// Collects the program's output until it ends, killing it after timeoutSeconds.
ProgramRun finishProgram(const StartedProgram& program, int timeoutSeconds = 30);

// startProgram then finishProgram.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& dir);

#endif  // TRB2ASC_TESTS_TEST_SUPPORT_H_
