#include "inspect/summary.h"

#include "textio/codepage.h"

namespace sc {
namespace {

std::string line(const std::string& name, size_t count) {
  return name + ": " + std::to_string(count) + "\n";
}

std::string station_and_time(const objects::Station& s) {
  return "\"" + cp1252_to_utf8(s.name) + "\" at " + objects::clock_time(s.time);
}

}  // namespace

size_t code_changes(const objects::RouteObjects& route) {
  size_t count = 0;
  for (const objects::CodePoint& p : route.code_points) count += p.code.has_value();
  return count;
}

std::string route_summary(const objects::RouteObjects& f) {
  std::string text = "route length: " + std::to_string(f.route_length) + " m\n";
  text += "stations: " + std::to_string(f.stations.size());
  if (!f.stations.empty()) {
    text += ", first " + station_and_time(f.stations.front()) + ", last " +
            station_and_time(f.stations.back());
  }
  text += "\n";
  text += line("signals", f.signals.size());
  text += line("slowdowns", f.slowdowns.size());
  text += line("speed boards", f.speed_boards.size());
  text += line("text boards", f.text_boards.size());
  text += line("tunnels", f.tunnels.size());
  text += line("code-change points", code_changes(f));
  return text;
}

}  // namespace sc
