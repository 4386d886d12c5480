#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/zeroed_array.h"
#include "textio/fault.h"

namespace sc {

// Metres of route per cell: cell i begins at metre 50 * i.
constexpr int32_t kCellMetres = 50;
// The longest route a line file may give, in metres; no profile point beyond
// it is ever computed.
constexpr int32_t kLongestRoute = 1000000;
// Metres of cells and profile beyond the route's end.
constexpr int32_t kRunOut = 7000;

// One kCellMetres stretch of route.
struct Cell {
  uint8_t type_code = 0;
  int16_t info1 = 0;
  int16_t info2 = 0;
  int16_t info3 = 0;
  int16_t info4 = 0;
  uint8_t signal_time = 0;
  uint8_t mark = 0;
  uint8_t tunnel_type = 0;
  uint8_t speed_limit = 0;
  uint8_t gradient = 0;
  uint8_t adhesion = 0;
  bool operator==(const Cell&) const = default;
};

// A cell's speed_limit is the line speed in km/h divided by this; its gradient
// is the gradient in per mille plus kGradientBias, kept to its low 8 bits.
constexpr int kSpeedStepKmh = 5;
constexpr int kGradientBias = 100;

// What occupies a cell (Cell::type_code).
namespace cell_type {
constexpr uint8_t kEmpty = 0;
constexpr uint8_t kSignal = 1;
constexpr uint8_t kSlowdownEnd = 2;
constexpr uint8_t kSlowdownStart = 3;
constexpr uint8_t kSlowdownWarning = 4;
constexpr uint8_t kCountdown = 5;
constexpr uint8_t kSpeedBoard = 6;
constexpr uint8_t kStationStop = 10;
constexpr uint8_t kTunnelMarker = 11;
constexpr uint8_t kCodeChange = 12;
constexpr uint8_t kAbbattimento = 13;
constexpr uint8_t kTextBoard = 14;
}  // namespace cell_type

// What the four values of a cell hold for each occupant, as a pointer to the
// field: cells[i].*cell_slot::kStopStation.
namespace cell_slot {
using Field = int16_t Cell::*;
// A signal: its pairs s1 x 10 + d1 to s3 x 10 + d3, and rapp x 10 + its
// mark code.
constexpr Field kSignalPairs[3] = {&Cell::info1, &Cell::info2, &Cell::info3};
constexpr Field kSignalRappCode = &Cell::info4;
// A slowdown's warning, start and end cells (the warning keeps no f_tt).
constexpr Field kSlowdownSpeed = &Cell::info1;
constexpr Field kSlowdownDv = &Cell::info2;
constexpr Field kSlowdownFtt = &Cell::info3;
// A countdown cell: its number, 1 nearest the warning, and that number
// again in its d_v where the slowdown's d_v is not 0.
constexpr Field kCountdownNumber = &Cell::info1;
constexpr Field kCountdownDv = &Cell::info2;
// A speed board: its three packed speeds and its packed stripes.
constexpr Field kBoardSpeeds[3] = {&Cell::info1, &Cell::info2, &Cell::info3};
constexpr Field kBoardStripes = &Cell::info4;
// A text board: the entry that holds its text.
constexpr Field kTextEntry = &Cell::info1;
// A station's stop cell: the station's entry.
constexpr Field kStopStation = &Cell::info1;
// A code-change point: its code.
constexpr Field kCode = &Cell::info1;
// Cell 1 (kMarkerCell) after the block post-pass.
constexpr Field kCellFormatMarker = &Cell::info1;
constexpr Field kCellCheckCode = &Cell::info2;
}  // namespace cell_slot

// Nothing stands in a free cell but perhaps a tunnel marker, which any object
// may replace.
inline bool is_free(const Cell& cell) {
  return cell.type_code == cell_type::kEmpty || cell.type_code == cell_type::kTunnelMarker;
}

struct TableEntry {
  uint8_t type_code = 0;
  int32_t value1 = 0;
  int32_t value2 = 0;
  int32_t value3 = 0;
  uint8_t flag = 0;
  std::string text;  // Windows-1252 bytes
  int16_t int1 = 0;
  int16_t int2 = 0;
  int16_t int3 = 0;
  int16_t int4 = 0;
  int16_t int5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t value4 = 0;
  bool operator==(const TableEntry&) const = default;
};

constexpr int kTableEntries = 87;
using ScenarioTable = std::array<TableEntry, kTableEntries>;

// Fixed entries of the scenario table. Stations fill 1 upwards, text boards
// 80 downwards.
namespace entry {
constexpr int kFirstStation = 1;
constexpr int kFirstBoard = 80;
constexpr int kReferenceTre = 81;
constexpr int kReferenceDue = 82;
constexpr int kReferenceUno = 83;
constexpr int kFigures = 84;
constexpr int kLineHeader = 85;
constexpr int kTrainHeader = 86;
}  // namespace entry

// What each field of the station entries and of the fixed entries 81 to 86
// holds, as a pointer to the field: table[entry::kTrainHeader].*slot::kClockHour.
namespace slot {
template <typename T>
using Field = T TableEntry::*;

// A station's entry, from 1 upwards: its first and last metre, its row's
// position and its time in seconds since midnight.
constexpr Field<int32_t> kStationFirst = &TableEntry::value1;
constexpr Field<int32_t> kStationLast = &TableEntry::value2;
constexpr Field<int32_t> kStationPosition = &TableEntry::value3;
constexpr Field<int32_t> kStationTime = &TableEntry::value4;

// Entries 81 to 83, one kilometre reference each: A orders the three, A and
// B are multiples of 50, C = 1 adds 100 to B once they are ordered.
constexpr Field<int32_t> kReferenceA = &TableEntry::value1;
constexpr Field<int32_t> kReferenceB = &TableEntry::value2;
constexpr Field<int32_t> kReferenceC = &TableEntry::value3;

// Entry 84: train and route figures.
constexpr Field<int32_t> kBrakedMass = &TableEntry::value1;   // percent
constexpr Field<int32_t> kRouteLength = &TableEntry::value2;  // metres
constexpr Field<int32_t> kCars = &TableEntry::value3;

// Entry 85: the line header; its text is the line name.
constexpr Field<int32_t> kBackgroundUno = &TableEntry::value1;
constexpr Field<int32_t> kBackgroundTre = &TableEntry::value2;
constexpr Field<int32_t> kBackgroundDue = &TableEntry::value3;
constexpr Field<int16_t> kFormatMarker = &TableEntry::int1;
constexpr Field<int32_t> kCheckCode = &TableEntry::value4;

// Entry 86: the train header; its text is the train number.
constexpr Field<int32_t> kRepetitionFirst = &TableEntry::value1;
constexpr Field<int32_t> kRepetitionSecond = &TableEntry::value2;
constexpr Field<int32_t> kRepetitionCode = &TableEntry::value3;  // 0, 4 or 9
constexpr Field<int16_t> kSand = &TableEntry::int1;
constexpr Field<int16_t> kClockHour = &TableEntry::int3;
constexpr Field<int16_t> kClockMinute = &TableEntry::int4;
constexpr Field<int16_t> kClockSecond = &TableEntry::int5;
}  // namespace slot

// The format markers that tell the simulator the files' version, each stored
// beside a check code: in entry 85 (int1, value4) and in cell 1 (info1, info2).
constexpr int16_t kTableFormatMarker = 610;
constexpr int16_t kCellFormatMarker = 5121;
constexpr int kMarkerCell = 1;

// A run of computed profile points: from the point after the run before it
// (after the seeded points 0 and 1 for the first run) through `last`, each
// continuing the last step, straight or turned by `curvature`.
struct ProfileRun {
  int32_t last = 0;
  bool arc = false;
  double curvature = 0;
};

// The plan view of the track: one x and one y per metre, points 0 to P, each
// value tagged with its kind.
//
// A compiled profile is held as the runs that make it (seed, then add_run),
// a few bytes a curve, and its points are computed from them only where they
// are read: the writer streams them block by block, and the first read of a
// single point builds every point in memory, once, whichever of the threads
// that share the profile reads first. A profile set point by point (a
// profile read from a file) holds its points only.
class Profile {
 public:
  enum class Tag : uint16_t { kEmpty = 0, kInteger = 2, kDouble = 5 };
  static constexpr int kX = 0;
  static constexpr int kY = 1;
  // Points 0 and 1, as seed() sets them: (0, 0) and (0, 1), integers, so
  // that the first step runs along y.
  static constexpr int16_t kSeedX[2] = {0, 0};
  static constexpr int16_t kSeedY[2] = {0, 1};

