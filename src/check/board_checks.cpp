#include "check/board_checks.h"

#include <algorithm>
#include <string>

#include "model/object_rules.h"

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

bool shows(const LimitBoard& board, const LimitRow* limit) {
  return limit && std::find(std::begin(board.speeds), std::end(board.speeds), limit->speed) !=
                      std::end(board.speeds);
}

}  // namespace

void check_boards_against_limits(LintContext& line, std::vector<LimitRow> limits) {
  if (line.limit_boards.empty()) return;
  const auto by_position = [](const LimitRow& a, const LimitRow& b) {
    return a.position < b.position;
  };
  // Speed rows are mostly written in route order.
  if (!std::is_sorted(limits.begin(), limits.end(), by_position)) {
    std::stable_sort(limits.begin(), limits.end(), by_position);
  }
  for (const LimitBoard& board : line.limit_boards) {
    // The board stands a cell past its position: it may be written where the
    // limit starts or a cell before, to stand where the limit starts.
    const int64_t stands_at = object_landing(object_cell(board.position));
    const LimitRow* limit = limit_at(limits, stands_at);
    if (!limit || shows(board, limit) || shows(board, limit_at(limits, board.position))) continue;
    Finding& finding = line.warn(
        Warning::kBoardSpeed, board.at,
        "this speed board shows " + km_h(board.speeds[0]) + ", " + km_h(board.speeds[1]) + " and " +
            km_h(board.speeds[2]) + ", but the train file's speed limit where it stands, at " +
            std::to_string(stands_at) + " m, is " + km_h(limit->speed) +
            ": a board without stripes stands where a limit starts and shows it as its second "
            "and third speed; change the board or the speed row");
    finding.notes.push_back({"the limit of " + km_h(limit->speed) + " holds from " +
                                 std::to_string(limit->position) + " m",
                             Source::kTrainFile, limit->at});
  }
}

}  // namespace sc
