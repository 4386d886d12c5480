#pragma once

#include <cstdint>

namespace sc {

// Fixed numbers of the format that the compilers apply and that the tools
// reading or checking the same rows (the lint, the decompiler) must agree on.

// A signal whose `tempo` lies from kLowestTempo to kHighestTempo carries
// kRaisedTempo instead; only a signal with `sx` = kTimedSx stores its time.
constexpr int32_t kLowestTempo = 1;
constexpr int32_t kHighestTempo = 100;
constexpr int32_t kRaisedTempo = 101;
constexpr int32_t kTimedSx = 2;

// Slowdowns starting after kLastUnwarnedStart get a warning cell
// kWarningDistance metres ahead of the start, and a countdown.
constexpr int32_t kLastUnwarnedStart = 1500;
constexpr int32_t kWarningDistance = 1200;

// Signals and stations mark the cells before them, counting down.
constexpr int kApproachMarks = 4;
// A station's approach marks are this code times 10 plus the step.
constexpr int kStationMarkCode = 8;

// The code-change value the block post-pass writes.
constexpr int16_t kInsertedCode = 180;

}  // namespace sc
