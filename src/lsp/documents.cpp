#include "lsp/documents.h"

#include <algorithm>

#include "textio/utf8_path.h"

namespace sc::lsp {
namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kTrainSuffix = "-.txt";

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

std::optional<std::filesystem::path> train_partner(const std::filesystem::path& line_file,
                                                   std::span<const std::filesystem::path> known) {
  const std::string name = utf8_of(line_file.filename());
  const std::string prefix = name.substr(0, name.size() - kLineSuffix.size()) + "_";
  std::optional<std::filesystem::path> found;
  for (const std::filesystem::path& candidate : known) {
    const std::string other = utf8_of(candidate.filename());
    if (candidate.parent_path() != line_file.parent_path() || !other.starts_with(prefix) ||
        !other.ends_with(kTrainSuffix)) {
      continue;
    }
    if (!found || candidate < *found) found = candidate;
  }
  return found;
}

// The longest line name L for which "L_linea.txt" is at hand.
std::optional<std::filesystem::path> line_partner(const std::filesystem::path& train_file,
                                                  std::span<const std::filesystem::path> known) {
  const std::string name = utf8_of(train_file.filename());
  for (size_t cut = name.rfind('_'); cut != std::string::npos && cut > 0;
       cut = name.rfind('_', cut - 1)) {
    const std::filesystem::path line_file =
        train_file.parent_path() / path_from_utf8(name.substr(0, cut) + std::string(kLineSuffix));
    if (std::find(known.begin(), known.end(), line_file) != known.end()) return line_file;
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
  const std::string name = utf8_of(file.filename());
  if (name.size() > kLineSuffix.size() && name.ends_with(kLineSuffix)) {
    return PairOf{TextFile::kLine, {file, train_partner(file, known_files).value_or("")}};
  }
  if (name.ends_with(kTrainSuffix)) {
    return PairOf{TextFile::kTrain, {line_partner(file, known_files).value_or(""), file}};
  }
  return std::nullopt;
}

}  // namespace sc::lsp
