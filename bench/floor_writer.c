/* The floor of the whole-process benchmarks: a process that does nothing but
   write fixed bytes to fixed file names in its current directory. run_bench.py
   links the bytes of a finished run into it (floor_data.S, made with .incbin),
   so the floor reads no input: it pays for its exec, the page faults on its
   data and the writes, and for nothing else.

   floor --exchange   each file is written under a temporary name, exchanged
                      with the old file (renameat2 RENAME_EXCHANGE) and the old
                      file unlinked; a plain rename when the name is free. This
                      is the cheapest way to replace a file atomically, and the
                      floor the program is measured against.
   floor --replace    the same, but renamed over the old file; on ext4 with
                      auto_da_alloc the kernel then forces the new data out.
   floor              the old file truncated and rewritten in place: not
                      atomic, shown for comparison. */
#define _GNU_SOURCE
#include <errno.h>
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

enum mode { IN_PLACE, RENAME_OVER, EXCHANGE };

static int write_all(int fd, const char* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0) return -1;
    bytes += written;
    size -= (size_t)written;
  }
  return 0;
}

/* Puts `temporary` under `name`: exchanges the two and unlinks the old file,
   or renames when there is no old file or the file system cannot exchange. */
static int exchange_into_place(const char* temporary, const char* name) {
  if (renameat2(AT_FDCWD, temporary, AT_FDCWD, name, RENAME_EXCHANGE) == 0)
    return unlink(temporary);
  if (errno != ENOENT && errno != EINVAL) return -1;
  return rename(temporary, name);
}

static int write_file(const struct floor_file* file, enum mode mode) {
  char temporary[4096];
  const char* name = file->name;
  if (mode != IN_PLACE) {
    if (snprintf(temporary, sizeof temporary, ".%s.tmp", file->name) >= (int)sizeof temporary)
      return -1;
    name = temporary;
  }
  const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return -1;
  if (write_all(fd, file->bytes, file->size) != 0) return -1;
  if (close(fd) != 0) return -1;
  switch (mode) {
    case RENAME_OVER:
      return rename(name, file->name);
    case EXCHANGE:
      return exchange_into_place(name, file->name);
    default:
      return 0;
  }
}

int main(int argc, char** argv) {
  enum mode mode = IN_PLACE;
  if (argc > 1 && strcmp(argv[1], "--replace") == 0) mode = RENAME_OVER;
  if (argc > 1 && strcmp(argv[1], "--exchange") == 0) mode = EXCHANGE;
  for (size_t i = 0; i < floor_file_count; ++i) {
    if (write_file(&floor_files[i], mode) != 0) return 1;
  }
  return 0;
}
