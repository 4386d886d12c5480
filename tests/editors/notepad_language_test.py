#!/usr/bin/env python3
"""notepad_language_test.py FILE: Notepad++'s generated language file is XML
that Notepad++ imports: one language for each text file, every keyword list
and style slot Notepad++ reads, the row words of the file's own kinds only,
and the note, text and section rules."""
import sys
import xml.etree.ElementTree as ElementTree

STYLES = (["DEFAULT", "COMMENTS", "LINE COMMENTS", "NUMBERS"]
          + [f"KEYWORDS{i}" for i in range(1, 9)]
          + ["OPERATORS", "FOLDER IN CODE1", "FOLDER IN CODE2", "FOLDER IN COMMENT"]
          + [f"DELIMITERS{i}" for i in range(1, 9)])
# A few words of each file; the unit test of src/grammars shows that every
# kind of the table reaches the file.
LINE_HEADER, LINE_ROWS = {"percorso", "sfondo", "ripetizione"}, {"pendenza", "curva", "montagna"}
TRAIN_ROWS = {"stazione", "segnale", "velocit"}


def words(language, name):
    return set((language.find(f"KeywordLists/Keywords[@name='{name}']").text or "").split())


def check(language, header, rows, absent):
    name = language.get("name")
    failures = []
    if [s.get("name") for s in language.findall("Styles/WordsStyle")] != STYLES:
        failures.append(f"{name}: the style slots are not Notepad++'s")
    if len(language.findall("KeywordLists/Keywords")) != 28:
        failures.append(f"{name}: not the 28 keyword lists of Notepad++")
    if not header <= words(language, "Keywords1") or not rows <= words(language, "Keywords2"):
        failures.append(f"{name}: row words missing")
    if absent & (words(language, "Keywords1") | words(language, "Keywords2")):
        failures.append(f"{name}: holds the other file's words")
    comments = language.find("KeywordLists/Keywords[@name='Comments']").text
    delimiters = language.find("KeywordLists/Keywords[@name='Delimiters']").text
    if not comments.startswith("00- ") or not delimiters.startswith('00" 01 02" 03[ 04 05]'):
        failures.append(f"{name}: notes, texts or sections are not marked: {comments!r} {delimiters!r}")
    return failures


def main():
    root = ElementTree.parse(sys.argv[1]).getroot()
    languages = root.findall("UserLang")
    if [language.get("name") for language in languages] != ["Scenario line", "Scenario train"]:
        print("FAIL: the languages are", [language.get("name") for language in languages])
        return 1
    failures = (check(languages[0], LINE_HEADER, LINE_ROWS, TRAIN_ROWS)
                + check(languages[1], set(), TRAIN_ROWS, LINE_HEADER | LINE_ROWS))
    for failure in failures:
        print("FAIL:", failure)
    print(f"{2 - len({f.split(':')[0] for f in failures})} passed, "
          f"{len({f.split(':')[0] for f in failures})} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
