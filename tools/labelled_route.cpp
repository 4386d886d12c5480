#include "labelled_route.h"

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "format/row_kinds.h"
#include "format/row_writer.h"
#include "model/object_rules.h"

namespace sc {
namespace {

constexpr int32_t kBlockCells = 40;  // 2 km
constexpr int32_t kShortest = 2000;
constexpr int32_t kLongest = 50000;  // stations and text boards share 78 table entries

// The cells of one block, counted from its first. Cells 0 to 2 stay free
// for the route's first block (cell 1 holds a format marker); the station
// takes 16 to 24, its stop cell and approach marks among them.
namespace slot {
constexpr std::array<int32_t, 3> kSpeedBoards = {3, 5, 7};
constexpr std::array<int32_t, 2> kTextBoards = {9, 11};
constexpr int32_t kStation = 20;
constexpr std::array<int32_t, 2> kSignals = {26, 30};
constexpr int32_t kTunnelStart = 27;
constexpr int32_t kTunnelEnd = 33;
constexpr int32_t kPointWithoutCode = 34;
// A slowdown of 110 km/h or more gets no post-pass marks; its warning
// stands 24 cells before its start, in 12.
constexpr int32_t kSlowdownStart = 36;
constexpr int32_t kSlowdownEnd = 38;
constexpr int32_t kCodeChange = 39;
constexpr int32_t kCurveStart = 3;
}  // namespace slot

constexpr std::array<std::string_view, 10> kStationNames = {"SANT'AGATA DI MONTE ALTO",
                                                            "PORTO VECCHIO",
                                                            "BIVIO SAN ROCCO",
                                                            "VALLE DEI MULINI SUPERIORE",
                                                            "CASELLE",
                                                            "PIEVE DI SAN GIOVANNI ALL'ISOLA",
                                                            "ROCCA",
                                                            "MONTEFIORE SCALO",
                                                            "TORRE DEL LAGO PUCCINESE",
                                                            "BORGO"};

constexpr std::array<std::string_view, 8> kBoardTexts = {"Galleria del Monte Rosso, lato nord",
                                                         "Ponte sul Rio Freddo",
                                                         "Passaggio a livello km 12+300",
                                                         "Posto di movimento Colle Alto",
                                                         "Inizio tratta a binario unico",
                                                         "Fine tratta a binario unico",
                                                         "Bivio Nord",
                                                         "PL 3"};

// Turns of the track per block, in degrees to the left; they add up to
// nothing over the list, so the line keeps its heading from one round to the
// next.
constexpr std::array<int32_t, 8> kTurns = {90, -90, -90, 90, 180, -180, 45, -45};
constexpr double kClassSixTurnPerMetre = 0.003;
constexpr double kRadiansPerDegree = 3.14159265358979 / 180;

// Signals, slowdowns and boards stand in the cell position / 50 + 1;
// stations, tunnels, curves and code-change points in position / 50.
int32_t before(int32_t cell) {
  return static_cast<int32_t>(object_position(cell));
}
int32_t at(int32_t cell) {
  return cell * kCellMetres;
}

template <typename Write>
void each_block(int32_t length, Write write) {
  for (int32_t b = 0; (b + 1) * kBlockCells * kCellMetres <= length; ++b) write(b, b * kBlockCells);
}

std::string line_text(int32_t length) {
  TextRows f;
  f.line(section_name(Section::kGeneral));
  f.row(keyword_of(RowKind::kRouteLength), length);
  f.row(keyword_of(RowKind::kReferenceUno), 0, 0, 0);
  f.row(keyword_of(RowKind::kReferenceDue), length / 100 * kCellMetres, 1000, 0);
  f.row(keyword_of(RowKind::kReferenceTre), length / 50 * kCellMetres, 2000, 1);
  f.row(keyword_of(RowKind::kBackgroundUno), 0);
  f.row(keyword_of(RowKind::kBackgroundDue), 1);
  f.row(keyword_of(RowKind::kBackgroundTre), 2);
  f.row(repetition_keyword(4), 1000, 50);
  f.line(section_name(Section::kGradients));
  for (int32_t p = 0; p < length; p += 500)
    f.row(keyword_of(RowKind::kGradient), p, (p / 500 * 13) % 51 - 25);
  f.line(section_name(Section::kCurves));
  each_block(length, [&](int32_t b, int32_t first) {
    const int32_t turn = kTurns[static_cast<size_t>(b) % kTurns.size()];
    const auto arc =
        static_cast<int32_t>(std::abs(turn) * kRadiansPerDegree / kClassSixTurnPerMetre);
    f.row(curve_keyword(CurveKeyword{'6', turn > 0}), at(first + slot::kCurveStart), arc);
  });
  f.line(section_name(Section::kTunnels));
  each_block(length, [&](int32_t b, int32_t first) {
    if (b % 2 == 0)
      f.row(keyword_of(RowKind::kTunnel), at(first + slot::kTunnelStart),
            at(first + slot::kTunnelEnd), 11);
  });
  f.line(section_name(Section::kSpeedBoards));
  each_block(length, [&](int32_t b, int32_t first) {
    for (size_t k = 0; k < slot::kSpeedBoards.size(); ++k) {
      const auto v = static_cast<int32_t>(60 + 10 * ((b + k) % 7));
      const bool right = (b + k) % 3 == 0;
      f.row(keyword_of(RowKind::kSpeedBoard), before(first + slot::kSpeedBoards[k]), v - 5, v, v,
            b % 2, right ? 40 : 0, right ? 50 : 0, right ? 50 : 0, 0);
    }
  });
  f.line(section_name(Section::kTextBoards));
  each_block(length, [&](int32_t b, int32_t first) {
    for (size_t k = 0; k < slot::kTextBoards.size(); ++k) {
      f.row(keyword_of(RowKind::kTextBoard), before(first + slot::kTextBoards[k]),
            kBoardTexts[(2 * static_cast<size_t>(b) + k) % kBoardTexts.size()]);
    }
  });
  f.line(section_name(Section::kEnd));
  return f.take();
}

std::string train_text(int32_t length) {
  TextRows f;
  f.line(section_name(Section::kGeneral));
  f.row(keyword_of(RowKind::kCars), 8);
  f.row(keyword_of(RowKind::kBrakedMass), 125);
  f.row(keyword_of(RowKind::kSand), 50);
  f.row(keyword_of(RowKind::kClock), 6, 0, 0);
  f.line(section_name(Section::kAdhesions));
  f.row(keyword_of(RowKind::kAdhesion), 0, 100);
  f.line(section_name(Section::kSpeedLimits));
  each_block(length, [&](int32_t b, int32_t first) {
    f.row(keyword_of(RowKind::kSpeedLimit), at(first), 80 + 20 * (b % 3));
  });
  f.line(section_name(Section::kStations));
  each_block(length, [&](int32_t b, int32_t first) {
    const int32_t time = 6 * 3600 + b * 180;
    f.row(keyword_of(RowKind::kStation), at(first + slot::kStation), b % 3 == 2 ? 28 : 12, 200, 0,
          0, 0, 1, 1, 0, 4, 1, 1, b == 0 ? 1 : 30, time / 3600, time / 60 % 60, time % 60,
          kStationNames[static_cast<size_t>(b) % kStationNames.size()]);
  });
  f.line(section_name(Section::kSlowdowns));
  each_block(length, [&](int32_t b, int32_t first) {
    const int32_t start = before(first + slot::kSlowdownStart);
    f.row(keyword_of(RowKind::kSlowdown), start, 110 + 10 * (b % 2),
          before(first + slot::kSlowdownEnd) - start, 1, 0, 0);
  });
  f.line(section_name(Section::kSignals));
  each_block(length, [&](int32_t, int32_t first) {
    for (int32_t cell : slot::kSignals)
      f.row(keyword_of(RowKind::kSignal), before(first + cell), 1, 4, 1, 1, 0, 2, 2, 1, 1, 0);
  });
  f.line(section_name(Section::kCodes));
  each_block(length, [&](int32_t, int32_t first) {
    f.row(keyword_of(RowKind::kAbbattimento), at(first + slot::kPointWithoutCode), 0);
    f.row(keyword_of(RowKind::kAbbattimento), at(first + slot::kCodeChange), 180);
  });
  f.line(section_name(Section::kEnd));
  return f.take();
}

}  // namespace

RouteTexts labelled_route(int32_t length) {
  if (length < kShortest || length > kLongest) {
    throw std::invalid_argument("route length " + std::to_string(length) + " lies outside " +
                                std::to_string(kShortest) + " to " + std::to_string(kLongest) +
                                " m");
  }
  return {line_text(length), train_text(length)};
}

}  // namespace sc
