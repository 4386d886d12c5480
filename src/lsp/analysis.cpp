#include "lsp/analysis.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "lsp/editor_text.h"
#include "lsp/text_positions.h"
#include "textio/codepage.h"

namespace sc::lsp {
namespace {

Side side_of(Source source) {
  switch (source) {
    case Source::kLineFile:
      return Side::kLineFile;
    case Source::kTrainFile:
      return Side::kTrainFile;
    case Source::kRoute:
      break;
  }
  return Side::kRoute;
}

Spot spot_of(Source source, SourceLocation location) {
  if (!location.known()) return {side_of(source), 0, 0};
  return {side_of(source), location.line, location.column};
}

}  // namespace

Problem problem_of(const Finding& f) {
  Problem problem;
  problem.error = f.severity == Severity::kError;
  problem.at = spot_of(f.source, f.location);
  problem.end = spot_of(f.source, f.end);
  problem.code = f.name();
  const std::string number =
      f.error_number() ? "error " + std::to_string(f.error_number()) + ": " : "";
  problem.message = number + cp1252_to_utf8(f.message);
  for (const Note& note : f.notes) {
    problem.notes.push_back({spot_of(note.source, note.location), cp1252_to_utf8(note.text)});
  }
  for (const FixIt& fix : f.fixes) {
    problem.fix.push_back({spot_of(f.source, fix.range.begin), spot_of(f.source, fix.range.end),
                           cp1252_to_utf8(fix.text)});
  }
  return problem;
}

namespace {

// A file's text as the compile reads it, or the problem of the first
// character that Windows-1252 has no form for.
struct Converted {
  CompiledText compiled;
  std::optional<Problem> failure;
};

Converted to_1252(const std::string& text, Side side, const StopFlag& stop) {
  Converted converted{compiled_text(text, stop), std::nullopt};
  if (!converted.compiled.unconvertible) return converted;
  const size_t failed_at = *converted.compiled.unconvertible;
  int line = 1;
  size_t line_start = 0;
  for (size_t i = 0; i < failed_at; ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    if (text[i] == '\n' || text[i] == '\r') {
      ++line;
      line_start = i + 1;
    }
  }
  const int column =
      utf16_length(std::string_view(text).substr(line_start, failed_at - line_start)) + 1;
  converted.failure = Problem{true,
                              {side, line, column},
                              {},
                              "encoding",
                              "this character has no Windows-1252 form, which the files are "
                              "compiled in; nothing else of this file is checked until it is "
                              "replaced",
                              {},
                              {}};
  return converted;
}

// The compile counts columns from after a byte-order mark; the editor counts
// the mark as a character of the first line.
void count_byte_order_mark(Spot& spot, Side side) {
  if (spot.side == side && spot.line == 1) ++spot.column;
}

void count_byte_order_mark(Problem& problem, Side side) {
  count_byte_order_mark(problem.at, side);
  count_byte_order_mark(problem.end, side);
  for (Edit& edit : problem.fix) {
    count_byte_order_mark(edit.from, side);
    count_byte_order_mark(edit.to, side);
  }
  for (RelatedNote& note : problem.notes) count_byte_order_mark(note.at, side);
}

// The compile of the pair, not started once the analysis is no longer wanted.
CompileTexts stoppable(const CompileTexts& compile, const StopFlag& stop) {
  return [&compile, &stop](const std::string& line_text, const std::string& train_text) {
    stop.stop_if_requested();
    return compile(line_text, train_text);
  };
}

}  // namespace

Analysis analyse_pair(const std::string& line_text, const std::string& train_text,
                      const CompileTexts& compile, const AnalysisLimits& limits) {
  Converted line = to_1252(line_text, Side::kLineFile, limits.stop);
  Converted train = to_1252(train_text, Side::kTrainFile, limits.stop);
  Analysis analysis;
  for (Converted* file : {&line, &train}) {
    if (file->failure) analysis.problems.push_back(*file->failure);
  }
  // A file that holds such a character keeps only that problem; the other
  // file's findings are published as check gives them.
  const auto faulty = [&](Side side) {
    return (side == Side::kLineFile && line.failure) || (side == Side::kTrainFile && train.failure);
  };
  CheckOptions options;
  options.encodings = {line.compiled.encoding, train.compiled.encoding};
  options.error_limit = limits.error_limit;
  std::vector<Finding> findings = check_sources(line.compiled.text, train.compiled.text, options,
                                                stoppable(compile, limits.stop));
  analysis.stopped_at_error_limit = stop_after_errors(findings, limits.error_limit);
  for (const Finding& f : findings) {
    Problem problem = problem_of(f);
    if (faulty(problem.at.side)) continue;
    if (line.compiled.byte_order_mark) count_byte_order_mark(problem, Side::kLineFile);
    if (train.compiled.byte_order_mark) count_byte_order_mark(problem, Side::kTrainFile);
    analysis.problems.push_back(std::move(problem));
  }
  return analysis;
}

}  // namespace sc::lsp
