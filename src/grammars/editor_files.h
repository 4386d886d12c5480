#pragma once

#include <span>
#include <string>
#include <vector>

#include "format/row_kinds.h"

namespace sc {

// The editors' descriptions of the two text files, written from a row-kind
// table (row_kinds() for the real one): the rules below are the reader's
// rules, seen from an editor that colours one line at a time.
//
// - A keyword field runs from the start of a line or a comma to the next
//   comma or line end, holds no hyphen and no double quote, and holds its
//   kind's words anywhere, in the case the kind asks for.
// - A field that begins with a hyphen at the start of a line is a note, and so
//   is one of two or more hyphens after the last value of a row.
// - What comes before the general section line is ignored.
// - A field holding "[" and "]" is a section line; the line file's header
//   runs from the general section line to the next one.
// - Numbers are a sign and digits ending at a blank, comma or line end;
//   texts are in double quotes, or, in a row with a text value, any field that
//   is not a number.

// The TextMate grammar of one of the two files, as JSON.
std::string textmate_grammar(std::span<const RowKindInfo> kinds, TextFile file);

// The TextMate scope of a kind's keyword: "keyword.other.route-length.scenario".
std::string keyword_scope(const RowKindInfo& kind);

// Notepad++'s User Defined Language file: one language for each file, as XML.
std::string notepad_languages(std::span<const RowKindInfo> kinds);

// Vim's syntax file for both files.
std::string vim_syntax(std::span<const RowKindInfo> kinds);

struct EditorFile {
  std::string path;  // below the output directory, with "/" between folders
  std::string text;
};

// Every file written for the editors.
std::vector<EditorFile> editor_files(std::span<const RowKindInfo> kinds);

}  // namespace sc
