// Test support: temporary directories, whole-file reads and writes, and runs of the
// built program with its standard output captured.
#ifndef TRB2ASC_TESTS_TEST_SUPPORT_H_
#define TRB2ASC_TESTS_TEST_SUPPORT_H_

#include <string>
#include <vector>

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on destruction.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string path;
  std::string file(const std::string& name) const { return path + "/" + name; }
};

void writeFile(const std::string& path, const std::string& bytes);

// The file's bytes; `exists` (when given) tells whether it could be opened.
std::string readFile(const std::string& path, bool* exists = nullptr);

bool fileExists(const std::string& path);

struct ProgramRun {
  int exitStatus;      // -1 when it did not exit normally
  std::string output;  // everything it wrote to standard output
};

// Runs `program` with `arguments` in directory `dir`, in a new session without a
// controlling terminal, standard input from /dev/null. Fails the test when it does not
// end within `timeoutSeconds`.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& dir, int timeoutSeconds = 30);

#endif  // TRB2ASC_TESTS_TEST_SUPPORT_H_
