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

// The table keeps each part of each file together.
constexpr std::span<const RowKindInfo> part_of(TextFile file, RowPart part) {
  const auto in_part = [&](const RowKindInfo& k) { return k.file == file && k.part == part; };
  const auto* first = std::find_if(std::begin(kKinds), std::end(kKinds), in_part);
  const auto* last = std::find_if_not(first, std::end(kKinds), in_part);
  return {first, last};
}

constexpr std::span<const RowKindInfo> kLineHeader = part_of(kLine, kHeader);
constexpr std::span<const RowKindInfo> kLineRows = part_of(kLine, kRows);
constexpr std::span<const RowKindInfo> kTrainHeader = part_of(kTrain, kHeader);
constexpr std::span<const RowKindInfo> kTrainRows = part_of(kTrain, kRows);
static_assert(kLineHeader.size() <= 32 && kLineRows.size() <= 32 && kTrainRows.size() <= 32,
              "KeywordMatcher keeps the kinds of a part in 32 bits");

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

std::span<const RowKindInfo> row_kinds(TextFile file, RowPart part) {
  if (file == TextFile::kLine) return part == RowPart::kHeader ? kLineHeader : kLineRows;
  return part == RowPart::kHeader ? kTrainHeader : kTrainRows;
}

bool names_kind(const RowKindInfo& kind, std::string_view field) {
  return holds(field, kind.word, kind.letter_case) && holds(field, kind.also, kind.letter_case);
}

uint32_t KeywordMatcher::kinds_named(RowPart part, std::string_view field) {
  if (asked_ && part == part_ && field == field_) return named_;
  const std::span<const RowKindInfo> kinds = row_kinds(file_, part);
  named_ = 0;
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (names_kind(kinds[i], field)) named_ |= uint32_t{1} << i;
  }
  asked_ = true;
  part_ = part;
  field_.assign(field);
  return named_;
}

}  // namespace sc
