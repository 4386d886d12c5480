#include "inspect/object_listing.h"

#include <algorithm>
#include <map>
#include <vector>

#include "model/object_rules.h"
#include "textio/codepage.h"

namespace sc {
namespace {

struct Line {
  int64_t position = 0;
  std::string text;
};

std::string str(int64_t value) {
  return std::to_string(value);
}

std::string metres(int64_t value) {
  return str(value) + " m";
}

std::string kmh(int64_t value) {
  return str(value) + " km/h";
}

std::string quoted(const std::string& text_1252) {
  return "\"" + cp1252_to_utf8(text_1252) + "\"";
}

std::string station(const objects::Station& s) {
  std::string text = "station " + quoted(s.name) + " (type " + str(s.type) +
                     (station_stops(s.type) ? ", stop" : ", pass") + "), from " + metres(s.start) +
                     " to " + metres(s.end);
  if (s.stop_cell) text += ", stop cell at " + metres(int64_t{*s.stop_cell} * kCellMetres);
  return text + ", time " + objects::clock_time(s.time);
}

// Where an object listed at its row's position stands on the track.
std::string landing(int32_t cell) {
  return metres(object_landing(cell));
}

std::string slowdown(const objects::Slowdown& s) {
  std::string text = "slowdown to " + kmh(s.speed) + " up to " + metres(s.end);
  if (s.warning) text += ", warning at " + metres(*s.warning);
  if (s.countdown) text += ", with countdown";
  text += s.end_cell == s.start_cell
              ? "; lands at " + landing(s.start_cell)
              : "; lands from " + landing(s.start_cell) + " to " + landing(s.end_cell);
  if (s.warning_cell) text += ", warning at " + landing(*s.warning_cell);
  return text;
}

std::string speed_board(const objects::SpeedBoard& b) {
  return "speed board " + str(b.vas) + "/" + str(b.vbs) + "/" + str(b.vcs) + " km/h, lands at " +
         landing(b.cell);
}

// A timed signal says so, with the tempo its cell keeps.
std::string signal(const objects::Signal& s) {
  const std::string timed = s.timed() ? "timed signal, tempo " + str(s.tempo) : "signal";
  return timed + ", lands at " + landing(s.cell);
}

std::string code_point(const objects::CodePoint& p) {
  return p.code ? "code change to " + str(*p.code) : std::string("abbattimento point");
}

std::string signed_str(int64_t value) {
  return (value > 0 ? "+" : "") + str(value);
}

// The gradient, line speed and adhesion that change at one metre, on one line.
using ChangesAt = std::map<int64_t, std::string>;

template <typename Format>
void add_changes(ChangesAt& changes_at, const std::vector<objects::ValueChange>& changes,
                 const std::string& what, Format format) {
  for (const objects::ValueChange& c : changes) {
    std::string& text = changes_at[c.position];
    text += (text.empty() ? "" : ", ") + what + " " + format(c.value);
  }
}

}  // namespace

std::string object_listing(const objects::RouteObjects& route) {
  std::vector<Line> lines;
  for (const auto& s : route.stations) lines.push_back({s.position, station(s)});
  for (const auto& s : route.signals) lines.push_back({s.position, signal(s)});
  for (const auto& s : route.slowdowns) lines.push_back({s.start, slowdown(s)});
  for (const auto& b : route.speed_boards) lines.push_back({b.position, speed_board(b)});
  for (const auto& b : route.text_boards) {
    lines.push_back({b.position, "text board " + quoted(b.text) + ", lands at " + landing(b.cell)});
  }
  for (const auto& t : route.tunnels) {
    lines.push_back({t.start, "tunnel type " + str(t.type) + " up to " + metres(t.end)});
  }
  for (const auto& p : route.code_points) lines.push_back({p.position, code_point(p)});
  ChangesAt changes_at;
  add_changes(changes_at, route.gradients, "gradient",
              [](int value) { return signed_str(value) + " \u2030"; });
  add_changes(changes_at, route.speed_limits, "line speed", kmh);
  add_changes(changes_at, route.adhesions, "adhesion", str);
  for (auto& [position, text] : changes_at) lines.push_back({position, std::move(text)});
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.position < b.position; });
  std::string text = "route length: " + metres(route.route_length) + "\n";
  for (const Line& line : lines) text += metres(line.position) + ": " + line.text + "\n";
  return text;
}

}  // namespace sc
