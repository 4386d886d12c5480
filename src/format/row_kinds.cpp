#include "format/row_kinds.h"

#include <algorithm>

#include "textio/keywords.h"

namespace sc {
namespace {

constexpr TextFile kLine = TextFile::kLine;
constexpr TextFile kTrain = TextFile::kTrain;
constexpr RowPart kHeader = RowPart::kHeader;
constexpr RowPart kRows = RowPart::kRows;
constexpr LetterCase kExact = LetterCase::kExact;
constexpr LetterCase kAnyCase = LetterCase::kAnyCase;
constexpr ValueWidth kText = ValueWidth::kText;
constexpr ValueWidth kByte = ValueWidth::kByte;
constexpr ValueWidth kInteger = ValueWidth::kInteger;
constexpr ValueWidth kLong = ValueWidth::kLong;

#define ROW_KIND(id, file, part, word, also, letter_case, keyword, what, doc, ...) \
  constexpr ValueSpec id##Values[] = {__VA_ARGS__};
#include "format/row_kinds.def"
#undef ROW_KIND

constexpr RowKindInfo kKinds[] = {
#define ROW_KIND(id, file, part, word, also, letter_case, keyword, what, doc, ...) \
  {RowKind::id, file, part, word, also, letter_case, keyword, what, doc, id##Values},
#include "format/row_kinds.def"
#undef ROW_KIND
};

bool holds(std::string_view field, std::string_view word, LetterCase letter_case) {
  if (word.empty()) return true;
  return letter_case == LetterCase::kExact ? contains(field, word) : contains_any_case(field, word);
}

}  // namespace

std::span<const RowKindInfo> row_kinds() {
  return kKinds;
}

const RowKindInfo& row_kind(RowKind kind) {
  return kKinds[static_cast<size_t>(kind)];
}

// The table keeps each part of each file together.
std::span<const RowKindInfo> row_kinds(TextFile file, RowPart part) {
  const auto in_part = [&](const RowKindInfo& k) { return k.file == file && k.part == part; };
  const auto* first = std::find_if(std::begin(kKinds), std::end(kKinds), in_part);
  const auto* last = std::find_if_not(first, std::end(kKinds), in_part);
  return {first, last};
}

bool names_kind(const RowKindInfo& kind, std::string_view field) {
  return holds(field, kind.word, kind.letter_case) && holds(field, kind.also, kind.letter_case);
}

}  // namespace sc
