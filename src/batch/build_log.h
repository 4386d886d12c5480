#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// What one set of outputs was built from, as build tools keep it: a digest
// of every input (the texts' bytes, the options that change the outputs, the
// program's version), and a stamp of each output as it was left (its size
// and time of change), so that an output changed or deleted since is built
// again.
struct BuildRecord {
  std::string inputs;
  std::vector<std::string> outputs;
  bool operator==(const BuildRecord&) const = default;
};

// An input file's stamp (its size and time of change) and the digest of the
// bytes it held then: while the stamp stays, the file is not read again.
struct FileRecord {
  std::string stamp;
  std::string digest;
  bool operator==(const FileRecord&) const = default;
};

// The records of one output folder: each set's by its name, and each input
// file's by its path (one text line each). A line that cannot be read is
// dropped: its set is built again, its file read again.
class BuildLog {
 public:
  static BuildLog parse(std::string_view text);
  const BuildRecord* find(const std::string& set) const;
  // A set whose name holds a tab or a line end is not kept.
  void set(const std::string& set, BuildRecord record);
  void drop(const std::string& set);
  const FileRecord* find_file(const std::string& path) const;
  // The files' records, all at once: those of the files a build looked at.
  // A path that holds a tab or a line end is not kept.
  void set_files(std::map<std::string, FileRecord> files);
  const std::map<std::string, FileRecord>& files() const { return files_; }
  std::string text() const;

 private:
  std::map<std::string, BuildRecord> records_;
  std::map<std::string, FileRecord> files_;
};

// A digest of the parts, each taken whole (no two lists of parts give the
// same run of bytes), as 16 hexadecimal digits.
std::string digest_of(std::initializer_list<std::string_view> parts);

}  // namespace sc
