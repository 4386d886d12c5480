#include "lsp/value_notes.h"

#include <cstdint>

namespace sc::lsp {
namespace {

constexpr std::string_view kPassedOn = "passed on to the simulator as written";
constexpr std::string_view kCellStore = "the cell of position / 50, rounded";
constexpr std::string_view kCellPlusOneStore = "the cell of position / 50 + 1, rounded";

constexpr ValueNote kRouteLength[] = {
    {Grid::kNone, "0 to 1000000; the route gets cells up to (length + 7000) / 50, rounded",
     "10000"}};
constexpr ValueNote kReference[] = {
    {Grid::kNone, "the key by which the three references are sorted", "0"},
    {Grid::kNone, "the kilometre shown at the key", "0"},
    {Grid::kNone, "1 adds 100 to the kilometre value", "0"}};
constexpr ValueNote kBackground[] = {{Grid::kNone, "the background number of the scenery", "1"}};
constexpr ValueNote kRepetition[] = {
    {Grid::kNone, "a multiple of 50", "0"},
    {Grid::kNone, "a multiple of 50; 0 turns the repetition code off", "0"}};

constexpr ValueNote kGradient[] = {
    {Grid::kCell, kCellStore, "1000"},
    {Grid::kNone, "one byte per cell, the gradient plus 100; -100 to 155 are stored faithfully",
     "5"}};
constexpr ValueNote kCurve[] = {{Grid::kNone, "the profile point where the arc starts", "1000"},
                                {Grid::kNone, "the arc's length, cut at the profile's end", "200"}};
constexpr ValueNote kTunnel[] = {{Grid::kCell, kCellStore, "1000"},
                                 {Grid::kCell, "the first metre after the tunnel", "1500"},
                                 {Grid::kNone, "1, 2 or 3; 11, 12 or 13 add tunnel markers", "1"}};
constexpr ValueNote kSpeedBoard[] = {{Grid::kCellPlusOne, kCellPlusOneStore, "1000"},
                                     {Grid::kNone, "the first speed, packed with vad", "80"},
                                     {Grid::kNone, "the second speed, packed with vbd", "80"},
                                     {Grid::kNone, "the third speed, packed with vcd", "80"},
                                     {Grid::kNone, "packed with strisced", "0"},
                                     {Grid::kNone, "added as vad / 5", "0"},
                                     {Grid::kNone, "added as vbd / 5", "0"},
                                     {Grid::kNone, "added as vcd / 5", "0"},
                                     {Grid::kNone, "added as written", "0"}};
constexpr ValueNote kTextBoard[] = {
    {Grid::kCellPlusOne, kCellPlusOneStore, "1000"},
    {Grid::kNone, "the board's entry of the scenario table; in double quotes if it holds a comma",
     "TEXT"}};

constexpr ValueNote kBrakedMass[] = {
    {Grid::kNone, "the train's figure in the scenario table", "125"}};
constexpr ValueNote kCars[] = {{Grid::kNone, "the train's number of cars", "2"}};
constexpr ValueNote kSpeedLimit[] = {
    {Grid::kCell, kCellStore, "1000"},
    {Grid::kNone, "the speed limit of every cell from here on", "80"}};
constexpr ValueNote kAdhesion[] = {{Grid::kCell, kCellStore, "1000"},
                                   {Grid::kNone, "one byte per cell from here on", "100"}};
constexpr ValueNote kClock[] = {{Grid::kNone, "0 to 23; the clock at the start of the run", "8"},
                                {Grid::kNone, "0 to 59", "0"},
                                {Grid::kNone, "0 to 59", "0"}};
constexpr ValueNote kSand[] = {
    {Grid::kNone, "the train's sand value; 50 is the built-in one", "50"}};
constexpr ValueNote kSignal[] = {
    {Grid::kCellPlusOne, kCellPlusOneStore, "1000"},
    {Grid::kNone, "rapp x 10 + sx x 3 + dx; 2 also stores the time", "1"},
    {Grid::kNone, "first aspect value: s1 x 10 + d1", "4"},
    {Grid::kNone, "second aspect value: s2 x 10 + d2", "1"},
    {Grid::kNone, "third aspect value: s3 x 10 + d3", "1"},
    {Grid::kNone, "see sx", "0"},
    {Grid::kNone, "see sx", "2"},
    {Grid::kNone, "see s1", "2"},
    {Grid::kNone, "see s2", "1"},
    {Grid::kNone, "see s3", "1"},
    {Grid::kNone, "the time byte when sx is 2: 1 to 100 become 101, the low 8 bits kept", "0"}};
constexpr ValueNote kSlowdown[] = {
    {Grid::kCellPlusOne, kCellPlusOneStore, "2000"},
    {Grid::kNone, "stored in the start, end and warning cells", "60"},
    {Grid::kNone, "the end cell is (start + length) / 50 + 1", "800"},
    {Grid::kNone, "stored in the start and end cells", "0"},
    {Grid::kNone, "not 0: four countdown cells before the warning", "1"},
    {Grid::kNone, "not 0: stored in every cell of the slowdown", "0"}};
constexpr ValueNote kAbbattimento[] = {
    {Grid::kCell, kCellStore, "1000"},
    {Grid::kNone, "above 0: a code-change cell with this code (low 16 bits); else a plain point",
     "0"}};
constexpr ValueNote kStation[] = {
    {Grid::kNone, "a multiple of 50; position + 800 must pass the position check", "1000"},
    {Grid::kNone,
     "below 25 the train stops at the station (a stop cell), 25 and above it passes (no stop "
     "cell); also decides the station's extent",
     "12"},
    {Grid::kNone, "a multiple of 100", "300"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, "passed on; cleared below 600 m and for the first station", "0"},
    {Grid::kNone, "not 0: the station ends 50 m further", "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "0"},
    {Grid::kNone, kPassedOn, "30"},
    {Grid::kNone, "with minutes and seconds, the time of day", "8"},
    {Grid::kNone, "0 to 59", "0"},
    {Grid::kNone, "0 to 59", "0"},
    {Grid::kNone, "the station's name; in double quotes if it holds a comma", "NEW STATION"}};

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

}  // namespace sc::lsp
