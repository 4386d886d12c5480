#include "documents/documents.h"

namespace sc {
namespace {

// An order row left blank for the dispatcher to fill in: the column bars only.
constexpr const char* kEmptyOrderRow =
    " |   |                            |            |          |         |            |";
// Closes the table heading and the table itself.
constexpr const char* kTableRule =
    " |___|____________________________|____________|__________|_________|____________|";
constexpr int kEmptyOrderRows = 26;

}  // namespace

// The blank slowdown order form. Its place-holders for the line and the train
// are written as they stand, not filled in.
DocumentLines dati_rallentamenti() {
  DocumentLines lines = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  xxxxxx xxxxxxx",
      "",
      "  Si ordina al macchinista del treno xxxxx di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      kTableRule,
  };
  lines.insert(lines.end(), kEmptyOrderRows, kEmptyOrderRow);
  // The notes come in the order A, B, D, C, and note C runs on over two lines.
  lines.insert(lines.end(), {
                                kTableRule,
                                "",
                                "              Prescrizioni specifiche",
                                " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                                " B - Interessa anche la stazione di.......",
                                " D - Rallentamneto N. ... e N. ...  sono contigui",
                                " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                                "     i giorni esclusi i seguenti:.........",
                                std::string(kEndMarker),
                            });
  return lines;
}

}  // namespace sc
