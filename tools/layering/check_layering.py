#!/usr/bin/env python3
"""The layering check: one way down through the source folders, and every class in its own.

Usage: check_layering.py ROOT LAYER...

The layers are the top source folders in the order they build on each other, lowest first
(the top CMakeLists.txt's TAVORIN_LAYERS). A file belongs to the layer of the longest layer
folder holding it (engine/view/ is a layer of its own above engine/). The check fails, naming
file and line, when
- a file includes a project header of a layer above its own (in quotes or angle brackets);
- the folders inside one layer include each other in a loop (one way down, at every depth);
- a layer includes a folder it is kept apart from although that folder lies below it
  (NARROWER, with its reason);
- a member of a class is defined in a file outside the folder of the header that declares
  the class (`Foo::bar` in a .cpp or header whose folder differs from that of `class Foo`);
- the README's Layout section does not list the layers, one line each (- `folder/` ...), in
  this order.
EXCEPTIONS names what is still allowed while it is being moved, each with its reason; an
exception that no longer matches anything fails the check too, so that the list only shrinks.
"""

import collections
import fnmatch
import os
import re
import sys

# Folders (or single headers) a layer may not include although they lie below it: (layer,
# folder, reason[, the file names it holds for]).
NARROWER = [
    ("engine", "platform/uikit",
     "the engine core takes pixels, parameters and a resource directory and gives plain bitmaps: no views"),
    ("engine", "platform/quartzcore", "the engine core draws no layers"),
    ("engine", "platform/foundation", "the engine core has no run loop, bundle or notifications"),
    # A header instead of a folder, and only for the files whose names match.
    ("engine", "engine/AmbrelGraphicsController.h",
     "the processing stages and program builders are functions of their settings and a small context",
     ("*Stage.h", "*Stage.cpp", "*Program.h", "*Program.cpp", "*Programs.h", "*Programs.cpp", "ProgramBuild.*",
      "ProcessingStage.h", "ToneMapLook.cpp")),
]

# What is still allowed while it moves: (kind, file, what, reason). Kinds: "include" (what: the
# included header) and "member" (what: the class whose members the file defines).
EXCEPTIONS = []

# An include in quotes or in angle brackets: the source root is on the include path, so
# <engine/Bitmap.h> names our header as "engine/Bitmap.h" does.
INCLUDE = re.compile(r'^\s*#\s*include\s*(?:"([^"]+)"|<([^>]+)>)')
# A class or struct with a body (not a forward declaration, not a scoped enum).
CLASS = re.compile(r'(?<!enum )\b(?:class|struct)\s+(?:\[\[[^\]]*\]\]\s*)?([A-Za-z_]\w*)\s*(?:final\s*)?'
                   r'(?::(?!:)\s*[^;{}()]*)?\{')
# A qualified name opening a line: a member function's or static member's definition (bodies
# and calls are indented; declarations of types and aliases are not definitions).
MEMBER = re.compile(r'^(?!\s)(?!return\b|using\b|typedef\b|namespace\b|class\b|struct\b|enum\b|#|//)'
                    r'[^;(){}=/"]*?'
                    r'\b((?:[A-Za-z_]\w*(?:<[^<>;]*>)?::)+)(~?[A-Za-z_]\w*|operator\s*[^\s(]+)\s*[({=]', re.M)
SOURCES = ('.h', '.hpp', '.cpp')


class Layout:
    def __init__(self, root, layers):
        self.root = root
        self.layers = list(layers)
        self.rank = {layer: i for i, layer in enumerate(self.layers)}

    def layer_of(self, path):
        """The layer of a path relative to the root, or None outside every layer."""
        best = None
        for layer in self.layers:
            if (path == layer or path.startswith(layer + '/')) and (best is None or len(layer) > len(best)):
                best = layer
        return best

    def files(self):
        found = []
        for layer in self.layers:
            top = os.path.join(self.root, layer)
            for folder, dirs, names in os.walk(top):
                dirs.sort()
                for name in sorted(names):
                    if name.endswith(SOURCES):
                        path = os.path.relpath(os.path.join(folder, name), self.root).replace(os.sep, '/')
                        if self.layer_of(path) == layer:
                            found.append(path)
        return found

    def resolve(self, source, name, quoted=True):
        """The project header an include names, relative to the root, or None (a system header,
        which is no file under a layer). Only quotes look beside the including file too."""
        candidates = [name]
        if quoted:
            candidates.append(os.path.normpath(os.path.join(os.path.dirname(source), name)))
        for candidate in candidates:
            if os.path.isfile(os.path.join(self.root, candidate)) and self.layer_of(candidate):
                return candidate.replace(os.sep, '/')
        return None


