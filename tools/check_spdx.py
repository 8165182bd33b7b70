#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Every source file git tracks carries the line `SPDX-License-Identifier: GPL-2.0-or-later`
near its top, in its language's comment; fails naming each file that does not.
  check_spdx.py [ROOT]          check (exit 0 or 1; 77, skipped, outside a git checkout)
  check_spdx.py --fix [ROOT]    write the line into each source file that lacks it (idempotent)
  check_spdx.py --list [ROOT]   the files counted as sources, with their comment syntax

Sources are the files we write in a language with comments: C and C++, CMake, shell, Python,
JavaScript, QML, HTML, CSS, XML, the resource script, linker version scripts and the export
list, locale files (.ini, where # starts a comment), templates of any of these (.in), and the
extensionless scripts that start with #!. Not sources: data the tests read (fuzz corpora, PNGs), pictures, JSON and lock files
(no comments there), package lists, the README, the licence and notices themselves, and the
texts shipped as they are (packaging/).
The line goes first, or after what must stay first: a #! line (and a Python coding line), an
<?xml ?> declaration, an HTML <!doctype>."""

import os
import re
import subprocess
import sys

LICENCE = "GPL-2.0-or-later"
TAG = b"SPDX-License-Identifier:"
HEAD_LINES = 5  # where the line is looked for
SPDX_LINE = re.compile(rb"\s*(//|#|/\*|<!--|;)\s*SPDX-License-Identifier:\s*\S")

# Comment syntax: (opening, closing).
SLASHES = (b"// ", b"")
HASH = (b"# ", b"")
BLOCK = (b"/* ", b" */")
MARKUP = (b"<!-- ", b" -->")
SEMICOLON = (b"; ", b"")

BY_EXTENSION = {
    ".c": SLASHES, ".cc": SLASHES, ".cpp": SLASHES, ".h": SLASHES, ".hpp": SLASHES,
    ".js": SLASHES, ".mjs": SLASHES, ".qml": SLASHES, ".rc": SLASHES,
    ".cmake": HASH, ".sh": HASH, ".py": HASH, ".ini": HASH,
    ".css": BLOCK, ".map": BLOCK,
    ".html": MARKUP, ".xml": MARKUP,
    ".def": SEMICOLON,
}
NOT_SOURCES = re.compile(r"^tests/fuzz-corpus/|^packaging/")


def comment_syntax(path, first_line):
    """The comment syntax of a source file, or None for a file that is not one."""
    if NOT_SOURCES.search(path):
        return None
    name = os.path.basename(path)
    if name == "CMakeLists.txt":
        return HASH
    if name.endswith(".in"):  # a template is written in the language of what it makes
        name = name[:-3]
    extension = os.path.splitext(name)[1]
    if extension in BY_EXTENSION:
        return BY_EXTENSION[extension]
    if not extension and first_line.startswith(b"#!"):
        return SLASHES if b"node" in first_line else HASH
    return None


def insertion_index(lines, syntax):
    """How many leading lines must stay before the SPDX line."""
    index = 0
    if lines and lines[0].startswith(b"#!"):
        index = 1
    if syntax == HASH and len(lines) > index and re.match(rb"#.*coding[:=]", lines[index]):
        index += 1
    if syntax == MARKUP and lines and re.match(rb"\s*<(\?xml|!doctype)", lines[0], re.I):
        index = 1
    return index


def has_spdx(lines):
    """A comment line of its own that starts with the tag, in the first lines."""
    return any(SPDX_LINE.match(line) for line in lines[:HEAD_LINES])


def sources(root):
    listed = subprocess.run(["git", "-C", root, "ls-files", "-z"], capture_output=True)
    if listed.returncode != 0:
        return None
    for path in sorted(p for p in listed.stdout.decode().split("\0") if p):
        full = os.path.join(root, path)
        if not os.path.isfile(full) or os.path.islink(full):
            continue
        with open(full, "rb") as f:
            first_line = f.readline()
        syntax = comment_syntax(path, first_line)
        if syntax:
            yield path, full, syntax


def add_spdx(full, syntax):
    """Writes the line into the file; False where it was there already."""
    with open(full, "rb") as f:
        data = f.read()
    lines = data.splitlines(keepends=True)
    if has_spdx(lines):
        return False
    newline = b"\r\n" if lines and lines[0].endswith(b"\r\n") else b"\n"
    line = syntax[0] + TAG + b" " + LICENCE.encode() + syntax[1] + newline
    index = insertion_index(lines, syntax)
    if index and not lines[index - 1].endswith(b"\n"):
        lines[index - 1] += newline
    lines.insert(index, line)
    # Written beside and renamed over it, keeping its mode (scripts stay executable).
    temporary = full + ".spdx-part"
    with open(temporary, "wb") as f:
        f.write(b"".join(lines))
    os.chmod(temporary, os.stat(full).st_mode)
    os.replace(temporary, full)
    return True


def main(argv):
    mode = argv[0] if argv and argv[0] in ("--fix", "--list") else "--check"
    rest = argv[1:] if mode != "--check" else argv
    root = rest[0] if rest else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    found = sources(root)
    if found is None:
        print(f"{root} is not a git checkout: no tracked files to check")
        return 77
    found = list(found)
    if mode == "--list":
        for path, _, syntax in found:
            print(f"{syntax[0].decode().strip():4} {path}")
        return 0
    if mode == "--fix":
        changed = [path for path, full, syntax in found if add_spdx(full, syntax)]
        print(f"SPDX line added to {len(changed)} of {len(found)} source files")
        return 0
    missing = []
    for path, full, _ in found:
        with open(full, "rb") as f:
            if not has_spdx(f.read().splitlines()):
                missing.append(path)
    for path in missing:
        print(f"{path}: no 'SPDX-License-Identifier: {LICENCE}' in its first {HEAD_LINES} lines")
    if missing:
        print(f"{len(missing)} of {len(found)} source files lack it: tools/check_spdx.py --fix")
        return 1
    print(f"all {len(found)} source files carry their SPDX line")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
