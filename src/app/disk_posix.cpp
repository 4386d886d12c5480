#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/disk.h"
#include "app/disk_platform.h"
#include "app/interrupt.h"

namespace sc {
namespace {

IoError io_error(const std::string& action, const std::filesystem::path& path, int error) {
  return IoError("cannot " + action + " " + path.string() + ": " + std::strerror(error));
}

IoError unreadable_input(const std::filesystem::path& path, const std::string& reason) {
  return IoError("cannot read " + path.string() + ": " + reason);
}

IoError too_large(const std::filesystem::path& path) {
  return unreadable_input(path, "it holds more than " + std::to_string(kMaxInputBytes >> 20) +
                                    " MiB, the limit for an input file");
}

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, so that a failure of the close itself can be reported.
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::filesystem::path temporary_name(const std::filesystem::path& path) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path tmp = path;
  tmp.replace_filename("." + path.filename().string() + ".tmp" + std::to_string(::getpid()) + "-" +
                       std::to_string(counter++));
  return tmp;
}

void write_all(int fd, std::string_view bytes, const std::filesystem::path& path) {
  stop_if_interrupted();
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        stop_if_interrupted();
        continue;
      }
      throw io_error("write", path, errno);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

// Everything `fd` still holds, up to kMaxInputBytes; `expected` is the size
// announced, if any.
std::string read_all(int fd, const std::filesystem::path& path, size_t expected) {
  std::string bytes;
  bytes.reserve(std::min(expected, kMaxInputBytes));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno != EINTR) throw io_error("read", path, errno);
      stop_if_interrupted();
      continue;
    }
    if (got == 0) return bytes;
    if (bytes.size() + static_cast<size_t>(got) > kMaxInputBytes) throw too_large(path);
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

// Reads an input file: a regular file or a pipe, or anything at all when it is
// standard input, which the user chose to hand over.
std::string read_input(int fd, const std::filesystem::path& path, bool any_kind) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) throw io_error("read", path, errno);
  if (S_ISREG(status.st_mode)) {
    if (static_cast<uint64_t>(status.st_size) > kMaxInputBytes) throw too_large(path);
    return read_all(fd, path, static_cast<size_t>(status.st_size));
  }
  if (S_ISFIFO(status.st_mode) || any_kind) return read_all(fd, path, 0);
  throw unreadable_input(path, "it is neither a regular file nor a pipe");
}

// Opens `path`, waiting for a writer when it is a named pipe; -1 when it does
// not exist.
int open_input(const std::filesystem::path& path) {
  for (;;) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) return fd;
    if (errno == ENOENT) return -1;
    if (errno != EINTR) throw io_error("open", path, errno);
    stop_if_interrupted();
  }
}

}  // namespace

namespace disk_platform {

bool names_a_directory(const std::filesystem::path& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Puts the staged file `temporary` in place of `path`: an exchange with the
// older file, which is then deleted, or a rename where there is no older file
// or the file system cannot exchange. Unlike a rename over an existing file,
// neither makes the file system flush the new file's data at once.
void put_in_place(const std::filesystem::path& temporary, const std::filesystem::path& path) {
  if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, path.c_str(), RENAME_EXCHANGE) == 0) {
    if (::unlink(temporary.c_str()) != 0) throw io_error("delete the older", path, errno);
    return;
  }
  if (errno != ENOENT && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
    throw io_error("replace", path, errno);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) throw io_error("replace", path, errno);
}

void delete_file(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw io_error("delete", path, errno);
}

void discard_file(const std::filesystem::path& path) {
  ::unlink(path.c_str());
}

void close_lock(int fd) {
  ::close(fd);
}

}  // namespace disk_platform

std::optional<std::string> RealDisk::read_file(const std::filesystem::path& path) {
  if (path == "-") return read_input(STDIN_FILENO, "standard input", true);
  std::filesystem::path source = path;
  if (const Staged* s = staged(path)) {
    if (s->temporary.empty()) return std::nullopt;
    source = s->temporary;
  }
  const int opened = open_input(source);
  if (opened < 0) return std::nullopt;
  const FileDescriptor fd(opened);
  return read_input(fd.get(), path, false);
}

void RealDisk::write_file(const std::filesystem::path& path,
                          const std::function<void(const ByteSink&)>& write) {
  lock_directory_of(path);
  stop_if_interrupted();
  const std::filesystem::path tmp = temporary_name(path);
  FileDescriptor fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw io_error("create", path, errno);
  // Staged at once, so that the temporary goes whatever happens next.
  if (Staged* s = staged(path)) {
    if (!s->temporary.empty()) disk_platform::discard_file(s->temporary);
    s->temporary = tmp;
  } else {
    staged_.push_back({path, tmp});
  }
  write([&](std::string_view piece) { write_all(fd.get(), piece, path); });
  if (fd.close() != 0) throw io_error("write", path, errno);
}

void RealDisk::lock_directory_of(const std::filesystem::path& path) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  for (const auto& [locked, fd] : locks_) {
    if (locked == dir) return;
  }
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw io_error("create", path, errno);
  locks_.emplace_back(dir, fd);
  // Never a blocking wait: a signal that came just before it would not end it.
  for (bool told = false;;) {
    stop_if_interrupted();
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return;
    if (errno == EINTR) continue;
    // The lock is advisory: where the file system cannot lock, the run goes
    // on without it.
    if (errno != EWOULDBLOCK) return;
    if (!told) say_waiting_for(dir);
    told = true;
    // A signal cuts the pause short.
    const timespec pause{0, kLockRetryMilliseconds * 1000000L};
    ::nanosleep(&pause, nullptr);
  }
}

}  // namespace sc
