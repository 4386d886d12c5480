#include "check/finding.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace sc {

Finding warning_at(Warning code, Source source, SourceLocation location, std::string message) {
  return {.severity = Severity::kWarning,
          .source = source,
          .location = location,
          .message = std::move(message),
          .name = std::string(warning_info(code).name),
          .error_number = 0,
          .notes = {}};
}

Finding error_from(const Diagnostic& d) {
  return {.severity = Severity::kError,
          .source = d.source,
          .location = d.location,
          .message = d.message,
          .name = std::string(error_info(d.code).name),
          .error_number = d.number,
          .notes = {}};
}

void sort_in_file_order(std::vector<Finding>& findings) {
  const auto file_rank = [](Source source) {
    return source == Source::kLineFile ? 0 : source == Source::kTrainFile ? 1 : 2;
  };
  std::stable_sort(findings.begin(), findings.end(), [&](const Finding& a, const Finding& b) {
    return std::tuple(file_rank(a.source), a.location.line, a.location.column) <
           std::tuple(file_rank(b.source), b.location.line, b.location.column);
  });
}

}  // namespace sc
