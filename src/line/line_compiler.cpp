#include "line/line_compiler.h"

namespace sc {

LineResult compile_line_file(std::string_view /*text*/, int32_t /*j*/, Scenario& /*model*/,
                             ErrorLog& /*errors*/) {
  return {};
}

}  // namespace sc
