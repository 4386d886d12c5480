#include "format/row_reader.h"

#include <stdexcept>

#include "format/value_fault.h"
#include "textio/keywords.h"

namespace sc {
namespace {

// A field holding a hyphen anywhere stands for the field after it: ten times
// in a row at most in the line file's header, where the reads do not look for
// the file's end, twice at most in the rows.
constexpr int kHeaderHyphenSkips = 10;
constexpr int kRowHyphenSkips = 2;

bool has_hyphen(std::string_view field) {
  return contains(field, "-");
}

}  // namespace

void RowValues::read_next() {
  if (read_ >= kind_->values.size()) {
    throw std::logic_error("a row handler asked for a value its kind does not have");
  }
  Value& value = values_[read_];
  switch (kind_->values[read_].width) {
    case ValueWidth::kText:
      value.text = fields_.read_text();
      break;
    case ValueWidth::kByte:
      value.number = fields_.read_byte();
      break;
    case ValueWidth::kInteger:
      value.number = fields_.read_integer();
      break;
    case ValueWidth::kLong:
      value.number = fields_.read_long();
      break;
  }
  value.at = fields_.field_location();
  ++read_;
}

RowReader::RowReader(std::string_view text, TextFile file, ErrorLog& errors, Scenario& model,
                     RowListener* listener, const StopFlag& stop)
    : text_(text), fields_(text), file_(file), errors_(errors), stop_(stop), keywords_(file) {
  if (listener) recorder_.emplace(file, *listener, model);
}

ReadField RowReader::field_read(std::string_view field) const {
  const auto begin = static_cast<size_t>(field.data() - text_.data());
  const SourceLocation at = fields_.field_location();
  return {begin, begin + field.size(), at, at.line, at.column + static_cast<int>(field.size()), 0,
          field};
}

// The next row's keyword field. Nothing when the file ends: the last field
// of a file is never taken as a row.
std::optional<RowReader::RowKeyword> RowReader::read_row_keyword() {
  if (fields_.at_end()) return std::nullopt;
  std::string_view field = fields_.read_text();
  for (int skips = 0; skips < kRowHyphenSkips && has_hyphen(field) && !fields_.at_end(); ++skips) {
    field = fields_.read_text();
  }
  if (fields_.at_end()) {
    last_ = field_read(field);
    return std::nullopt;
  }
  return RowKeyword{field, fields_.field_location()};
}

bool RowReader::find_general_section() {
  std::string_view field;
  do {
    stop_.stop_if_requested();
    field = fields_.read_text();
    if (fields_.at_end()) return false;
  } while (!contains_any_case(field, kGeneralSection));
  general_ = field_read(field);
  if (recorder_) recorder_->listen_to(fields_);
  return true;
}

Flow RowReader::read_header(RowHandler& handler) {
  while (!fields_.at_end()) {
    stop_.stop_if_requested();
    std::string_view keyword = fields_.read_text();
    if (fields_.at_end()) break;
    for (int i = 0; i < kHeaderHyphenSkips && has_hyphen(keyword); ++i) {
      keyword = fields_.read_text();
    }
    const SourceLocation at = fields_.field_location();
    if (read_row(handler, RowPart::kHeader, keyword, at) == Flow::kStop) return Flow::kStop;
    if (ends_header(keyword)) break;
  }
  return Flow::kGoOn;
}

Flow RowReader::read_rows(RowHandler& handler) {
  while (const std::optional<RowKeyword> keyword = read_row_keyword()) {
    stop_.stop_if_requested();
    const Flow flow = reads_past_faults()
                          ? read_row_past_a_fault(handler, *keyword)
                          : read_row(handler, RowPart::kRows, keyword->text, keyword->where);
    if (flow == Flow::kGoOn) continue;
    if (!errors_.reads_past_stopping_rows()) return flow;
    fields_.skip_rest_of_line();
  }
  return Flow::kEndStep;
}

// A fault at the field being read, in a row that has changed nothing, is
// recorded as error 25 and the reading goes on after the line it struck in:
// the compile goes on as a compile of the text with that row, to that line's
// end, blanked out would, so that check needs no second compile for it. The
// row's record is closed as a fault's is.
Flow RowReader::read_row_past_a_fault(RowHandler& handler, const RowKeyword& keyword) {
  const ErrorLog::Marks marks = errors_.marks();
  const int32_t profile_point = handler.profile_point();
  try {
    return read_row(handler, RowPart::kRows, keyword.text, keyword.where);
  } catch (const Fault& fault) {
    const SourceLocation at = fault.where().known() ? fault.where() : fields_.field_location();
    if (at != fields_.field_location() || !recorder_->open_row_changed_nothing() ||
        handler.profile_point() != profile_point || !fields_.skip_rest_of(at.line)) {
      throw;
    }
    recorder_->fault(at);
    errors_.record(ErrorCode::kRunTimeFault,
                   file_ == TextFile::kLine ? Source::kLineFile : Source::kTrainFile, at,
                   fault.what());
    errors_.restore(marks);
    return Flow::kGoOn;
  }
}

// Every kind of the part that the keyword names runs, in the table's order,
// each reading its own values: a field naming two kinds consumes two rows.
Flow RowReader::read_row(RowHandler& handler, RowPart part, std::string_view keyword,
                         SourceLocation at) {
  bool named = false;
  const std::span<const RowKindInfo> kinds = row_kinds(file_, part);
  const uint32_t kinds_named = keywords_.kinds_named(part, keyword);
  for (size_t i = 0; i < kinds.size(); ++i) {
    if ((kinds_named >> i & 1) == 0 || !handler.reads(kinds[i].kind)) continue;
    named = true;
    const Flow flow = read_kind(handler, part, kinds[i], keyword, at);
    if (flow != Flow::kGoOn) return flow;
  }
  if (!named && recorder_) recorder_->no_kind(part);
  return Flow::kGoOn;
}

Flow RowReader::read_kind(RowHandler& handler, RowPart part, const RowKindInfo& kind,
                          std::string_view keyword, SourceLocation at) {
  values_.open(kind, keyword, at);
  const auto read = [&] {
    return naming_the_value(fields_, kind.kind, at.line, [&] { return handler.row(values_); });
  };
  if (!recorder_) return read();
  const int32_t profile_from = handler.profile_point();
  recorder_->kind_begins(part, kind.kind);
  const Flow flow = read();
  recorder_->kind_ends(flow == Flow::kGoOn ? 0 : errors_.error_number(), profile_from,
                       handler.profile_point());
  return flow;
}

void RowReader::throw_from_row(const Fault& fault) {
  sc::throw_from_row(fault, fields_, recorder_ ? &*recorder_ : nullptr);
}

}  // namespace sc
