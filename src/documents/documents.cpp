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

DocumentLines dati_linea() {
  return {std::string(kEndMarker)};
}
DocumentLines dati_treno() {
  return {std::string(kEndMarker)};
}
DocumentLines dati_note() {
  return {std::string(kEndMarker)};
}
DocumentLines dati_rallentamenti() {
  return {std::string(kEndMarker)};
}
DocumentLines dati_scheda() {
  return {std::string(kEndMarker)};
}

}  // namespace sc
