#include "reference/error_reference.h"

#include <charconv>

namespace sc {
namespace embedded {
std::string_view errors_markdown();
}  // namespace embedded

namespace {

struct Line {
  size_t begin = 0;
  std::string_view text;  // without its line end
};

std::vector<Line> split_lines(std::string_view markdown) {
  std::vector<Line> lines;
  size_t begin = 0;
  while (begin < markdown.size()) {
    const size_t end = markdown.find('\n', begin);
    const size_t stop = end == std::string_view::npos ? markdown.size() : end;
    std::string_view text = markdown.substr(begin, stop - begin);
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    lines.push_back({begin, text});
    begin = stop + 1;
  }
  return lines;
}

bool is_fence(std::string_view line) {
  return line.starts_with("```");
}

bool is_heading(std::string_view line) {
  return line.starts_with("# ") || line.starts_with("## ");
}

// "## 6: text-board-cell-taken" gives 6 and "text-board-cell-taken".
std::optional<ErrorSection> parse_error_heading(std::string_view line) {
  if (!line.starts_with("## ")) return std::nullopt;
  line.remove_prefix(3);
  int number = 0;
  const auto [rest, error] = std::from_chars(line.data(), line.data() + line.size(), number);
  if (error != std::errc()) return std::nullopt;
  std::string_view tail(rest, line.data() + line.size() - rest);
  if (!tail.starts_with(": ") || tail.size() == 2) return std::nullopt;
  return ErrorSection{number, std::string(tail.substr(2)), {}};
}

}  // namespace

std::vector<ErrorSection> error_sections(std::string_view markdown) {
  const std::vector<Line> lines = split_lines(markdown);
  std::vector<ErrorSection> sections;
  size_t open = lines.size();  // the heading line of the section being read
  size_t last_text = 0;        // its last line that is not blank
  const auto close = [&] {
    if (open == lines.size()) return;
    const Line& end = lines[last_text];
    sections.back().text =
        markdown.substr(lines[open].begin, end.begin + end.text.size() - lines[open].begin);
    open = lines.size();
  };
  bool in_fence = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view text = lines[i].text;
    if (is_fence(text)) in_fence = !in_fence;
    if (!in_fence && is_heading(text)) {
      close();
      if (std::optional<ErrorSection> section = parse_error_heading(text)) {
        sections.push_back(std::move(*section));
        open = i;
      }
    }
    if (text.find_first_not_of(" \t") != std::string_view::npos) last_text = i;
  }
  close();
  return sections;
}

const std::vector<ErrorSection>& error_reference() {
  static const std::vector<ErrorSection> sections = error_sections(embedded::errors_markdown());
  return sections;
}

std::optional<ErrorSection> find_error_section(int number) {
  for (const ErrorSection& section : error_reference()) {
    if (section.number == number) return section;
  }
  return std::nullopt;
}

}  // namespace sc
