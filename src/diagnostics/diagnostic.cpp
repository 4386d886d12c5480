#include "diagnostics/diagnostic.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace sc {

Finding error_from(const Diagnostic& d) {
  return {.severity = Severity::kError,
          .source = d.source,
          .location = d.location,
          .message = d.message,
          .name = std::string(error_info(d.code).name),
          .error_number = d.number,
          .position = d.has_position ? std::optional(d.position) : std::nullopt,
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
