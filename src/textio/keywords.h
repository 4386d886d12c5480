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

// The field in lower case, for testing it against several lower-case words.
inline std::string lower_case(std::string field) {
  for (char& c : field) c = to_lower_1252(c);
  return field;
}

}  // namespace sc
