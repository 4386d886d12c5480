#include "documents/documents.h"

namespace sc {

std::string render_document(const DocumentLines& lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (line == kEndMarker) break;
    out += line;
    out += "\r\n";
  }
  return out;
}

// The notes file is left for the user: it is written empty.
DocumentLines dati_note() {
  return {std::string(kEndMarker)};
}

}  // namespace sc
