#pragma once

#include <cstdint>
#include <optional>

#include "model/model.h"
#include "textio/fault.h"

namespace sc {

// The end of the previous tunnel row of the same compile call.
struct TunnelList {
  std::optional<int32_t> previous_end;
};

// A tunnel over the metres `inizio` to `fine` - 1. A `tipo` above 10 is type
// `tipo` - 10 with a marker in every fourth cell that holds nothing; a tunnel
// starting 150 m or less after the previous one's end is type 3. The span is
// cut at the last cell. Never records an error.
void memo_montagna(Scenario& model, TunnelList& tunnels, int32_t inizio, int32_t fine, int32_t tipo,
                   SourceLocation inizio_at);

}  // namespace sc
