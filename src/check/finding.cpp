#include "check/finding.h"

#include <utility>

namespace sc {

Finding warning_at(Warning code, Source source, SourceRange range, std::string message) {
  return {.severity = Severity::kWarning,
          .source = source,
          .location = range.begin,
          .end = range.end,
          .message = std::move(message),
          .code = code,
          .position = std::nullopt,
          .notes = {},
          .fixes = {}};
}

}  // namespace sc
