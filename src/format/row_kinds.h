#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sc {

// The row kinds of the line and train text files, described once in
// row_kinds.def: the compilers' keyword tests, the warnings, the decompiler
// and the generators all read this description.

enum class RowKind {
#define ROW_KIND(id, ...) id,
#include "format/row_kinds.def"
#undef ROW_KIND
};

enum class TextFile { kLine, kTrain };
// The line file's header comes before its first section line below
// "[generale]"; every other row stands in the rows.
enum class RowPart { kHeader, kRows };
enum class LetterCase { kExact, kAnyCase };
// How the compiler reads a value field.
enum class ValueWidth { kText, kByte, kInteger, kLong };

struct ValueSpec {
  std::string_view name;
  ValueWidth width = ValueWidth::kLong;
  std::string_view unit;  // "metres", "km/h", "‰"; empty for a plain number
};

struct RowKindInfo {
  RowKind kind;
  TextFile file;
  RowPart part;
  std::string_view word;
  std::string_view also;  // empty when one word names the kind
  LetterCase letter_case;
  std::string_view keyword;  // the spelling writers use
  std::string_view what;     // "gradient", for messages
  std::string_view doc;      // "line-file.md#gradient-pendenza"
  std::span<const ValueSpec> values;
};

// How many row kinds the table holds.
constexpr size_t kRowKindCount = 0
#define ROW_KIND(...) +1
#include "format/row_kinds.def"
#undef ROW_KIND
    ;

// How a width is named in the docs' tables, "Integer", and in words,
// "a 16-bit whole number (Integer)".
std::string_view width_name(ValueWidth width);
std::string_view width_words(ValueWidth width);

// The most values a row kind has.
constexpr size_t kMostRowValues = 17;

// Each kind's position among the kinds of its file, in the table's order.
inline constexpr auto kIndexesInFile = [] {
  constexpr TextFile kFiles[] = {
#define ROW_KIND(id, file, ...) TextFile::file,
#include "format/row_kinds.def"
#undef ROW_KIND
  };
  std::array<size_t, kRowKindCount> indexes{};
  size_t line_kinds = 0;
  size_t train_kinds = 0;
  for (size_t i = 0; i < kRowKindCount; ++i) {
    indexes[i] = kFiles[i] == TextFile::kLine ? line_kinds++ : train_kinds++;
  }
  return indexes;
}();

// The position of `kind` among the kinds of its file: the index of its
// handler in a table built with row_kinds_of_file.def.
constexpr size_t index_in_file(RowKind kind) {
  return kIndexesInFile[static_cast<size_t>(kind)];
}

// The first section line of both files.
constexpr std::string_view kGeneralSection = "[generale]";

// The sections writers use. Past the general section a section line only
// marks a place for the reader (see ends_header): any field in brackets is one.
enum class Section {
  kGeneral,
  kGradients,
  kCurves,
  kTunnels,
  kSpeedBoards,
  kTextBoards,
  kAdhesions,
  kSpeedLimits,
  kStations,
  kSlowdowns,
  kSignals,
  kCodes,
  kEnd,
};
std::string_view section_name(Section section);
// The section writers put rows of `kind` under.
Section section_of(RowKind kind);
// The sections of a file, in the order they are written.
std::span<const Section> sections_of(TextFile file);

// Every row kind, in the order of row_kinds.def.
std::span<const RowKindInfo> row_kinds();
const RowKindInfo& row_kind(RowKind kind);
// The kinds of one part of one file, in the order the compiler tests them.
std::span<const RowKindInfo> row_kinds(TextFile file, RowPart part);

// Whether a keyword field names `kind`: the kind's words anywhere in the whole
// field, as written or in either case as the kind says.
bool names_kind(const RowKindInfo& kind, std::string_view field);
inline bool names_kind(RowKind kind, std::string_view field) {
  return names_kind(row_kind(kind), field);
}

// Which kinds of a part a keyword field names, as bits: bit i stands for
// row_kinds(file, part)[i]. The answer for the last field asked about is kept,
// since a file repeats a keyword row after row.
class KeywordMatcher {
 public:
  explicit KeywordMatcher(TextFile file) : file_(file) {}
  uint32_t kinds_named(RowPart part, std::string_view field);

 private:
  TextFile file_;
  bool asked_ = false;
  RowPart part_ = RowPart::kHeader;
  std::string field_;
  uint32_t named_ = 0;
};

// The spelling of `kind` that writers use.
inline std::string keyword_of(RowKind kind) {
  return std::string(row_kind(kind).keyword);
}

// What a curve keyword names: its class, the lowest of the digits 1 to 6 it
// holds, and its side; nullopt when it holds no such digit.
struct CurveKeyword {
  char class_digit = '1';
  bool left = false;  // an "s" anywhere, in either case
};
std::optional<CurveKeyword> curve_keyword(std::string_view keyword);
// How far a curve of a class turns per metre of track, in radians; the
// reciprocal is the curve's radius in metres.
double class_curvature(char class_digit);
// The lowest and highest class digits.
constexpr char kFirstCurveClass = '1';
constexpr char kLastCurveClass = '6';
// The keyword writers use for a curve of that class and side.
std::string curve_keyword(CurveKeyword curve);

// The repetition code a signal-repetition keyword names: 4 when it holds a
// "4", else 9 when it holds a "9"; nothing when it holds neither.
std::optional<int32_t> repetition_code(std::string_view keyword);
// The keyword writers use for repetition code 4 or 9.
std::string repetition_keyword(int32_t code);

}  // namespace sc
