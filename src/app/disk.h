#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/serialize.h"

namespace sc {

// A file operation that failed; the message names the path and the system's
// reason.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// How often a run that waits for another run's directory tries again.
constexpr int kLockRetryMilliseconds = 20;

// The largest input file read: far above any real route, far below what
// would exhaust memory.
constexpr size_t kMaxInputBytes = size_t{64} << 20;

// The file side of a run, behind one small interface. A run stages every file
// it writes and puts them all in place together at its end (commit), so that
// the files a run leaves are either all older ones or all its own.
class Disk {
 public:
  virtual ~Disk() = default;
  // The bytes staged under `path` by this run, or else the file's; nullopt
  // when neither exists. Throws IoError when the file cannot be read, is
  // neither a regular file nor a pipe, or holds more than kMaxInputBytes.
  // The path "-" is standard input.
  virtual std::optional<std::string> read_file(const std::filesystem::path& path) = 0;
  // Stages exactly the bytes `write` hands to its sink under `path`; the file
  // under `path` stays as it is until commit.
  virtual void write_file(const std::filesystem::path& path,
                          const std::function<void(const ByteSink&)>& write) = 0;
  void write_file(const std::filesystem::path& path, std::string_view bytes) {
    write_file(path, [bytes](const ByteSink& sink) { sink(bytes); });
  }
  // Drops what is staged under `path`; the file there is deleted at commit.
  virtual void remove_file(const std::filesystem::path& path) = 0;
  // Puts every staged file in place and deletes the files removed.
  virtual void commit() = 0;
};

// The real file system. Each file is staged as a temporary file in its
// directory; commit exchanges it with the older file where the file system
// can, or renames it onto the free name, with Ctrl-C and the like held back.
// A temporary not committed is deleted with the RealDisk. Each directory
// written into is locked (an advisory lock on the directory itself) from the
// first write until commit, so that a second run into it waits: it tries
// again every kLockRetryMilliseconds, ends its wait at Ctrl-C and the like,
// and says once on `notices`, when given, which directory it waits for.
class RealDisk : public Disk {
 public:
  explicit RealDisk(std::ostream* notices = nullptr) : notices_(notices) {}
  RealDisk(const RealDisk&) = delete;
  RealDisk& operator=(const RealDisk&) = delete;
  ~RealDisk() override;

  std::optional<std::string> read_file(const std::filesystem::path& path) override;
  using Disk::write_file;
  void write_file(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& write) override;
  void remove_file(const std::filesystem::path& path) override;
  void commit() override;

 private:
  struct Staged {
    std::filesystem::path path;
    std::filesystem::path temporary;  // empty: the file is to be deleted
  };
  Staged* staged(const std::filesystem::path& path);
  void lock_directory_of(const std::filesystem::path& path);
  void say_waiting_for(const std::filesystem::path& dir);
  void discard_staged();
  void unlock_directories();

  std::vector<Staged> staged_;
  // Each directory locked, with the descriptor that holds its lock.
  std::vector<std::pair<std::filesystem::path, int>> locks_;
  std::ostream* notices_;
};

}  // namespace sc
