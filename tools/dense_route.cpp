#include "dense_route.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "format/row_kinds.h"
#include "format/row_writer.h"
#include "model/object_rules.h"

namespace sc {
namespace {

constexpr int32_t kArcEvery = 400;
constexpr int32_t kArcLength = 150;
constexpr int32_t kTunnelEvery = 5000;
constexpr int32_t kTunnelLength = 600;
constexpr int32_t kKilometre = 1000;
// Within each kilometre: the signal's and the speed board's cells, apart
// from each other and from the text boards' cells.
constexpr int32_t kSignalCell = 5;
constexpr int32_t kSpeedBoardCell = 11;
constexpr int32_t kTextBoards = 60;
constexpr int32_t kTextBoardCell = 15;
constexpr int32_t kOffGrid = 10;

// Signals and boards stand in the cell position / 50 + 1.
int32_t before(int32_t cell) {
  return static_cast<int32_t>(object_position(cell));
}

template <typename Write>
void every(int32_t step, int32_t length, Write write) {
  for (int32_t k = 0; k * step < length; ++k) write(k, k * step);
}

// The kilometres that fit whole in the route, each with its first cell.
template <typename Write>
void every_kilometre(int32_t length, Write write) {
  for (int32_t k = 0; (k + 1) * kKilometre <= length; ++k) write(k, k * (kKilometre / kCellMetres));
}

std::string line_text(int32_t length) {
  TextRows f;
  f.line(section_name(Section::kGeneral));
  f.row(keyword_of(RowKind::kRouteLength), length);
  f.row(keyword_of(RowKind::kReferenceUno), 0, 0, 0);
  f.line(section_name(Section::kGradients));
  every(kCellMetres, length,
        [&](int32_t k, int32_t p) { f.row(keyword_of(RowKind::kGradient), p, k * 7 % 21 - 10); });
  f.line(section_name(Section::kCurves));
  every(kArcEvery, length, [&](int32_t k, int32_t p) {
    const CurveKeyword curve{static_cast<char>('1' + k / 2 % 6), k % 2 != 0};
    f.row(curve_keyword(curve), p, kArcLength);
  });
  f.line(section_name(Section::kTunnels));
  every(kTunnelEvery, length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kTunnel), p, p + kTunnelLength, 11 + k % 3);
  });
  f.line(section_name(Section::kSpeedBoards));
  every_kilometre(length, [&](int32_t k, int32_t cell) {
    f.row(keyword_of(RowKind::kSpeedBoard), before(cell + kSpeedBoardCell), 95, 100, 100, k % 2, 7,
          0, 15, 0);
  });
  f.line(section_name(Section::kTextBoards));
  const int32_t kilometres = length / kKilometre;
  const int32_t boards = std::min(kTextBoards, kilometres);
  for (int32_t b = 0; b < boards; ++b) {
    const int32_t cell = b * kilometres / boards * (kKilometre / kCellMetres);
    f.row(keyword_of(RowKind::kTextBoard), before(cell + kTextBoardCell) + kOffGrid,
          "Posto di blocco " + std::to_string(b + 1));
  }
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
  f.line(section_name(Section::kSpeedLimits));
  every(kCellMetres, length, [&](int32_t k, int32_t p) {
    f.row(keyword_of(RowKind::kSpeedLimit), p, 60 + 5 * (k * 3 % 19));
  });
  f.line(section_name(Section::kAdhesions));
  every(kCellMetres, length,
        [&](int32_t k, int32_t p) { f.row(keyword_of(RowKind::kAdhesion), p, 60 + k * 7 % 41); });
  f.line(section_name(Section::kSignals));
  every_kilometre(length, [&](int32_t /*k*/, int32_t cell) {
    f.row(keyword_of(RowKind::kSignal), before(cell + kSignalCell), 1, 4, 1, 1, 0, 2, 2, 1, 1, 0);
  });
  f.line(section_name(Section::kEnd));
  return f.take();
}

}  // namespace

RouteTexts dense_route(int32_t length) {
  if (length < 0 || length > kLongestRoute) {
    throw std::invalid_argument("route length " + std::to_string(length) + " lies outside 0 to " +
                                std::to_string(kLongestRoute) + " m");
  }
  return {line_text(length), train_text(length)};
}

}  // namespace sc
