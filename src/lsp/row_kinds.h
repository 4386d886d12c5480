#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sc::lsp {

// What the editor features need to know of each row kind: its keyword, where
// it may stand, its values in order and what the compile makes of each. The
// compilers' own reading of the rows stays theirs; this table only describes.

enum class FileKind { kLine, kTrain };
// Where in its file a row kind counts: the line file's header, or the rows
// (after the header in the line file, after "[generale]" in the train file).
enum class Part { kHeader, kRows };
enum class Width { kLong, kInteger, kByte, kText };
// How a position value turns into a cell: not at all, position / 50 rounded,
// or (position / 50) + 1 rounded.
enum class Grid { kNone, kCell, kCellPlusOne };

struct ValueHelp {
  std::string_view name;
  std::string_view unit;  // "metres", "km/h", "" for a plain number
  Width width = Width::kLong;
  Grid grid = Grid::kNone;
  std::string_view stores;  // what the compile does with it
};

struct RowKind {
  FileKind file = FileKind::kLine;
  Part part = Part::kRows;
  std::string_view what;     // "gradient"
  std::string_view keyword;  // the keyword to write: "pendenza"
  bool (*matches)(std::string_view field) = nullptr;
  std::string_view docs;  // page and anchor under docs/
  std::span<const ValueHelp> values;
};

std::span<const RowKind> row_kinds();

// The kinds whose keyword test `field` passes, in the order the compile runs
// them, among those that count in `part` of `file`.
template <typename Visit>
void for_each_matching_kind(FileKind file, Part part, std::string_view field, Visit visit) {
  for (const RowKind& kind : row_kinds()) {
    if (kind.file == file && kind.part == part && kind.matches(field)) visit(kind);
  }
}

// The section lines the built-in files use, for completion.
std::span<const std::string_view> section_names(FileKind file);

// The lowest and highest values a width accepts.
std::pair<int64_t, int64_t> accepted_range(Width width);
std::string_view width_name(Width width);

}  // namespace sc::lsp
