#include <string>

#include "check/lint.h"
#include "check/value_checks.h"
#include "model/cell_geometry.h"
#include "model/object_rules.h"
#include "textio/keywords.h"

namespace sc {
namespace {

constexpr int kHeaderHyphenReads = 10;
constexpr int kRowHyphenReads = 2;
constexpr int64_t kHighestTunnelType = 3;

bool has_both(std::string_view keyword, std::string_view a, std::string_view b) {
  return contains(keyword, a) && contains(keyword, b);
}

// --- header ---

void check_route_length(LintContext& context, const LintRow& row) {
  if (row[0] >= 0 && row[0] <= kLongestRoute) context.route_length = row[0];
}

constexpr ValueSpec kRouteLengthValues[] = {{"route length"}};
constexpr ValueSpec kReferenceValues[] = {{"key"}, {"kilometre value"}, {"adjustment"}};
constexpr ValueSpec kBackgroundValues[] = {{"background"}};
constexpr ValueSpec kRepetitionValues[] = {{"first value"}, {"second value"}};

const LintRowKind kHeaderKinds[] = {
    {"route length",
     [](std::string_view k) {
       return contains_any_case(k, "percorso") && contains_any_case(k, "lunghezza");
     },
     kRouteLengthValues, check_route_length},
    {"kilometre reference", [](std::string_view k) { return has_both(k, "tre", "progressiva"); },
     kReferenceValues},
    {"kilometre reference", [](std::string_view k) { return has_both(k, "due", "progressiva"); },
     kReferenceValues},
    {"kilometre reference", [](std::string_view k) { return has_both(k, "uno", "progressiva"); },
     kReferenceValues},
    {"background", [](std::string_view k) { return has_both(k, "sfondo", "uno"); },
     kBackgroundValues},
    {"background", [](std::string_view k) { return has_both(k, "sfondo", "due"); },
     kBackgroundValues},
    {"background", [](std::string_view k) { return has_both(k, "sfondo", "tre"); },
     kBackgroundValues},
    {"signal-repetition", [](std::string_view k) { return has_both(k, "segnali", "ripetizione"); },
     kRepetitionValues},
};

constexpr std::string_view kHeaderKeywords[] = {
    "lunghezza percorso",
    "progressiva chilometrica uno",
    "progressiva chilometrica due",
    "progressiva chilometrica tre",
    "sfondo uno",
    "sfondo due",
    "sfondo tre",
    "ripetizione segnali 4 codici",
};

// --- rows ---

void check_gradient(LintContext& context, const LintRow& row) {
  check_grid(context, "the gradient's position", row[0], row.at(0), 0);
  check_on_route(context, "the gradient's position", row[0], row.at(0));
  const auto stored = static_cast<uint8_t>(row[1] + kGradientBias);
  check_fits(context, "gradient", row[1], row.at(1), -kGradientBias, 255 - kGradientBias,
             int64_t{stored} - kGradientBias);
}

void check_curve(LintContext& context, const LintRow& row) {
  check_on_route(context, "the curve's start", row[0], row.at(0));
}

void check_tunnel(LintContext& context, const LintRow& row) {
  check_grid(context, "the tunnel's start", row[0], row.at(0), 0);
  check_grid(context, "the tunnel's end", row[1], row.at(1), 0);
  check_on_route(context, "the tunnel's start", row[0], row.at(0));
  if (row[1] <= row[0]) {
    context.warn(Warning::kTunnelBackwards, row.at(1),
                 "the tunnel ends at " + std::to_string(row[1]) + " m, not after its start at " +
                     std::to_string(row[0]) +
                     " m, so it makes no tunnel; give the start first, then the end");
  }
  const int64_t type = tunnel_kind(row[2]).type;
  if (type < 1 || type > kHighestTunnelType) {
    context.warn(Warning::kTunnelType, row.at(2),
                 "tunnel type " + std::to_string(row[2]) +
                     " is unknown: the types are 1 to 3, or 11 to 13 for the same types with "
                     "tunnel markers");
  }
}

void check_speed_board(LintContext& context, const LintRow& row) {
  check_grid(context, "the speed board's position", row[0], row.at(0), 1);
  check_on_route(context, "the speed board's position", row[0], row.at(0));
  context.occupy(object_cell(row[0]), "speed board", "", row[0], row.keyword_at);
}

void check_text_board(LintContext& context, const LintRow& row) {
  check_grid(context, "the text board's position", row[0], row.at(0), 1);
  check_on_route(context, "the text board's position", row[0], row.at(0));
  context.occupy(object_cell(row[0]), "text board", "", row[0], row.keyword_at);
}

constexpr ValueSpec kGradientValues[] = {{"position"}, {"gradient"}};
constexpr ValueSpec kCurveValues[] = {{"start"}, {"length"}};
constexpr ValueSpec kTunnelValues[] = {{"start"}, {"end"}, {"type"}};
constexpr ValueSpec kSpeedBoardValues[] = {
    {"position"}, {"vas"}, {"vbs"}, {"vcs"}, {"strisces"}, {"vad"}, {"vbd"}, {"vcd"}, {"strisced"}};
constexpr ValueSpec kTextBoardValues[] = {{"position"}, {"text", ValueKind::kText}};

// The check always builds the profile, so curve rows read their values.
const LintRowKind kRowKinds[] = {
    {"gradient", [](std::string_view k) { return contains_any_case(k, "pendenza"); },
     kGradientValues, check_gradient},
    {"curve", [](std::string_view k) { return contains_any_case(k, "curva"); }, kCurveValues,
     check_curve},
    {"tunnel", [](std::string_view k) { return contains_any_case(k, "montagna"); }, kTunnelValues,
     check_tunnel},
    {"speed board", [](std::string_view k) { return contains_any_case(k, "indicatori_v"); },
     kSpeedBoardValues, check_speed_board},
    {"text board",
     [](std::string_view k) {
       return contains_any_case(k, "indicat") && contains_any_case(k, "cartello");
     },
     kTextBoardValues, check_text_board},
};

constexpr std::string_view kRowKeywords[] = {"pendenza", "curva", "montagna", "indicatori_vmax",
                                             "indicatore cartello"};

enum class Part { kBeforeHeader, kHeader, kRows };

bool is_header_row(std::string_view keyword) {
  for (const LintRowKind& kind : kHeaderKinds) {
    if (kind.matches(keyword)) return true;
  }
  return false;
}

void warn_late_header_row(LintContext& context, std::string_view keyword, SourceLocation at) {
  context.warn(Warning::kUnknownKeyword, at,
               "\"" + std::string(keyword) +
                   "\" is a header row, but the header ended at the first section line after "
                   "\"[generale]\", so the row is ignored; move it above that line");
}

bool is_row_of_a_section(std::string_view keyword) {
  for (const LintRowKind& kind : kRowKinds) {
    if (kind.matches(keyword)) return true;
  }
  return false;
}

void warn_early_row(LintContext& context, std::string_view keyword, SourceLocation at) {
  context.warn(Warning::kUnknownKeyword, at,
               "\"" + std::string(keyword) +
                   "\" stands in the header, where only header rows count, so the row is ignored; "
                   "rows count after the first section line below \"[generale]\", such as "
                   "\"[pendenze]\"");
}

Part lint_header_line(LintContext& context, LineFields& fields) {
  const auto keyword = keyword_of(fields, kHeaderHyphenReads);
  if (!keyword) return Part::kHeader;
  const SourceLocation at = fields.location();
  if (!lint_row(context, fields, *keyword, at, kHeaderKinds) && !ends_header(*keyword)) {
    if (is_row_of_a_section(*keyword)) {
      warn_early_row(context, *keyword, at);
    } else {
      warn_unknown_keyword(context, *keyword, at, kHeaderKeywords);
    }
  }
  return ends_header(*keyword) ? Part::kRows : Part::kHeader;
}

void lint_row_line(LintContext& context, LineFields& fields) {
  const auto keyword = keyword_of(fields, kRowHyphenReads);
  if (!keyword) return;
  const SourceLocation at = fields.location();
  if (lint_row(context, fields, *keyword, at, kRowKinds)) return;
  if (is_header_row(*keyword)) {
    warn_late_header_row(context, *keyword, at);
  } else {
    warn_unknown_keyword(context, *keyword, at, kRowKeywords);
  }
}

Part find_general_section(LineFields& fields) {
  while (!fields.at_end()) {
    if (contains_any_case(fields.text(), "[generale]")) return Part::kHeader;
  }
  return Part::kBeforeHeader;
}

}  // namespace

void lint_line_file(std::string_view text, LintContext& context) {
  Part part = Part::kBeforeHeader;
  for_each_line(text, [&](std::string_view line, int number) {
    LineFields fields(line, number);
    try {
      if (fields.at_end()) return;
      switch (part) {
        case Part::kBeforeHeader:
          part = find_general_section(fields);
          break;
        case Part::kHeader:
          part = lint_header_line(context, fields);
          break;
        case Part::kRows:
          lint_row_line(context, fields);
          break;
      }
    } catch (const Fault&) {
      // A field the compile cannot read: the compile reports it as an error.
    }
  });
}

}  // namespace sc
