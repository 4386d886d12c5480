#include "format/row_writer.h"

namespace sc {
namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// An unquoted field ends at a comma or a line end, and the blanks and line
// ends before it are skipped.
bool needs_quotes(std::string_view text) {
  if (text.empty() || is_blank(text.front()) || is_blank(text.back())) return true;
  return text.find_first_of(",\r\n") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> text_field(std::string_view text) {
  if (!text.empty() && text.front() == '"') return std::nullopt;
  if (!needs_quotes(text)) return std::string(text);
  if (text.find('"') != std::string_view::npos) return std::nullopt;
  return "\"" + std::string(text) + "\"";
}

void TextRows::line(std::string_view text) {
  bytes_ += text;
  bytes_ += "\r\n";
}

void TextRows::section(std::string_view name) {
  if (name == current_section_) return;
  current_section_ = name;
  line(name);
}

void TextRows::append(std::string_view text) {
  bytes_ += text_field(text).value_or(std::string(text));
}

void TextRows::row(const Row& row) {
  bytes_ += row.keyword;
  for (const int64_t value : row.values) {
    bytes_ += ", ";
    append(value);
  }
  if (row.text) {
    bytes_ += ", ";
    append(*row.text);
  }
  bytes_ += "\r\n";
}

}  // namespace sc
