#include "grammars/editor_files.h"

namespace sc {

std::vector<EditorFile> editor_files(std::span<const RowKindInfo> kinds) {
  return {
      {"vscode/syntaxes/scenario-line.tmLanguage.json", textmate_grammar(kinds, TextFile::kLine)},
      {"vscode/syntaxes/scenario-train.tmLanguage.json", textmate_grammar(kinds, TextFile::kTrain)},
      {"notepad++/scenario-compiler.xml", notepad_languages(kinds)},
      {"vim/syntax/scenario.vim", vim_syntax(kinds)},
  };
}

}  // namespace sc
