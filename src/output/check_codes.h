#pragma once

#include <cstdint>

#include "model/model.h"

namespace sc {

// Checksums of the two identifiers in entries 85 (line) and 86 (train).
int32_t codice_gara_st(const ScenarioTable& table);
int32_t codice_gara_og(const ScenarioTable& table);

// Stores the format markers 610 and 5121 and the two check codes. Returns 0,
// or the fatal error number (1250, 1251) when a slot was already taken.
[[nodiscard]] int store_markers_and_codes(Scenario& model);

}  // namespace sc
