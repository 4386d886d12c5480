#include "decompile/code_changes.h"

#include <optional>
#include <string>

#include "decompile/decompile.h"
#include "model/format_rules.h"
#include "output/post_pass.h"

namespace sc {
namespace {

// Each attempt runs the whole pass; a search this long means the marks do
// not come from the pass.
constexpr int kMaxAttempts = 4096;

// One run of the pass. At each free cell the pass is about to mark, the
// decisions say whether a row took the cell first (true) or the pass marks it
// (false, the default for decisions not yet made).
struct Attempt {
  bool clean = true;
  // Decisions made before the pass first marked a cell that must stay free.
  size_t decisions_before_fault = 0;
  std::vector<int32_t> rows;
};

Attempt run_pass(const std::vector<Cell>& before_pass, const std::vector<bool>& marked,
                 std::vector<bool>& decisions) {
  Scenario work;
  work.cells = before_pass;
  Attempt attempt;
  size_t next = 0;
  const MarkChoice choose = [&](int32_t index) {
    if (!marked[static_cast<size_t>(index)]) {
      if (attempt.clean) attempt.decisions_before_fault = next;
      attempt.clean = false;
      return true;
    }
    if (next == decisions.size()) decisions.push_back(false);
    if (!decisions[next++]) return true;
    Cell& cell = work.cells[static_cast<size_t>(index)];
    cell.type_code = cell_type::kCodeChange;
    cell.*cell_slot::kCode = kInsertedCode;
    attempt.rows.push_back(index);
    return false;
  };
  ErrorLog ignored;
  block_post_pass(work, ignored, choose);
  // Marked cells the pass never looked at come from rows as well.
  for (size_t i = 0; i < marked.size(); ++i) {
    if (marked[i] && work.cells[i].type_code != cell_type::kCodeChange) {
      attempt.rows.push_back(static_cast<int32_t>(i));
    }
  }
  return attempt;
}

}  // namespace

std::vector<int32_t> code_change_rows(const std::vector<Cell>& before_pass,
                                      const std::vector<bool>& marked) {
  std::vector<bool> decisions;
  for (int i = 0; i < kMaxAttempts; ++i) {
    Attempt attempt = run_pass(before_pass, marked, decisions);
    if (attempt.clean) return attempt.rows;
    // Back to the last decision the fault could depend on that can still
    // change: a mark the pass made becomes a row's.
    decisions.resize(attempt.decisions_before_fault);
    while (!decisions.empty() && decisions.back()) decisions.pop_back();
    if (decisions.empty()) break;
    decisions.back() = true;
  }
  throw DecompileError(
      "the code-change cells of value 180 cannot be split into rows and the marks of the block "
      "post-pass: the pass would mark a cell that holds nothing");
}

}  // namespace sc
