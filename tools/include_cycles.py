#!/usr/bin/env python3
"""Lists circles of includes between the folders of the program and its
libraries, and includes from a library (libs/, platform/) into app/.
A folder is a subsystem: the first two levels of the path (app/core with
all of its sub-folders, libs/wallvane with its jpeg folder); the folders
inside one subsystem may use each other. A folder that includes from
another depends on it; two that reach each other that way form a circle.
Exit status 1 on a circle or a library including from app/, so ./dev test
fails on it.

    tools/include_cycles.py [repository root]
"""
import os
import re
import sys

TOPS = ("app", "libs", "platform", "installer")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(root):
    for top in TOPS:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp", ".rc")):
                    yield os.path.relpath(os.path.join(folder, name), root)


def resolve(root, including, name, by_tail):
    for base in (os.path.dirname(including), "app"):
        path = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, path)):
            return path
    # Libraries publish their own folders as include roots.
    found = by_tail.get(name)
    return found[0] if found and len(found) == 1 else None


def layer(path):
    parts = os.path.dirname(path).split(os.sep)
    return os.sep.join(parts[:2])


def folder_graph(root):
    files = list(sources(root))
    by_tail = {}
    for path in files:
        by_tail.setdefault(os.path.basename(path), []).append(path)
    edges = {}
    for path in files:
        with open(os.path.join(root, path), encoding="latin-1") as f:
            text = f.read()
        for name in INCLUDE.findall(text):
            target = resolve(root, path, name, by_tail)
            if not target:
                continue
            a, b = layer(path), layer(target)
            if a != b:
                edges.setdefault(a, {}).setdefault(b, []).append((path, name))
    return edges


def circles(edges):
    # Tarjan's strongly connected components; each with more than one folder is a circle.
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


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    edges = folder_graph(root)
    found = circles(edges)
    for component in found:
        print("include circle between: " + ", ".join(component))
        for a in component:
            for b in component:
                for path, name in edges.get(a, {}).get(b, [])[:3]:
                    print("   %s includes \"%s\"" % (path, name))
    upward = [(a, b) for a in edges for b in edges[a]
              if a.split(os.sep)[0] in ("libs", "platform") and b.split(os.sep)[0] == "app"]
    for a, b in upward:
        for path, name in edges[a][b]:
            print("library includes from app/: %s includes \"%s\"" % (path, name))
    if not found:
        print("no include circles between folders")
    return 1 if found or upward else 0


if __name__ == "__main__":
    sys.exit(main())
