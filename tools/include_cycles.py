#!/usr/bin/env python3
"""Checks the direction of the includes of the program and its libraries, as
the compiler resolves them: each #include "..." is looked up in the folder of
the file that includes it, then in the include folders of the compile command
that reaches it (build/*/compile_commands.json, which CMake writes for every
build tree), and each #include <...> in those include folders alone, so an
include that works only through another target's include folder
("../arcade/arcade_about.h" from app/core, <core/main_window/startup.h> from
anywhere) is seen for what it is.

Three rules; a break of any fails (exit status 1, so ./dev test fails):
- Folders (every folder on its own: app/editing and app/editing/exchange,
  libs/wallvane and libs/wallvane/jpeg, app/arcade and app/arcade/z80) may use
  each other in one direction only: two that include from each other, or a
  longer ring of them, form a circle.
- The notes core is built in layers, bottom to top: the shared declarations
  directly in app/core, then notes_table, note_editor, note_window and
  main_window. No file includes from a layer above its own.
- The core includes nothing from the subsystems built on it (app/editing,
  app/sysmon, app/arcade), and no library (libs/, platform/) includes from app/.

    tools/include_cycles.py [repository root] [compile_commands.json ...]

Without compile commands (no tree built yet) it says so and fails.
"""
import glob
import json
import os
import re
import shlex
import sys

TOPS = ("app", "libs", "platform", "installer")
INCLUDE = re.compile(r'^\s*#\s*include\s+(?:"([^"]+)"|<([^>]+)>)', re.M)
CORE = "app/core"
CORE_LAYERS = ("notes_table", "note_editor", "note_window", "main_window")
ABOVE_CORE = ("app/editing", "app/sysmon", "app/arcade")
LIBRARIES = ("libs", "platform")


def sources(root):
    for top in TOPS:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp", ".rc")):
                    yield os.path.normpath(os.path.join(folder, name))


def include_folders(entry):
    """The include folders of one compile command, in the compiler's order."""
    words = entry.get("arguments") or shlex.split(entry.get("command", ""))
    base = entry.get("directory", ".")
    quote, normal, system = [], [], []
    i = 0
    while i < len(words):
        word = words[i]
        for flag, into in (("-iquote", quote), ("-isystem", system), ("-I", normal)):
            if word == flag and i + 1 < len(words):
                into.append(words[i + 1])
                i += 1
                break
            if word.startswith(flag) and len(word) > len(flag):
                into.append(word[len(flag):])
                break
        i += 1
    absolute = lambda folders: [os.path.normpath(os.path.join(base, f)) for f in folders]
    return absolute(quote), absolute(normal + system)


def compile_commands(root, files):
    entries = []
    for path in files or glob.glob(os.path.join(root, "build", "*", "compile_commands.json")):
        with open(path, encoding="utf-8") as f:
            entries.extend(json.load(f))
    return entries


class Includes:
    """Every include of the sources, resolved as the compiler would."""

    def __init__(self, root, entries):
        self.root = os.path.abspath(root)
        self.files = set(sources(self.root))
        self.texts = {}
        self.edges = {}  # file -> {included file: name as written}
        seen = set()
        for entry in entries:
            unit = os.path.normpath(os.path.join(entry.get("directory", "."), entry["file"]))
            if unit in self.files:
                self.walk(unit, include_folders(entry), seen)
        # What no compile command reaches (resource scripts, unused headers)
        # is read with its own folder alone.
        for path in sorted(self.files):
            if path not in self.edges:
                self.walk(path, ([], []), seen)

    def names(self, path):
        """(name, quoted) of each include, as written."""
        if path not in self.texts:
            with open(path, encoding="latin-1") as f:
                self.texts[path] = [(q or b, bool(q)) for q, b in INCLUDE.findall(f.read())]
        return self.texts[path]

    def resolve(self, including, name, quoted, folders):
        # The compiler looks beside the including file and in the -iquote
        # folders for "..." only; <...> starts at the -I and -isystem folders.
        quote, normal = folders
        bases = ([os.path.dirname(including)] + quote if quoted else []) + normal
        for base in bases:
            path = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(path):
                return path
        return None

    def walk(self, path, folders, seen):
        key = (path, tuple(map(tuple, folders)))
        if key in seen:
            return
        seen.add(key)
        edges = self.edges.setdefault(path, {})
        for name, quoted in self.names(path):
            target = self.resolve(path, name, quoted, folders)
            if target in self.files:
                edges[target] = name if quoted else "<%s>" % name
                self.walk(target, folders, seen)

    def relative(self, path):
        return os.path.relpath(path, self.root).replace(os.sep, "/")


