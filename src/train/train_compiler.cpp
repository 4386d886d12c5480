#include "train/train_compiler.h"

namespace sc {

void compile_train_file(std::string_view /*text*/, int /*board_cursor*/, Scenario& /*model*/,
                        ErrorLog& /*errors*/) {}

}  // namespace sc
