#include "app/inspect_command.h"

#include <nlohmann/json.hpp>
#include <ostream>

#include "app/compile_command.h"
#include "app/run.h"
#include "inspect/object_listing.h"
#include "inspect/record_values.h"
#include "model/object_rules.h"
#include "objects/route_objects.h"
#include "textio/codepage.h"

namespace sc {
namespace {

using nlohmann::ordered_json;

template <typename T>
ordered_json optional_json(const std::optional<T>& value) {
  if (!value) return nullptr;
  return *value;
}

template <typename Item, typename ToJson>
ordered_json list(const std::vector<Item>& items, ToJson to_json) {
  ordered_json array = ordered_json::array();
  for (const Item& item : items) array.push_back(to_json(item));
  return array;
}

ordered_json station(const objects::Station& s) {
  std::optional<int64_t> stop_m;
  if (s.stop_cell) stop_m = int64_t{*s.stop_cell} * kCellMetres;
  return {{"name", cp1252_to_utf8(s.name)},
          {"start_m", s.start},
          {"end_m", s.end},
          {"stop_m", optional_json(stop_m)},
          {"time", objects::clock_time(s.time)},
          {"position_m", s.position},
          {"type", s.type},
          {"length_m", s.length},
          {"entry", s.entry},
          {"stops", station_stops(s.type)}};
}

ordered_json signal(const objects::Signal& s) {
  ordered_json item = {{"position_m", s.position}, {"lands_at_m", object_landing(s.cell)}};
  for (const NamedValue& v : signal_values(s)) item[std::string(v.name)] = v.value;
  item["tempo"] = s.tempo;
  return item;
}

ordered_json slowdown(const objects::Slowdown& s) {
  std::optional<int64_t> warning_lands_at;
  if (s.warning_cell) warning_lands_at = object_landing(*s.warning_cell);
  return {{"start_m", s.start},
          {"end_m", s.end},
          {"speed_kmh", s.speed},
          {"warning_m", optional_json(s.warning)},
          {"countdown", s.countdown},
          {"f_tt", s.f_tt},
          {"d_v", s.d_v},
          {"lands_at_m", object_landing(s.start_cell)},
          {"end_lands_at_m", object_landing(s.end_cell)},
          {"warning_lands_at_m", optional_json(warning_lands_at)}};
}

ordered_json speed_board(const objects::SpeedBoard& b) {
  return {{"position_m", b.position},
          {"lands_at_m", object_landing(b.cell)},
          {"vas", b.vas},
          {"vbs", b.vbs},
          {"vcs", b.vcs},
          {"vad", b.vad},
          {"vbd", b.vbd},
          {"vcd", b.vcd},
          {"strisces", b.strisces},
          {"strisced", b.strisced}};
}

ordered_json text_board(const objects::TextBoard& b) {
  return {{"position_m", b.position},
          {"lands_at_m", object_landing(b.cell)},
          {"text", cp1252_to_utf8(b.text)},
          {"entry", b.entry}};
}

ordered_json tunnel(const objects::Tunnel& t) {
  return {{"start_m", t.start}, {"end_m", t.end}, {"type", t.type}};
}

ordered_json code_point(const objects::CodePoint& p) {
  return {{"position_m", p.position}, {"code", optional_json(p.code)}};
}

ordered_json change(const char* name, const objects::ValueChange& c) {
  return {{"position_m", c.position}, {name, c.value}};
}

ordered_json objects_json(const objects::RouteObjects& r) {
  const auto changes = [](const char* name, const std::vector<objects::ValueChange>& list) {
    ordered_json array = ordered_json::array();
    for (const objects::ValueChange& c : list) array.push_back(change(name, c));
    return array;
  };
  return {{"kind", "objects"},
          {"route_length_m", r.route_length},
          {"stations", list(r.stations, station)},
          {"signals", list(r.signals, signal)},
          {"slowdowns", list(r.slowdowns, slowdown)},
          {"speed_boards", list(r.speed_boards, speed_board)},
          {"text_boards", list(r.text_boards, text_board)},
          {"tunnels", list(r.tunnels, tunnel)},
          {"code_points", list(r.code_points, code_point)},
          {"gradients", changes("per_mille", r.gradients)},
          {"speed_limits", changes("speed_kmh", r.speed_limits)},
          {"adhesions", changes("adhesion", r.adhesions)}};
}

}  // namespace

int run_inspect(const InspectOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  return run_command_body("inspect", err, [&] {
    const objects::RouteObjects route = objects::decode_objects(read_scenario(options.files, disk));
    if (options.json) {
      out << objects_json(route).dump(2) << '\n';
    } else {
      out << object_listing(route);
    }
    return exit_status::kClean;
  });
}

}  // namespace sc
