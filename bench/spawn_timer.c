/* spawn_timer STDERR_FILE PROGRAM [ARG...]
   Runs PROGRAM with stdin and stdout on /dev/null and stderr appended to
   STDERR_FILE, and prints "WALL_NS CPU_NS MAXRSS_KIB EXIT_STATUS". The timer is
   a small process of its own because a child's peak resident memory, as wait4
   reports it, includes the memory of the process that spawned it (a Python
   interpreter would add tens of MiB); this one adds about 1 MiB. */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static long long nanoseconds(struct timespec t) {
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

static long long cpu_nanoseconds(const struct rusage* usage) {
  return (usage->ru_utime.tv_sec + usage->ru_stime.tv_sec) * 1000000000LL +
         (usage->ru_utime.tv_usec + usage->ru_stime.tv_usec) * 1000LL;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: spawn_timer STDERR_FILE PROGRAM [ARG...]\n");
    return 2;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, argv[1], O_WRONLY | O_CREAT | O_APPEND, 0644);

  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid;
  if (posix_spawn(&pid, argv[2], &actions, NULL, argv + 2, environ) != 0) {
    perror("spawn_timer: posix_spawn");
    return 2;
  }
  int status;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) < 0) {
    perror("spawn_timer: wait4");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  const int exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  printf("%lld %lld %ld %d\n", nanoseconds(end) - nanoseconds(start), cpu_nanoseconds(&usage),
         usage.ru_maxrss, exit_status);
  return 0;
}
