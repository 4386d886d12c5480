#include "diagnostics/diagnostic.h"

#include <algorithm>
#include <tuple>
#include <utility>

namespace sc {

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
