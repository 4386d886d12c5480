#include "format/row_kinds.h"

#include <algorithm>
#include <array>
#include <bit>

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
constexpr std::string_view kNoUnit;
constexpr std::string_view kMetres = "metres";
constexpr std::string_view kKmh = "km/h";
constexpr std::string_view kPerMille = "‰ (per mille)";
constexpr std::string_view kPercent = "%";
constexpr std::string_view kStripes = "stripes";
constexpr std::string_view kHours = "hours";
constexpr std::string_view kMinutes = "minutes";
constexpr std::string_view kSeconds = "seconds";

#define ROW_KIND(id, file, part, word, also, letter_case, keyword, what, doc, ...) \
  constexpr ValueSpec id##Values[] = {__VA_ARGS__};                                \
  static_assert(std::size(id##Values) <= kMostRowValues);
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

// The letters a curve keyword is written with for each side; only the left
// one is looked for.
constexpr char kLeftCurve = 's';
constexpr char kRightCurve = 'd';

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

std::string_view width_name(ValueWidth width) {
  switch (width) {
    case ValueWidth::kByte:
      return "Byte";
    case ValueWidth::kInteger:
      return "Integer";
    case ValueWidth::kLong:
      return "Long";
    case ValueWidth::kText:
      break;
  }
  return "text";
}

std::string_view width_words(ValueWidth width) {
  static constexpr std::string_view kWords[] = {"a text", "an 8-bit whole number (Byte)",
                                                "a 16-bit whole number (Integer)",
                                                "a 32-bit whole number (Long)"};
  return kWords[static_cast<size_t>(width)];
}

std::string_view section_name(Section section) {
  switch (section) {
    case Section::kGeneral:
      return kGeneralSection;
    case Section::kGradients:
      return "[pendenze]";
    case Section::kCurves:
      return "[curve]";
    case Section::kTunnels:
      return "[montagne]";
    case Section::kSpeedBoards:
      return "[cartelli]";
    case Section::kTextBoards:
      return "[indicazioni]";
    case Section::kAdhesions:
      return "[aderenze]";
    case Section::kSpeedLimits:
      return "[vel_limite]";
    case Section::kStations:
      return "[stazioni]";
    case Section::kSlowdowns:
      return "[rallentamenti]";
    case Section::kSignals:
      return "[segnali]";
    case Section::kCodes:
      return "[codici]";
    case Section::kEnd:
      return "[fine]";
  }
  return {};
}

Section section_of(RowKind kind) {
  switch (kind) {
    case RowKind::kGradient:
      return Section::kGradients;
    case RowKind::kCurve:
      return Section::kCurves;
    case RowKind::kTunnel:
      return Section::kTunnels;
    case RowKind::kSpeedBoard:
      return Section::kSpeedBoards;
    case RowKind::kTextBoard:
      return Section::kTextBoards;
    case RowKind::kAdhesion:
      return Section::kAdhesions;
    case RowKind::kSpeedLimit:
      return Section::kSpeedLimits;
    case RowKind::kStation:
      return Section::kStations;
    case RowKind::kSlowdown:
      return Section::kSlowdowns;
    case RowKind::kSignal:
      return Section::kSignals;
    case RowKind::kAbbattimento:
      return Section::kCodes;
    default:
      return Section::kGeneral;
  }
}

std::span<const Section> sections_of(TextFile file) {
  static constexpr Section kLineSections[] = {
      Section::kGeneral,     Section::kGradients,  Section::kCurves, Section::kTunnels,
      Section::kSpeedBoards, Section::kTextBoards, Section::kEnd};
  static constexpr Section kTrainSections[] = {
      Section::kGeneral,   Section::kAdhesions, Section::kSpeedLimits, Section::kStations,
      Section::kSlowdowns, Section::kSignals,   Section::kCodes,       Section::kEnd};
  if (file == TextFile::kLine) return kLineSections;
  return kTrainSections;
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

std::optional<CurveKeyword> curve_keyword(std::string_view keyword) {
  unsigned digits = 0;
  bool left = false;
  for (const char c : keyword) {
    if (c >= '1' && c <= '6') digits |= 1u << (c - '1');
    left = left || to_lower_1252(c) == kLeftCurve;
  }
  if (digits == 0) return std::nullopt;
  return CurveKeyword{static_cast<char>('1' + std::countr_zero(digits)), left};
}

double class_curvature(char class_digit) {
  static constexpr std::array<double, 6> kByClass = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  return kByClass[static_cast<size_t>(class_digit - kFirstCurveClass)];
}

std::string curve_keyword(CurveKeyword curve) {
  return keyword_of(RowKind::kCurve) + (curve.left ? kLeftCurve : kRightCurve) + curve.class_digit;
}

std::optional<int32_t> repetition_code(std::string_view keyword) {
  if (contains(keyword, "4")) return 4;
  if (contains(keyword, "9")) return 9;
  return std::nullopt;
}

// The table's spelling names code 4.
std::string repetition_keyword(int32_t code) {
  std::string keyword = keyword_of(RowKind::kSignalRepetition);
  keyword[keyword.find('4')] = static_cast<char>('0' + code);
  return keyword;
}

}  // namespace sc
