#!/usr/bin/env python3
"""tools/run.sh on a small stand-in project: the first call checks the packages, configures and
builds; later calls configure only when the package list or the build folder changed (a
changed CMakeLists.txt the build configures again by itself) and rebuild a changed source.

Usage: run_test.py <source root>
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = None

FIXTURE = {
    'CMakeLists.txt': 'cmake_minimum_required(VERSION 3.20)\nproject(fixture C)\n'
                      'file(APPEND "${CMAKE_BINARY_DIR}/configured" "x\\n")\nadd_subdirectory(app)\n',
    'app/CMakeLists.txt': 'add_executable(tavorin main.c)\n',
    'app/main.c': '#include <stdio.h>\nint main(int argc, char **argv) {\n'
                  '    printf("one %s\\n", argc > 1 ? argv[1] : "-");\n    return 0;\n}\n',
    # The package check stands in as a note that it ran.
    'tools/setup.sh': '#!/bin/sh\necho checked >>"$(dirname "$0")/../packages-checked"\n',
}


class RunTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix='tavorin-run-')
        for path, text in FIXTURE.items():
            self.write(path, text)
        os.chmod(os.path.join(self.root, 'tools/setup.sh'), 0o755)
        for name in ('run.sh', 'configure.sh'):
            shutil.copy(os.path.join(ROOT, 'tools', name), os.path.join(self.root, 'tools', name))

    def tearDown(self):
        shutil.rmtree(self.root)

    def write(self, path, text, mode='w'):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, mode, encoding='utf-8') as f:
            f.write(text)

    def count(self, path):
        full = os.path.join(self.root, path)
        if not os.path.exists(full):
            return 0
        with open(full, encoding='utf-8') as f:
            return len(f.read().split())

    def run_and_count(self):
        """The program's output, how often packages were checked and how often the build folder
        was configured so far."""
        result = subprocess.run([os.path.join(self.root, 'tools/run.sh'), 'hello'], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stderr)
        return result.stdout.strip(), self.count('packages-checked'), self.count('build/release/configured')

    def test_each_call_configures_only_when_something_asks_for_it(self):
        self.assertEqual(self.run_and_count(), ('one hello', 1, 1), 'the first call checks, configures, builds')
        self.assertEqual(self.run_and_count()[2], 1, 'an unchanged tree is not configured again')
        self.write('app/main.c', FIXTURE['app/main.c'].replace('"one', '"two'))
        self.assertEqual(self.run_and_count()[::2], ('two hello', 1), 'a changed source is rebuilt, not configured')
        self.write('CMakeLists.txt', '# changed\n', 'a')
        self.assertEqual(self.run_and_count()[::2], ('two hello', 2), 'a changed CMakeLists.txt configures')
        self.assertEqual(self.run_and_count()[2], 2)
        self.write('tools/setup.sh', '# another package\n', 'a')
        checked = self.count('packages-checked')
        output, now_checked, configured = self.run_and_count()
        self.assertEqual((now_checked, configured), (checked + 1, 3),
                         'a changed package list is checked and configures')
        shutil.rmtree(os.path.join(self.root, 'build'))
        self.assertEqual(self.run_and_count()[::2], ('two hello', 1), 'a new build folder is configured and built')

    def test_a_configure_that_failed_is_tried_again(self):
        self.write('CMakeLists.txt', 'message(FATAL_ERROR "broken")\n', 'a')
        result = subprocess.run([os.path.join(self.root, 'tools/run.sh')], capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.write('CMakeLists.txt', FIXTURE['CMakeLists.txt'])
        self.assertEqual(self.run_and_count()[0], 'one hello')


class SetupTest(unittest.TestCase):
    """tools/setup.sh against a package database that stands in for a fresh machine."""

    def test_it_installs_exactly_the_packages_not_installed(self):
        with tempfile.TemporaryDirectory(prefix='tavorin-setup-') as bin_dir:
            fakes = {
                # cmake was removed (its configuration kept), libgtest-dev is unknown; all else is there.
                'dpkg-query': '#!/bin/sh\nfor p; do case "$p" in\n'
                              '  -*) ;;\n  cmake) echo "cmake=deinstall ok config-files" ;;\n'
                              '  libgtest-dev) echo "dpkg-query: no packages found matching $p" >&2 ;;\n'
                              '  *) echo "$p=install ok installed" ;;\nesac; done\nexit 1\n',
                'apt-get': f'#!/bin/sh\necho "$*" >>{bin_dir}/apt-get.log\n',
                'sudo': '#!/bin/sh\nexec "$@"\n',
            }
            for name, text in fakes.items():
                with open(os.path.join(bin_dir, name), 'w', encoding='utf-8') as f:
                    f.write(text)
                os.chmod(os.path.join(bin_dir, name), 0o755)
            env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ['PATH'])
            result = subprocess.run([os.path.join(ROOT, 'tools/setup.sh')], capture_output=True, text=True, env=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(bin_dir, 'apt-get.log'), encoding='utf-8') as f:
                calls = f.read().splitlines()
            self.assertEqual(calls[0], 'update -qq')
            self.assertEqual(calls[1].split()[-2:], ['cmake', 'libgtest-dev'])
            self.assertEqual(len(calls), 2)


if __name__ == '__main__':
    ROOT = os.path.abspath(sys.argv[1])
    unittest.main(argv=sys.argv[:1], verbosity=2)
