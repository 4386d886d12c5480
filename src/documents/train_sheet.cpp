#include "documents/documents.h"

namespace sc {
namespace {

// A timetable row with nothing in it: the column bars only.
constexpr const char* kEmptyTimetableRow =
    " |     |     |          |     |                            |                |     |";
// Closes the timetable heading and the timetable itself.
constexpr const char* kTimetableRule =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
// Room left under the last location for the driver's own entries.
constexpr int kEmptyRowsAfterLastLocation = 11;

}  // namespace

// The driver's timetable form for the built-in service. Every value on it is
// fixed text, not taken from the identifiers or from the compiled model.
DocumentLines dati_scheda() {
  DocumentLines lines = {
      "",
      "",
      "  ___________________                                               ______________",
      " |                   |                    SCHEDA                   |              |",
      " |   TRENO n.K7306   |                   da: Vardeo                |    V160 B    |",
      " |___________________|                    a: Lustrella             |     125%     |",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        R1         |              |      400T         |",
      " |___________________|              |___________________|",
      "",
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      kTimetableRule,
      " | 80  |     |0,03      |     |Vardeo                      | --.-- 08.42    |     |",
      kEmptyTimetableRow,
      " |     |     |6,36      |     |Bodrea                      |08.47.30  08.48 |     |",
      kEmptyTimetableRow,
      " | 75  |     |9,186     |     |Sbocco galleria Tolmera     |                |     |",
      " |     |     |          |     |lato Lustrella              |                |     |",
      kEmptyTimetableRow,
      " |     |     |10,41     |     |Tolmera                     |08.50.30  08.51 |     |",
      kEmptyTimetableRow,
      " |     |     |12,62     |     |Ravate Lomessa              |08.53.00  08.54 |     |",
      kEmptyTimetableRow,
      " |     |     |16,66     |     |Frelasco                    |08.57.30  08.58 |     |",
      kEmptyTimetableRow,
      " |     |     |20,35     |     |S. Vitaldo Valtrescia       |09.01.30  09.02 |     |",
      kEmptyTimetableRow,
      " | 60  |     |21,205    |     |Ponte torrente Rivascura    |                |     |",
      kEmptyTimetableRow,
      " |     |     |24,86     |     |Borga Ventolario            |09.08.30  09.09 |     |",
      kEmptyTimetableRow,
      " |     |     |26,31     |     |Lustrella                   |09.13.00        |     |",
  };
  lines.insert(lines.end(), kEmptyRowsAfterLastLocation, kEmptyTimetableRow);
  lines.insert(lines.end(), {kTimetableRule, "", std::string(kEndMarker)});
  return lines;
}

}  // namespace sc
