#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sc {

// One entry of the error reference: a "## N: name" heading and the text up
// to the next heading.
struct ErrorSection {
  int number = 0;
  std::string name;
  std::string_view text;  // the heading line included, no trailing blank lines
};

// The entries of a reference written in Markdown, in the order written.
// Headings inside fenced code blocks do not count.
std::vector<ErrorSection> error_sections(std::string_view markdown);

// The entries of docs/errors.md as built into the program.
const std::vector<ErrorSection>& error_reference();

// The entry for error `number`, if the reference has one.
std::optional<ErrorSection> find_error_section(int number);

}  // namespace sc
