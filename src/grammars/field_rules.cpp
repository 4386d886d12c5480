#include "grammars/field_rules.h"

#include <algorithm>

#include "textio/codepage.h"

namespace sc {

std::vector<RowKindInfo> kinds_in(std::span<const RowKindInfo> kinds, TextFile file, RowPart part) {
  std::vector<RowKindInfo> found;
  std::copy_if(kinds.begin(), kinds.end(), std::back_inserter(found),
               [&](const RowKindInfo& k) { return k.file == file && k.part == part; });
  return found;
}

bool has_text_value(const RowKindInfo& kind) {
  return std::any_of(kind.values.begin(), kind.values.end(),
                     [](const ValueSpec& v) { return v.width == ValueWidth::kText; });
}

std::vector<std::string_view> words_of(std::span<const RowKindInfo> kinds) {
  std::vector<std::string_view> words;
  const auto add = [&](std::string_view word) {
    if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end()) {
      words.push_back(word);
    }
  };
  for (const RowKindInfo& kind : kinds) {
    add(kind.word);
    add(kind.also);
  }
  return words;
}

std::string slug_of(std::string_view what) {
  std::string slug;
  for (const char c : what) {
    const char lower = to_lower_1252(c);
    const bool plain = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9');
    if (plain) {
      slug += lower;
    } else if (!slug.empty() && slug.back() != '-') {
      slug += '-';
    }
  }
  while (!slug.empty() && slug.back() == '-') slug.pop_back();
  return slug;
}

std::string escaped(std::string_view text, std::string_view special) {
  std::string out;
  for (const char c : text) {
    if (special.find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace sc
