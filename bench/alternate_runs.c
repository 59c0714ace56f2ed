/* Runs two to four programs in turn, round after round, in the current directory,
 * stdin and stdout on /dev/null, and reports the median wall time of each, the peak
 * resident memory of each, and for the last program the median of its per-round ratios
 * to each of the others (last / other).
 * Usage: alternate_runs COUNT FIRST [ARG...] -- SECOND [ARG...] [-- THIRD [ARG...] ...]
 *
 * Peak memory is the child's own high-water mark (VmHWM), read while it is stopped at
 * its exit: the rusage figure would include the parent's pages that the child had
 * before exec. Those runs are traced and therefore kept apart from the timed ones. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ptrace.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static double now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

/* Runs argv once and returns its wall time in seconds. */
static double runOnce(char** argv) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid;
  const double start = now();
  if (posix_spawn(&pid, argv[0], &actions, NULL, argv, environ) != 0) {
    fprintf(stderr, "cannot run %s\n", argv[0]);
    exit(2);
  }
  int status;
  if (waitpid(pid, &status, 0) != pid) {
    perror("waitpid");
    exit(2);
  }
  const double elapsed = now() - start;
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "%s failed\n", argv[0]);
    exit(2);
  }
  return elapsed;
}

static long highWaterKib(pid_t pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* status = fopen(path, "r");
  long kib = -1;
  char line[256];
  while (status != NULL && fgets(line, sizeof line, status) != NULL) {
    if (sscanf(line, "VmHWM: %ld kB", &kib) == 1) {
      break;
    }
  }
  if (status != NULL) {
    fclose(status);
  }
  return kib;
}

/* Runs argv once under ptrace and returns its peak resident memory in KiB. */
static long peakOnce(char** argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open("/dev/null", O_RDONLY);
    const int out = open("/dev/null", O_WRONLY);
    dup2(in, 0);
    dup2(out, 1);
    ptrace(PTRACE_TRACEME, 0, NULL, NULL);
    execv(argv[0], argv);
    _exit(127);
  }
  int status;
  waitpid(pid, &status, 0); /* stopped at exec */
  if (!WIFSTOPPED(status)) {
    fprintf(stderr, "cannot trace %s\n", argv[0]);
    exit(2);
  }
  ptrace(PTRACE_SETOPTIONS, pid, NULL, (void*)(long)PTRACE_O_TRACEEXIT);
  ptrace(PTRACE_CONT, pid, NULL, NULL);
  long kib = -1;
  while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
    if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8))) {
      kib = highWaterKib(pid);
      ptrace(PTRACE_CONT, pid, NULL, NULL);
    } else {
      ptrace(PTRACE_CONT, pid, NULL, (void*)(long)WSTOPSIG(status));
    }
  }
  if (kib < 0) {
    fprintf(stderr, "no memory figure for %s\n", argv[0]);
    exit(2);
  }
  return kib;
}

static int byValue(const void* a, const void* b) {
  const double x = *(const double*)a;
  const double y = *(const double*)b;
  return (x > y) - (x < y);
}

static double median(double* values, int count) {
  qsort(values, (size_t)count, sizeof *values, byValue);
  return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

int main(int argc, char** argv) {
  enum { kMaxPrograms = 4 };
  char** programs[kMaxPrograms];
  int programCount = 0;
  const int count = argc > 1 ? atoi(argv[1]) : 0;
  int usable = count >= 1 && argc > 2 && strcmp(argv[2], "--") != 0;
  if (usable) {
    programs[programCount++] = argv + 2;
  }
  for (int i = 3; usable && i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      argv[i] = NULL;
      if (programCount == kMaxPrograms || i + 1 >= argc || strcmp(argv[i + 1], "--") == 0) {
        usable = 0;
      } else {
        programs[programCount++] = argv + i + 1;
      }
    }
  }
  if (!usable || programCount < 2) {
    fprintf(stderr, "usage: alternate_runs COUNT FIRST [ARG...] -- SECOND [ARG...] [-- ...]\n");
    return 2;
  }
  /* The last program is the one measured against each of the others. */
  const int last = programCount - 1;
  double* wall[kMaxPrograms];
  double* ratio[kMaxPrograms];
  long peak[kMaxPrograms];
  for (int p = 0; p < programCount; ++p) {
    wall[p] = calloc((size_t)count, sizeof *wall[p]);
    ratio[p] = calloc((size_t)count, sizeof *ratio[p]);
    peak[p] = 0;
  }
  for (int i = 0; i < 5; ++i) { /* also warms the page cache for all */
    for (int p = 0; p < programCount; ++p) {
      const long kib = peakOnce(programs[p]);
      peak[p] = kib > peak[p] ? kib : peak[p];
    }
  }
  for (int i = 0; i < count; ++i) {
    for (int p = 0; p < programCount; ++p) {
      wall[p][i] = runOnce(programs[p]);
    }
    for (int p = 0; p < last; ++p) {
      ratio[p][i] = wall[last][i] / wall[p][i];
    }
  }
  for (int p = 0; p < programCount; ++p) {
    printf("wall median: %s %.1f us (%d runs, alternating)\n", programs[p][0],
           median(wall[p], count) * 1e6, count);
  }
  for (int p = 0; p < programCount; ++p) {
    printf("peak memory: %s %ld KiB\n", programs[p][0], peak[p]);
  }
  for (int p = 0; p < last; ++p) {
    printf("median ratio to %s: %.4f\n", programs[p][0], median(ratio[p], count));
  }
  return 0;
}
