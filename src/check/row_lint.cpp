#include "check/row_lint.h"

#include <algorithm>
#include <utility>

#include "textio/keywords.h"

namespace sc {
namespace {

std::string_view trimmed(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return field.substr(first, field.find_last_not_of(" \t") - first + 1);
}

// The comment markers of other file formats, which this one does not have.
std::optional<std::string_view> comment_marker(std::string_view keyword) {
  const std::string_view field = trimmed(keyword);
  for (std::string_view marker : {"#", ";", "//"}) {
    if (field.starts_with(marker)) return marker;
  }
  // "REM" in any case, alone or followed by a blank.
  const auto is = [&](size_t i, char lower) {
    return i < field.size() && (field[i] | 0x20) == lower;
  };
  const bool rem = is(0, 'r') && is(1, 'e') && is(2, 'm') &&
                   (field.size() == 3 || field[3] == ' ' || field[3] == '\t');
  if (rem) return field.substr(0, 3);
  return std::nullopt;
}

bool has_letter(std::string_view field) {
  return std::any_of(field.begin(), field.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u >= 0xC0;
  });
}

size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::optional<std::string_view> nearest_keyword(std::string_view field,
                                                std::span<const std::string_view> known) {
  const std::string lower = lower_case(std::string(trimmed(field)));
  std::optional<std::string_view> best;
  size_t best_distance = 0;
  for (std::string_view candidate : known) {
    const size_t distance = edit_distance(lower, candidate);
    if (distance > std::max<size_t>(2, candidate.size() / 3)) continue;
    if (!best || distance < best_distance) {
      best = candidate;
      best_distance = distance;
    }
  }
  return best;
}

std::string value_names(std::span<const LintValueSpec> values) {
  std::string names;
  for (const LintValueSpec& value : values) {
    if (!names.empty()) names += ", ";
    names += value.name;
  }
  return names;
}

std::string count_of(size_t n, std::string_view noun) {
  return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

void warn_too_few(LintContext& context, const LintRowKind& kind, const LintRow& row) {
  const size_t found = row.values.size();
  const LintValueSpec& missing = kind.values[found];
  context.warn(Warning::kTooFewValues, row.keyword_at,
               "a " + std::string(kind.what) + " row takes " +
                   count_of(kind.values.size(), "value") + " (" + value_names(kind.values) +
                   "), but this line has " + std::to_string(found) + ": the compile reads its " +
                   std::string(missing.name) + " from the next line instead");
}

void warn_too_many(LintContext& context, const LintRowKind& kind, SourceLocation extra_at) {
  const bool ends_in_text = kind.values.back().kind == ValueKind::kText;
  if (ends_in_text) {
    context.warn(Warning::kTextCutAtComma, extra_at,
                 "the " + std::string(kind.values.back().name) +
                     " ends at the comma before this: the rest is read as the next row's "
                     "keyword; put the whole text in double quotes");
    return;
  }
  context.warn(Warning::kTooManyValues, extra_at,
               "a " + std::string(kind.what) + " row takes " +
                   count_of(kind.values.size(), "value") + " (" + value_names(kind.values) +
                   "): this value and the rest of the line are read as further rows");
}

void warn_comment_marker(LintContext& context, std::string_view keyword, SourceLocation at,
                         const LintRowKind& kind) {
  const std::optional<std::string_view> marker = comment_marker(keyword);
  if (!marker) return;
  context.warn(Warning::kCommentMarker, at,
               quoted(*marker) + " does not comment out a row: the keyword field " +
                   quoted(keyword) + " still names a " + std::string(kind.what) +
                   " row, which applies; delete the row to drop it");
}

// Reads one kind's values; false when the line runs out first.
bool read_values(LintContext& context, LineFields& fields, const LintRowKind& kind, LintRow& row) {
  for (const LintValueSpec& spec : kind.values) {
    if (fields.at_end()) {
      warn_too_few(context, kind, row);
      return false;
    }
    row.values.push_back(fields.value(spec.kind));
  }
  return true;
}

}  // namespace

void LintContext::warn(Warning code, SourceLocation at, std::string message) {
  out_.push_back(warning_at(code, source_, at, std::move(message)));
}

void LintContext::occupy(int64_t cell, std::string_view what, std::string_view part,
                         int64_t position, SourceLocation row) {
  if (placements) placements->push_back({cell, what, part, position, source_, row});
}

LintValue LineFields::value(ValueKind kind) {
  LintValue value;
  switch (kind) {
    case ValueKind::kLong:
      value.number = reader_.read_long();
      break;
    case ValueKind::kInteger:
      value.number = reader_.read_integer();
      break;
    case ValueKind::kByte:
      value.number = reader_.read_byte();
      break;
    case ValueKind::kText:
      value.text = reader_.read_text();
      break;
  }
  value.at = location();
  return value;
}

SourceLocation LineFields::location() const {
  const SourceLocation at = reader_.field_location();
  return {line_number_ + at.line - 1, at.column};
}

void for_each_line(std::string_view text, const std::function<void(std::string_view, int)>& visit) {
  int number = 1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    visit(text.substr(start, end - start), number++);
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
}

std::optional<std::string> keyword_of(LineFields& fields, int hyphen_reads) {
  std::string field = fields.text();
  for (int i = 0; i < hyphen_reads && contains(field, "-"); ++i) {
    if (fields.at_end()) return std::nullopt;
    field = fields.text();
  }
  return field;
}

bool lint_row(LintContext& context, LineFields& fields, std::string_view keyword,
              SourceLocation keyword_at, std::span<const LintRowKind> kinds) {
  const LintRowKind* last = nullptr;
  for (const LintRowKind& kind : kinds) {
    if (!kind.matches(keyword)) continue;
    if (!last) warn_comment_marker(context, keyword, keyword_at, kind);
    last = &kind;
    LintRow row{std::string(keyword), keyword_at, {}};
    if (!read_values(context, fields, kind, row)) return true;
    if (kind.check) kind.check(context, row);
  }
  if (last && !fields.at_end()) {
    // A note after the last value, "-- like this", hides nothing but itself.
    const std::string extra = fields.text();
    const bool note = contains(extra, "-") && fields.at_end();
    if (!note) warn_too_many(context, *last, fields.location());
  }
  return last != nullptr;
}

void warn_unknown_keyword(LintContext& context, std::string_view keyword, SourceLocation at,
                          std::span<const std::string_view> known_keywords) {
  if (!has_letter(keyword) || is_section_line(keyword) || comment_marker(keyword)) return;
  std::string message = quoted(trimmed(keyword)) + " names no row kind, so the row is ignored";
  if (const auto nearest = nearest_keyword(keyword, known_keywords)) {
    message += "; did you mean " + quoted(*nearest) + "?";
  }
  context.warn(Warning::kUnknownKeyword, at, std::move(message));
}

}  // namespace sc
