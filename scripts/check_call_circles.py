#!/usr/bin/env python3
"""Fails when files of the program, or of the library, call one another in a circle.

Calls run one way between files, so that a file can be read, tested and changed with only the files
below it in mind; only the files of one concept may call one another both ways. The call graph comes
from the built objects: a file calls another when its object leaves undefined a symbol that the
other's object defines. A symbol defined in several objects, or weakly (inline functions, templates,
the vtables of classes without a key function), is header code compiled into each user, not a call
between files, and makes no edge. A circle is a strongly connected component of that graph.

Usage: check_call_circles.py OBJECT_LIST SOURCE_DIR
OBJECT_LIST holds a line per built object: group, the target's source folder and the object, split
by tabs (CMake writes it from the targets' objects, so a sanitizer build or a fresh tree finds its own).
"""
import fnmatch
import os
import shutil
import subprocess
import sys

# Files of one concept, which may call one another both ways: a circle is allowed when all its files
# lie in one entry. A file is named by its source path without the extension; '*' spans a family.
ALLOWED_CIRCLES = [
    ({'program/cockpit/dsky_keys', 'program/cockpit/dsky_programs', 'program/cockpit/dsky_timers'},
     "the DSKY: a key starts a program or arms a timer; programs and timers set the keys' lamps and state"),
    ({'program/input/flying', 'program/input/key_dispatch', 'program/input/mouse_input'},
     'flying input: keys and the mouse drive one set of flying commands, which read both'),
    ({'program/input/joystick_assign', 'program/input/joystick_devices'},
     'the joystick dialog: it lists the devices, and a device found opens it'),
    ({'library/core/terrain/*'},
     'terrain: its table, queries, textures, water and rendering are one structure, split by size'),
]

# Circles still open, each its size and a few of its files: listed, not failed, until they are
# broken. A circle that grows past its size has gained a call, which fails; an entry that no longer
# matches a circle, or names a size the circle has left, must be mended, so the list cannot go stale.
OPEN_CIRCLES = [
    (3, {'library/core/actors/entity_scene', 'library/core/actors/md2_entity', 'library/core/actors/mdl_entity'}),
    (3, {'library/core/render/bump_maps', 'library/core/render/render_surfaces',
         'library/core/render/texture_factory'}),
    (2, {'library/core/render/screen2d', 'library/core/render/texture_font'}),
]

WEAK_OR_LOCAL = set('VvWwu')


def symbols(obj):
    """The global symbols an object defines strongly, the ones it defines weakly, and the ones it uses."""
    out = subprocess.run(['nm', '-P', '--no-sort', obj], capture_output=True, text=True, check=True).stdout
    strong, weak, used = set(), set(), set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) < 2:
            continue
        name, kind = parts[0], parts[1]
        if kind == 'U':
            used.add(name)
        elif kind in WEAK_OR_LOCAL:
            weak.add(name)
        elif kind.isupper():
            strong.add(name)
    return strong, weak, used


def read_objects(object_list, source_dir):
    """Group -> {file name: object}, the file named by its source path without the extension."""
    groups = {}
    with open(object_list) as f:
        for line in f:
            if not line.strip():
                continue
            group, target_dir, obj = line.rstrip('\n').split('\t')
            if not os.path.exists(obj):
                sys.exit(f'{obj} is missing: build the program and the library first')
            # CMake keeps a source's path under the target's folder in its object's path.
            marker = '.dir' + os.sep
            inside = obj[obj.index(marker) + len(marker):] if marker in obj else os.path.basename(obj)
            source = os.path.splitext(os.path.splitext(inside)[0])[0]
            name = os.path.relpath(os.path.join(target_dir, source), source_dir)
            groups.setdefault(group, {})[name] = obj
    return groups


def call_graph(objects):
    """{file: {called file: the symbols that make the call}} over one group's objects."""
    table = {name: symbols(obj) for name, obj in objects.items()}
    definers = {}
    header_code = set()
    for name, (strong, weak, _) in table.items():
        header_code |= weak
        for sym in strong:
            definers.setdefault(sym, []).append(name)
    home = {sym: names[0] for sym, names in definers.items() if len(names) == 1 and sym not in header_code}
    graph = {}
    for name, (_, _, used) in table.items():
        edges = graph.setdefault(name, {})
        for sym in sorted(used):
            callee = home.get(sym)
            if callee and callee != name:
                edges.setdefault(callee, []).append(sym)
    return graph


def circles(graph):
    """The strongly connected components of more than one file (Tarjan's, without recursion)."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    for root in sorted(graph):
        if root in index:
            continue
        work = [(root, iter(sorted(graph[root])))]
        index[root] = low[root] = len(index)
        stack.append(root)
        on_stack.add(root)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = len(index)
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def in_entry(files, patterns):
    return all(any(fnmatch.fnmatchcase(f, p) for p in patterns) for f in files)


def demangle(names):
    if not names or not shutil.which('c++filt'):
        return {n: n for n in names}
    out = subprocess.run(['c++filt'], input='\n'.join(names), capture_output=True, text=True).stdout
    return dict(zip(names, out.splitlines()))


def open_status(size, listed_sizes):
    """How a circle stands against the sizes of the open entries that match it, and whether it passes."""
    if not listed_sizes:
        return '', False
    if listed_sizes == {size}:
        return ' (an open circle)', True
    change = 'a new call joined it' if size > max(listed_sizes) else 'it shrank, lower its size'
    return f' (an open circle listed with {", ".join(map(str, sorted(listed_sizes)))} files: {change})', False


def main():
    object_list, source_dir = sys.argv[1], os.path.realpath(sys.argv[2])
    failing = 0
    matched_open = set()
    for group, objects in sorted(read_objects(object_list, source_dir).items()):
        graph = call_graph(objects)
        found = circles(graph)
        for component in sorted(found, key=lambda c: (-len(c), c)):
            if any(in_entry(component, patterns) for patterns, _ in ALLOWED_CIRCLES):
                continue
            members = set(component)
            open_hits = [i for i, (_, few) in enumerate(OPEN_CIRCLES) if few <= members]
            matched_open.update(open_hits)
            tag, ok = open_status(len(component), {OPEN_CIRCLES[i][0] for i in open_hits})
            failing += not ok
            edges = [(a, b, graph[a][b]) for a in component for b in sorted(graph[a]) if b in members]
            shown = demangle(sorted({syms[0] for _, _, syms in edges}))
            print(f'{group}: a circle of {len(component)} files{tag}:')
            for name in component:
                print(f'    {name}')
            print('  its calls (turn one to break the circle):')
            for a, b, syms in edges:
                more = f' (and {len(syms) - 1} more)' if len(syms) > 1 else ''
                print(f'    {a} -> {b}: {shown[syms[0]]}{more}')
        largest = max((len(c) for c in found), default=0)
        print(f'{group}: {len(objects)} files, {sum(map(len, graph.values()))} calls between files, '
              f'largest circle {largest} files')
    for i, (_, few) in enumerate(OPEN_CIRCLES):
        if i not in matched_open:
            print(f'open circle {sorted(few)} is no longer a circle: take it off the list')
            failing += 1
    return 1 if failing else 0


if __name__ == '__main__':
    sys.exit(main())
