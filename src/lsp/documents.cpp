#include "lsp/documents.h"

#include <algorithm>

#include "textio/file_names.h"
#include "textio/utf8_path.h"

namespace sc::lsp {
namespace {

constexpr std::string_view kFileScheme = "file://";

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.' || c == '~' || c == '/';
}

// The first train file, in name order, whose line file is `line_file`.
std::optional<std::filesystem::path> train_partner(const std::filesystem::path& line_file,
                                                   std::span<const std::filesystem::path> known) {
  std::vector<std::filesystem::path> files(known.begin(), known.end());
  files.push_back(line_file);
  for (const LineAndTrains& line : pair_by_name(files).lines) {
    if (line.line_file == line_file && !line.train_files.empty()) return line.train_files.front();
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::filesystem::path> path_of_uri(std::string_view uri) {
  if (!uri.starts_with(kFileScheme)) return std::nullopt;
  uri.remove_prefix(kFileScheme.size());
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() && hex_digit(uri[i + 1]) >= 0 &&
        hex_digit(uri[i + 2]) >= 0) {
      path += static_cast<char>(hex_digit(uri[i + 1]) * 16 + hex_digit(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  // "file:///C:/dir" names the path "C:/dir".
  const bool drive = path.size() >= 3 && path[0] == '/' && path[2] == ':';
  return path_from_utf8(drive ? path.substr(1) : path).lexically_normal();
}

std::string uri_of_path(const std::filesystem::path& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri(kFileScheme);
  std::string name = utf8_of(path);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (!name.starts_with('/')) uri += '/';  // a drive letter: "file:///C:/dir"
  for (const char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (is_unreserved(u) || c == ':') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[u >> 4];
      uri += kHex[u & 15];
    }
  }
  return uri;
}

void DocumentStore::open(const std::string& uri, std::string text) {
  texts_[uri] = std::move(text);
}

void DocumentStore::close(const std::string& uri) {
  texts_.erase(uri);
}

bool DocumentStore::change(const std::string& uri, std::span<const TextChange> changes) {
  const auto found = texts_.find(uri);
  if (found == texts_.end()) return false;
  std::string& text = found->second;
  for (const TextChange& change : changes) {
    if (!change.range) {
      text = change.text;
      continue;
    }
    const LineIndex lines(text);
    const size_t begin = lines.offset(change.range->start);
    const size_t end = std::max(begin, lines.offset(change.range->end));
    text.replace(begin, end - begin, change.text);
  }
  return true;
}

const std::string* DocumentStore::text(const std::string& uri) const {
  const auto found = texts_.find(uri);
  return found == texts_.end() ? nullptr : &found->second;
}

std::vector<std::string> DocumentStore::uris() const {
  std::vector<std::string> uris;
  for (const auto& [uri, text] : texts_) uris.push_back(uri);
  return uris;
}

std::optional<PairOf> pair_of(const std::filesystem::path& file, std::span<const FilePair> settings,
                              std::span<const std::filesystem::path> known_files) {
  for (const FilePair& pair : settings) {
    if (pair.line_file == file) return PairOf{TextFile::kLine, pair};
    if (pair.train_file == file) return PairOf{TextFile::kTrain, pair};
  }
  if (named_as_line_file(file)) {
    return PairOf{TextFile::kLine, {file, train_partner(file, known_files).value_or("")}};
  }
  if (named_as_train_file(file)) {
    return PairOf{TextFile::kTrain, {line_file_of(file, known_files).value_or(""), file}};
  }
  return std::nullopt;
}

}  // namespace sc::lsp
