#!/usr/bin/env python3
"""The call circles check on objects compiled from small fixtures, and its circle search on large graphs.

Usage: call_circles_test.py CXX_COMPILER SOURCE_DIR
"""
import contextlib
import io
import os
import subprocess
import sys
import tempfile
import unittest

CXX, SOURCE_DIR = sys.argv[1], sys.argv[2]
sys.path.insert(0, os.path.join(SOURCE_DIR, 'scripts'))
import check_call_circles as check  # noqa: E402

# low and high call each other. shared calls caller, and caller uses shared's inline helper, which
# only declares it: the helper is header code (weak in shared), so caller makes no call to shared.
FIXTURES = {
    'low.cpp': 'int High(); int Low() { return 1; } int LowUser() { return High(); }',
    'high.cpp': 'int Low(); int High() { return Low() + 1; }',
    'shared.cpp': 'int Caller(); inline int Helper() { return 2; } int Shared() { return Helper() + Caller(); }',
    'caller.cpp': 'int Helper(); int Caller() { return 3; } int CallerUser() { return Helper(); }',
}


class FixtureObjects(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory()
        target = os.path.join(cls.dir.name, 'fix')
        obj_dir = os.path.join(cls.dir.name, 'build', 'fix.dir')
        os.makedirs(obj_dir)
        lines = []
        for name, text in FIXTURES.items():
            src, obj = os.path.join(cls.dir.name, name), os.path.join(obj_dir, name + '.o')
            with open(src, 'w') as f:
                f.write(text + '\n')
            subprocess.run([CXX, '-c', '-O0', src, '-o', obj], check=True)
            lines.append(f'fixture\t{target}\t{obj}\n')
        cls.list = os.path.join(cls.dir.name, 'objects.txt')
        with open(cls.list, 'w') as f:
            f.writelines(lines)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def run_check(self, allowed, open_circles):
        out = io.StringIO()
        saved = check.ALLOWED_CIRCLES, check.OPEN_CIRCLES
        check.ALLOWED_CIRCLES, check.OPEN_CIRCLES = allowed, open_circles
        sys.argv = ['check', self.list, self.dir.name]
        try:
            with contextlib.redirect_stdout(out):
                status = check.main()
        finally:
            check.ALLOWED_CIRCLES, check.OPEN_CIRCLES = saved
        return status, out.getvalue()

    def test_calls_come_from_strong_definitions_only(self):
        objects = check.read_objects(self.list, self.dir.name)['fixture']
        graph = check.call_graph(objects)
        self.assertEqual(graph['fix/low'], {'fix/high': ['_Z4Highv']})
        self.assertEqual(graph['fix/shared'], {'fix/caller': ['_Z6Callerv']})
        self.assertEqual(graph['fix/caller'], {})
        self.assertEqual(check.circles(graph), [['fix/high', 'fix/low']])

    def test_a_circle_fails_unless_allowed_or_open_at_its_size(self):
        cases = [
            ([], [], 1, 'High()'),
            ([({'fix/*'}, 'one concept')], [], 0, 'largest circle 2 files'),
            ([({'fix/low', 'fix/shared'}, 'not all of it')], [], 1, 'a circle of 2 files:'),
            ([], [(2, {'fix/low'})], 0, '(an open circle)'),
            ([], [(3, {'fix/low'})], 1, 'it shrank'),
            ([], [(1, {'fix/low'})], 1, 'a new call joined it'),
            ([], [(2, {'fix/low'}), (2, {'fix/shared'})], 1, "['fix/shared'] is no longer a circle"),
        ]
        for allowed, open_circles, status, text in cases:
            with self.subTest(allowed=allowed, open_circles=open_circles):
                got, out = self.run_check(allowed, open_circles)
                self.assertEqual(got, status, out)
                self.assertIn(text, out)


class CircleSearch(unittest.TestCase):
    def test_long_ring_and_chain_need_no_recursion(self):
        n = 20000
        ring = {i: {(i + 1) % n: []} for i in range(n)}
        self.assertEqual([len(c) for c in check.circles(ring)], [n])
        chain = {i: ({i + 1: []} if i + 1 < n else {}) for i in range(n)}
        self.assertEqual(check.circles(chain), [])

    def test_circles_joined_one_way_stay_apart(self):
        # f and g are searched last and call into circles already closed, which they must not join.
        graph = {'a': {'b': []}, 'b': {'a': [], 'c': []}, 'c': {'d': []}, 'd': {'c': [], 'e': []}, 'e': {},
                 'f': {'a': [], 'g': []}, 'g': {'f': [], 'c': []}}
        self.assertEqual(sorted(check.circles(graph)), [['a', 'b'], ['c', 'd'], ['f', 'g']])


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1])
