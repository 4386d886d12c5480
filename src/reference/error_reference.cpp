#include "reference/error_reference.h"

#include <charconv>
#include <span>

namespace sc {
namespace embedded {
std::string_view errors_markdown();
std::string_view warnings_markdown();
}  // namespace embedded

namespace {

// Names errors went by in earlier versions, still understood by explain.
struct FormerName {
  std::string_view name;
  int number;
};
constexpr FormerName kFormerNames[] = {{"run-time-fault", 25}};

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

// "## off-grid" gives "off-grid".
std::optional<ErrorSection> parse_warning_heading(std::string_view line) {
  if (!line.starts_with("## ")) return std::nullopt;
  line.remove_prefix(3);
  const bool is_name =
      !line.empty() &&
      line.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-") == std::string_view::npos;
  if (!is_name) return std::nullopt;
  return ErrorSection{0, std::string(line), {}};
}

using HeadingParser = std::optional<ErrorSection> (*)(std::string_view);

std::vector<ErrorSection> sections(std::string_view markdown, HeadingParser parse_heading) {
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
      if (std::optional<ErrorSection> section = parse_heading(text)) {
        sections.push_back(std::move(*section));
        open = i;
      }
    }
    if (text.find_first_not_of(" \t") != std::string_view::npos) last_text = i;
  }
  close();
  return sections;
}

// Drops the Markdown marks of one line of running text: **, `, and the
// target of a link, whose text stays.
std::string plain_line(std::string_view line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '`') continue;
    if (line.substr(i).starts_with("**")) {
      ++i;
      continue;
    }
    if (line[i] == '[') {
      const size_t close = line.find(']', i);
      const size_t target_end = line.find(')', close);
      if (close != std::string_view::npos && line.substr(close).starts_with("](") &&
          target_end != std::string_view::npos) {
        out += plain_line(line.substr(i + 1, close - i - 1));
        i = target_end;
        continue;
      }
    }
    out += line[i];
  }
  return out;
}

std::string plain_heading(const ErrorSection& section) {
  if (section.number == 0) return "warning: " + section.name;
  return "error " + std::to_string(section.number) + ": " + section.name;
}

}  // namespace

std::vector<ErrorSection> error_sections(std::string_view markdown) {
  return sections(markdown, parse_error_heading);
}

std::vector<ErrorSection> warning_sections(std::string_view markdown) {
  return sections(markdown, parse_warning_heading);
}

const std::vector<ErrorSection>& error_reference() {
  static const std::vector<ErrorSection> sections = error_sections(embedded::errors_markdown());
  return sections;
}

const std::vector<ErrorSection>& warning_reference() {
  static const std::vector<ErrorSection> sections = warning_sections(embedded::warnings_markdown());
  return sections;
}

std::optional<ErrorSection> find_error_section(int number) {
  for (const ErrorSection& section : error_reference()) {
    if (section.number == number) return section;
  }
  return std::nullopt;
}

std::optional<ErrorSection> find_diagnostic_section(std::string_view number_or_name) {
  for (const auto& [former, renamed] : kFormerNames) {
    if (number_or_name == former) return find_error_section(renamed);
  }
  int number = 0;
  const char* end = number_or_name.data() + number_or_name.size();
  const auto [rest, error] = std::from_chars(number_or_name.data(), end, number);
  if (error == std::errc() && rest == end) return find_error_section(number);
  for (const auto* reference : {&error_reference(), &warning_reference()}) {
    for (const ErrorSection& section : *reference) {
      if (section.name == number_or_name) return section;
    }
  }
  return std::nullopt;
}

std::string plain_text(const ErrorSection& section) {
  std::string out = plain_heading(section) + "\n";
  bool in_fence = false;
  const std::vector<Line> lines = split_lines(section.text);
  for (const Line& line : std::span(lines).subspan(1)) {
    if (is_fence(line.text)) {
      in_fence = !in_fence;
      continue;
    }
    if (in_fence) {
      out += line.text.empty() ? "" : "    " + std::string(line.text);
    } else {
      out += plain_line(line.text);
    }
    out += '\n';
  }
  return out;
}

}  // namespace sc
