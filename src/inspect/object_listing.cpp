#include "inspect/object_listing.h"

#include <algorithm>
#include <vector>

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
  std::string text = "station " + quoted(s.name) + " (type " + str(s.type) + "), from " +
                     metres(s.start) + " to " + metres(s.end);
  if (s.stop_cell) text += ", stop cell at " + metres(int64_t{*s.stop_cell} * kCellMetres);
  return text + ", time " + objects::clock_time(s.time);
}

std::string slowdown(const objects::Slowdown& s) {
  std::string text = "slowdown to " + kmh(s.speed) + " up to " + metres(s.end);
  if (s.warning) text += ", warning at " + metres(*s.warning);
  if (s.countdown) text += ", with countdown";
  return text;
}

std::string speed_board(const objects::SpeedBoard& b) {
  return "speed board " + str(b.vas) + "/" + str(b.vbs) + "/" + str(b.vcs) + " km/h";
}

std::string code_point(const objects::CodePoint& p) {
  return p.code ? "code change to " + str(*p.code) : std::string("abbattimento point");
}

std::string signed_str(int64_t value) {
  return (value > 0 ? "+" : "") + str(value);
}

template <typename Format>
void add_changes(std::vector<Line>& lines, const std::vector<objects::ValueChange>& changes,
                 const std::string& what, Format format) {
  for (const objects::ValueChange& c : changes) {
    lines.push_back({c.position, what + " " + format(c.value)});
  }
}

}  // namespace

std::string object_listing(const objects::RouteObjects& route) {
  std::vector<Line> lines;
  for (const auto& s : route.stations) lines.push_back({s.position, station(s)});
  for (const auto& s : route.signals) lines.push_back({s.position, "signal"});
  for (const auto& s : route.slowdowns) lines.push_back({s.start, slowdown(s)});
  for (const auto& b : route.speed_boards) lines.push_back({b.position, speed_board(b)});
  for (const auto& b : route.text_boards) {
    lines.push_back({b.position, "text board " + quoted(b.text)});
  }
  for (const auto& t : route.tunnels) {
    lines.push_back({t.start, "tunnel type " + str(t.type) + " up to " + metres(t.end)});
  }
  for (const auto& p : route.code_points) lines.push_back({p.position, code_point(p)});
  add_changes(lines, route.gradients, "gradient",
              [](int value) { return signed_str(value) + " \u2030"; });
  add_changes(lines, route.speed_limits, "line speed", kmh);
  add_changes(lines, route.adhesions, "adhesion", str);
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.position < b.position; });
  std::string text = "route length: " + metres(route.route_length) + "\n";
  for (const Line& line : lines) text += metres(line.position) + ": " + line.text + "\n";
  return text;
}

}  // namespace sc
