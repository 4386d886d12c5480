#include "app/dump_command.h"

#include <charconv>
#include <nlohmann/json.hpp>
#include <ostream>
#include <variant>

#include "app/compile_command.h"
#include "app/run.h"
#include "inspect/describe.h"
#include "inspect/file_kind.h"
#include "inspect/record_values.h"
#include "model/serialize.h"
#include "textio/codepage.h"
#include "textio/utf8_path.h"

namespace sc {
namespace {

constexpr int32_t kTextEvery = 100;  // metres between profile points in the text form

struct CellRange {
  int32_t first = 0;
  int32_t last = 0;
};

std::optional<int32_t> parse_index(std::string_view text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// "A-B" or "A", clamped to the file's cells.
CellRange cell_range(const std::optional<std::string>& option, int32_t last_cell) {
  if (!option) return {0, last_cell};
  const size_t dash = option->find('-');
  const auto first = parse_index(option->substr(0, dash));
  const auto last = dash == std::string::npos ? first : parse_index(option->substr(dash + 1));
  if (!first || !last || *first > *last) {
    throw UsageError("--cells \"" + *option +
                     "\" is not a range of cell indices like 10-20 (or one index)");
  }
  if (*first > last_cell) {
    throw UsageError("--cells " + *option + " lies beyond the file's last cell, " +
                     std::to_string(last_cell));
  }
  return {*first, std::min(*last, last_cell)};
}

FileKind file_kind(const DumpOptions& options) {
  if (options.kind == "cells") return FileKind::kCells;
  if (options.kind == "table") return FileKind::kTable;
  if (options.kind == "profile") return FileKind::kProfile;
  if (const auto kind = kind_from_name(utf8_of(options.file.filename()))) return *kind;
  throw UsageError("cannot tell the kind of " + utf8_of(options.file) +
                   " from its name (a cell file ends in .dat, a scenario table in .sim, a line "
                   "profile in _linea.dat); give --kind cells, table or profile");
}

void refuse_options_of_other_kinds(const DumpOptions& options, FileKind kind) {
  if (options.cells && kind != FileKind::kCells) throw UsageError("--cells needs a cell file");
  if (options.entry && kind != FileKind::kTable)
    throw UsageError("--entry needs a scenario table file");
  if (options.every && kind != FileKind::kProfile)
    throw UsageError("--every needs a line profile file");
  if (options.occupied && kind != FileKind::kCells)
    throw UsageError("--occupied needs a cell file");
}

nlohmann::ordered_json decoded_json(const std::vector<DecodedValue>& values) {
  nlohmann::ordered_json decoded = nlohmann::ordered_json::object();
  for (const DecodedValue& v : values) {
    std::visit([&](const auto& value) { decoded[v.name] = value; }, v.value);
  }
  return decoded;
}

template <typename Record, typename Layout>
nlohmann::ordered_json record_json(const char* index_name, int64_t index, const Record& record,
                                   const Layout& layout) {
  nlohmann::ordered_json item = {{index_name, index}};
  for_each_field(layout, [&item, &record](const auto& field) {
    const auto& value = record.*field.member;
    if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
      item[std::string(field.name)] = cp1252_to_utf8(value);
    } else {
      item[std::string(field.name)] = value;
    }
  });
  return item;
}

void dump_cells(const DumpOptions& options, std::string_view bytes, std::ostream& out) {
  const std::vector<Cell> cells = read_cells(bytes);
  const CellRange range = cell_range(options.cells, static_cast<int32_t>(cells.size()) - 1);
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  if (!options.json) {
    out << "cell file: " << cells.size() << " cells, 0 to " << cells.size() - 1 << '\n';
  }
  if (options.json) {
    for (int32_t i = range.first; i <= range.last; ++i) {
      const Cell& cell = cells[static_cast<size_t>(i)];
      if (options.occupied && is_free(cell)) continue;
      nlohmann::ordered_json item = record_json("index", i, cell, kCellLayout);
      item["decoded"] = decoded_json(decoded_cell(cells, i));
      items.push_back(std::move(item));
    }
    out << nlohmann::ordered_json{{"kind", "cells"}, {"cells", items}}.dump(2) << '\n';
  } else if (options.occupied) {
    for (int32_t i = range.first; i <= range.last; ++i) {
      const Cell& cell = cells[static_cast<size_t>(i)];
      if (!is_free(cell)) out << describe_cell(cells, i) << '\n';
    }
  } else {
    for (const std::string& line : describe_cells(cells, range.first, range.last)) {
      out << line << '\n';
    }
  }
}

void dump_table(const DumpOptions& options, std::string_view bytes, std::ostream& out) {
  const ScenarioTable table = read_table(bytes);
  const int first = options.entry.value_or(0);
  const int last = options.entry.value_or(kTableEntries - 1);
  nlohmann::ordered_json items = nlohmann::ordered_json::array();
  if (options.json) {
    for (int i = first; i <= last; ++i) {
      nlohmann::ordered_json item =
          record_json("index", i, table[static_cast<size_t>(i)], kTableEntryLayout);
      item["decoded"] = decoded_json(decoded_entry(table, i));
      items.push_back(std::move(item));
    }
    out << nlohmann::ordered_json{{"kind", "table"}, {"entries", items}}.dump(2) << '\n';
    return;
  }
  out << "scenario table file: " << kTableEntries << " entries, 0 to 86\n";
  for (const std::string& line : describe_entries(table, first, last)) out << line << '\n';
}

nlohmann::ordered_json coordinate_json(const Profile& profile, int32_t m, int k) {
  if (profile.tag(m, k) == Profile::Tag::kEmpty) return nullptr;
  return profile.value(m, k);
}

nlohmann::ordered_json point_json(const Profile& profile, int32_t m) {
  return {{"m", m},
          {"x", coordinate_json(profile, m, Profile::kX)},
          {"x_tag", static_cast<int>(profile.tag(m, Profile::kX))},
          {"y", coordinate_json(profile, m, Profile::kY)},
          {"y_tag", static_cast<int>(profile.tag(m, Profile::kY))}};
}

// Every `every` metres from point 0, and the last point.
void dump_profile(const DumpOptions& options, std::string_view bytes, std::ostream& out) {
  const Profile profile = read_profile(bytes);
  const int32_t every = options.every.value_or(options.json ? 1 : kTextEvery);
  const int32_t last = profile.last_point();
  nlohmann::ordered_json points = nlohmann::ordered_json::array();
  if (!options.json) {
    out << "line profile file: points 0 to " << last << ", shown every " << every << " m\n";
  }
  const auto show = [&](int64_t m) {
    const auto point = static_cast<int32_t>(m);
    if (options.json) {
      points.push_back(point_json(profile, point));
    } else {
      out << describe_point(profile, point) << '\n';
    }
  };
  for (int64_t m = 0; m <= last; m += every) show(m);
  if (last % every != 0) show(last);
  if (options.json)
    out << nlohmann::ordered_json{{"kind", "profile"}, {"points", points}}.dump(2) << '\n';
}

}  // namespace

int run_dump(const DumpOptions& options, Disk& disk, std::ostream& out, std::ostream& err) {
  return run_command_body("dump", err, [&] {
    const FileKind kind = file_kind(options);
    refuse_options_of_other_kinds(options, kind);
    const auto bytes = disk.read_file(options.file);
    if (!bytes)
      throw UsageError("cannot read " + utf8_of(options.file) + ": No such file or directory");
    try {
      switch (kind) {
        case FileKind::kCells:
          dump_cells(options, *bytes, out);
          break;
        case FileKind::kTable:
          dump_table(options, *bytes, out);
          break;
        case FileKind::kProfile:
          dump_profile(options, *bytes, out);
          break;
      }
    } catch (const DecodeError& e) {
      throw UsageError(utf8_of(options.file) + ": byte " + std::to_string(e.offset()) + ": " +
                       e.what());
    }
    return exit_status::kClean;
  });
}

}  // namespace sc
