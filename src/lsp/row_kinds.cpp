#include "lsp/row_kinds.h"

#include <array>
#include <cstdint>

#include "textio/keywords.h"

namespace sc::lsp {
namespace {

bool has_both(std::string_view field, std::string_view a, std::string_view b) {
  return contains(field, a) && contains(field, b);
}

bool has_both_any_case(std::string_view field, std::string_view a, std::string_view b) {
  return contains_any_case(field, a) && contains_any_case(field, b);
}

constexpr std::string_view kPassedOn = "passed on to the simulator as written";
constexpr std::string_view kCellStore = "the cell of position / 50, rounded";
constexpr std::string_view kCellPlusOneStore = "the cell of position / 50 + 1, rounded";

constexpr ValueHelp kRouteLength[] = {
    {"route length", "metres", Width::kLong, Grid::kNone,
     "0 to 1000000; the route gets cells up to (length + 7000) / 50, rounded"}};
constexpr ValueHelp kReference[] = {
    {"key", "metres", Width::kLong, Grid::kNone,
     "the key by which the three references are sorted"},
    {"kilometre value", "metres", Width::kLong, Grid::kNone, "the kilometre shown at the key"},
    {"adjustment", "", Width::kLong, Grid::kNone, "1 adds 100 to the kilometre value"}};
constexpr ValueHelp kBackground[] = {
    {"background", "", Width::kLong, Grid::kNone, "the background number of the scenery"}};
constexpr ValueHelp kRepetition[] = {
    {"first value", "metres", Width::kLong, Grid::kNone, "a multiple of 50"},
    {"second value", "metres", Width::kLong, Grid::kNone,
     "a multiple of 50; 0 turns the repetition code off"}};

constexpr ValueHelp kGradient[] = {
    {"position", "metres", Width::kLong, Grid::kCell, kCellStore},
    {"gradient", "", Width::kLong, Grid::kNone,
     "one byte per cell, the gradient plus 100; -100 to 155 are stored faithfully"}};
constexpr ValueHelp kCurve[] = {
    {"start", "metres", Width::kLong, Grid::kNone, "the profile point where the arc starts"},
    {"length", "metres", Width::kLong, Grid::kNone, "the arc's length, cut at the profile's end"}};
constexpr ValueHelp kTunnel[] = {
    {"start", "metres", Width::kLong, Grid::kCell, kCellStore},
    {"end", "metres", Width::kLong, Grid::kCell, "the first metre after the tunnel"},
    {"type", "", Width::kLong, Grid::kNone, "1, 2 or 3; 11, 12 or 13 add tunnel markers"}};
constexpr ValueHelp kSpeedBoard[] = {
    {"position", "metres", Width::kLong, Grid::kCellPlusOne, kCellPlusOneStore},
    {"vas", "km/h", Width::kLong, Grid::kNone, "the first speed, packed with vad"},
    {"vbs", "km/h", Width::kLong, Grid::kNone, "the second speed, packed with vbd"},
    {"vcs", "km/h", Width::kLong, Grid::kNone, "the third speed, packed with vcd"},
    {"strisces", "stripes", Width::kLong, Grid::kNone, "packed with strisced"},
    {"vad", "km/h", Width::kLong, Grid::kNone, "added as vad / 5"},
    {"vbd", "km/h", Width::kLong, Grid::kNone, "added as vbd / 5"},
    {"vcd", "km/h", Width::kLong, Grid::kNone, "added as vcd / 5"},
    {"strisced", "stripes", Width::kLong, Grid::kNone, "added as written"}};
constexpr ValueHelp kTextBoard[] = {
    {"position", "metres", Width::kLong, Grid::kCellPlusOne, kCellPlusOneStore},
    {"text", "", Width::kText, Grid::kNone,
     "the board's entry of the scenario table; in double quotes if it holds a comma"}};

constexpr ValueHelp kOneValue[] = {
    {"value", "", Width::kLong, Grid::kNone, "the train's figure in the scenario table"}};
constexpr ValueHelp kCars[] = {
    {"cars", "", Width::kLong, Grid::kNone, "the train's number of cars"}};
constexpr ValueHelp kSpeedLimit[] = {
    {"position", "metres", Width::kLong, Grid::kCell, kCellStore},
    {"speed", "km/h", Width::kLong, Grid::kNone, "the speed limit of every cell from here on"}};
constexpr ValueHelp kAdhesion[] = {
    {"position", "metres", Width::kLong, Grid::kCell, kCellStore},
    {"adhesion", "", Width::kLong, Grid::kNone, "one byte per cell from here on"}};
constexpr ValueHelp kClock[] = {
    {"hours", "", Width::kInteger, Grid::kNone, "0 to 23; the clock at the start of the run"},
    {"minutes", "", Width::kInteger, Grid::kNone, "0 to 59"},
    {"seconds", "", Width::kInteger, Grid::kNone, "0 to 59"}};
constexpr ValueHelp kSand[] = {
    {"sand", "", Width::kInteger, Grid::kNone, "the train's sand value; 50 is the built-in one"}};
constexpr ValueHelp kSignal[] = {
    {"posizione", "metres", Width::kLong, Grid::kCellPlusOne, kCellPlusOneStore},
    {"sx", "", Width::kLong, Grid::kNone, "rapp x 10 + sx x 3 + dx; 2 also stores the time"},
    {"s1", "", Width::kLong, Grid::kNone, "first aspect value: s1 x 10 + d1"},
    {"s2", "", Width::kLong, Grid::kNone, "second aspect value: s2 x 10 + d2"},
    {"s3", "", Width::kLong, Grid::kNone, "third aspect value: s3 x 10 + d3"},
    {"rapp", "", Width::kLong, Grid::kNone, "see sx"},
    {"dx", "", Width::kLong, Grid::kNone, "see sx"},
    {"d1", "", Width::kLong, Grid::kNone, "see s1"},
    {"d2", "", Width::kLong, Grid::kNone, "see s2"},
    {"d3", "", Width::kLong, Grid::kNone, "see s3"},
    {"tempo", "", Width::kLong, Grid::kNone,
     "the time byte when sx is 2: 1 to 100 become 101, the low 8 bits kept"}};
constexpr ValueHelp kSlowdown[] = {
    {"start", "metres", Width::kLong, Grid::kCellPlusOne, kCellPlusOneStore},
    {"speed", "km/h", Width::kLong, Grid::kNone, "stored in the start, end and warning cells"},
    {"length", "metres", Width::kLong, Grid::kNone, "the end cell is (start + length) / 50 + 1"},
    {"f_tt", "", Width::kLong, Grid::kNone, "stored in the start and end cells"},
    {"f_ta", "", Width::kLong, Grid::kNone, "not 0: four countdown cells before the warning"},
    {"d_v", "", Width::kLong, Grid::kNone, "not 0: stored in every cell of the slowdown"}};
constexpr ValueHelp kAbbattimento[] = {
    {"position", "metres", Width::kLong, Grid::kCell, kCellStore},
    {"value", "", Width::kLong, Grid::kNone,
     "above 0: a code-change cell with this code (low 16 bits); else a plain point"}};
constexpr ValueHelp kStation[] = {
    {"position", "metres", Width::kLong, Grid::kNone,
     "a multiple of 50; position + 800 must pass the position check"},
    {"type", "", Width::kByte, Grid::kNone, "decides the station's extent and its cells"},
    {"length", "metres", Width::kLong, Grid::kNone, "a multiple of 100"},
    {"value 4", "", Width::kByte, Grid::kNone, kPassedOn},
    {"value 5", "", Width::kByte, Grid::kNone,
     "passed on; cleared below 600 m and for the first station"},
    {"end extension", "", Width::kByte, Grid::kNone, "not 0: the station ends 50 m further"},
    {"value 7", "", Width::kInteger, Grid::kNone, kPassedOn},
    {"value 8", "", Width::kInteger, Grid::kNone, kPassedOn},
    {"value 9", "", Width::kByte, Grid::kNone, kPassedOn},
    {"value 10", "", Width::kInteger, Grid::kNone, kPassedOn},
    {"value 11", "", Width::kInteger, Grid::kNone, kPassedOn},
    {"value 12", "", Width::kInteger, Grid::kNone, kPassedOn},
    {"value 13", "", Width::kByte, Grid::kNone, kPassedOn},
    {"hours", "", Width::kLong, Grid::kNone, "with minutes and seconds, the time of day"},
    {"minutes", "", Width::kLong, Grid::kNone, "0 to 59"},
    {"seconds", "", Width::kLong, Grid::kNone, "0 to 59"},
    {"name", "", Width::kText, Grid::kNone,
     "the station's name; in double quotes if it holds a comma"}};

constexpr auto L = FileKind::kLine;
constexpr auto T = FileKind::kTrain;
constexpr auto H = Part::kHeader;
constexpr auto R = Part::kRows;

// In the order the compilers test the keywords.
const RowKind kRowKinds[] = {
    {L, H, "route length", "lunghezza percorso",
     [](std::string_view k) { return has_both_any_case(k, "percorso", "lunghezza"); },
     "line-file.md#route-length", kRouteLength},
    {L, H, "kilometre reference", "progressiva chilometrica tre",
     [](std::string_view k) { return has_both(k, "tre", "progressiva"); },
     "line-file.md#kilometre-references", kReference},
    {L, H, "kilometre reference", "progressiva chilometrica due",
     [](std::string_view k) { return has_both(k, "due", "progressiva"); },
     "line-file.md#kilometre-references", kReference},
    {L, H, "kilometre reference", "progressiva chilometrica uno",
     [](std::string_view k) { return has_both(k, "uno", "progressiva"); },
     "line-file.md#kilometre-references", kReference},
    {L, H, "background", "sfondo uno",
     [](std::string_view k) { return has_both(k, "sfondo", "uno"); }, "line-file.md#backgrounds",
     kBackground},
    {L, H, "background", "sfondo due",
     [](std::string_view k) { return has_both(k, "sfondo", "due"); }, "line-file.md#backgrounds",
     kBackground},
    {L, H, "background", "sfondo tre",
     [](std::string_view k) { return has_both(k, "sfondo", "tre"); }, "line-file.md#backgrounds",
     kBackground},
    {L, H, "signal repetition", "ripetizione segnali 4 codici",
     [](std::string_view k) { return has_both(k, "segnali", "ripetizione"); },
     "line-file.md#signal-repetition", kRepetition},
    {L, R, "gradient", "pendenza",
     [](std::string_view k) { return contains_any_case(k, "pendenza"); },
     "line-file.md#gradient-pendenza", kGradient},
    {L, R, "curve", "curvad1", [](std::string_view k) { return contains_any_case(k, "curva"); },
     "line-file.md#curve-curva", kCurve},
    {L, R, "tunnel", "montagna",
     [](std::string_view k) { return contains_any_case(k, "montagna"); },
     "line-file.md#tunnel-montagna", kTunnel},
    {L, R, "speed board", "indicatori_vmax",
     [](std::string_view k) { return contains_any_case(k, "indicatori_v"); },
     "line-file.md#speed-limit-board-indicatori_v", kSpeedBoard},
    {L, R, "text board", "indicatore cartello",
     [](std::string_view k) { return has_both_any_case(k, "indicat", "cartello"); },
     "line-file.md#text-board-indicat--cartello", kTextBoard},
    {T, R, "braked mass", "percentuale massa frenata",
     [](std::string_view k) { return has_both_any_case(k, "frenata", "massa"); },
     "train-file.md#general-values", kOneValue},
    {T, R, "cars", "numero vetture",
     [](std::string_view k) { return contains_any_case(k, "vetture"); },
     "train-file.md#general-values", kCars},
    {T, R, "speed limit", "velocita",
     [](std::string_view k) { return contains_any_case(k, "velocit"); },
     "train-file.md#speed-limit-velocit", kSpeedLimit},
    {T, R, "adhesion", "aderenza",
     [](std::string_view k) { return contains_any_case(k, "aderenza"); },
     "train-file.md#adhesion-aderenza", kAdhesion},
    {T, R, "clock", "orologio", [](std::string_view k) { return contains_any_case(k, "orologio"); },
     "train-file.md#general-values", kClock},
    {T, R, "sand", "sabbia", [](std::string_view k) { return contains_any_case(k, "sabbia"); },
     "train-file.md#general-values", kSand},
    {T, R, "signal", "segnale", [](std::string_view k) { return contains_any_case(k, "segnale"); },
     "train-file.md#signal-segnale", kSignal},
    {T, R, "slowdown", "rallentamento",
     [](std::string_view k) { return contains_any_case(k, "rallentamento"); },
     "train-file.md#slowdown-rallentamento", kSlowdown},
    {T, R, "abbattimento point", "abbattimento",
     [](std::string_view k) { return contains_any_case(k, "abbattimento"); },
     "train-file.md#code-change-point-abbattimento", kAbbattimento},
    {T, R, "station", "stazione",
     [](std::string_view k) { return contains_any_case(k, "stazione"); },
     "train-file.md#station-stazione", kStation},
};

constexpr std::string_view kLineSections[] = {
    "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};
constexpr std::string_view kTrainSections[] = {"[generale]", "[aderenze]",      "[vel_limite]",
                                               "[stazioni]", "[rallentamenti]", "[segnali]",
                                               "[codici]",   "[fine]"};

}  // namespace

std::span<const RowKind> row_kinds() {
  return kRowKinds;
}

std::span<const std::string_view> section_names(FileKind file) {
  if (file == FileKind::kLine) return kLineSections;
  return kTrainSections;
}

std::pair<int64_t, int64_t> accepted_range(Width width) {
  switch (width) {
    case Width::kByte:
      return {0, UINT8_MAX};
    case Width::kInteger:
      return {INT16_MIN, INT16_MAX};
    case Width::kLong:
    case Width::kText:
      break;
  }
  return {INT32_MIN, INT32_MAX};
}

std::string_view width_name(Width width) {
  switch (width) {
    case Width::kByte:
      return "Byte";
    case Width::kInteger:
      return "Integer";
    case Width::kLong:
      return "Long";
    case Width::kText:
      break;
  }
  return "text";
}

}  // namespace sc::lsp
