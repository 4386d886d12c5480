#include "lsp/value_notes.h"

#include <cstdint>

namespace sc::lsp {
namespace {

constexpr std::string_view kPassedOn = "passed on to the simulator as written";
constexpr std::string_view kCellStore = "the cell of position / 50, rounded";
constexpr std::string_view kCellPlusOneStore = "the cell of position / 50 + 1, rounded";

constexpr ValueNote kRouteLength[] = {
    {"metres", Grid::kNone,
     "0 to 1000000; the route gets cells up to (length + 7000) / 50, rounded"}};
constexpr ValueNote kReference[] = {
    {"metres", Grid::kNone, "the key by which the three references are sorted"},
    {"metres", Grid::kNone, "the kilometre shown at the key"},
    {"", Grid::kNone, "1 adds 100 to the kilometre value"}};
constexpr ValueNote kBackground[] = {{"", Grid::kNone, "the background number of the scenery"}};
constexpr ValueNote kRepetition[] = {
    {"metres", Grid::kNone, "a multiple of 50"},
    {"metres", Grid::kNone, "a multiple of 50; 0 turns the repetition code off"}};

constexpr ValueNote kGradient[] = {
    {"metres", Grid::kCell, kCellStore},
    {"", Grid::kNone,
     "one byte per cell, the gradient plus 100; -100 to 155 are stored faithfully"}};
constexpr ValueNote kCurve[] = {
    {"metres", Grid::kNone, "the profile point where the arc starts"},
    {"metres", Grid::kNone, "the arc's length, cut at the profile's end"}};
constexpr ValueNote kTunnel[] = {{"metres", Grid::kCell, kCellStore},
                                 {"metres", Grid::kCell, "the first metre after the tunnel"},
                                 {"", Grid::kNone, "1, 2 or 3; 11, 12 or 13 add tunnel markers"}};
constexpr ValueNote kSpeedBoard[] = {{"metres", Grid::kCellPlusOne, kCellPlusOneStore},
                                     {"km/h", Grid::kNone, "the first speed, packed with vad"},
                                     {"km/h", Grid::kNone, "the second speed, packed with vbd"},
                                     {"km/h", Grid::kNone, "the third speed, packed with vcd"},
                                     {"stripes", Grid::kNone, "packed with strisced"},
                                     {"km/h", Grid::kNone, "added as vad / 5"},
                                     {"km/h", Grid::kNone, "added as vbd / 5"},
                                     {"km/h", Grid::kNone, "added as vcd / 5"},
                                     {"stripes", Grid::kNone, "added as written"}};
constexpr ValueNote kTextBoard[] = {
    {"metres", Grid::kCellPlusOne, kCellPlusOneStore},
    {"", Grid::kNone,
     "the board's entry of the scenario table; in double quotes if it holds a comma"}};

constexpr ValueNote kBrakedMass[] = {{"", Grid::kNone, "the train's figure in the scenario table"}};
constexpr ValueNote kCars[] = {{"", Grid::kNone, "the train's number of cars"}};
constexpr ValueNote kSpeedLimit[] = {
    {"metres", Grid::kCell, kCellStore},
    {"km/h", Grid::kNone, "the speed limit of every cell from here on"}};
constexpr ValueNote kAdhesion[] = {{"metres", Grid::kCell, kCellStore},
                                   {"", Grid::kNone, "one byte per cell from here on"}};
constexpr ValueNote kClock[] = {{"", Grid::kNone, "0 to 23; the clock at the start of the run"},
                                {"", Grid::kNone, "0 to 59"},
                                {"", Grid::kNone, "0 to 59"}};
constexpr ValueNote kSand[] = {{"", Grid::kNone, "the train's sand value; 50 is the built-in one"}};
constexpr ValueNote kSignal[] = {
    {"metres", Grid::kCellPlusOne, kCellPlusOneStore},
    {"", Grid::kNone, "rapp x 10 + sx x 3 + dx; 2 also stores the time"},
    {"", Grid::kNone, "first aspect value: s1 x 10 + d1"},
    {"", Grid::kNone, "second aspect value: s2 x 10 + d2"},
    {"", Grid::kNone, "third aspect value: s3 x 10 + d3"},
    {"", Grid::kNone, "see sx"},
    {"", Grid::kNone, "see sx"},
    {"", Grid::kNone, "see s1"},
    {"", Grid::kNone, "see s2"},
    {"", Grid::kNone, "see s3"},
    {"", Grid::kNone, "the time byte when sx is 2: 1 to 100 become 101, the low 8 bits kept"}};
constexpr ValueNote kSlowdown[] = {
    {"metres", Grid::kCellPlusOne, kCellPlusOneStore},
    {"km/h", Grid::kNone, "stored in the start, end and warning cells"},
    {"metres", Grid::kNone, "the end cell is (start + length) / 50 + 1"},
    {"", Grid::kNone, "stored in the start and end cells"},
    {"", Grid::kNone, "not 0: four countdown cells before the warning"},
    {"", Grid::kNone, "not 0: stored in every cell of the slowdown"}};
constexpr ValueNote kAbbattimento[] = {
    {"metres", Grid::kCell, kCellStore},
    {"", Grid::kNone,
     "above 0: a code-change cell with this code (low 16 bits); else a plain point"}};
constexpr ValueNote kStation[] = {
    {"metres", Grid::kNone, "a multiple of 50; position + 800 must pass the position check"},
    {"", Grid::kNone, "decides the station's extent and its cells"},
    {"metres", Grid::kNone, "a multiple of 100"},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, "passed on; cleared below 600 m and for the first station"},
    {"", Grid::kNone, "not 0: the station ends 50 m further"},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, kPassedOn},
    {"", Grid::kNone, "with minutes and seconds, the time of day"},
    {"", Grid::kNone, "0 to 59"},
    {"", Grid::kNone, "0 to 59"},
    {"", Grid::kNone, "the station's name; in double quotes if it holds a comma"}};

}  // namespace

