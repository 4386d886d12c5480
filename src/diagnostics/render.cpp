#include "diagnostics/render.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#include "textio/codepage.h"

namespace sc {
namespace {

struct Palette {
  const char* bold = "";
  const char* error = "";
  const char* warning = "";
  const char* note = "";
  const char* caret = "";
  const char* reset = "";
};

constexpr Palette kPlain;
constexpr Palette kColours{"\033[1m",    "\033[1;31m", "\033[1;35m",
                           "\033[1;36m", "\033[1;32m", "\033[0m"};

// The lines are found on the first finding that shows one, once per text.
std::string_view line_of(const NamedText& named, int number) {
  if (!named.lines) named.lines.emplace(named.text);
  return named.lines->line(number);
}

// Blanks under the line up to the column; tabs stay tabs so the caret lines
// up however wide the terminal shows them.
std::string caret_padding(std::string_view line, int column) {
  std::string padding;
  for (size_t i = 0; i + 1 < static_cast<size_t>(column) && i < line.size(); ++i) {
    padding += line[i] == '\t' ? '\t' : ' ';
  }
  return padding;
}

std::string place_of(Source source, SourceLocation location, const NamedText& line,
                     const NamedText& train) {
  if (source == Source::kRoute) return "";
  std::string place = source == Source::kLineFile ? line.name : train.name;
  if (location.known()) {
    place += ":" + std::to_string(location.line) + ":" + std::to_string(location.column);
  }
  return place + ": ";
}

// The characters of the range after its first, on its first line.
size_t underline_length(std::string_view line, SourceRange range) {
  const auto from = static_cast<size_t>(range.begin.column);
  if (!range.end.known() || from > line.size()) return 0;
  const size_t to =
      range.end.line == range.begin.line ? static_cast<size_t>(range.end.column - 1) : line.size();
  return to > from ? std::min(to, line.size()) - from : 0;
}

// The source line with a caret under the range's first character and a
// tilde under each of its others on that line.
void show_source_line(std::ostream& out, Source source, SourceRange range, const NamedText& line,
                      const NamedText& train, const Palette& p) {
  if (source == Source::kRoute || !range.begin.known()) return;
  const std::string_view source_line =
      line_of(source == Source::kLineFile ? line : train, range.begin.line);
  out << cp1252_to_utf8(source_line) << '\n'
      << caret_padding(source_line, range.begin.column) << p.caret << '^'
      << std::string(underline_length(source_line, range), '~') << p.reset << '\n';
}

// A note at the finding's own field needs no second copy of the source line
// shown under the finding, unless `always_show_lines` (the finding itself was
// written without one).
void render_notes_of(std::ostream& out, const Finding& f, const NamedText& line,
                     const NamedText& train, const Palette& p, bool always_show_lines) {
  for (const Note& note : f.notes) {
    out << p.bold << place_of(note.source, note.location, line, train) << p.reset << p.note
        << "note:" << p.reset << ' ' << cp1252_to_utf8(note.text) << '\n';
    if (always_show_lines || note.source != f.source || note.location != f.location) {
      show_source_line(out, note.source, {note.location, {}}, line, train, p);
    }
  }
}

// FILE:LINE:COLUMN: error N: message, or warning: message [name]. Errors go
// without their name: scripts read the line up to the message, and the
// number says which error it is.
void write_first_line(std::ostream& out, const Finding& f, const NamedText& line,
                      const NamedText& train, const Palette& p) {
  const std::string place = place_of(f.source, f.location, line, train);
  const bool error = f.severity == Severity::kError;
  out << p.bold << place << p.reset << (error ? p.error : p.warning)
      << (error ? "error" : "warning");
  if (error && f.error_number() != 0) out << ' ' << f.error_number();
  out << ':' << p.reset << ' ' << p.bold << cp1252_to_utf8(f.message) << p.reset;
  if (!error && !f.name().empty()) out << " [" << f.name() << ']';
}

void render_one(std::ostream& out, const Finding& f, const NamedText& line, const NamedText& train,
                const Palette& p) {
  write_first_line(out, f, line, train, p);
  out << '\n';
  show_source_line(out, f.source, f.range(), line, train, p);
  render_notes_of(out, f, line, train, p, false);
}

std::string counted(size_t n, std::string_view noun) {
  return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

}  // namespace

// Standard error is unbuffered: the findings are put together first and
// written at once, not piece by piece.
void render_findings(std::ostream& out, std::span<const Finding> findings, const NamedText& line,
                     const NamedText& train, bool colour) {
  std::ostringstream text;
  for (const Finding& f : findings) render_one(text, f, line, train, colour ? kColours : kPlain);
  out << text.str();
}

void render_notes(std::ostream& out, std::span<const Finding> findings, const NamedText& line,
                  const NamedText& train, bool colour) {
  std::ostringstream text;
  for (const Finding& f : findings)
    render_notes_of(text, f, line, train, colour ? kColours : kPlain, true);
  out << text.str();
}

std::string first_line(const Finding& finding, std::string_view line_name,
                       std::string_view train_name) {
  std::ostringstream out;
  write_first_line(out, finding, {std::string(line_name), {}}, {std::string(train_name), {}},
                   kPlain);
  return out.str();
}

std::string closing_count(size_t errors, size_t warnings) {
  if (errors == 0 && warnings == 0) return "";
  if (errors == 0) return counted(warnings, "warning") + " generated.";
  if (warnings == 0) return counted(errors, "error") + " generated.";
  return counted(errors, "error") + " and " + counted(warnings, "warning") + " generated.";
}

size_t count_of(std::span<const Finding> findings, Severity severity) {
  return static_cast<size_t>(
      std::count_if(findings.begin(), findings.end(),
                    [severity](const Finding& f) { return f.severity == severity; }));
}

}  // namespace sc
