#pragma once

#include <string>
#include <string_view>

#include "textio/codepage.h"

namespace sc {

// Keyword tests look for a word anywhere in the whole keyword field.

inline bool contains(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}

// `word` is given in lower case.
inline bool contains_any_case(std::string_view field, std::string_view word) {
  if (word.size() > field.size()) return false;
  for (size_t start = 0; start + word.size() <= field.size(); ++start) {
    size_t i = 0;
    while (i < word.size() && to_lower_1252(field[start + i]) == word[i]) ++i;
    if (i == word.size()) return true;
  }
  return false;
}

// A section line names a section in brackets: "[" and "]" anywhere in the
// field.
inline bool is_section_line(std::string_view field) {
  return contains(field, "[") && contains(field, "]");
}

// The line file's header ends at its first section line that is not hidden
// behind a hyphen.
inline bool ends_header(std::string_view field) {
  const size_t first = field.find_first_not_of(" \t");
  const bool hidden = first != std::string_view::npos && field[first] == '-';
  return is_section_line(field) && !hidden;
}

// The field without its leading and trailing blanks.
inline std::string_view trimmed_field(std::string_view field) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  return field;
}

// A field's text in double quotes, for messages.
inline std::string quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// The field in lower case, for testing it against several lower-case words.
inline std::string lower_case(std::string field) {
  for (char& c : field) c = to_lower_1252(c);
  return field;
}

}  // namespace sc
