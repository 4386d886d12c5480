#include "check/finding.h"

#include <utility>

namespace sc {

Finding warning_at(Warning code, Source source, SourceLocation location, std::string message) {
  return {.severity = Severity::kWarning,
          .source = source,
          .location = location,
          .message = std::move(message),
          .name = std::string(warning_info(code).name),
          .error_number = 0,
          .position = std::nullopt,
          .notes = {}};
}

}  // namespace sc
