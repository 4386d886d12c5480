#include <array>
#include <string>

#include "grammars/editor_files.h"
#include "grammars/field_rules.h"
#include "textio/xml_text.h"

namespace sc {
namespace {

// Notepad++ tells words apart by blanks: a word of two is quoted.
std::string keyword_list(std::span<const RowKindInfo> kinds) {
  std::string list;
  for (const std::string_view word : words_of(kinds)) {
    if (!list.empty()) list += ' ';
    const bool blank = word.find(' ') != std::string_view::npos;
    list += blank ? "\"" + std::string(word) + "\"" : std::string(word);
  }
  return xml_escaped(list);
}

std::string keywords(std::string_view name, std::string_view list) {
  return "      <Keywords name=\"" + std::string(name) + "\">" + std::string(list) +
         "</Keywords>\n";
}

struct Style {
  const char* name;
  const char* colour;
  int font_style;  // 1 bold, 2 italic
};

// Keywords1 for a header's kinds, Keywords2 for the rows'; Delimiters1 for
// quoted texts, Delimiters2 for section lines.
constexpr std::array<Style, 24> kStyles = {{
    {"DEFAULT", "000000", 0},         {"COMMENTS", "008000", 2},
    {"LINE COMMENTS", "008000", 2},   {"NUMBERS", "FF8000", 0},
    {"KEYWORDS1", "8000FF", 1},       {"KEYWORDS2", "0000FF", 1},
    {"KEYWORDS3", "000000", 0},       {"KEYWORDS4", "000000", 0},
    {"KEYWORDS5", "000000", 0},       {"KEYWORDS6", "000000", 0},
    {"KEYWORDS7", "000000", 0},       {"KEYWORDS8", "000000", 0},
    {"OPERATORS", "808080", 0},       {"FOLDER IN CODE1", "000000", 0},
    {"FOLDER IN CODE2", "000000", 0}, {"FOLDER IN COMMENT", "000000", 0},
    {"DELIMITERS1", "A31515", 0},     {"DELIMITERS2", "804000", 1},
    {"DELIMITERS3", "000000", 0},     {"DELIMITERS4", "000000", 0},
    {"DELIMITERS5", "000000", 0},     {"DELIMITERS6", "000000", 0},
    {"DELIMITERS7", "000000", 0},     {"DELIMITERS8", "000000", 0},
}};

std::string styles() {
  std::string out = "    <Styles>\n";
  for (const Style& style : kStyles) {
    out += "      <WordsStyle name=\"" + std::string(style.name) + "\" fgColor=\"" + style.colour +
           "\" bgColor=\"FFFFFF\" fontName=\"\" fontStyle=\"" + std::to_string(style.font_style) +
           "\" nesting=\"0\" />\n";
  }
  return out + "    </Styles>\n";
}

// A note is a field that begins with a hyphen, at the start of a line; a
// minus sign later on the line stays a number's.
std::string language(std::string_view name, std::span<const RowKindInfo> kinds, TextFile file) {
  std::string out = "  <UserLang name=\"" + std::string(name) + "\" ext=\"\" udlVersion=\"2.1\">\n";
  out +=
      "    <Settings>\n"
      "      <Global caseIgnored=\"yes\" allowFoldOfComments=\"no\" foldCompact=\"no\" "
      "forcePureLC=\"1\" decimalSeparator=\"0\" />\n"
      "      <Prefix Keywords1=\"yes\" Keywords2=\"yes\" Keywords3=\"no\" Keywords4=\"no\" "
      "Keywords5=\"no\" Keywords6=\"no\" Keywords7=\"no\" Keywords8=\"no\" />\n"
      "    </Settings>\n"
      "    <KeywordLists>\n";
  out += keywords("Comments", "00- 01 02 03 04");
  for (const char* list :
       {"Numbers, prefix1", "Numbers, prefix2", "Numbers, extras1", "Numbers, extras2",
        "Numbers, suffix1", "Numbers, suffix2", "Numbers, range"}) {
    out += keywords(list, "");
  }
  out += keywords("Operators1", ",");
  out += keywords("Operators2", "");
  for (const char* folder : {"code1", "code2", "comment"}) {
    for (const char* place : {"open", "middle", "close"}) {
      out += keywords(std::string("Folders in ") + folder + ", " + place, "");
    }
  }
  out += keywords("Keywords1", keyword_list(kinds_in(kinds, file, RowPart::kHeader)));
  out += keywords("Keywords2", keyword_list(kinds_in(kinds, file, RowPart::kRows)));
  for (int i = 3; i <= 8; ++i) out += keywords("Keywords" + std::to_string(i), "");
  out += keywords("Delimiters",
                  "00&quot; 01 02&quot; 03[ 04 05] 06 07 08 09 10 11 12 13 14 15 16 17 18 19 20 "
                  "21 22 23");
  out += "    </KeywordLists>\n" + styles() + "  </UserLang>\n";
  return out;
}

}  // namespace

std::string notepad_languages(std::span<const RowKindInfo> kinds) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
         "<!-- Written by write_editor_files from the row-kind table. -->\n"
         "<NotepadPlus>\n" +
         language("Scenario line", kinds, TextFile::kLine) +
         language("Scenario train", kinds, TextFile::kTrain) + "</NotepadPlus>\n";
}

}  // namespace sc