std::span<const ValueNote> value_notes(RowKind kind) {
  switch (kind) {
    case RowKind::kRouteLength:
      return kRouteLength;
    case RowKind::kReferenceTre:
    case RowKind::kReferenceDue:
    case RowKind::kReferenceUno:
      return kReference;
    case RowKind::kBackgroundUno:
    case RowKind::kBackgroundDue:
    case RowKind::kBackgroundTre:
      return kBackground;
    case RowKind::kSignalRepetition:
      return kRepetition;
    case RowKind::kGradient:
      return kGradient;
    case RowKind::kCurve:
      return kCurve;
    case RowKind::kTunnel:
      return kTunnel;
    case RowKind::kSpeedBoard:
      return kSpeedBoard;
    case RowKind::kTextBoard:
      return kTextBoard;
    case RowKind::kBrakedMass:
      return kBrakedMass;
    case RowKind::kCars:
      return kCars;
    case RowKind::kSpeedLimit:
      return kSpeedLimit;
    case RowKind::kAdhesion:
      return kAdhesion;
    case RowKind::kClock:
      return kClock;
    case RowKind::kSand:
      return kSand;
    case RowKind::kSignal:
      return kSignal;
    case RowKind::kSlowdown:
      return kSlowdown;
    case RowKind::kAbbattimento:
      return kAbbattimento;
    case RowKind::kStation:
      return kStation;
  }
  return {};
}

std::pair<int64_t, int64_t> accepted_range(ValueWidth width) {
  switch (width) {
    case ValueWidth::kByte:
      return {0, UINT8_MAX};
    case ValueWidth::kInteger:
      return {INT16_MIN, INT16_MAX};
    case ValueWidth::kLong:
    case ValueWidth::kText:
      break;
  }
  return {INT32_MIN, INT32_MAX};
}

std::string_view width_name(ValueWidth width) {
  switch (width) {
    case ValueWidth::kByte:
      return "Byte";
    case ValueWidth::kInteger:
      return "Integer";
    case ValueWidth::kLong:
      return "Long";
    case ValueWidth::kText:
      break;
  }
  return "text";
}

}  // namespace sc::lsp
