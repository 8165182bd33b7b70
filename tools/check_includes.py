#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The project's includes as a graph: fails on a loop between files or between folders, and on
a file of a layered folder that includes a header of a later layer.

  check_includes.py ROOT [--layers cli/platform cli/png ...]

A header and the source file of the same name are one unit: `render.cpp` including `fast.h`
while `fast.h` includes `render.h` is a loop between the units render and fast. Between
folders, a folder may stand on the folder that holds it (flame/fast on flame's ground-floor
headers while flame's driver chooses among flame/fast and flame/plain): an include from a
folder into one that contains it is no folder edge; every other one is, siblings included. Every
`#include "..."` of the sources is read: the files of every folder of ROOT except those
that hold no product code (tests, benchmarks, fuzz targets, tools, docs, build trees), so that a
new front end is checked as soon as it exists. An include is taken relative to the including
file, then to ROOT; one that names no file of the tree (a library's header) is no edge.
The layers are given lowest first; every file under their common parent must be in one.
"""
import argparse
import os
import re
import sys

SOURCE_ENDINGS = (".h", ".hpp", ".inl", ".c", ".cc", ".cpp")
NOT_PRODUCT = {"tests", "bench", "fuzz", "tools", "docs", "cmake", "resources"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def source_files(root):
    files = []
    for top in sorted(os.listdir(root)):
        path = os.path.join(root, top)
        if not os.path.isdir(path) or top.startswith(".") or top.startswith("build"):
            continue
        if top in NOT_PRODUCT:
            continue
        for folder, dirs, names in os.walk(path):
            dirs.sort()
            for name in sorted(names):
                if name.endswith(SOURCE_ENDINGS):
                    files.append(os.path.relpath(os.path.join(folder, name), root))
    return files


def unit_of(name):
    """A header and its source file: the path without its ending."""
    return os.path.splitext(name)[0]


def include_graph(root, files):
    """file -> sorted list of the tree's files it includes."""
    known = set(files)
    graph = {}
    for name in files:
        with open(os.path.join(root, name), encoding="utf-8", errors="replace") as f:
            text = f.read()
        targets = set()
        for included in INCLUDE.findall(text):
            for base in (os.path.dirname(name), ""):
                candidate = os.path.normpath(os.path.join(base, included))
                if candidate in known:
                    targets.add(candidate)
                    break
        graph[name] = sorted(targets)
    return graph


def strongly_connected(graph):
    """The loops of `graph`: its strongly connected parts of more than one node, and the nodes
    that reach themselves directly (Tarjan's algorithm, without recursion)."""
    index, low, on_stack, stack, parts = {}, {}, set(), [], []
    counter = 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(graph[start]))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for target in edges:
                if target not in index:
                    index[target] = low[target] = counter
                    counter += 1
                    stack.append(target)
                    on_stack.add(target)
                    work.append((target, iter(graph.get(target, []))))
                    advanced = True
                    break
                if target in on_stack:
                    low[node] = min(low[node], index[target])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    part.append(member)
                    if member == node:
                        break
                if len(part) > 1 or node in graph.get(node, []):
                    parts.append(sorted(part))
    return sorted(parts)


def loop_through(graph, part):
    """One loop inside `part`, as a path from its first node back to it."""
    members = set(part)
    start = part[0]
    previous = {start: None}
    queue = [start]
    while queue:
        node = queue.pop(0)
        for target in graph.get(node, []):
            if target == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if target in members and target not in previous:
                previous[target] = node
                queue.append(target)
    return part


def folder_of(name):
    return os.path.dirname(name) or "."


def contains(outer, inner):
    """True when folder `outer` holds folder `inner` at some depth."""
    return outer == "." or inner.startswith(outer + "/")


def layer_of(name, layers):
    for position, layer in enumerate(layers):
        if name.startswith(layer + "/"):
            return position
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("root")
    parser.add_argument("--layers", nargs="*", default=[],
                        help="folders of one area, lowest first")
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    layers = [os.path.normpath(layer) for layer in args.layers]

    files = source_files(root)
    graph = include_graph(root, files)
    problems = []

    units = {}
    for name, targets in graph.items():
        own = units.setdefault(unit_of(name), set())
        own.update(unit_of(target) for target in targets if unit_of(target) != unit_of(name))
    unit_graph = {unit: sorted(targets) for unit, targets in units.items()}
    for part in strongly_connected(unit_graph):
        problems.append("include loop between files (a header with its source): %s (%s)" %
                        (" -> ".join(loop_through(unit_graph, part)),
                         "all of " + ", ".join(part) if len(part) > 2 else "both"))

    folders = {}
    witness = {}
    for name, targets in graph.items():
        for target in targets:
            a, b = folder_of(name), folder_of(target)
            if a != b and not contains(b, a):
                folders.setdefault(a, set()).add(b)
                witness.setdefault((a, b), (name, target))
    folder_graph = {folder: sorted(targets) for folder, targets in folders.items()}
    for part in strongly_connected(folder_graph):
        loop = loop_through(folder_graph, part)
        steps = ["%s includes %s" % witness[(a, b)] for a, b in zip(loop, loop[1:])]
        problems.append("include loop between folders: " + " -> ".join(loop) +
                        " (" + "; ".join(steps) + ")")

    if layers:
        area = os.path.commonpath(layers) if len(layers) > 1 else os.path.dirname(layers[0])
        for name in files:
            if not name.startswith(area + "/"):
                continue
            own = layer_of(name, layers)
            if own is None:
                problems.append("%s is in no layer of %s (%s)" % (name, area, ", ".join(layers)))
                continue
            for target in graph[name]:
                theirs = layer_of(target, layers)
                if theirs is not None and theirs > own:
                    problems.append("%s includes %s: layer %s is above %s" %
                                    (name, target, layers[theirs], layers[own]))

    for problem in problems:
        print(problem)
    edges = sum(len(targets) for targets in graph.values())
    if problems:
        print("%d problem(s) in %d files and %d includes" % (len(problems), len(files), edges))
        return 1
    print("%d files and %d includes: no loop%s" %
          (len(files), edges, ", and every layer includes only layers below it" if layers else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
