#!/usr/bin/env python3
"""tools/check-format.sh on a small tree: it names the sources not laid out as .clang-format
says, in a clone (the files git tracks) and without one (all but hidden and build folders),
and a .clang-format that clang-format cannot read fails it whatever the sources look like.

Usage: check_format_test.py <source root>
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = None
GOOD = 'int main() { return 0; }\n'
BAD = 'int  main( ) {return 0;}\n'
BROKEN = 'BasedOnStyle: LLVM\nNoSuchOption: 3\n'
FIXTURE = {
    '.clang-format': 'BasedOnStyle: LLVM\n',
    'src/good.cpp': GOOD,
    'src/bad.cpp': BAD,
    'src/deep/bad.h': BAD,
    # Left out without git: build folders and hidden folders.
    'build/CMakeFiles/junk.cpp': BAD,
    'build-debug/junk.cpp': BAD,
    '.cache/junk.h': BAD,
}


class CheckFormatTest(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix='tavorin-format-')
        for path, text in FIXTURE.items():
            self.write(path, text)
        os.makedirs(os.path.join(self.root, 'tools'))
        shutil.copy(os.path.join(ROOT, 'tools/check-format.sh'), os.path.join(self.root, 'tools'))

    def tearDown(self):
        shutil.rmtree(self.root)

    def write(self, path, text):
        full = os.path.join(self.root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, 'w', encoding='utf-8') as f:
            f.write(text)

    def check(self):
        return subprocess.run([os.path.join(self.root, 'tools/check-format.sh')], capture_output=True, text=True)

    def named(self, result):
        return sorted(line for line in result.stdout.splitlines() if line.startswith(('src/', 'build', '.')))

    def clone(self):
        """Makes the tree a clone tracking all but the second bad source."""
        if not shutil.which('git'):
            self.skipTest('git is not installed')
        for command in (['git', 'init', '-q'], ['git', 'add', '.clang-format', 'tools', 'src/good.cpp', 'src/bad.cpp']):
            subprocess.run(command, cwd=self.root, check=True)

    def test_without_git_it_names_the_bad_sources_outside_hidden_and_build_folders(self):
        result = self.check()
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(self.named(result), ['src/bad.cpp', 'src/deep/bad.h'])
        for path in ('src/bad.cpp', 'src/deep/bad.h'):
            self.write(path, GOOD)
        result = self.check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_in_a_clone_it_names_the_bad_sources_git_tracks(self):
        self.clone()
        result = self.check()
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(self.named(result), ['src/bad.cpp'])

    def test_an_unreadable_configuration_fails_the_check(self):
        for path in ('src/bad.cpp', 'src/deep/bad.h'):
            self.write(path, GOOD)
        cases = [
            ('the top configuration, in a clone', '.clang-format', True),
            ('the top configuration, without git', '.clang-format', False),
            ('a folder\'s own configuration, without git', 'src/.clang-format', False),
        ]
        for name, config, clone in cases:
            with self.subTest(name):
                if clone and not os.path.isdir(os.path.join(self.root, '.git')):
                    self.clone()
                if not clone:
                    shutil.rmtree(os.path.join(self.root, '.git'), ignore_errors=True)
                self.write(config, BROKEN)
                result = self.check()
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(f'{config} cannot be read', result.stderr)
                self.assertIn("unknown key 'NoSuchOption'", result.stderr)
                if config == '.clang-format':
                    self.write(config, FIXTURE[config])
                else:
                    os.remove(os.path.join(self.root, config))
                self.assertEqual(self.check().returncode, 0, 'the tree passes again')


if __name__ == '__main__':
    ROOT = os.path.abspath(sys.argv[1])
    unittest.main(argv=sys.argv[:1], verbosity=2)
