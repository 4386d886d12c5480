// write_editor_files OUT_DIR [--extra-kind FILE,PART,WORD,ALSO,CASE,WHAT]...
//
// Writes the editors' grammars and language files below OUT_DIR from the
// row-kind table. --extra-kind adds a row kind to the table first (FILE: line
// or train; PART: header or rows; ALSO may be empty; CASE: exact or any), so
// that a test can see a new kind reach every editor.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "grammars/editor_files.h"

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t comma = text.find(separator); comma != std::string_view::npos;
       comma = text.find(separator, start)) {
    parts.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::optional<sc::RowKindInfo> extra_kind(std::string_view spec) {
  const std::vector<std::string_view> parts = split(spec, ',');
  if (parts.size() != 6) return std::nullopt;
  sc::RowKindInfo kind = sc::row_kinds().front();
  kind.file = parts[0] == "train" ? sc::TextFile::kTrain : sc::TextFile::kLine;
  kind.part = parts[1] == "header" ? sc::RowPart::kHeader : sc::RowPart::kRows;
  kind.word = parts[2];
  kind.also = parts[3];
  kind.letter_case = parts[4] == "exact" ? sc::LetterCase::kExact : sc::LetterCase::kAnyCase;
  kind.keyword = parts[2];
  kind.what = parts[5];
  kind.values = {};
  return kind;
}

bool write_file(const std::filesystem::path& path, const std::string& text) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  std::ofstream out(path, std::ios::binary);
  out << text;
  out.close();
  if (!out) std::fprintf(stderr, "write_editor_files: cannot write %s\n", path.string().c_str());
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: write_editor_files OUT_DIR [--extra-kind SPEC]...\n");
    return 2;
  }
  const std::filesystem::path out_dir = argv[1];
  std::vector<sc::RowKindInfo> kinds(sc::row_kinds().begin(), sc::row_kinds().end());
  for (int i = 2; i < argc; i += 2) {
    const std::optional<sc::RowKindInfo> kind = extra_kind(argv[i + 1]);
    if (std::string_view(argv[i]) != "--extra-kind" || !kind) {
      std::fprintf(stderr,
                   "write_editor_files: expected --extra-kind FILE,PART,WORD,ALSO,CASE,WHAT\n");
      return 2;
    }
    kinds.push_back(*kind);
  }
  for (const sc::EditorFile& file : sc::editor_files(kinds)) {
    if (!write_file(out_dir / file.path, file.text)) return 1;
  }
  return 0;
}
