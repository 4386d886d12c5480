#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "format/row_kinds.h"
#include "lsp/text_positions.h"

namespace sc::lsp {

// The path a file: URI names; nullopt for any other scheme.
std::optional<std::filesystem::path> path_of_uri(std::string_view uri);
std::string uri_of_path(const std::filesystem::path& path);

// One edit of a document: the whole text, or a range replaced.
struct TextChange {
  std::optional<Range> range;
  std::string text;
};

// The documents the editor has open, in UTF-8 as it sends them.
class DocumentStore {
 public:
  void open(const std::string& uri, std::string text);
  void close(const std::string& uri);
  // False when the document is not open.
  bool change(const std::string& uri, std::span<const TextChange> changes);
  const std::string* text(const std::string& uri) const;
  std::vector<std::string> uris() const;

 private:
  std::map<std::string, std::string> texts_;
};

// The line file and the train file that are compiled together.
struct FilePair {
  std::filesystem::path line_file;
  std::filesystem::path train_file;
  bool operator==(const FilePair&) const = default;
  // Spelled out: not every standard library gives std::filesystem::path a <=>.
  bool operator<(const FilePair& other) const {
    return std::tie(line_file, train_file) < std::tie(other.line_file, other.train_file);
  }
};

// Which file of a pair `file` is, and its partner: a pair named in the
// settings first; else by name, as `compile` names them: "L_linea.txt" is the
// line file of the train files "L_T-.txt" in the same directory. The partner
// is looked for among `known_files` (the open documents and the files of the
// directory); a path left empty when none is found. Nothing for a file of
// neither name.
struct PairOf {
  TextFile kind = TextFile::kLine;
  FilePair pair;
};
std::optional<PairOf> pair_of(const std::filesystem::path& file, std::span<const FilePair> settings,
                              std::span<const std::filesystem::path> known_files);

}  // namespace sc::lsp
