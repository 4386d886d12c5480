#include "textio/row_keyword.h"

#include "textio/keywords.h"

namespace sc {
namespace {

constexpr int kHyphenSkips = 2;

}  // namespace

std::optional<RowKeyword> read_row_keyword(FieldReader& reader) {
  if (reader.at_end()) return std::nullopt;
  std::string_view field = reader.read_text();
  for (int skips = 0; skips < kHyphenSkips && contains(field, "-"); ++skips) {
    if (reader.at_end()) return std::nullopt;
    field = reader.read_text();
  }
  if (reader.at_end()) return std::nullopt;
  return RowKeyword{field, reader.field_location()};
}

}  // namespace sc
