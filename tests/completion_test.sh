#!/usr/bin/env bash
# completion_test.sh EXECUTABLE COMPLETION
# Drives bash's programmable completion with the completion script loaded, as
# bash does on Tab: for a command, an option, a warning name, an error name,
# an option's value and file names by extension.
set -uo pipefail
executable=$1 completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir -p bin routes
ln -s "$executable" bin/scenario-compiler
touch routes/Mia_linea.txt routes/Mia_T1-.txt routes/Mia_T1.dat routes/Mia_T1.sim routes/notes.md
export PATH="$work/bin:$PATH"

failures=0
# expect "WORDS..." -- CANDIDATES...: the completion of the last word offers
# every candidate and, with --only, nothing else.
expect() {
  local only=0 words=() wanted=()
  [[ $1 == --only ]] && only=1 && shift
  while [[ $1 != -- ]]; do words+=("$1"); shift; done
  shift
  wanted=("$@")
  local offered
  offered=$(bash -c 'source "$1"; shift
    [[ $(complete -p scenario-compiler) == *"-F _scenario_compiler"* ]] || exit 3
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
    _scenario_compiler; printf "%s\n" "${COMPREPLY[@]}"' bash "$completion" "${words[@]}" | sort)
  local candidate
  for candidate in "${wanted[@]}"; do
    if ! grep -qxF -- "$candidate" <<<"$offered"; then
      echo "FAIL: '${words[*]}' does not offer $candidate; it offers: $(echo $offered)"
      failures=$((failures + 1))
    fi
  done
  if ((only)) && [[ $offered != "$(printf '%s\n' "${wanted[@]}" | sort)" ]]; then
    echo "FAIL: '${words[*]}' offers more than ${wanted[*]}: $(echo $offered)"
    failures=$((failures + 1))
  fi
}

expect --only scenario-compiler co -- compile
expect --only scenario-compiler build --fo -- --force
expect scenario-compiler build r -- routes
expect scenario-compiler "" -- compile check example explain dump decompile plot
expect --only scenario-compiler compile --wr -- --write-on-error
expect --only scenario-compiler check --j -- --json
expect --only scenario-compiler check -Wer -- -Werror
expect --only scenario-compiler compile -Wno-off -- -Wno-off-grid
expect --only scenario-compiler explain stations-too -- stations-too-close
expect scenario-compiler explain 2 -- 22 25
expect --only scenario-compiler explain off- -- off-grid
expect --only scenario-compiler compile --input-encoding "" -- windows-1252 utf-8
expect --only scenario-compiler compile routes/Mia_ -- routes/Mia_linea.txt routes/Mia_T1-.txt
expect --only scenario-compiler dump routes/Mia_T1 -- routes/Mia_T1.dat routes/Mia_T1.sim
expect --only scenario-compiler compile Mia.txt routes/Mia_T1- -- routes/Mia_T1-.txt
expect --only scenario-compiler example rout -- routes

if ((failures)); then
  echo "$failures completion checks failed"
  exit 1
fi
echo "bash completes commands, options, warning and error names and files"
