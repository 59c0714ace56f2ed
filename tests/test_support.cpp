#include "test_support.h"

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/trb2asc-test-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
  }
  path = buffer.data();
}

TempDir::~TempDir() {
  nftw(
      path.c_str(),
      [](const char* name, const struct stat*, int, struct FTW*) {
        chmod(name, 0700);  // read-only directories made by a test must still go
        return std::remove(name);
      },
      16, FTW_DEPTH | FTW_PHYS);
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string readFile(const std::string& path, bool* exists) {
  std::ifstream in(path, std::ios::binary);
  if (exists != nullptr) {
    *exists = in.is_open();
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool fileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& dir, int timeoutSeconds) {
  ProgramRun run{-1, ""};
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return run;
  }
  const pid_t child = fork();
  if (child == 0) {
    setsid();  // no controlling terminal: the key pause must not wait
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, 0);
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    if (chdir(dir.c_str()) != 0) {
      _exit(126);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      ADD_FAILURE() << program << " did not end within " << timeoutSeconds << " s";
      kill(child, SIGKILL);
      break;
    }
    struct pollfd ready {
      pipeFds[0], POLLIN, 0
    };
    if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
      continue;
    }
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got <= 0) {
      break;
    }
    run.output.append(buffer, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status)) {
    run.exitStatus = WEXITSTATUS(status);
  }
  return run;
}
