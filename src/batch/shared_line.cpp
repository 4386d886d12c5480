#include "batch/shared_line.h"

#include <utility>

namespace sc {

SharedLine compile_shared_line(const std::string& line_text, const std::string& line_name,
                               int32_t j, bool keep_rows) {
  SharedLine shared;
  if (keep_rows) shared.rows.emplace(true);
  shared.line = compile_line_of_run(line_text, line_name, j, RowErrors::kStopTheFile,
                                    shared.rows ? &*shared.rows : nullptr);
  shared.profile = std::move(shared.line.run.model.profile);
  shared.line.run.model.profile.reset();
  return shared;
}

RunOutcome compile_train_against(const SharedLine& shared, const std::string& train_text,
                                 const std::string& train_number, RowListener* listener) {
  if (listener && shared.rows) {
    for (const RowRecord& row : shared.rows->line) listener->row_read(row);
  }
  return compile_train_of_run(shared.line, train_text, train_number, listener);
}

}  // namespace sc
