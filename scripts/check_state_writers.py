#!/usr/bin/env python3
"""Fails when a program-wide state variable is read by the program but written by none of its code.

The program-wide state is the namespace-scope variables of program/<subsystem>/<name>_state.h. A
value that only a test sets looks fine in that test and is 0 for the user, so every such variable
the program reads must have a writer in program/. The check asks clang's AST (clang-query) rather
than the text, because the program writes its state in many shapes: plain and compound assignment,
++ and --, a member or an element of a struct or array, a non-const reference or pointer taken to it
(a function's reference parameter, a reference variable, a range-for by reference, an address or a
decayed array), and a non-const member call (push_back, clear, begin for std::fill).

Usage: check_state_writers.py CLANG_QUERY BUILD_DIR SOURCE_DIR [JOBS]
"""
import concurrent.futures
import json
import os
import re
import subprocess
import sys

# Read by the program and not yet written by it: faults still open, each listed (not failed) until
# its writer is built. A variable that gains a writer must leave this list, so it cannot go stale.
OPEN_FAULTS = set()

STATE_VAR = ('varDecl(hasDeclContext(anyOf(translationUnitDecl(), namespaceDecl())),'
             ' isExpansionInFileMatching("program/[^/]+/[^/]+_state[.]h$"),'
             ' unless(anyOf(isConstexpr(), hasType(isConstQualified()))))')
NON_CONST_REF = 'referenceType(pointee(unless(isConstQualified())))'
TO_CONST_POINTER = 'hasParent(implicitCastExpr(hasType(pointerType(pointee(isConstQualified())))))'
# How deep a write may reach into a variable: X.a[2].b = ... is three steps.
WRITE_DEPTH = 4


def write_target(depth):
    """A matcher for an expression that designates the state variable itself or a part of it."""
    ref = f'declRefExpr(to({STATE_VAR})).bind("w")'
    if depth == 0:
        return f'ignoringParenImpCasts({ref})'
    inner = write_target(depth - 1)
    return ('ignoringParenImpCasts(anyOf(' + ref +
            f', memberExpr(hasObjectExpression({inner}))'
            f', arraySubscriptExpr(hasBase({inner}))'
            f', unaryOperator(hasOperatorName("*"), hasUnaryOperand({inner}))'
            f', cxxOperatorCallExpr(hasOverloadedOperatorName("[]"), hasArgument(0, {inner}))'
            f', cxxMemberCallExpr(on({inner}), callee(cxxMethodDecl(hasAnyName("at", "front", "back"))))'
            '))')


def queries():
    t = write_target(WRITE_DEPTH)
    element_access = 'hasAnyName("at", "front", "back", "operator[]", "operator->", "operator*")'
    writes = [
        f'binaryOperator(isAssignmentOperator(), hasLHS({t}))',
        f'unaryOperator(hasAnyOperatorName("++", "--"), hasUnaryOperand({t}))',
        f'unaryOperator(hasOperatorName("&"), hasUnaryOperand({t}), unless({TO_CONST_POINTER}))',
        f'implicitCastExpr(hasCastKind("CK_ArrayToPointerDecay"), hasSourceExpression({t}),'
        f' unless(hasParent(arraySubscriptExpr())), unless(hasType(pointerType(pointee(isConstQualified())))),'
        f' unless({TO_CONST_POINTER}))',
        f'callExpr(forEachArgumentWithParam({t}, parmVarDecl(hasType({NON_CONST_REF}))))',
        f'cxxConstructExpr(forEachArgumentWithParam({t}, parmVarDecl(hasType({NON_CONST_REF}))))',
        f'cxxMemberCallExpr(on({t}), callee(cxxMethodDecl(unless(isConst()), unless({element_access}))))',
        f'cxxOperatorCallExpr(hasArgument(0, {t}), callee(cxxMethodDecl(unless(isConst()), unless({element_access}))))',
        f'varDecl(unless(isImplicit()), hasType({NON_CONST_REF}), hasInitializer({t}))',
        f'cxxForRangeStmt(hasRangeInit({t}), hasLoopVariable(varDecl(hasType({NON_CONST_REF}))))',
    ]
    lines = ['set bind-root false', 'set output diag',
             f'match declRefExpr(to({STATE_VAR})).bind("r")']
    lines += [f'match {w}' for w in writes]
    return '\n'.join(lines) + '\n'


