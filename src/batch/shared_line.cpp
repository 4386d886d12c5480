#include "batch/shared_line.h"

#include <utility>

namespace sc {

SharedLine compile_shared_line(const std::string& line_text, const std::string& line_name,
                               ProfileChoice profile, bool lint) {
  SharedLine shared;
  if (lint) shared.lint.emplace();
  shared.line = compile_line_of_run(line_text, line_name, profile, RowErrors::kStopTheFile,
                                    shared.lint ? &*shared.lint : nullptr);
  shared.profile = std::move(shared.line.run.model.profile);
  shared.line.run.model.profile.reset();
  return shared;
}

RunOutcome compile_train_against(const SharedLine& shared, const std::string& train_text,
                                 const std::string& train_number, RowListener* listener) {
  return compile_train_of_run(shared.line, train_text, train_number, listener);
}

}  // namespace sc
