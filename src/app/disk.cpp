#include "app/disk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace sc {
namespace {

IoError io_error(const std::string& action, const std::filesystem::path& path, int error) {
  return IoError("cannot " + action + " " + path.string() + ": " + std::strerror(error));
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
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      throw io_error("write", path, errno);
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
}

}  // namespace

std::optional<std::string> RealDisk::read_file(const std::filesystem::path& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw io_error("open", path, errno);
  }
  std::string bytes;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw io_error("read", path, errno);
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return bytes;
}

void RealDisk::write_file(const std::filesystem::path& path,
                          const std::function<void(const ByteSink&)>& write) {
  const std::filesystem::path tmp = temporary_name(path);
  FileDescriptor fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) throw io_error("create", path, errno);
  try {
    write([&](std::string_view piece) { write_all(fd.get(), piece, path); });
    if (fd.close() != 0) throw io_error("write", path, errno);
    if (::rename(tmp.c_str(), path.c_str()) != 0) throw io_error("replace", path, errno);
  } catch (const IoError&) {
    ::unlink(tmp.c_str());
    throw;
  }
}

void RealDisk::remove_file(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw io_error("delete", path, errno);
}

}  // namespace sc
