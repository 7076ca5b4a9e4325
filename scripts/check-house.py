#!/usr/bin/python3
"""Checks the code's layout and prints its include graph's figures.

  scripts/check-house.py [--functions] [--quiet] [--root CHECKOUT] [--checks includes,qt,functions]

- Folders: every folder of source is a node; an include from a file of one folder to a
  file of another is an edge. The graph must have no loop. Its layers are counted from the
  bottom (a folder one above the highest folder it includes).
- Inside each folder, a file and its header are one unit: the units' includes must have no
  loop either (a loop there is an include running back up the folder's own layers).
- The core (app/core/*, the engine) includes no Qt header, names no Qt target in its
  CMakeLists.txt and includes nothing from app/qt/.
- No function of engine/, app/, python/src or web/ is longer than 80 lines, and no file much
  longer than 400 (tests, tools and generated files aside): C++ and Python measured by
  Universal Ctags, JavaScript by acorn.

Exit status 1 when a check fails; the figures go to standard output either way.
"""
import argparse
import json
import os
import re
import subprocess
import sys
from collections import defaultdict

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), '..'))
SOURCES = ('.h', '.hpp', '.cpp', '.cc')
# Where the code's folders are; tests, benchmarks and tools are not the house.
TREES = ('engine', 'app', 'web/src', 'python/src/core')
# Where a quoted include is looked for, after the including file's own folder.
INCLUDE_ROOTS = ('app', 'engine/include', 'web/src', 'python/src/core')
MAX_FUNCTION_LINES = 80
MAX_FILE_LINES = 450  # files are kept under about 400 lines
GENERATED = re.compile(r'/fitted[^/]*\.h$')
QT_INCLUDE = re.compile(r'#\s*include\s*<(Q[A-Za-z]+|Qt[A-Za-z]*/[^>]*)>')
QT_TARGET = re.compile(r'\bQt6::|\bQt::|find_package\(\s*Qt')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def tracked(*paths):
    out = subprocess.run(['git', '-C', ROOT, 'ls-files', '--', *paths], capture_output=True, text=True,
                         check=True).stdout
    return [p for p in out.split('\n') if p]


def folder_of(path):
    """The folder a source file belongs to: app's rooms are app/core/X and app/qt/X; the
    engine is one folder (its public headers and its sources)."""
    parts = path.split('/')
    if parts[0] == 'engine':
        return 'engine'
    if parts[0] == 'app' and len(parts) > 3:
        return '/'.join(parts[:3])
    return os.path.dirname(path)


def resolve(including, name, known):
    here = os.path.dirname(including)
    roots = [here, *INCLUDE_ROOTS]
    if including.startswith('engine/'):
        roots.append('engine/src')
    for root in roots:
        candidate = os.path.normpath(os.path.join(root, name))
        if candidate in known:
            return candidate
    return None


def read(path):
    with open(os.path.join(ROOT, path), encoding='utf-8', errors='replace') as f:
        return f.read()


def cycles(graph):
    """The strongly connected components of more than one node (Tarjan's algorithm)."""
    index, low, stack, on, out = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph.get(v, ()):
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
                out.append(sorted(component))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return out


def layers(graph):
    depth = {}

    def level(v, seen=()):
        if v in depth:
            return depth[v]
        if v in seen:
            return 0
        depth[v] = 1 + max((level(w, seen + (v,)) for w in graph.get(v, ()) if w != v), default=0)
        return depth[v]

    for v in graph:
        level(v)
    return max(depth.values(), default=0), depth


def unit(path):
    return os.path.splitext(path)[0]


def include_checks(problems):
    files = [p for p in tracked(*TREES) if p.endswith(SOURCES)]
    known = set(files)
    folders = defaultdict(set)
    units = defaultdict(lambda: defaultdict(set))
    includes = 0
    for path in files:
        here = folder_of(path)
        folders[here]
        for name in INCLUDE.findall(read(path)):
            target = resolve(path, name, known)
            if not target:
                continue
            includes += 1
            there = folder_of(target)
            if there != here:
                folders[here].add(there)
            elif unit(target) != unit(path):
                units[here][unit(path)].add(unit(target))
    for loop in cycles(folders):
        problems.append('folders in a loop: ' + ' -> '.join(loop))
    for folder, graph in sorted(units.items()):
        for loop in cycles(graph):
            problems.append(f'inside {folder}, files include each other: ' + ', '.join(loop))
    for folder, targets in sorted(folders.items()):
        if folder.startswith('app/core/') or folder == 'engine':
            for t in sorted(targets):
                if t.startswith('app/qt/'):
                    problems.append(f'{folder} (core) includes {t} (Qt)')
    edges = sum(len(t) for t in folders.values())
    height, _ = layers(folders)
    inner = sum(len(t) for g in units.values() for t in g.values())
    return {'folders': len(folders), 'layers': height, 'folder includes': edges,
            'includes between files': includes, 'includes inside folders between units': inner}


