#include "lsp/features.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "model/cell_geometry.h"
#include "model/object_rules.h"
#include "textio/keywords.h"

namespace sc::lsp {
namespace {

using nlohmann::json;

// The protocol's numbers for the kinds used here.
namespace kinds {
constexpr int kModule = 9;
constexpr int kKeyword = 14;
constexpr int kSnippet = 15;
constexpr int kSnippetFormat = 2;
constexpr int kSymbolNamespace = 3;
constexpr int kSymbolConstant = 14;
constexpr int kSymbolString = 15;
constexpr int kSymbolObject = 19;
constexpr int kSymbolEnumMember = 22;
constexpr int kSymbolEvent = 24;
}  // namespace kinds

json position_json(Position p) {
  return {{"line", p.line}, {"character", p.character}};
}

// The range of bytes [begin, end) of line `line`.
Range line_span(const LineIndex& lines, int line, size_t begin, size_t end) {
  const std::string_view text = lines.line(line);
  return {{line, utf16_length(text.substr(0, begin))}, {line, utf16_length(text.substr(0, end))}};
}

// The field's text as written.
std::string_view source_of(const LineIndex& lines, const ReadField& field) {
  return lines.text().substr(field.begin, field.end - field.begin);
}

// The span of a field as read, without the blanks that end an unquoted text.
Range span_of(const LineIndex& lines, const ReadField& field) {
  const std::string_view source = source_of(lines, field);
  const size_t last = source.find_last_not_of(" \t");
  const size_t end = last == std::string_view::npos ? field.begin : field.begin + last + 1;
  return {lines.position(field.begin), lines.position(end)};
}

size_t offset_of(const LineIndex& lines, SourceLocation at) {
  return lines.offset({at.line - 1, 0}) + static_cast<size_t>(at.column - 1);
}

// The field a row stopped at, as far as it was read.
Range stop_span(const LineIndex& lines, const RowStop& stop) {
  const size_t begin = offset_of(lines, stop.at);
  return {lines.position(begin), lines.position(begin + stop.field.size())};
}

std::string docs_link(const RowKindInfo& kind) {
  return "docs/" + std::string(kind.doc);
}

std::string metres_text(double metres) {
  return std::to_string(static_cast<int64_t>(std::lround(metres))) + " m";
}

// A class stands for the radii nearer its own than its neighbours', halfway
// between the classes' turns per metre.
std::string radius_range(char class_digit) {
  const double turn = class_curvature(class_digit);
  std::string range = "a radius of " + metres_text(1 / turn) + ", for curves of ";
  const bool widest = class_digit == kFirstCurveClass;
  const bool tightest = class_digit == kLastCurveClass;
  const auto halfway = [turn](char other) {
    return metres_text(2 / (turn + class_curvature(other)));
  };
  if (widest) return range + halfway(class_digit + 1) + " and wider";
  if (tightest) return range + halfway(class_digit - 1) + " and tighter";
  return range + halfway(class_digit + 1) + " to " + halfway(class_digit - 1);
}

std::string curve_hover(std::string_view keyword) {
  const std::optional<CurveKeyword> curve = curve_keyword(keyword);
  if (!curve) {
    return "holds no class digit 1 to 6: the compile stops with error 103 (write `" +
           curve_keyword(CurveKeyword{}) + "` to `" +
           curve_keyword(CurveKeyword{kLastCurveClass, true}) + "`)";
  }
  std::ostringstream turn;
  turn << class_curvature(curve->class_digit);
  return "class " + std::string(1, curve->class_digit) + ", turning " +
         (curve->left ? "left" : "right") + ": " + turn.str() + " radians per metre, " +
         radius_range(curve->class_digit);
}

// The station's type is its second value.
constexpr size_t kStationTypeValue = 1;

std::string unit_text(const ValueSpec& value) {
  return value.unit.empty() ? "none, a plain number" : std::string(value.unit);
}

std::string keyword_hover(const OutlineRow& row) {
  std::string text;
  for (const RowKindInfo* kind : row.kinds) {
    if (!text.empty()) text += "\n\n---\n\n";
    text += "**" + std::string(kind->what) + "** row (`" + std::string(kind->keyword) + "`)";
    if (kind->kind == RowKind::kCurve) {
      text += ", `" + std::string(trimmed_field(row.keyword.text)) +
              "`: " + curve_hover(row.keyword.text);
    }
    text += "\n\nIts values in order:\n\n";
    for (const ValueSpec& value : kind->values) {
      text += std::to_string(&value - kind->values.data() + 1) + ". " + std::string(value.name);
      if (!value.unit.empty()) text += ", " + std::string(value.unit);
      text += " (" + std::string(width_name(value.width)) + ")\n";
    }
    text += "\nSee " + docs_link(*kind);
  }
  return text;
}

// What the compile makes of the number written for `value`.
std::string stored_line(const ValueSpec& value, const ValueNote& note, int64_t number) {
  const auto [low, high] = accepted_range(value.width);
  if (number < low || number > high) {
    return "- " + std::to_string(number) + " does not fit " +
           std::string(width_words(value.width)) + ": the compile stops with error 25\n";
  }
  if (note.grid != Grid::kNone) {
    const int64_t cell = cell_index(number, note.grid == Grid::kCellPlusOne ? 1 : 0);
    return "- " + std::to_string(number) + " m lands in cell " + std::to_string(cell) +
           ", which holds metres " + std::to_string(cell * kCellMetres) + " to " +
           std::to_string(cell * kCellMetres + kCellMetres - 1) + "\n";
  }
  if (value.width == ValueWidth::kByte) {
    return "- stored as the byte " + std::to_string(number) + "\n";
  }
  return {};
}

// `field` is nothing for a value that could not be read.
std::string value_hover(const RowKindInfo& kind, size_t index, const ReadField* field) {
  const ValueSpec& value = kind.values[index];
  const ValueNote& note = value_notes(kind.kind)[index];
  std::string text = "**" + std::string(value.name) + "**: value " + std::to_string(index + 1) +
                     " of " + std::to_string(kind.values.size()) + " of a " +
                     std::string(kind.what) + " row\n\n";
  text += "- unit: " + unit_text(value) + "\n";
  if (value.width == ValueWidth::kText) {
    text += "- accepts: a text, up to 65535 characters\n";
  } else {
    const auto [low, high] = accepted_range(value.width);
    text += "- accepts: " + std::string(width_words(value.width)) + ", " + std::to_string(low) +
            " to " + std::to_string(high) + "\n";
  }
  text += "- the compile: " + std::string(note.stores) + "\n";
  if (field && value.width != ValueWidth::kText) text += stored_line(value, note, field->number);
  if (field && kind.kind == RowKind::kStation && index == kStationTypeValue) {
    text += "- type " + std::to_string(field->number) + ": " +
            std::string(station_type_meaning(field->number)) + "\n";
  }
  return text + "\nSee " + docs_link(kind);
}

json markdown(const std::string& text, const Range& range) {
  return {{"contents", {{"kind", "markdown"}, {"value", text}}}, {"range", range_json(range)}};
}

// The range that a completion at `at` replaces: from the first field's start.
std::optional<Range> first_field_before(const LineIndex& lines, Position at) {
  const std::string_view line = lines.line(at.line);
  const size_t cursor = byte_offset(line, at.character);
  const std::string_view before = line.substr(0, cursor);
  if (before.find_first_of(",\"") != std::string_view::npos) return std::nullopt;
  const size_t start = std::min(before.find_first_not_of(" \t"), before.size());
  return line_span(lines, at.line, start, cursor);
}

json completion_item(std::string label, int kind, std::string detail, std::string text,
                     const Range& replaced) {
  return {{"label", label},
          {"kind", kind},
          {"detail", std::move(detail)},
          {"filterText", label},
          {"textEdit", {{"range", range_json(replaced)}, {"newText", std::move(text)}}}};
}

// A snippet choice: the first option is the one inserted.
std::string choice(int n, const std::string& options) {
  return "${" + std::to_string(n) + "|" + std::string(options) + "|}";
}

// The keyword a new row is written with; a curve's class and side are
// choices, right and class 1 first.
std::string snippet_keyword(const RowKindInfo& kind, int& n) {
  if (kind.kind != RowKind::kCurve) return std::string(kind.keyword);
  const auto side = [&kind](bool left) {
    return curve_keyword(CurveKeyword{kFirstCurveClass, left})[kind.keyword.size()];
  };
  std::string classes;
  for (char c = kFirstCurveClass; c <= kLastCurveClass; ++c) {
    classes += std::string(classes.empty() ? "" : ",") + c;
  }
  std::string keyword = std::string(kind.keyword) + choice(n++, {side(false), ',', side(true)});
  return keyword + choice(n++, classes);
}

}  // namespace

std::string row_snippet(const RowKindInfo& kind) {
  int n = 1;
  std::string snippet = snippet_keyword(kind, n);
  const std::span<const ValueNote> notes = value_notes(kind.kind);
  for (const ValueNote& note : notes)
    snippet += ", ${" + std::to_string(n++) + ":" + std::string(note.example) + "}";
  return snippet;
}

namespace {

// The values of a kind by name and unit, for the snippet's detail.
std::string values_text(const RowKindInfo& kind) {
  std::string text;
  for (const ValueSpec& value : kind.values) {
    text += (text.empty() ? "" : ", ") + std::string(value.name);
    if (!value.unit.empty()) text += " (" + std::string(value.unit) + ")";
  }
  return text;
}

// `rank` orders the items: the current section's kinds come first.
void add_kind_items(json& items, const RowKindInfo& kind, const Range& replaced, char rank) {
  json keyword =
      completion_item(std::string(kind.keyword), kinds::kKeyword, std::string(kind.what) + " row",
                      std::string(kind.keyword), replaced);
  keyword["sortText"] = rank + std::string(kind.keyword);
  items.push_back(std::move(keyword));
  json snippet = completion_item(std::string(kind.keyword), kinds::kSnippet,
                                 "a whole " + std::string(kind.what) + " row: " + values_text(kind),
                                 row_snippet(kind), replaced);
  snippet["label"] = std::string(kind.keyword) + " row";
  snippet["sortText"] = rank + std::string(kind.keyword) + " row";
  snippet["insertTextFormat"] = kinds::kSnippetFormat;
  items.push_back(std::move(snippet));
}

// The section the line stands in, when its section line is one writers use.
std::optional<Section> section_at(const Outline& outline, TextFile file, int line) {
  const ReadField* last = nullptr;
  for (const ReadField& section : outline.sections) {
    if (section.at.line - 1 > line) break;
    last = &section;
  }
  if (!last) return std::nullopt;
  for (const Section section : sections_of(file)) {
    if (trimmed_field(last->text) == section_name(section)) return section;
  }
  return std::nullopt;
}

// The symbol kind of the rows the outline lists; 0 for the others.
int symbol_kind(RowKind kind) {
  switch (kind) {
    case RowKind::kStation:
      return kinds::kSymbolObject;
    case RowKind::kSignal:
      return kinds::kSymbolEvent;
    case RowKind::kSlowdown:
      return kinds::kSymbolEnumMember;
    case RowKind::kSpeedBoard:
      return kinds::kSymbolConstant;
    case RowKind::kTextBoard:
      return kinds::kSymbolString;
    default:
      return 0;
  }
}

std::optional<json> row_symbol(const LineIndex& lines, const OutlineRow& row) {
  if (row.kinds.empty() || row.values.empty()) return std::nullopt;
  const RowKindInfo& kind = *row.kinds.front();
  const int symbol = symbol_kind(kind.kind);
  if (symbol == 0) return std::nullopt;
  std::string name =
      std::string(kind.what) + " at " + std::string(source_of(lines, row.values.front())) + " m";
  const bool named = kind.values.back().width == ValueWidth::kText;
  if (named && row.values.size() == kind.values.size()) {
    name += ": " + std::string(trimmed_field(row.values.back().text));
  }
  const Range line = line_span(lines, row.line, 0, lines.line(row.line).size());
  return json{{"name", name},
              {"detail", std::string(trimmed_field(row.keyword.text))},
              {"kind", symbol},
              {"range", range_json(line)},
              {"selectionRange", range_json(span_of(lines, row.keyword))}};
}

json text_edit(const Range& range, std::string text) {
  return {{"range", range_json(range)}, {"newText", std::move(text)}};
}

// What an edit does, as its action's title says it: "change "X" to "Y"",
// "insert "Y"" or "remove "X"".
std::string edit_title(const LineIndex& lines, const Range& range, const std::string& text) {
  const std::string_view line = lines.line(range.start.line);
  const size_t begin = byte_offset(line, range.start.character);
  const size_t end =
      range.end.line == range.start.line ? byte_offset(line, range.end.character) : line.size();
  const std::string old(line.substr(begin, end - begin));
  if (old.empty()) return "insert \"" + text + "\"";
  if (text.empty()) return "remove \"" + old + "\"";
  return "change \"" + old + "\" to \"" + text + "\"";
}

bool overlaps(const Range& a, const Range& b) {
  return !(a.end < b.start) && !(b.end < a.start);
}

}  // namespace

json range_json(const Range& range) {
  return {{"start", position_json(range.start)}, {"end", position_json(range.end)}};
}

Range range_of(const Spot& from, const Spot& to) {
  if (from.line < 1) return {};
  const Position start{from.line - 1, from.column - 1};
  if (to.line < 1) return {start, start};
  return {start, {to.line - 1, to.column - 1}};
}

json hover(const LineIndex& lines, const Outline& outline, Position at) {
  const OutlineRow* row = outline.row_before(lines.offset(at));
  if (!row) return nullptr;
  const Range keyword = span_of(lines, row->keyword);
  if (keyword.contains(at)) return markdown(keyword_hover(*row), keyword);
  const RowKindInfo& kind = *row->kinds.front();
  for (size_t i = 0; i < row->values.size(); ++i) {
    const Range value = span_of(lines, row->values[i]);
    if (value.contains(at)) return markdown(value_hover(kind, i, &row->values[i]), value);
  }
  if (!row->stop || row->values.size() >= kind.values.size()) return nullptr;
  const Range stopped = stop_span(lines, *row->stop);
  if (!stopped.contains(at)) return nullptr;
  return markdown(value_hover(kind, row->values.size(), nullptr) + "\n- " + row->stop->message,
                  stopped);
}

json completion(const LineIndex& lines, const Outline& outline, TextFile file, Position at) {
  json items = json::array();
  const auto replaced = first_field_before(lines, at);
  if (!replaced) return items;
  const LinePlace place = outline.place(at.line);
  for (const Section section : sections_of(file)) {
    const bool general = section == Section::kGeneral;
    if (general != (place == LinePlace::kBeforeGeneral)) continue;
    const std::string name(section_name(section));
    items.push_back(completion_item(name, kinds::kModule, "section", name, *replaced));
  }
  if (place == LinePlace::kBeforeGeneral) return items;
  const RowPart part = place == LinePlace::kHeader ? RowPart::kHeader : RowPart::kRows;
  const std::optional<Section> here = section_at(outline, file, at.line);
  const auto in_here = [&](const RowKindInfo& kind) { return here == section_of(kind.kind); };
  for (const bool first : {true, false}) {
    for (const RowKindInfo& kind : row_kinds(file, part)) {
      if (in_here(kind) == first) add_kind_items(items, kind, *replaced, first ? '0' : '1');
    }
  }
  return items;
}

json document_symbols(const LineIndex& lines, const Outline& outline) {
  json symbols = json::array();
  auto row = outline.rows.begin();
  const auto rows_before = [&](int end_line, json& children) {
    for (; row != outline.rows.end() && row->line < end_line; ++row) {
      if (auto symbol = row_symbol(lines, *row)) children.push_back(std::move(*symbol));
    }
  };
  json loose = json::array();
  const auto line_of = [](const ReadField& section) { return section.at.line - 1; };
  rows_before(outline.sections.empty() ? lines.line_count() : line_of(outline.sections.front()),
              loose);
  for (json& symbol : loose) symbols.push_back(std::move(symbol));
  for (size_t i = 0; i < outline.sections.size(); ++i) {
    const ReadField& section = outline.sections[i];
    const int line = line_of(section);
    const int end_line =
        i + 1 < outline.sections.size() ? line_of(outline.sections[i + 1]) : lines.line_count();
    json children = json::array();
    rows_before(end_line, children);
    const int last = std::max(line, end_line - 1);
    symbols.push_back({{"name", std::string(trimmed_field(section.text))},
                       {"kind", kinds::kSymbolNamespace},
                       {"range", range_json({{line, 0}, {last, utf16_length(lines.line(last))}})},
                       {"selectionRange", range_json(span_of(lines, section))},
                       {"children", std::move(children)}});
  }
  return symbols;
}

json diagnostic_json(const Published& published) {
  json diagnostic = {{"range", range_json(published.range)},
                     {"severity", published.problem.error ? 1 : 2},
                     {"code", published.problem.code},
                     {"source", "scenario-compiler"},
                     {"message", published.problem.message}};
  if (published.notes.empty()) return diagnostic;
  json related = json::array();
  for (const PublishedNote& note : published.notes) {
    related.push_back({{"location", {{"uri", note.uri}, {"range", range_json(note.range)}}},
                       {"message", note.message}});
  }
  diagnostic["relatedInformation"] = std::move(related);
  return diagnostic;
}

json definition(const std::string& uri, const std::vector<Published>& problems, Position at) {
  json locations = json::array();
  std::set<std::pair<std::string, int>> seen;
  for (const Published& published : problems) {
    if (!published.range.contains(at)) continue;
    for (const PublishedNote& note : published.notes) {
      if (note.uri == uri && note.range.start == published.range.start) {
        continue;  // a note about the row itself
      }
      if (!seen.insert({note.uri, note.range.start.line}).second) continue;
      locations.push_back({{"uri", note.uri}, {"range", range_json(note.range)}});
    }
  }
  if (locations.empty()) return nullptr;
  return locations;
}

json code_actions(const std::string& uri, const LineIndex& lines,
                  const std::vector<Published>& problems, const Range& range) {
  json actions = json::array();
  for (const Published& published : problems) {
    if (published.problem.fix.empty() || !overlaps(published.range, range)) continue;
    json edits = json::array();
    std::string title;
    for (const Edit& edit : published.problem.fix) {
      const Range replaced = range_of(edit.from, edit.to);
      title += (title.empty() ? "" : " and ") + edit_title(lines, replaced, edit.text);
      edits.push_back(text_edit(replaced, edit.text));
    }
    title[0] = static_cast<char>(title[0] - 'a' + 'A');
    actions.push_back({{"title", std::move(title)},
                       {"kind", "quickfix"},
                       {"diagnostics", json::array({diagnostic_json(published)})},
                       {"isPreferred", true},
                       {"edit", {{"changes", {{uri, std::move(edits)}}}}}});
  }
  return actions;
}

}  // namespace sc::lsp
