#include <string>
#include <vector>

#include "grammars/editor_files.h"
#include "grammars/field_rules.h"

namespace sc {
namespace {

constexpr std::string_view kRegexSpecial = "\\^$.|?*+()[]{}-/#";

std::string json_string(std::string_view text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[(c >> 4) & 0xf];
      out += kHex[c & 0xf];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string json_list(const std::vector<std::string>& items, std::string_view indent) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    out += i == 0 ? "\n" : ",\n";
    out += std::string(indent) + "  " + items[i];
  }
  return out + "\n" + std::string(indent) + "]";
}

std::string include(std::string_view rule) {
  return "{ \"include\": " + json_string("#" + std::string(rule)) + " }";
}

std::string match(std::string_view regex, std::string_view scope) {
  return "{ \"match\": " + json_string(regex) + ", \"name\": " + json_string(scope) + " }";
}

// Where a field starts: the line's start or just after a comma, blanks
// skipped.
constexpr std::string_view kFieldStart = "(?:^|(?<=,))[ \\t]*";
// What a keyword field may hold: no comma, no quote, and no hyphen, which
// hides the field.
constexpr std::string_view kKeywordChars = "[^,\"\\n-]";

std::string word_test(std::string_view word, LetterCase letter_case) {
  const std::string plain = escaped(word, kRegexSpecial);
  const std::string cased = letter_case == LetterCase::kAnyCase ? "(?i:" + plain + ")" : plain;
  return "(?=" + std::string(kKeywordChars) + "*" + cased + ")";
}

// The keyword field of a kind, the field itself (no blanks around it) as
// group 1.
std::string keyword_regex(const RowKindInfo& kind) {
  std::string tests = word_test(kind.word, kind.letter_case);
  if (!kind.also.empty()) tests += word_test(kind.also, kind.letter_case);
  return std::string(kFieldStart) + "(" + tests + std::string(kKeywordChars) + "*?)[ \\t]*(?=,|$)";
}

// A field of a text row that is not a number: the text, group 1.
constexpr std::string_view kUnquotedText =
    "(?<=,)[ \\t]*(?![ \\t]|[+-]?[0-9]+(?:[ \\t,]|$))([^,\"\\n]*[^,\"\\n \\t])";

std::string keyword_rule(const RowKindInfo& kind) {
  const std::string captures = "{ \"1\": { \"name\": " + json_string(keyword_scope(kind)) + " } }";
  if (!has_text_value(kind)) {
    return "{ \"match\": " + json_string(keyword_regex(kind)) + ", \"captures\": " + captures +
           " }";
  }
  // The text is the row's last value: any field after the keyword that is not
  // a number, up to the line's end.
  const std::string text =
      "{ \"match\": " + json_string(kUnquotedText) +
      ", \"captures\": { \"1\": { \"name\": \"string.unquoted.scenario\" } } }";
  return "{ \"begin\": " + json_string(keyword_regex(kind)) + ", \"beginCaptures\": " + captures +
         ", \"end\": \"$\", \"patterns\": [" + include("note") + ", " + include("quoted") + ", " +
         include("number") + ", " + text + "] }";
}

std::string keyword_rules(const std::vector<RowKindInfo>& kinds) {
  std::vector<std::string> rules;
  for (const RowKindInfo& kind : kinds) rules.push_back(keyword_rule(kind));
  return "{ \"patterns\": " + json_list(rules, "    ") + " }";
}

// The line file's header: from the general section line to the first field
// that holds "[" and "]" and does not begin with a hyphen.
std::string header_rule() {
  const std::string begin = "(?i)" + escaped(kGeneralSection, kRegexSpecial);
  const std::string end = "(?=^[ \\t]*(?!-)[^,\"\\n]*(?:\\[[^,\"\\n]*\\]|\\][^,\"\\n]*\\[))";
  return "{ \"begin\": " + json_string(begin) +
         ", \"beginCaptures\": { \"0\": { \"name\": \"entity.name.section.scenario\" } }, " +
         "\"end\": " + json_string(end) + ", \"patterns\": [" + include("note") + ", " +
         include("quoted") + ", " + include("header-keywords") + ", " + include("number") + "] }";
}

// Reading starts after the first field that holds the general section line:
// what stands before it is ignored.
// An empty region would never end: none begins at the general section line.
std::string preamble_rule() {
  const std::string general = "(?i:" + escaped(kGeneralSection, kRegexSpecial) + ")";
  return "{ \"begin\": " + json_string("\\A(?![ \\t]*" + general + ")") +
         ", \"end\": " + json_string("(?=" + general + ")") +
         ", \"name\": \"comment.block.ignored.scenario\" }";
}

std::string repository(std::span<const RowKindInfo> kinds, TextFile file) {
  std::vector<std::string> entries = {
      "\"preamble\": " + preamble_rule(),
      "\"note\": { \"patterns\": [" + match("^[ \\t]*-[^,\"\\n]*", "comment.line.note.scenario") +
          ", " + match("(?<=[ \\t])--+[^,\"\\n]*", "comment.line.note.scenario") + "] }",
      "\"section\": " + match("\\[[^\\]\\n]*\\]", "entity.name.section.scenario"),
      "\"quoted\": { \"begin\": \"\\\"\", \"end\": \"\\\"\", \"name\": "
      "\"string.quoted.double.scenario\" }",
      "\"number\": " +
          match("(?:^|(?<=[ \\t,]))[+-]?[0-9]+(?=[ \\t,]|$)", "constant.numeric.scenario"),
      "\"row-keywords\": " + keyword_rules(kinds_in(kinds, file, RowPart::kRows)),
  };
  if (file == TextFile::kLine) {
    entries.push_back("\"header\": " + header_rule());
    entries.push_back("\"header-keywords\": " +
                      keyword_rules(kinds_in(kinds, file, RowPart::kHeader)));
  }
  std::string out = "{";
  for (size_t i = 0; i < entries.size(); ++i) {
    out += (i == 0 ? "\n    " : ",\n    ") + entries[i];
  }
  return out + "\n  }";
}

}  // namespace

std::string keyword_scope(const RowKindInfo& kind) {
  return "keyword.other." + slug_of(kind.what) + ".scenario";
}

std::string textmate_grammar(std::span<const RowKindInfo> kinds, TextFile file) {
  const bool line = file == TextFile::kLine;
  std::vector<std::string> top = {include("preamble"), include("note")};
  if (line) top.push_back(include("header"));
  for (const char* rule : {"section", "quoted", "row-keywords", "number"}) {
    top.push_back(include(rule));
  }
  return "{\n  \"$comment\": \"Written by write_editor_files from the row-kind table.\",\n"
         "  \"name\": " +
         json_string(line ? "Scenario line file" : "Scenario train file") + ",\n  \"scopeName\": " +
         json_string(line ? "source.scenario.line" : "source.scenario.train") +
         ",\n  \"patterns\": " + json_list(top, "  ") +
         ",\n  \"repository\": " + repository(kinds, file) + "\n}\n";
}

}  // namespace sc
