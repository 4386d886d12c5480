#pragma once

#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "diagnostics/diagnostic.h"
#include "diagnostics/source_lines.h"

namespace sc {

// A text file as the findings name it, with its text as the compilers read it
// (Windows-1252), for the source lines under each finding.
struct NamedText {
  std::string name;
  std::string_view text;
  mutable std::optional<SourceLines> lines = {};  // found when first needed
};

// Writes each finding as compilers do:
//   FILE:LINE:COLUMN: warning: message [name]
//   the source line
//       ^
// followed by its notes, each with its own place and source line. Errors
// show their number and no name ("FILE:LINE:COLUMN: error 15: message").
// `colour` adds terminal colours.
void render_findings(std::ostream& out, std::span<const Finding> findings, const NamedText& line,
                     const NamedText& train, bool colour);

// Writes only the notes of each finding, each with its source line and caret:
// for findings whose own line was written already.
void render_notes(std::ostream& out, std::span<const Finding> findings, const NamedText& line,
                  const NamedText& train, bool colour);

// The first line of a finding alone, without colours: for lists where no
// source text is at hand.
std::string first_line(const Finding& finding, std::string_view line_name,
                       std::string_view train_name);

// "2 errors and 3 warnings generated."; empty when both are 0.
std::string closing_count(size_t errors, size_t warnings);
size_t count_of(std::span<const Finding> findings, Severity severity);

}  // namespace sc
