#!/usr/bin/env python3
"""cli_reference_test.py EXECUTABLE MAN_PAGE COMPLETION

The program's own --help against its manual page and its bash completion:
every command that `--help` lists, and every option that each command's
`--help` lists, must be in the manual page (in that command's subsection)
and must be offered by the completion after that command. The manual page
(roff, gzipped or not) must render without a warning.
"""
import gzip
import re
import subprocess
import sys

COMMON = {"-h", "--help", "--version"}


def run(argv):
    return subprocess.run(argv, capture_output=True, text=True, check=True).stdout


def help_section(text, title):
    """The entries of one section of CLI11's help ("Options:", "Subcommands:")."""
    entries = []
    inside = False
    for line in text.splitlines():
        if line.endswith(":") and not line.startswith(" "):
            inside = line == title
            continue
        match = re.match(r"^  (\S+)", line)
        if inside and match:
            entries.append(match.group(1))
    return entries


def options_of(help_text):
    options = []
    for entry in help_section(help_text, "Options:"):
        options += [o for o in entry.split(",") if o.startswith("-")]
    return options


def read_man(path):
    data = open(path, "rb").read()
    if path.endswith(".gz"):
        data = gzip.decompress(data)
    return data.decode("utf-8")


def man_sections(roff):
    """The text of each subsection (.SS NAME), with roff's marks taken out."""
    sections = {"": ""}
    current = ""
    for line in roff.splitlines():
        if line.startswith(".SS "):
            current = line[4:].strip()
            sections[current] = ""
            continue
        if line.startswith(".SH "):
            current = ""
        text = re.sub(r"\\f[BIRP]", "", line).replace("\\-", "-").replace("\\&", "")
        sections[current] += text + "\n"
        sections[""] += text + "\n"
    return sections


def completions(completion, words):
    """What the completion offers for the last of `words`, as bash runs it."""
    script = (
        'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); '
        '_scenario_compiler; printf "%s\\n" "${COMPREPLY[@]}"'
    )
    return set(run(["bash", "-c", script, "bash", completion] + words).split())


def renders_without_warnings(man_page):
    roff = read_man(man_page)
    result = subprocess.run(["groff", "-ww", "-man", "-Tutf8", "-z"], input=roff,
                            capture_output=True, text=True)
    return result.returncode == 0 and result.stderr == "", result.stderr


def main():
    executable, man_page, completion = sys.argv[1:4]
    failures = []
    sections = man_sections(read_man(man_page))
    program = executable  # the completion asks the program for names

    top = run([executable, "--help"])
    commands = help_section(top, "Subcommands:")
    if not commands:
        failures.append("--help lists no command")
    for option in options_of(top):
        if option not in sections[""]:
            failures.append(f"the manual page lacks {option}")
        if option not in completions(completion, [program, "-"]):
            failures.append(f"the completion does not offer {option}")
    offered = completions(completion, [program, ""])
    for command in commands:
        if command not in sections:
            failures.append(f"the manual page has no subsection for {command}")
            continue
        if command not in offered:
            failures.append(f"the completion does not offer the command {command}")
        offered_options = completions(completion, [program, command, "-"])
        for option in options_of(run([executable, command, "--help"])):
            where = sections[""] if option in COMMON else sections[command]
            if option not in where:
                failures.append(f"the manual page's {command} lacks {option}")
            if option not in offered_options:
                failures.append(f"the completion of {command} does not offer {option}")

    clean, warnings = renders_without_warnings(man_page)
    if not clean:
        failures.append("the manual page renders with warnings:\n" + warnings)

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"--help, the manual page and the completion agree on {len(commands)} commands")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
