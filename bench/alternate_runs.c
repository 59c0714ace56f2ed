/* Runs two programs alternately in the current directory, stdin and stdout on
 * /dev/null, and reports the median wall time of each, the median of the per-pair
 * ratios (second / first) and the peak resident memory of each.
 * Usage: alternate_runs COUNT FIRST [ARG...] -- SECOND [ARG...]
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
  int split = 0;
  for (int i = 2; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      split = i;
    }
  }
  const int count = argc > 1 ? atoi(argv[1]) : 0;
  if (count < 1 || split < 3 || split + 1 >= argc) {
    fprintf(stderr, "usage: alternate_runs COUNT FIRST [ARG...] -- SECOND [ARG...]\n");
    return 2;
  }
  argv[split] = NULL;
  char** first = argv + 2;
  char** second = argv + split + 1;
  double* a = calloc((size_t)count, sizeof *a);
  double* b = calloc((size_t)count, sizeof *b);
  double* ratio = calloc((size_t)count, sizeof *ratio);
  long peakA = 0;
  long peakB = 0;
  for (int i = 0; i < 5; ++i) { /* also warms the page cache for both */
    const long pa = peakOnce(first);
    const long pb = peakOnce(second);
    peakA = pa > peakA ? pa : peakA;
    peakB = pb > peakB ? pb : peakB;
  }
  for (int i = 0; i < count; ++i) {
    a[i] = runOnce(first);
    b[i] = runOnce(second);
    ratio[i] = b[i] / a[i];
  }
  printf("wall median: %s %.1f us, %s %.1f us (%d runs each, alternating)\n", first[0],
         median(a, count) * 1e6, second[0], median(b, count) * 1e6, count);
  printf("peak memory: %s %ld KiB, %s %ld KiB\n", first[0], peakA, second[0], peakB);
  printf("median ratio: %.4f\n", median(ratio, count));
  printf("peak difference: %ld KiB\n", peakB - peakA);
  return 0;
}
