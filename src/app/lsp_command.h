#pragma once

#include <iosfwd>

namespace sc {

// `scenario-compiler lsp`: a language server for line and train files on
// `in` and `out`, logging to `log`. Returns the exit status.
int run_lsp(std::istream& in, std::ostream& out, std::ostream& log);

}  // namespace sc