def read(root, path):
    with open(os.path.join(root, path), encoding='utf-8', errors='replace') as f:
        return f.read()


def loops(edges):
    """The strongly connected sets of more than one node, each sorted."""
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def readme_layers(root):
    """The folders the README's Layout section lists, one line each, in order."""
    path = os.path.join(root, 'README.md')
    if not os.path.isfile(path):
        return None
    listed, inside = [], False
    for line in read(root, 'README.md').splitlines():
        if line.startswith('## '):
            inside = line.strip() == '## Layout'
            continue
        m = re.match(r'^- `([\w/]+?)/?`', line)
        if inside and m:
            listed.append(m.group(1))
    return listed


def check(root, layers, exceptions=EXCEPTIONS, narrower=NARROWER):
    """The faults found, each a line "file:line: what"; exceptions that matched nothing are
    faults too."""
    layout = Layout(root, layers)
    files = layout.files()
    texts = {path: read(root, path) for path in files}
    faults = []
    used = set()

    def allowed(kind, path, what):
        for i, (k, f, w, _) in enumerate(exceptions):
            if (k, f, w) == (kind, path, what):
                used.add(i)
                return True
        return False

    # Includes: never up, never into a narrower folder, folders of a layer without loops.
    folder_edges = collections.defaultdict(set)
    edge_sites = {}
    for path in files:
        layer = layout.layer_of(path)
        for number, line in enumerate(texts[path].splitlines(), 1):
            m = INCLUDE.match(line)
            header = m and layout.resolve(path, m.group(1) or m.group(2), quoted=m.group(1) is not None)
            if not header:
                continue
            target = layout.layer_of(header)
            if layout.rank[target] > layout.rank[layer]:
                if not allowed("include", path, header):
                    faults.append(f'{path}:{number}: includes {header}, of the layer {target}/ above {layer}/')
                continue
            for own, folder, reason, *names in narrower:
                if layer != own or not (header == folder or header.startswith(folder + '/')):
                    continue
                if names and not any(fnmatch.fnmatch(os.path.basename(path), n) for n in names[0]):
                    continue
                if not allowed("include", path, header):
                    faults.append(f'{path}:{number}: includes {header}: {reason}')
            source_folder, target_folder = os.path.dirname(path), os.path.dirname(header)
            if target == layer and source_folder != target_folder:
                folder_edges[source_folder].add(target_folder)
                edge_sites.setdefault((source_folder, target_folder), f'{path}:{number}')
    for component in loops(folder_edges):
        members = set(component)
        sites = [f'{edge_sites[(a, b)]}: {a}/ includes {b}/'
                 for a in component for b in sorted(folder_edges[a]) if b in members]
        faults.append(f'folders include each other in a loop: {", ".join(c + "/" for c in component)}\n    '
                      + '\n    '.join(sites))

    # Members: defined in the folder of the header declaring their class.
    homes = collections.defaultdict(set)
    for path in files:
        if not path.endswith('.cpp'):
            for m in CLASS.finditer(texts[path]):
                homes[m.group(1)].add(os.path.dirname(path))
    for path in files:
        text = texts[path]
        local = {m.group(1) for m in CLASS.finditer(text)}
        folder = os.path.dirname(path)
        for m in MEMBER.finditer(text):
            qualifiers = [re.sub(r'<.*', '', q) for q in m.group(1).split('::') if q]
            owner = next((q for q in qualifiers if q in homes or q in local), None)
            if owner is None or owner in local or folder in homes[owner]:
                continue
            if not allowed("member", path, owner):
                number = text.count('\n', 0, m.start()) + 1
                faults.append(f'{path}:{number}: defines {owner}::{m.group(2)}, a member of a class declared in '
                              f'{" and ".join(sorted(h + "/" for h in homes[owner]))}')

    # The README lists the layers in this order.
    listed = readme_layers(root)
    if listed is not None and listed != layers:
        faults.append('README.md: the Layout section lists ' + ' '.join(f + '/' for f in listed)
                      + '; the layers are ' + ' '.join(f + '/' for f in layers))

    for i, (kind, path, what, reason) in enumerate(exceptions):
        if i not in used:
            faults.append(f'{path}: the exception for {kind} {what} ("{reason}") matches nothing: remove it')
    return faults


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    root, layers = argv[1], argv[2:]
    faults = check(root, layers)
    for fault in faults:
        print(fault)
    if faults:
        print(f'{len(faults)} layering fault(s); the layers, lowest first: {" ".join(layers)}')
        return 1
    print(f'one way down through {" ".join(layers)}; {len(EXCEPTIONS)} exception(s) still listed')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
