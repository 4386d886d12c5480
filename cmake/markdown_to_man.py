#!/usr/bin/env python3
"""markdown_to_man.py SOURCE.md OUTPUT VERSION

Writes the manual page OUTPUT (roff, man macros) from SOURCE.md, the one
source of the manual. SOURCE.md uses a small part of Markdown:

  # name(section)        the title
  ## HEADING             a section (.SH)
  ### heading            a subsection (.SS)
  - `TERM`: text         a tagged paragraph (.TP); the term is the code
                         spans and commas before ": "
  - text                 a bullet
  ```info ... ```        a literal block; the info string is dropped
  `code`, *emphasis*, [text](link) within running text.

Lines of a paragraph or list item are joined; a list item goes on over
lines indented by two spaces.
"""
import re
import sys


def escape(text):
    text = text.replace("\\", "\\e")
    return text


def inline(text):
    text = escape(text)
    text = re.sub(r"\[([^\]]+)\]\([^)]*\)", r"\1", text)
    text = re.sub(r"`([^`]+)`", lambda m: "\\fB" + m.group(1).replace("-", "\\-") + "\\fR", text)
    text = re.sub(r"\*\*([^*]+)\*\*", r"\\fB\1\\fR", text)
    text = re.sub(r"\*([^*]+)\*", r"\\fI\1\\fR", text)
    # The dash between a page's name and its description is a minus sign.
    return text.replace(" - ", " \\- ")


def safe_line(line):
    # A line of text that starts with a control character would be a request.
    return "\\&" + line if line.startswith((".", "'")) else line


TERM = re.compile(r"^((?:`[^`]+`(?:, )?)+): (.*)$")


def convert(source, version):
    lines = source.splitlines()
    out = []
    paragraph = []

    def flush():
        if not paragraph:
            return
        text = " ".join(paragraph)
        paragraph.clear()
        item = text.startswith("- ")
        if item:
            text = text[2:]
            term = TERM.match(text)
            if term:
                out.append(".TP")
                out.append(safe_line(inline(term.group(1))))
                out.append(safe_line(inline(term.group(2))))
                return
            out.append(".IP \\(bu 2")
        else:
            out.append(".PP")
        out.append(safe_line(inline(text)))

    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if line.startswith("```"):
            flush()
            out += [".PP", ".RS 4", ".nf"]
            while i < len(lines) and not lines[i].startswith("```"):
                out.append(safe_line(escape(lines[i]).replace("-", "\\-")))
                i += 1
            i += 1
            out += [".fi", ".RE"]
        elif line.startswith("### "):
            flush()
            out.append(".SS " + inline(line[4:]))
        elif line.startswith("## "):
            flush()
            out.append(".SH " + inline(line[3:]).upper())
        elif line.startswith("# "):
            flush()
            name, section = re.match(r"# (\S+)\((\d)\)", line).groups()
            out.append('.TH "%s" "%s" "" "%s %s" "User Commands"'
                       % (name.upper(), section, name, version))
        elif not line.strip():
            flush()
        elif line.startswith("- "):
            flush()
            paragraph.append(line)
        else:
            paragraph.append(line.strip())
    flush()
    return "\n".join(out) + "\n"


def main():
    source, output, version = sys.argv[1:4]
    with open(source, encoding="utf-8") as f:
        page = convert(f.read(), version)
    with open(output, "w", encoding="utf-8") as f:
        f.write(page)


if __name__ == "__main__":
    main()
