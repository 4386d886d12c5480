#include "format/row_outline.h"

#include "format/row_reader.h"
#include "format/value_fault.h"

namespace sc {
namespace {

// Reads every value of each row; a value that cannot be read ends its row.
class OutlineReader final : public RowHandler, public RowListener {
 public:
  explicit OutlineReader(TextOutline& outline) : outline_(outline) {}

  Flow row(RowValues& values) override {
    try {
      values.read_all();
    } catch (const FieldFault& fault) {
      const int value = static_cast<int>(values.values_read());
      stop(fault, fault.field(),
           value_fault_message(values.kind(), value, fault, values.keyword_at().line));
      values.skip_rest_of_line();
    } catch (const Fault& fault) {
      stop(fault, {}, fault.what());
      values.skip_rest_of_line();
    }
    return Flow::kGoOn;
  }

  void row_read(const RowRecord& record) override { outline_.rows.push_back(record); }

 private:
  // The row being read is recorded once its values end.
  void stop(const Fault& fault, std::string field, std::string message) {
    outline_.stops.push_back(
        {outline_.rows.size(), fault.where(), std::move(field), std::move(message)});
  }

  TextOutline& outline_;
};

}  // namespace

TextOutline read_outline(std::string_view text, TextFile file) {
  TextOutline outline;
  OutlineReader reader(outline);
  ErrorLog errors;
  Scenario model;
  RowReader rows(text, file, errors, model, &reader);
  try {
    if (!rows.find_general_section()) return outline;
    outline.general = rows.general_section();
    // Every row reads on, so the header and the rows end only where they end.
    if (file == TextFile::kLine && rows.read_header(reader) != Flow::kGoOn) return outline;
    static_cast<void>(rows.read_rows(reader));
    outline.last = rows.last_field();
  } catch (const Fault& fault) {
    // A keyword field that cannot be read: the text past it reads as no row.
    outline.stops.push_back({outline.rows.size(), fault.where(), {}, fault.what()});
  }
  return outline;
}

}  // namespace sc