def folder(rel, depth):
    """The unit of a file at one folder level: its folder cut to depth names."""
    return "/".join(rel.split("/")[:-1][:depth])


def within(rel_folder, tops):
    return any(rel_folder == top or rel_folder.startswith(top + "/") for top in tops)


def core_layer(rel):
    """0 for the shared declarations directly in app/core, 1.. for the layers
    bottom to top; None outside the core."""
    if not rel.startswith(CORE + "/"):
        return None
    parts = rel[len(CORE) + 1:].split("/")
    if len(parts) == 1:
        return 0
    return CORE_LAYERS.index(parts[0]) + 1 if parts[0] in CORE_LAYERS else None


def circles(edges):
    # Tarjan's strongly connected components; each with more than one node is a circle.
    index, low, stack, on_stack, result = {}, {}, [], set(), []
    nodes = set(edges) | {b for targets in edges.values() for b in targets}

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in edges.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                result.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return result


def check(root, entries):
    """The lines that report broken rules; none when the includes are sound."""
    includes = Includes(root, entries)
    problems = []
    pairs = []  # (file, included file, name as written)
    for path in sorted(includes.edges):
        rel = includes.relative(path)
        for target, name in sorted(includes.edges[path].items()):
            to = includes.relative(target)
            pairs.append((rel, to, name))
            below, above = core_layer(rel), core_layer(to)
            if below is not None and above is not None and above > below:
                problems.append('upward include in the core: %s includes "%s" (%s)' %
                                (rel, name, to))
            if below is not None and within(folder(to, 99), ABOVE_CORE):
                problems.append('the core includes from %s: %s includes "%s" (%s)' %
                                (folder(to, 99), rel, name, to))
            if rel.split("/")[0] in LIBRARIES and to.split("/")[0] == "app":
                problems.append('library includes from app/: %s includes "%s"' % (rel, name))
    # Level 2 takes each subsystem whole (app/core, libs/wallvane); each deeper
    # level takes the folders inside one unit of the level above apart, so a
    # sub-folder and its parent (libs/wallvane/jpeg and libs/wallvane) are
    # units of their own. A circle whose folders lie in different units of the
    # level above is already a circle there and is told once.
    deepest = max([len(rel.split("/")) - 1 for rel, _, _ in pairs] + [2])
    for depth in range(2, deepest + 1):
        folders = {}  # folder -> folder -> [(file, name)]
        for rel, to, name in pairs:
            a, b = folder(rel, depth), folder(to, depth)
            if a != b:
                folders.setdefault(a, {}).setdefault(b, []).append((rel, name))
        for component in circles(folders):
            if depth > 2 and len({folder(f + "/x", depth - 1) for f in component}) > 1:
                continue
            problems.append("include circle between: " + ", ".join(component))
            for a in component:
                for b in component:
                    for rel, name in folders.get(a, {}).get(b, [])[:3]:
                        problems.append('   %s includes "%s"' % (rel, name))
    return problems


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    entries = compile_commands(root, argv[2:])
    if not entries:
        print("no compile commands: build a tree first (build/*/compile_commands.json)")
        return 1
    problems = check(root, entries)
    for line in problems:
        print(line)
    if not problems:
        print("includes run one way: no circles, no upward includes in the core")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
