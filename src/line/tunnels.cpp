#include "line/tunnels.h"

#include <algorithm>

#include "model/cell_geometry.h"
#include "textio/narrow.h"

namespace sc {
namespace {

constexpr int32_t kMarkedTypeOffset = 10;
constexpr int64_t kCloseTunnelGap = 150;
constexpr uint8_t kCloseTunnelType = 3;
constexpr int64_t kMarkerEvery = 4;

}  // namespace

void memo_montagna(Scenario& model, TunnelList& tunnels, int32_t inizio, int32_t fine, int32_t tipo,
                   SourceLocation inizio_at) {
  int64_t type = tipo;
  const bool markers = tipo > kMarkedTypeOffset;
  if (markers) type -= kMarkedTypeOffset;
  if (tunnels.previous_end &&
      checked_sub(inizio, *tunnels.previous_end, "the gap after the previous tunnel", inizio_at) <=
          kCloseTunnelGap) {
    type = kCloseTunnelType;
  }
  tunnels.previous_end = fine;

  const int64_t first = cell_index(inizio);
  const int64_t last = std::min<int64_t>(cell_index(fine) - 1, model.last_cell());
  for (int64_t i = first; i <= last; ++i) {
    Cell& cell = cell_at(model, i, inizio_at);
    cell.tunnel_type = low_bits<uint8_t>(type);
    const bool marker_cell = (i - first + 1) % kMarkerEvery == 0;
    if (markers && marker_cell && cell.type_code == cell_type::kEmpty) {
      cell.type_code = cell_type::kTunnelMarker;
    }
  }
}

}  // namespace sc
