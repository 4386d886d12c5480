#include "check/board_checks.h"

#include <algorithm>
#include <string>

namespace sc {
namespace {

std::string km_h(int64_t speed) {
  return std::to_string(speed) + " km/h";
}

// The row whose limit holds at `position`: the one nearest before it, the
// later in the file of two at the same position.
const LimitRow* limit_at(const std::vector<LimitRow>& by_position, int64_t position) {
  const auto after =
      std::upper_bound(by_position.begin(), by_position.end(), position,
                       [](int64_t p, const LimitRow& row) { return p < row.position; });
  return after == by_position.begin() ? nullptr : &*std::prev(after);
}

}  // namespace

void check_boards_against_limits(LintContext& line, std::vector<LimitRow> limits) {
  if (line.limit_boards.empty()) return;
  std::stable_sort(limits.begin(), limits.end(),
                   [](const LimitRow& a, const LimitRow& b) { return a.position < b.position; });
  for (const LimitBoard& board : line.limit_boards) {
    const LimitRow* limit = limit_at(limits, board.position);
    if (!limit || std::ranges::find(board.speeds, limit->speed) != std::end(board.speeds)) {
      continue;
    }
    Finding& finding = line.warn(
        Warning::kBoardSpeed, board.at,
        "this speed board shows " + km_h(board.speeds[0]) + ", " + km_h(board.speeds[1]) + " and " +
            km_h(board.speeds[2]) + ", but the train file's speed limit at " +
            std::to_string(board.position) + " m is " + km_h(limit->speed) +
            ": a board without stripes stands where a limit starts and shows it as its second "
            "and third speed; change the board or the speed row");
    finding.notes.push_back({"the limit of " + km_h(limit->speed) + " holds from " +
                                 std::to_string(limit->position) + " m",
                             Source::kTrainFile, limit->at});
  }
}

}  // namespace sc
