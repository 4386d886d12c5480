#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_kinds.h"

namespace sc {

// What the three editor writers share: which kinds count where, and the words
// an editor looks for.

// The kinds of `part` of `file`, in the table's order.
std::vector<RowKindInfo> kinds_in(std::span<const RowKindInfo> kinds, TextFile file, RowPart part);

// Whether a row of the kind ends in a text value.
bool has_text_value(const RowKindInfo& kind);

// The words of the kinds, each once, in the table's order.
std::vector<std::string_view> words_of(std::span<const RowKindInfo> kinds);

// A kind's name as one token of lower-case letters, digits and hyphens:
// "route length" gives "route-length".
std::string slug_of(std::string_view what);

// `text` with `special` characters behind a backslash.
std::string escaped(std::string_view text, std::string_view special);

}  // namespace sc
