#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// One entry of the error or warning reference: a "## N: name" heading (an
// error) or a "## name" heading (a warning, number 0) and the text up to the
// next heading.
struct ErrorSection {
  int number = 0;
  std::string name;
  std::string_view text;  // the heading line included, no trailing blank lines
};

// The entries of a reference written in Markdown, in the order written:
// error_sections takes "## N: name" headings, warning_sections "## name"
// headings whose name is one word of lower-case letters, digits and hyphens.
// Headings inside fenced code blocks do not count.
std::vector<ErrorSection> error_sections(std::string_view markdown);
std::vector<ErrorSection> warning_sections(std::string_view markdown);

// The entries of docs/errors.md and docs/warnings.md as built into the program.
const std::vector<ErrorSection>& error_reference();
const std::vector<ErrorSection>& warning_reference();

// The entry for error `number`, if the reference has one.
std::optional<ErrorSection> find_error_section(int number);

// The entry for an error number, or for the name of an error or a warning.
std::optional<ErrorSection> find_diagnostic_section(std::string_view number_or_name);

// A reference entry as plain text for a terminal: the heading as
// "error N: name" or "warning: name", fenced examples indented by four spaces
// without their fences and info strings, and no emphasis, code marks or link
// targets.
std::string plain_text(const ErrorSection& section);

}  // namespace sc
