#!/usr/bin/env python3
"""doc_links_test.py SOURCE_DIR

Every relative link of README.md and docs/*.md leads somewhere: the target
file exists and, when the link names a #fragment, the target has a heading
whose anchor is that fragment. Anchors follow GitHub's rule: the heading's
text in lower case, punctuation other than "-" and "_" dropped, each space
a "-", and a repeated anchor suffixed "-1", "-2", ...

Every file of the tree that docs/developing.md names in code (`src/...`,
`tools/...`, `name.cpp`, `name.{h,cpp}`) exists: a path from the top, or a
bare name in the folder the list item or paragraph named last, else anywhere
in the tree. A name with a placeholder (`NAME`, `<target>`, `*`) is left out.
"""
import pathlib
import re
import sys

LINK = re.compile(r"\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$")


def prose_lines(page):
    """The lines of a page outside fenced code blocks."""
    inside = False
    for number, line in enumerate(page.read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith("```"):
            inside = not inside
        elif not inside:
            yield number, line


def anchor(heading):
    text = re.sub(r"[^\w\- ]", "", heading.lower())
    return text.replace(" ", "-")


def anchors(page):
    found = set()
    for _, line in prose_lines(page):
        match = HEADING.match(line)
        if not match:
            continue
        base = anchor(match.group(1))
        name, n = base, 0
        while name in found:
            n += 1
            name = f"{base}-{n}"
        found.add(name)
    return found


def broken_links(page):
    for number, line in prose_lines(page):
        for target in LINK.findall(re.sub(r"`[^`]*`", "", line)):
            if re.match(r"^[a-z]+:", target):
                continue
            path, _, fragment = target.partition("#")
            dest = (page.parent / path).resolve() if path else page
            if not dest.exists():
                yield f"{page}:{number}: {target}: no file {dest}"
            elif fragment and dest.suffix == ".md" and fragment not in anchors(dest):
                yield f"{page}:{number}: {target}: no heading with anchor #{fragment}"


CODE = re.compile(r"`([^`]+)`")
TREE_PATH = re.compile(
    r"^(?:src|tools|tests|bench|fuzz|editors|scripts|cmake|docs|completion)/[\w./{},+-]*$")
BARE_NAME = re.compile(r"^[A-Za-z][\w-]*\.(?:cpp|h|def|py|cmake|txt|sh|lua|js|json|md|\{[\w,]+\})$")
PLACEHOLDER = re.compile(r"NAME|FOLDER|<|\*|…|\.\.\.")


def expanded(name):
    """`a.{h,cpp}` as `a.h` and `a.cpp`."""
    match = re.match(r"^(.*)\{([^}]*)\}(.*)$", name)
    if not match:
        return [name]
    head, choices, tail = match.groups()
    return [n for choice in choices.split(",") for n in expanded(head + choice + tail)]


def missing_files(root, page):
    """The tree's files that `page` names in code and that do not exist."""
    folder = None
    for number, line in prose_lines(page):
        if not line.startswith(" ") or HEADING.match(line):
            if re.match(r"^(\d+\.|-|#)", line) or not line.strip():
                folder = None  # a new list item, heading or paragraph
        for name in CODE.findall(line):
            if PLACEHOLDER.search(name):
                continue
            if TREE_PATH.match(name):
                for path in expanded(name):
                    # A program is named by its source without the extension.
                    built = "." not in path.rsplit("/", 1)[-1] and any(root.glob(path + ".*"))
                    if not (root / path).exists() and not built:
                        yield f"{page}:{number}: `{name}`: no {path} in the tree"
                folder = name if name.endswith("/") else name.rsplit("/", 1)[0] + "/"
            elif BARE_NAME.match(name):
                for path in expanded(name):
                    near = folder and (root / folder / path).exists()
                    if not near and not any(root.rglob(path)):
                        yield f"{page}:{number}: `{name}`: no {path} in the tree"


def self_test():
    cases = {
        "Positions and the 50 m grid": "positions-and-the-50-m-grid",
        "15 beyond-route": "15-beyond-route",
        "Speed limit (`velocita`)": "speed-limit-velocita",
        "Syntax both files share": "syntax-both-files-share",
    }
    for heading, expected in cases.items():
        assert anchor(heading) == expected, (heading, anchor(heading))
    assert expanded("src/app/x.{h,cpp}") == ["src/app/x.h", "src/app/x.cpp"]


def main():
    self_test()
    root = pathlib.Path(sys.argv[1])
    pages = [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    problems = [problem for page in pages for problem in broken_links(page)]
    problems += missing_files(root, root / "docs" / "developing.md")
    print("\n".join(problems) or f"{len(pages)} pages, no broken link, no missing file")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
