#!/usr/bin/env bash
# Checks that every #include "..." of the sources stays within the Levels table of
# README.md, and that only the Qt program (with its widget tests and benchmarks)
# includes Qt headers.
# Usage: scripts/check-levels.sh [ROOT]   (ROOT defaults to the repository)
set -euo pipefail
root=${1:-"$(dirname "$0")/.."}
exec python3 - "$root" <<'PY'
import os, re, sys

# library: folder (the longest matching path prefix names a file's library),
# then the libraries it may use; what those may use follows. "*" is anything.
RULES = {
    "vornel_imageio":       ("imageio/", []),
    "vornel_effect_record": ("render/effects/effect_record.", ["vornel_imageio"]),
    "vornel_platform":      ("platform/", ["vornel_imageio"]),
    "vornel_core":          ("core/", ["vornel_platform", "vornel_imageio", "vornel_effect_record"]),
    "vornel_render":        ("render/", ["vornel_core"]),
    "vornel_output":        ("core/output/", ["vornel_render", "vornel_core"]),
    "vornel_cli":           ("cli/", ["vornel_output", "vornel_render", "vornel_core"]),
    "vornel_ui_logic":      ("ui/logic/", ["vornel_output", "vornel_render", "vornel_core"]),
    "hellovornel":          ("ui/", ["vornel_ui_logic", "vornel_output", "vornel_render", "vornel_core"]),
    "data/tools":           ("data/tools/", ["vornel_output", "vornel_render", "vornel_core"]),
    "tests":                ("tests/", ["*"]),
    "qt tests":             ("tests/qt/", ["*"]),
    "bench":                ("bench/", ["*"]),
    "window bench":         ("bench/ui/", ["*"]),
    "fuzz":                 ("fuzz/", ["*"]),
}
# The Qt program, its widget tests and its benchmarks.
QT_USERS = {"hellovornel", "qt tests", "window bench"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')
QT_HEADER = re.compile(r"^(Q[A-Z]\w*|Qt\w*/.*)$")


def library_of(path):
    matches = [lib for lib, (folder, _) in RULES.items() if path.startswith(folder)]
    return max(matches, key=lambda lib: len(RULES[lib][0]), default=None)


def allowed(lib):
    seen, todo = {lib}, [lib]
    while todo:
        for used in RULES[todo.pop()][1]:
            if used not in seen:
                seen.add(used)
                todo += [used] if used in RULES else []
    return seen


def resolve(root, source, header):
    # A quoted include is looked up beside the including file first, then from the root.
    beside = os.path.normpath(os.path.join(os.path.dirname(source), header))
    return beside if os.path.isfile(os.path.join(root, beside)) else os.path.normpath(header)


def sources(root):
    for top, dirs, files in os.walk(root):
        at_root = os.path.samefile(top, root)
        dirs[:] = sorted(d for d in dirs if not d.startswith(".") and not (at_root and d.startswith("build")))
        for name in sorted(files):
            if name.endswith((".h", ".cpp")):
                yield os.path.relpath(os.path.join(top, name), root)


root = sys.argv[1]
violations = 0
for source in sources(root):
    lib = library_of(source)
    may_use = allowed(lib) if lib else {"*"}
    with open(os.path.join(root, source), encoding="utf-8", errors="replace") as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            kind, header = m.groups()
            if QT_HEADER.match(header) and lib not in QT_USERS:
                problem = "Qt"
            elif kind == '"' and "*" not in may_use:
                target = library_of(resolve(root, source, header))
                if target in may_use:
                    continue
                problem = target or "no library"
            else:
                continue
            print(f"{source}:{number}: {lib or 'this file'} may not include {header} ({problem})")
            violations += 1

if violations:
    sys.exit(1)
print("levels: ok")
PY
