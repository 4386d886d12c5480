#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/serialize.h"

namespace sc {

// A file operation that failed; the message names the path and the system's
// reason.
class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The file side of a run, behind one small interface.
class Disk {
 public:
  virtual ~Disk() = default;
  // The file's bytes; nullopt when it does not exist. Throws IoError when it
  // exists but cannot be read.
  virtual std::optional<std::string> read_file(const std::filesystem::path& path) = 0;
  // Replaces the file with exactly the bytes `write` hands to its sink. A
  // failure never leaves a partly written file under `path`, and an older
  // file stays as it was.
  virtual void write_file(const std::filesystem::path& path,
                          const std::function<void(const ByteSink&)>& write) = 0;
  void write_file(const std::filesystem::path& path, std::string_view bytes) {
    write_file(path, [bytes](const ByteSink& sink) { sink(bytes); });
  }
  // Deletes the file if it exists.
  virtual void remove_file(const std::filesystem::path& path) = 0;
};

// The real file system. Writes go to a temporary file in the same directory,
// which is then renamed over the final name.
class RealDisk : public Disk {
 public:
  std::optional<std::string> read_file(const std::filesystem::path& path) override;
  using Disk::write_file;
  void write_file(const std::filesystem::path& path,
                  const std::function<void(const ByteSink&)>& write) override;
  void remove_file(const std::filesystem::path& path) override;
};

}  // namespace sc
