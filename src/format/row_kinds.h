#pragma once

#include <cstdint>
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

// The first section line of both files.
constexpr std::string_view kGeneralSection = "[generale]";

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

}  // namespace sc
