#pragma once

#include <iosfwd>

namespace sc {

// `scenario-compiler lsp`: a language server for line and train files on
// `in` and `out`, logging to `log`. Ends the process with its exit status.
[[noreturn]] void run_lsp(std::istream& in, std::ostream& out, std::ostream& log);

}  // namespace sc
