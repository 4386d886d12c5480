#include "lsp/outline.h"

#include <algorithm>

#include "textio/keywords.h"

namespace sc::lsp {
namespace {

int line_of(const ReadField& field) {
  return field.at.line - 1;
}

// A record of a kind whose keyword is the row before's reads a second kind
// from the same keyword field.
bool same_keyword(const Outline& outline, const RowRecord& record) {
  return !outline.rows.empty() && outline.rows.back().keyword.begin == record.keyword.begin;
}

void add_record(Outline& outline, const RowRecord& record, const RowStop* stop) {
  if (!record.kind) {
    if (!is_section_line(record.keyword.text)) return;
    outline.sections.push_back(record.keyword);
    if (record.part == RowPart::kHeader && ends_header(record.keyword.text)) {
      outline.header_end_line = line_of(record.keyword);
    }
    return;
  }
  const RowKindInfo& kind = row_kind(*record.kind);
  if (same_keyword(outline, record)) {
    outline.rows.back().kinds.push_back(&kind);
    return;
  }
  outline.rows.push_back({line_of(record.keyword), record.keyword, {&kind}, record.values, stop});
}

}  // namespace

LinePlace Outline::place(int line) const {
  if (general_line < 0 || line <= general_line) return LinePlace::kBeforeGeneral;
  const bool in_header = header_end_line < 0 || line <= header_end_line;
  return file == TextFile::kLine && in_header ? LinePlace::kHeader : LinePlace::kRows;
}

const OutlineRow* Outline::row_on_line(int line) const {
  const auto found = std::lower_bound(rows.begin(), rows.end(), line,
                                      [](const OutlineRow& row, int l) { return row.line < l; });
  return found != rows.end() && found->line == line ? &*found : nullptr;
}

const OutlineRow* Outline::row_before(size_t offset) const {
  const auto after =
      std::upper_bound(rows.begin(), rows.end(), offset,
                       [](size_t o, const OutlineRow& row) { return o < row.keyword.begin; });
  return after == rows.begin() ? nullptr : &*(after - 1);
}

const ReadField* Outline::field_at(size_t offset) const {
  if (read.general && read.general->begin == offset) return &*read.general;
  const auto after =
      std::upper_bound(read.rows.begin(), read.rows.end(), offset,
                       [](size_t o, const RowRecord& record) { return o < record.begin(); });
  if (after == read.rows.begin()) return nullptr;
  const RowRecord& record = *(after - 1);
  const auto begins_here = [&](const ReadField& field) { return field.begin == offset; };
  if (begins_here(record.keyword)) return &record.keyword;
  for (const std::vector<ReadField>* fields : {&record.skipped, &record.values}) {
    const auto found = std::find_if(fields->begin(), fields->end(), begins_here);
    if (found != fields->end()) return &*found;
  }
  return nullptr;
}

Outline outline_of(const LineIndex& lines, TextFile file) {
  Outline outline;
  outline.file = file;
  outline.read = read_outline(lines.text(), file);
  const TextOutline& read = outline.read;
  if (!read.general) return outline;
  outline.sections.push_back(*read.general);
  outline.general_line = line_of(*read.general);
  auto stop = read.stops.begin();
  for (size_t i = 0; i < read.rows.size(); ++i) {
    while (stop != read.stops.end() && stop->row < i) ++stop;
    add_record(outline, read.rows[i],
               stop != read.stops.end() && stop->row == i ? &*stop : nullptr);
  }
  if (read.last && is_section_line(read.last->text)) outline.sections.push_back(*read.last);
  return outline;
}

}  // namespace sc::lsp
