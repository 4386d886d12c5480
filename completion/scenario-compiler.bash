# Bash completion for scenario-compiler: commands, each command's options,
# -Wno- with every warning name, explain with every error number and
# diagnostic name (both asked of the program itself, `explain --list`), and
# file names by the extension each argument takes.

# The words of `explain --list`: error numbers and names, then warning names.
_scenario_compiler_diagnostics() {
  local program=${COMP_WORDS[0]}
  command -v "$program" >/dev/null 2>&1 || program=scenario-compiler
  "$program" explain --list 2>/dev/null
}

# Files whose names end in one of the given extensions, and directories.
_scenario_compiler_files() {
  local cur=$1 ext
  shift
  compopt -o filenames 2>/dev/null
  for ext in "$@"; do
    COMPREPLY+=($(compgen -f -X "!*.$ext" -- "$cur"))
  done
  COMPREPLY+=($(compgen -d -- "$cur"))
}

_scenario_compiler() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="compile build check example explain dump inspect decompile plot lsp"
  local command="" i
  COMPREPLY=()
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ " $commands " == *" ${COMP_WORDS[i]} "* ]]; then
      command=${COMP_WORDS[i]}
      break
    fi
  done

  local sources="--line-name --train-number"
  local options
  case $command in
    "") options="-h --help --version" ;;
    compile) options="-h --help --version $sources -o --output-dir --no-profile --write-on-error
                      --json --summary -w -W -Wno- --input-encoding" ;;
    build) options="-h --help --version -o --output-dir -j --jobs --force --no-profile --json -w -W
                    -Wno- --input-encoding" ;;
    check) options="-h --help --version $sources --json --no-profile --error-limit -W -Werror -Wno-
                    --input-encoding" ;;
    example) options="-h --help --force" ;;
    explain) options="-h --help --list" ;;
    dump) options="-h --help --json --kind --cells --occupied --entry --every" ;;
    inspect) options="-h --help --json" ;;
    decompile) options="-h --help -o --output-dir --force" ;;
    plot) options="-h --help $sources -o --output --json" ;;
    lsp) options="-h --help --stdio" ;;
  esac

  # The value of the option before the word.
  case $prev in
    --input-encoding)
      COMPREPLY=($(compgen -W "windows-1252 utf-8" -- "$cur"))
      return ;;
    --kind)
      COMPREPLY=($(compgen -W "cells table profile" -- "$cur"))
      return ;;
    -o | --output-dir | --output)
      if [[ $command == plot ]]; then
        _scenario_compiler_files "$cur" svg
      else
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
      fi
      return ;;
    --line-name | --train-number | --cells | --entry | --every | -j | --jobs)
      return ;;
  esac

  if [[ $cur == -Wno-* ]]; then
    local warnings
    warnings=$(_scenario_compiler_diagnostics | grep -v '^[0-9]' | sed 's/^/-Wno-/')
    COMPREPLY=($(compgen -W "$warnings" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi

  case $command in
    "") COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
    compile | check | plot) _scenario_compiler_files "$cur" txt ;;
    dump | decompile | inspect) _scenario_compiler_files "$cur" dat sim ;;
    example | build)
      compopt -o filenames 2>/dev/null
      COMPREPLY=($(compgen -d -- "$cur")) ;;
    explain) COMPREPLY=($(compgen -W "$(_scenario_compiler_diagnostics)" -- "$cur")) ;;
  esac
}

complete -F _scenario_compiler scenario-compiler