  // Every point empty.
  explicit Profile(int32_t last_point);

  int32_t last_point() const { return last_point_; }
  Tag tag(int32_t m, int k) const { return points().tags[index(m, k)]; }
  // The value of a point; an empty element reads as 0.
  double value(int32_t m, int k) const { return points().values[index(m, k)]; }
  // The tags and values of points 0 to P of one coordinate, in order.
  const Tag* tags(int k) const { return &points().tags[index(0, k)]; }
  const double* values(int k) const { return &points().values[index(0, k)]; }
  void set_integer(int32_t m, int k, int16_t v);
  void set_double(int32_t m, int k, double v);

  // The compile's form. seed() sets points 0 and 1; add_run computes the
  // points after the last one computed through `run.last`.
  void seed();
  void add_run(const ProfileRun& run);
  // True while the profile is held as its runs.
  bool held_as_runs() const { return runs_.has_value(); }
  bool seeded() const { return runs_ && runs_->seeded; }
  const std::vector<ProfileRun>& runs() const { return runs_->runs; }
  // The first point no run computed (2 when there is none).
  int32_t end_of_runs() const { return runs_->runs.empty() ? 2 : runs_->runs.back().last + 1; }

 private:
  struct Runs {
    bool seeded = false;
    std::vector<ProfileRun> runs;
  };
  struct Points {
    explicit Points(int32_t last_point);
    // Points that are never set stay empty and read as 0: all-zero bytes.
    ZeroedArray<double> values;
    ZeroedArray<Tag> tags;
  };

