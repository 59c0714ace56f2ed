#include "test_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace {

constexpr uid_t kNobody = 65534;

}  // namespace

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/trb2asc-test-XXXXXX";
  if (mkdtemp(&pattern[0]) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
    return;
  }
  path = pattern;
  chmod(path.c_str(), 0755);
}

TempDir::~TempDir() {
  if (!path.empty()) {
    removeTree(path);
  }
}

void removeTree(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (!S_ISDIR(info.st_mode)) {
    unlink(path.c_str());
    return;
  }
  chmod(path.c_str(), 0700);  // read-only directories made by a test must still go
  if (DIR* stream = opendir(path.c_str())) {
    while (const dirent* entry = readdir(stream)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") {
        removeTree(path + "/" + name);
      }
    }
    closedir(stream);
  }
  rmdir(path.c_str());
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << "cannot create " << path;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ASSERT_EQ(std::fclose(file), 0) << path;
  ASSERT_TRUE(written) << "cannot write " << path;
}

std::string readFile(const std::string& path, bool* exists) {
  std::string content;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ssize_t got = -1;
  if (fd != -1) {
    char chunk[1 << 16];
    while ((got = read(fd, chunk, sizeof chunk)) > 0) {
      content.append(chunk, static_cast<std::size_t>(got));
    }
    close(fd);
  }
  if (exists != nullptr) {
    *exists = got == 0;
  }
  return content;
}

bool fileExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

StartedProgram startProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& dir, bool asNobody,
                            const std::string& mustNotWrite) {
  StartOptions options;
  options.asNobody = asNobody;
  options.mustNotWrite = mustNotWrite;
  return startProgram(program, arguments, dir, options);
}

namespace {

// Makes the pipe's writing end non-blocking and fills the pipe. Returns the bytes put in.
std::size_t fillPipe(int writeEnd) {
  fcntl(writeEnd, F_SETFL, fcntl(writeEnd, F_GETFL) | O_NONBLOCK);
  std::size_t filled = 0;
  const std::string chunk(4096, '.');
  for (std::size_t size = chunk.size(); size > 0; size /= 2) {
    ssize_t put;
    while ((put = write(writeEnd, chunk.data(), size)) > 0) {
      filled += static_cast<std::size_t>(put);
    }
  }
  return filled;
}

}  // namespace

StartedProgram startProgram(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& dir, const StartOptions& options) {
  StartedProgram started;
  int outputPipe[2];
  int errorsPipe[2];
  if (pipe2(outputPipe, O_CLOEXEC) != 0 || pipe2(errorsPipe, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe2 failed";
    return started;
  }
  const StandardOutput output = options.standardOutput;
  const bool toPipe = output == StandardOutput::kPipe ||
                      output == StandardOutput::kPipeWithoutReader ||
                      output == StandardOutput::kFullNonBlockingPipe;
  if (output == StandardOutput::kPipeWithoutReader) {
    close(outputPipe[0]);
    outputPipe[0] = -1;
  }
  if (output == StandardOutput::kFullNonBlockingPipe) {
    started.prefilled = fillPipe(outputPipe[1]);
  }
  const int fileFlags =
      O_WRONLY | O_CREAT | (output == StandardOutput::kFileAppended ? O_APPEND : O_TRUNC);
  std::vector<std::string> argvText{program};
  argvText.insert(argvText.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argvText) {
    argv.push_back(&text[0]);
  }
  argv.push_back(nullptr);

  started.started = std::chrono::steady_clock::now();
  started.pid = fork();
  if (started.pid == 0) {
    // Only async-signal-safe calls from here to exec.
    setsid();
    const int devNull = open("/dev/null", O_RDONLY);
    if (devNull == -1 || dup2(devNull, 0) == -1 || dup2(errorsPipe[1], 2) == -1 ||
        chdir(dir.c_str()) != 0) {
      _exit(kExitNoExec);
    }
    const int outputFd = toPipe ? outputPipe[1] : open(options.outputFile.c_str(), fileFlags, 0644);
    if (outputFd == -1 || dup2(outputFd, 1) == -1) {
      _exit(kExitNoExec);
    }
    struct sigaction byDefault;
    std::memset(&byDefault, 0, sizeof byDefault);
    byDefault.sa_handler = SIG_DFL;
    sigaction(SIGPIPE, &byDefault, nullptr);
    sigaction(SIGXFSZ, &byDefault, nullptr);
    if (options.fileSizeLimit >= 0) {
      const rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit),
                            static_cast<rlim_t>(options.fileSizeLimit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        _exit(kExitNoExec);
      }
    }
    if (options.asNobody && geteuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
        _exit(kExitNoPrivilegeDrop);
      }
      if (!options.mustNotWrite.empty() && access(options.mustNotWrite.c_str(), W_OK) == 0) {
        _exit(kExitStillWritable);
      }
    }
    execv(argv[0], argv.data());
    _exit(kExitNoExec);
  }
  close(outputPipe[1]);
  close(errorsPipe[1]);
  started.outputFd = outputPipe[0];
  started.errorsFd = errorsPipe[0];
  return started;
}

ProgramRun finishProgram(const StartedProgram& program, int timeoutSeconds) {
  ProgramRun run;
  if (program.pid <= 0) {
    return run;
  }
  const auto deadline = program.started + std::chrono::seconds(timeoutSeconds);
  if (program.prefilled > 0) {
    // The full pipe is left full for a while, so that the program meets it full.
    const auto drainAt = program.started + std::chrono::milliseconds(500);
    siginfo_t info;
    do {
      info.si_pid = 0;
      if (waitid(P_PID, static_cast<id_t>(program.pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        break;
      }
      usleep(5000);
    } while (info.si_pid == 0 && std::chrono::steady_clock::now() < drainAt);
  }
  pollfd fds[2] = {{program.outputFd, POLLIN, 0}, {program.errorsFd, POLLIN, 0}};
  std::string* sinks[2] = {&run.output, &run.errors};
  int open = (program.outputFd >= 0 ? 1 : 0) + (program.errorsFd >= 0 ? 1 : 0);
  bool timedOut = false;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    const int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        char chunk[4096];
        const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
        if (got > 0) {
          sinks[i]->append(chunk, static_cast<std::size_t>(got));
        } else {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open;
        }
      }
    }
  }
  if (timedOut) {
    ADD_FAILURE() << "the program did not end within " << timeoutSeconds << " s";
    kill(program.pid, SIGKILL);
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) {
      close(fd.fd);
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(program.pid, &status, 0, &usage) == -1 && errno == EINTR) {
  }
  run.output.erase(0, program.prefilled);
  run.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - program.started).count();
  run.finished = !timedOut;
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.maxResidentKb = usage.ru_maxrss;
  return run;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& dir) {
  return finishProgram(startProgram(program, arguments, dir));
}
