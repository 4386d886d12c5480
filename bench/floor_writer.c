/* The floor of the whole-process benchmarks: a process that does nothing but
   write fixed bytes to fixed file names in its current directory. run_bench.py
   links the bytes of a finished run into it (floor_data.S, made with .incbin),
   so the floor reads no input: it pays for its exec, the page faults on its
   data and the writes, and for nothing else. */
#include <fcntl.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

struct floor_file {
  const char* name;
  const char* bytes;
  size_t size;
};

extern const struct floor_file floor_files[];
extern const size_t floor_file_count;

static int write_all(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0) return -1;
    bytes += written;
    size -= (size_t)written;
  }
  return 0;
}

/* With --replace, each file is written under a temporary name and renamed
   over the old one, as scenario-compiler must do; without it, the old file is
   truncated and rewritten in place, the cheapest way there is. */
static int write_file(const struct floor_file* file, int replace) {
  char temporary[4096];
  const char* name = file->name;
  if (replace) {
    if (snprintf(temporary, sizeof temporary, ".%s.tmp", file->name) >= (int)sizeof temporary)
      return -1;
    name = temporary;
  }
  const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (write_all(fd, file->bytes, file->size) != 0) return -1;
  if (close(fd) != 0) return -1;
  return replace ? rename(name, file->name) : 0;
}

int main(int argc, char** argv) {
  const int replace = argc > 1 && strcmp(argv[1], "--replace") == 0;
  for (size_t i = 0; i < floor_file_count; ++i) {
    if (write_file(&floor_files[i], replace) != 0) return 1;
  }
  return 0;
}