def qt_checks(problems):
    core = [p for p in tracked('app/core', 'engine')]
    for path in core:
        text = read(path)
        if path.endswith(SOURCES) and QT_INCLUDE.search(text):
            problems.append(f'{path} (core) includes Qt')
        if path.endswith('CMakeLists.txt') and QT_TARGET.search(text):
            problems.append(f'{path} (core) links Qt')


def ctags_functions(paths):
    if not paths:
        return []
    out = subprocess.run(['ctags', '--fields=+ne', '--kinds-C++=f', '--kinds-Python=fm', '--output-format=json',
                          '-f', '-', *paths], cwd=ROOT, capture_output=True, text=True, check=True).stdout
    found = []
    for line in out.splitlines():
        tag = json.loads(line)
        if 'end' in tag:
            name = (tag.get('scope', '') + '::' if tag.get('scope') else '') + tag['name']
            found.append((tag['end'] - tag['line'] + 1, tag['path'], tag['line'], name))
    return found


JS_LENGTHS = r'''
const acorn = require('/usr/share/nodejs/acorn');
const walk = require('/usr/share/nodejs/acorn-walk');
const fs = require('fs');
const out = [];
for (const path of process.argv.slice(1)) {
  const text = fs.readFileSync(path, 'utf8');
  const tree = acorn.parse(text, {ecmaVersion: 'latest', sourceType: 'module', locations: true});
  walk.ancestor(tree, {
    Function(node, ancestors) {
      const parent = ancestors[ancestors.length - 2] || {};
      const name = (node.id && node.id.name) || (parent.key && parent.key.name) ||
                   (parent.id && parent.id.name) || '(anonymous)';
      out.push([node.loc.end.line - node.loc.start.line + 1, path, node.loc.start.line, name]);
    },
  });
}
console.log(JSON.stringify(out));
'''


def js_functions(paths):
    if not paths:
        return []
    out = subprocess.run(['node', '-e', JS_LENGTHS, *paths], cwd=ROOT, capture_output=True, text=True, check=True)
    return [tuple(row) for row in json.loads(out.stdout)]


def function_checks(problems, show):
    code = [p for p in tracked('engine', 'app', 'python/src', 'web') if not GENERATED.search(p)
            and not p.startswith('web/tests/') and not p.startswith('web/bench/')]
    native = [p for p in code if p.endswith(SOURCES + ('.py',))]
    script = [p for p in code if p.endswith(('.js', '.mjs'))]
    for path in native + script:
        lines = read(path).count('\n')
        if lines > MAX_FILE_LINES:
            problems.append(f'{path} is {lines} lines long (at most about 400)')
    found = ctags_functions(native) + js_functions(script)
    long = sorted((f for f in found if f[0] > MAX_FUNCTION_LINES), reverse=True)
    for lines, path, line, name in long:
        problems.append(f'{path}:{line}: {name} is {lines} lines long (at most {MAX_FUNCTION_LINES})')
    if show:
        for lines, path, line, name in sorted(found, reverse=True)[:15]:
            print(f'{lines:5}  {path}:{line}  {name}')
    return {'functions': len(found), 'longest': max((f[0] for f in found), default=0)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--functions', action='store_true', help='list the longest functions')
    parser.add_argument('--quiet', action='store_true', help='print only what fails')
    parser.add_argument('--root', help='another checkout to measure (this one by default)')
    parser.add_argument('--checks', default='includes,qt,functions',
                        help='which checks fail the run (default: includes,qt,functions)')
    args = parser.parse_args()
    if args.root:
        global ROOT
        ROOT = os.path.realpath(args.root)
    checks = set(args.checks.split(','))
    problems, ignored = [], []
    figures = include_checks(problems if 'includes' in checks else ignored)
    qt_checks(problems if 'qt' in checks else ignored)
    figures.update(function_checks(problems if 'functions' in checks else ignored, args.functions))
    if not args.quiet:
        print(', '.join(f'{k}: {v}' for k, v in figures.items()))
    for p in problems:
        print('FAIL', p)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
