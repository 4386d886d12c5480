#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/model.h"
#include "textio/fault.h"

namespace sc {

// How a signal-repetition row ends.
enum class RepetitionCheck {
  kAccepted,
  kFirstNotMultipleOf50,   // error 3
  kSecondNotMultipleOf50,  // error 4
  kNoCode,                 // error 5: the keyword holds neither "4" nor "9"
};

// Stores both repetition values in `train_header` as read, then, when they are
// acceptable, the repetition code taken from the keyword field (0 when the
// second value is 0).
RepetitionCheck store_signal_repetition(TableEntry& train_header, std::string_view keyword,
                                        int32_t first, int32_t second);

// Where the first and second values of the kilometre reference rows stand,
// by entry as read: 81 ("tre"), 82 ("due"), 83 ("uno").
struct ReferenceFields {
  std::array<SourceLocation, 3> a;
  std::array<SourceLocation, 3> b;
};

// Puts the three kilometre references into their fixed order: entry 81 the
// greatest first value, 83 the smallest; a third value of 1 then adds 100 m
// to the second. Throws Fault, at the field concerned, when the sum of the
// first values or a second value plus 100 does not fit 32 bits. Returns where
// the values now in entries 81 to 83 were read.
ReferenceFields progressive_ordina(ScenarioTable& table, const ReferenceFields& fields = {});

}  // namespace sc
