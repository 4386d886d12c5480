#include "documents/documents.h"

namespace sc {

// The built-in train service, in the row syntax the train file compiler reads.
DocumentLines dati_treno() {
  return {
      "[generale]",
      "numero vetture,    2",
      "percentuale massa frenata,    125",
      "sabbia,    50",
      "orologio,    8               41            0 ",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,       0,    80",
      "velocita,    9200,    75",
      "velocita,   14750,    90",
      "velocita,   21200,    60",
      "[stazioni]",
      "stazione,       0, 12,  600,  0, 0, 0,  1,1,0,  4,1,1,    1,   8,42, 0, VARDEO",
      "stazione,    6350, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   8,48, 0, BODREA",
      "stazione,   10400, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   8,51, 0, TOLMERA",
      "stazione,   12600, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,   30,   8,54, 0, RAVATE LOMESSA",
      "stazione,   16600, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   8,58, 0, FRELASCO",
      "stazione,   20350, 28,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   9, 2, 0, SAN VITALDO",
      "stazione,   24850, 27,  200,  0, 0, 0,  0,0,0,  0,0,0,   30,   9, 9, 0, BORGA VENTOLARIO",
      "stazione,   26350, 12,  300,  1, 0, 0,  1,1,0,  2,1,1,    0,   9,13, 0, LUSTRELLA",
      "[rallentamenti]",
      "[segnali]",
      "segnale,   11400,   1, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   12200,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   23900,   1, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   24750,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "[codici]",
      "[fine]",
      std::string(kEndMarker),
  };
}

}  // namespace sc