  size_t index(int32_t m, int k) const {
    return static_cast<size_t>(k) * (static_cast<size_t>(last_point_) + 1) + static_cast<size_t>(m);
  }
  const Points& points() const {
    std::call_once(*points_built_.flag, [this] {
      if (!points_) build_points();
    });
    return *points_;
  }
  void build_points() const;
  // The points are dropped when the runs change.
  void forget_points();

  // Guards the first build of the points from the runs. A copy, or the
  // profile the points were dropped from, gets a flag not yet passed.
  struct BuildOnce {
    std::unique_ptr<std::once_flag> flag = std::make_unique<std::once_flag>();
    BuildOnce() = default;
    BuildOnce(const BuildOnce&) : BuildOnce() {}
    BuildOnce& operator=(const BuildOnce&) {
      flag = std::make_unique<std::once_flag>();
      return *this;
    }
  };

  int32_t last_point_;
  std::optional<Runs> runs_ = Runs{};
  // Built from the runs on the first read of a point; once a point is set
  // one by one, the points alone hold the profile.
  mutable std::optional<Points> points_;
  BuildOnce points_built_;
};

// Computes the points of a profile held as runs, in order, a block at a time:
// the same values, operation for operation, as computing them one by one.
class ProfileBlocks {
 public:
  static constexpr int32_t kBlockPoints = 2048;

  explicit ProfileBlocks(const Profile& profile);
  // The next block of computed points; false after the last one.
  bool next();
  int32_t first() const { return first_; }
  int32_t count() const { return count_; }
  const double* x() const { return x_; }
  const double* y() const { return y_; }

 private:
  const std::vector<ProfileRun>& runs_;
  size_t run_ = 0;
  int32_t point_ = 2;  // the next point to compute
  int32_t first_ = 2;
  int32_t count_ = 0;
  double before_x_, before_y_, last_x_, last_y_;
  double x_[kBlockPoints];
  double y_[kBlockPoints];
};

// Told of each cell and table entry reached through cell_at and entry_at,
// before the caller reads or changes it.
class AccessListener {
 public:
  virtual void cell_reached(int64_t index, const Cell& cell) = 0;
  virtual void entry_reached(int64_t index) = 0;

 protected:
  ~AccessListener() = default;
};

// The compiled scenario: what the compilers fill, the post-pass adjusts and the
// binary files carry.
// Where the rows behind some objects stand, for the errors found once every
// row is read (the train file's end step, the block post-pass): they name
// the row concerned. Written to no file.
struct RowPlaces {
  // The position field of the signal or slowdown row that took each signal,
  // slowdown warning, start and end cell.
  std::unordered_map<int32_t, SourceLocation> train_cells;
  // The first and second values of the kilometre references in entries 81
  // to 83, once ordered.
  std::array<SourceLocation, 3> km_reference_a;
  std::array<SourceLocation, 3> km_reference_b;
};

struct Scenario {
  ScenarioTable table{};
  // Empty until the line file gives the route length.
  std::vector<Cell> cells;
  std::optional<Profile> profile;
  RowPlaces rows;
  // Nobody listens unless a compile records its rows.
  AccessListener* access_listener = nullptr;

  bool has_cells() const { return !cells.empty(); }
  // U, the highest cell index.
  int32_t last_cell() const { return static_cast<int32_t>(cells.size()) - 1; }
};

// The cell at an index computed from the input; throws Fault (error 25), at
// `where`, the field the index comes from, when the index lies outside the
// array or no array exists yet.
Cell& cell_at(Scenario& scenario, int64_t index, SourceLocation where = {});
// The table entry at a computed index; throws Fault outside 0 to 86.
TableEntry& entry_at(Scenario& scenario, int64_t index, SourceLocation where = {});

}  // namespace sc
