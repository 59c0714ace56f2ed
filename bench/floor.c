/* The floor for the converter's wall time: a static program that only reads
 * ceTrackTail.trb into a 64 KiB buffer and writes those bytes to floor.out. */
#include <fcntl.h>
#include <unistd.h>

static char buffer[65536];

int main(void) {
  int in = open("ceTrackTail.trb", O_RDONLY);
  if (in < 0) {
    return 1;
  }
  ssize_t total = 0;
  for (;;) {
    ssize_t got = read(in, buffer + total, sizeof buffer - (size_t)total);
    if (got <= 0) {
      break;
    }
    total += got;
    if ((size_t)total == sizeof buffer) {
      break;
    }
  }
  close(in);
  int out = open("floor.out", O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (out < 0) {
    return 1;
  }
  ssize_t done = 0;
  while (done < total) {
    ssize_t put = write(out, buffer + done, (size_t)(total - done));
    if (put <= 0) {
      return 1;
    }
    done += put;
  }
  return close(out) == 0 ? 0 : 1;
}
