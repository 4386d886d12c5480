#include "lsp/outline.h"

#include <algorithm>

#include "textio/keywords.h"

namespace sc::lsp {
namespace {

constexpr int kHeaderHyphenReads = 10;
constexpr int kRowHyphenReads = 2;

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

// The keyword field of a line once up to `hyphen_reads` hyphen fields are
// passed; nothing when the line holds only those.
std::optional<LineField> keyword_field(FieldCursor& fields, int hyphen_reads) {
  LineField field = fields.text();
  for (int i = 0; i < hyphen_reads && contains(field.text, "-"); ++i) {
    if (fields.at_end()) return std::nullopt;
    field = fields.text();
  }
  return field;
}

OutlineRow read_row(int line, LineField keyword, FieldCursor& fields, TextFile file, RowPart part) {
  OutlineRow row{line, keyword, {}, {}};
  for (const RowKindInfo& kind : row_kinds(file, part)) {
    if (names_kind(kind, keyword.text)) row.kinds.push_back(&kind);
  }
  if (row.kinds.empty()) return row;
  for (const ValueSpec& value : row.kinds.front()->values) {
    if (fields.at_end()) break;
    row.values.push_back(value.width == ValueWidth::kText ? fields.text() : fields.number());
  }
  return row;
}

}  // namespace

bool FieldCursor::at_end() const {
  return std::all_of(line_.begin() + static_cast<std::ptrdiff_t>(pos_), line_.end(), is_blank);
}

void FieldCursor::skip_blanks() {
  while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
}

LineField FieldCursor::field(size_t begin, size_t end) const {
  while (end > begin && is_blank(line_[end - 1])) --end;
  return {begin, end, line_.substr(begin, end - begin)};
}

LineField FieldCursor::text() {
  skip_blanks();
  const size_t begin = pos_;
  size_t end = 0;
  if (pos_ < line_.size() && line_[pos_] == '"') {
    const size_t close = line_.find('"', pos_ + 1);
    end = close == std::string_view::npos ? line_.size() : close + 1;
  } else {
    end = std::min(line_.find(',', pos_), line_.size());
  }
  const size_t comma = line_.find(',', end);
  pos_ = comma == std::string_view::npos ? line_.size() : comma + 1;
  return field(begin, end);
}

LineField FieldCursor::number() {
  skip_blanks();
  const size_t begin = pos_;
  while (pos_ < line_.size() && !is_blank(line_[pos_]) && line_[pos_] != ',') ++pos_;
  const size_t end = pos_;
  skip_blanks();
  if (pos_ < line_.size() && line_[pos_] == ',') ++pos_;
  return field(begin, end);
}

const OutlineRow* Outline::row_at(int line) const {
  const auto found = std::lower_bound(rows.begin(), rows.end(), line,
                                      [](const OutlineRow& row, int l) { return row.line < l; });
  return found != rows.end() && found->line == line ? &*found : nullptr;
}

Outline outline_of(const LineIndex& lines, TextFile file) {
  Outline outline;
  LinePlace place = LinePlace::kBeforeGeneral;
  for (int number = 0; number < lines.line_count(); ++number) {
    outline.places.push_back(place);
    FieldCursor fields(lines.line(number));
    if (fields.at_end()) continue;
    if (place == LinePlace::kBeforeGeneral) {
      while (!fields.at_end()) {
        const LineField field = fields.text();
        if (!contains_any_case(field.text, "[generale]")) continue;
        outline.sections.push_back({number, field.text});
        place = file == TextFile::kLine ? LinePlace::kHeader : LinePlace::kRows;
        break;
      }
      continue;
    }
    const bool header = place == LinePlace::kHeader;
    const auto keyword = keyword_field(fields, header ? kHeaderHyphenReads : kRowHyphenReads);
    if (!keyword) continue;
    if (is_section_line(keyword->text)) {
      outline.sections.push_back({number, keyword->text});
      if (header) place = LinePlace::kRows;
      continue;
    }
    OutlineRow row =
        read_row(number, *keyword, fields, file, header ? RowPart::kHeader : RowPart::kRows);
    outline.rows.push_back(std::move(row));
  }
  return outline;
}

}  // namespace sc::lsp