STATE_HEADER = re.compile(r'/program/[^/]+/[^/]+_state[.]h$')
# A state header may name a part of another variable: inline PanelItem& PGNSSwitch = InstrumentLayout[1];
# reading or writing the alias reads or writes that variable.
ALIAS = re.compile(r'^inline\s[^=;]*&\s*(\w+)\s*=\s*(\w+)', re.M)
BINDING = re.compile(r'^(/[^:]+):(\d+):(\d+): note: "([rw])" binds here$')


def run(clang_query, build_dir, query_file, files):
    result = subprocess.run([clang_query, '-p', build_dir, '-f', query_file,
                             '--extra-arg=-w', '--extra-arg=-Wno-unknown-warning-option'] + files,
                            capture_output=True, text=True)
    found = []
    for line in result.stdout.splitlines():
        m = BINDING.match(line)
        if m:
            found.append((m.group(4), os.path.realpath(m.group(1)), int(m.group(2)), int(m.group(3))))
    # A matcher that does not parse, or a source that does not, would hide writers: both fail.
    broken = re.compile(r'^\d+:\d+: Error|: error:|^Error while processing', re.M)
    if broken.search(result.stdout) or broken.search(result.stderr) or result.returncode != 0:
        sys.exit(f'clang-query failed on {files}:\n{(result.stdout + result.stderr)[-4000:]}')
    return found


def name_at(lines_of, path, line, col):
    """The variable named at a reference, past any namespace qualifier."""
    text = lines_of(path)[line - 1][col - 1:]
    m = re.match(r'(?:\w+::)*(\w+)', text)
    return m.group(1) if m else '?'


def main():
    clang_query, build_dir, source_dir = sys.argv[1:4]
    if not clang_query or not os.path.exists(clang_query):
        sys.exit('clang-query is missing: scripts/setup-debian.sh installs clang-tools-14')
    program_dir = os.path.join(os.path.realpath(source_dir), 'program') + os.sep
    with open(os.path.join(build_dir, 'compile_commands.json')) as f:
        sources = sorted({os.path.realpath(e['file']) for e in json.load(f)
                          if os.path.realpath(e['file']).startswith(program_dir)})
    query_file = os.path.join(build_dir, 'state_writers.query')
    with open(query_file, 'w') as f:
        f.write(queries())

    jobs = int(sys.argv[4]) if len(sys.argv) > 4 else (os.cpu_count() or 1)
    jobs = max(1, min(len(sources), jobs))
    batches = [sources[i::jobs] for i in range(jobs)]
    found = []
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        for part in pool.map(lambda b: run(clang_query, build_dir, query_file, b), batches):
            found += part

    cache = {}

    def lines_of(path):
        if path not in cache:
            with open(path, errors='replace') as f:
                cache[path] = f.read().splitlines()
        return cache[path]

    aliases = {}
    for path in {p for _, p, _, _ in found if STATE_HEADER.search(p)}:
        for alias, target in ALIAS.findall('\n'.join(lines_of(path))):
            aliases[alias] = target

    reads, written = {}, set()
    write_sites = {(p, l, c) for kind, p, l, c in found if kind == 'w'}
    for kind, path, line, col in found:
        # The state headers' own initialisers and aliases are not writers of the program.
        if not path.startswith(program_dir) or STATE_HEADER.search(path):
            continue
        name = name_at(lines_of, path, line, col)
        name = aliases.get(name, name)
        if kind == 'w':
            written.add(name)
        elif (path, line, col) not in write_sites:
            reads.setdefault(name, set()).add((os.path.relpath(path, source_dir), line))

    unwritten = sorted(n for n in reads if n not in written)
    for name in unwritten:
        tag = ' (an open fault)' if name in OPEN_FAULTS else ''
        print(f'{name}: read by the program, written by none of its code{tag}')
        for path, line in sorted(reads[name]):
            print(f'    read at {path}:{line}')
    mended = sorted(OPEN_FAULTS - set(unwritten))
    for name in mended:
        print(f'{name}: listed as an open fault but written or no longer read: take it off the list')
    failing = [n for n in unwritten if n not in OPEN_FAULTS] + mended
    print(f'{len(sources)} sources, {len(reads)} state variables read, {len(unwritten)} without a writer')
    return 1 if failing else 0


if __name__ == '__main__':
    sys.exit(main())
