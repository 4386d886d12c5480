#include "model/cell_objects.h"

#include "model/model.h"

namespace sc {

std::optional<CellObjectName> cell_object_name(uint8_t type_code) {
  switch (type_code) {
    case cell_type::kSignal:
      return CellObjectName{"signal", "a signal"};
    case cell_type::kSlowdownEnd:
      return CellObjectName{"slowdown's end", "the end of a slowdown"};
    case cell_type::kSlowdownStart:
      return CellObjectName{"slowdown's start", "the start of a slowdown"};
    case cell_type::kSlowdownWarning:
      return CellObjectName{"slowdown's warning", "the warning of a slowdown"};
    case cell_type::kCountdown:
      return CellObjectName{"slowdown's countdown", "a slowdown countdown mark"};
    case cell_type::kSpeedBoard:
      return CellObjectName{"speed board", "a speed-limit board"};
    case cell_type::kStationStop:
      return CellObjectName{"station's stop cell", "a station stop"};
    // A code-change point is the abbattimento row's object that carries a
    // value.
    case cell_type::kCodeChange:
      return CellObjectName{"abbattimento point", "a code-change point"};
    case cell_type::kAbbattimento:
      return CellObjectName{"abbattimento point", "an abbattimento point"};
    case cell_type::kTextBoard:
      return CellObjectName{"text board", "a text board"};
    default:
      return std::nullopt;
  }
}

}  // namespace sc
