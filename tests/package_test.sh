#!/usr/bin/env bash
# package_test.sh PACKAGE.deb [WINDOWS.zip]
# Unpacks the Debian package into a scratch root, as dpkg would lay it out,
# and tries what it installs: the program's --version against the package's
# version, the manual page rendered by man without a warning, and --help
# against the manual page and the bash completion (cli_reference_test.py).
# Given the Windows zip too, unpacks it into a fresh folder and runs the .exe
# it holds under Wine, where Wine is installed.
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

dpkg-deb -x "$deb" "$root"
echo "package: $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)"
echo "depends: $(dpkg-deb -f "$deb" Depends)"
[[ -n $(dpkg-deb -f "$deb" Depends) ]] || { echo "FAIL: no computed dependency"; exit 1; }

program=$root/usr/bin/scenario-compiler
man_page=$root/usr/share/man/man1/scenario-compiler.1.gz
completion=$root/usr/share/bash-completion/completions/scenario-compiler
for f in "$program" "$man_page" "$completion" "$root/usr/share/doc/scenario-compiler/README.md" \
  "$root/usr/share/doc/scenario-compiler/docs/changes.md" \
  "$root/usr/share/vim/vimfiles/syntax/scenario.vim" "$root/usr/share/nvim/site/ftdetect/scenario.vim"; do
  [[ -e $f ]] || { echo "FAIL: the package lacks ${f#"$root"}"; exit 1; }
done

version=$("$program" --version)
[[ $version == "scenario-compiler $(dpkg-deb -f "$deb" Version)" ]] ||
  { echo "FAIL: --version prints '$version'"; exit 1; }
echo "$version"

warnings=$(MANWIDTH=80 man --warnings -l "$man_page" 2>&1 >/dev/null)
[[ -z $warnings ]] || { echo "FAIL: man warns:"; echo "$warnings"; exit 1; }
MANWIDTH=80 man -l "$man_page" | grep -q "EXIT STATUS" || { echo "FAIL: man shows no page"; exit 1; }

# The installed program asks itself for names when completing.
PATH="$root/usr/bin:$PATH" python3 "$here/cli_reference_test.py" "$program" "$man_page" "$completion"
PATH="$root/usr/bin:$PATH" bash "$here/completion_test.sh" "$program" "$completion"
echo "the package installs and runs"

zip=${2:-}
[[ -n $zip ]] || exit 0
if ! command -v wine >/dev/null; then
  echo "no Wine: the Windows zip is not run"
  exit 0
fi
zip=$(realpath "$zip")
mkdir "$root/windows"
(cd "$root/windows" && cmake -E tar xf "$zip")
exe=$(echo "$root"/windows/scenario-compiler-*-win64/scenario-compiler.exe)
[[ -f $exe && -f $(dirname "$exe")/docs/README.md && -f $(dirname "$exe")/scenario-compiler.xml ]] ||
  { echo "FAIL: the zip lacks the .exe, docs or Notepad++'s language file"; exit 1; }
windows_version=$(cd "$(dirname "$exe")" &&
  WINEPREFIX="$root/wine" WINEDEBUG=-all wine ./scenario-compiler.exe --version 2>/dev/null | tr -d '\r')
# The scratch prefix's server goes before the prefix does.
WINEPREFIX="$root/wine" wineserver -k 2>/dev/null || true
[[ $windows_version == "$version" ]] ||
  { echo "FAIL: the Windows .exe under Wine prints '$windows_version'"; exit 1; }
echo "the Windows zip runs under Wine: $windows_version"
