#include <string>

#include "grammars/editor_files.h"
#include "grammars/field_rules.h"

namespace sc {
namespace {

// Magic characters of a Vim pattern, and "#", which ends the patterns below.
constexpr std::string_view kVimSpecial = "\\.*[]~^$#";

std::string word_test(std::string_view word) {
  return "\\%([^,\"-]*" + escaped(word, kVimSpecial) + "\\)\\@=";
}

// A keyword field: from the line's start or a comma to the next comma or line
// end, no hyphen in it, the kind's words anywhere.
std::string keyword_match(const RowKindInfo& kind) {
  const char* letter_case = kind.letter_case == LetterCase::kExact ? "\\C" : "\\c";
  std::string tests = word_test(kind.word);
  if (!kind.also.empty()) tests += word_test(kind.also);
  return "syntax match scenarioKeyword #" + std::string(letter_case) + "\\%(^\\|,\\)\\s*\\zs" +
         tests + "[^,\"-]\\{-1,}\\ze\\s*\\%(,\\|$\\)#\n";
}

}  // namespace

std::string vim_syntax(std::span<const RowKindInfo> kinds) {
  const std::string general = "\\c" + escaped(kGeneralSection, kVimSpecial);
  std::string out =
      "\" Vim syntax file for the line and train text files of scenario-compiler:\n"
      "\" keywords, section lines, numbers, quoted texts and \"-\" notes.\n"
      "\" Written by write_editor_files from the row-kind table.\n"
      "if exists(\"b:current_syntax\")\n"
      "  finish\n"
      "endif\n"
      "\n"
      "\" A line that begins with \"-\" is a note: the reader drops the field unread.\n"
      "syntax match scenarioNote \"^\\s*-[^,\"]*\"\n"
      "\" A note after the last value of a row: \"..., 0 -- level again\".\n"
      "syntax match scenarioNote \"\\s\\zs--\\+[^,\"]*\"\n"
      "syntax match scenarioSection \"\\[[^]]*\\]\"\n"
      "syntax region scenarioText start=+\"+ end=+\"+\n"
      "syntax match scenarioNumber \"\\%(^\\|[ \\t,]\\)\\zs[-+]\\=\\d\\+\\ze\\%($\\|[ \\t,]\\)\"\n"
      "\n"
      "\" The row words of both files; a keyword field holds its words anywhere.\n";
  for (const RowKindInfo& kind : kinds) out += keyword_match(kind);
  // Last, so that it wins over a keyword at the file's first character.
  out +=
      "\n"
      "\" Reading starts after the first field that holds \"" +
      std::string(kGeneralSection) +
      "\".\n"
      "syntax region scenarioIgnored start=#\\%^\\%(\\s*" +
      general + "\\)\\@!# end=#" + general +
      "#me=s-1\n"
      "\n"
      "highlight default link scenarioIgnored Comment\n"
      "highlight default link scenarioNote Comment\n"
      "highlight default link scenarioSection PreProc\n"
      "highlight default link scenarioText String\n"
      "highlight default link scenarioNumber Number\n"
      "highlight default link scenarioKeyword Keyword\n"
      "\n"
      "let b:current_syntax = \"scenario\"\n";
  return out;
}

}  // namespace sc
