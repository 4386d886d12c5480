#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sc {

// The identifiers of the built-in scenario.
inline constexpr const char* kBuiltInLineName = "Vardeo_Lustrella";
inline constexpr const char* kBuiltInTrainNumber = "K7306";

// Closes every document line list; never written to a file.
inline constexpr std::string_view kEndMarker = "riferimento fine del file";

// A document line list: its lines, then the end marker.
using DocumentLines = std::vector<std::string>;

// The bytes of a document: every line up to the end marker, each followed by
// CR LF.
std::string render_document(const DocumentLines& lines);

DocumentLines dati_linea();          // line text file
DocumentLines dati_treno();          // train text file
DocumentLines dati_note();           // notes file (empty)
DocumentLines dati_rallentamenti();  // slowdown order form
DocumentLines dati_scheda();         // train sheet

}  // namespace sc
