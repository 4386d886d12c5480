#include "line/tunnels.h"

#include <algorithm>

#include "model/object_rules.h"
#include "textio/narrow.h"

namespace sc {

void memo_montagna(Scenario& model, TunnelList& tunnels, int32_t inizio, int32_t fine, int32_t tipo,
                   SourceLocation inizio_at) {
  TunnelKind kind = tunnel_kind(tipo);
  if (tunnels.previous_end) {
    // The gap must fit 32 bits.
    checked_sub(inizio, *tunnels.previous_end, "the gap after the previous tunnel", inizio_at);
    if (close_tunnel(inizio, *tunnels.previous_end)) kind.type = kCloseTunnelType;
  }
  tunnels.previous_end = fine;

  const TunnelCells span = tunnel_cells(inizio, fine);
  const int64_t last = std::min<int64_t>(span.last, model.last_cell());
  for (int64_t i = span.first; i <= last; ++i) {
    Cell& cell = cell_at(model, i, inizio_at);
    cell.tunnel_type = low_bits<uint8_t>(kind.type);
    if (kind.markers && tunnel_marker_cell(span.first, i) && cell.type_code == cell_type::kEmpty) {
      cell.type_code = cell_type::kTunnelMarker;
    }
  }
}

}  // namespace sc
