#!/usr/bin/env python3
"""The layering check fires: faults planted in a small fixture tree and in a copy of the real
sources (an upward include, in quotes or angle brackets, a member defined outside its class's
folder, folders including each other, the README out of order) each fail it, naming where; the
unplanted trees, with their system headers in angle brackets, pass.

Usage: check_layering_test.py <source root> <layer>...
"""

import importlib.util
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = None
LAYERS = None
SCRIPT = None


def load_check():
    spec = importlib.util.spec_from_file_location('check_layering', SCRIPT)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def write(root, path, text):
    full = os.path.join(root, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, 'a', encoding='utf-8') as f:
        f.write(text)


FIXTURE_LAYERS = ['base', 'mid', 'top']
README = '# Fixture\n\n## Layout\n\nLowest first:\n\n- `base/` the floor\n- `mid/` the middle\n- `top/` the roof\n\n## Next\n'
FIXTURE = {
    'README.md': README,
    'base/a/A.h': '#pragma once\nclass A {\npublic:\n    void f();\n};\n',
    'base/a/A.cpp': '#include "base/a/A.h"\n\nvoid A::f() {}\n',
    'base/b/B.h': '#pragma once\n#include "base/a/A.h"\nstruct B : A {\n    int g() const;\n};\n',
    'base/b/B.cpp': '#include "base/b/B.h"\n\nint B::g() const { return 1; }\n',
    'mid/M.h': '#pragma once\n#include "base/b/B.h"\n\nclass M;\n',
    'mid/M.cpp': '#include "mid/M.h"\n\nnamespace {\nstruct Local {\n    void run();\n};\n}\n\n'
                 'void Local::run() { A().f(); }\n',
    'top/T.cpp': '#include <sqlite3.h>\n#include <SDL2/SDL.h>\n#include <vector>\n\n#include "mid/M.h"\n'
                 '#include <base/a/A.h>\n\nint main() { return B().g(); }\n',
}


class FixtureTest(unittest.TestCase):
    def setUp(self):
        self.check = load_check()
        self.root = tempfile.mkdtemp(prefix='tavorin-layering-')
        for path, text in FIXTURE.items():
            write(self.root, path, text)

    def tearDown(self):
        shutil.rmtree(self.root)

    def faults(self, **options):
        options.setdefault('exceptions', [])
        options.setdefault('narrower', [])
        return self.check.check(self.root, FIXTURE_LAYERS, **options)

    def test_the_unplanted_fixture_passes(self):
        self.assertEqual(self.faults(), [])

    def test_each_planted_fault_fails_naming_its_place(self):
        cases = [
            ('an upward include', 'base/a/A.h', '#include "mid/M.h"\n',
             'base/a/A.h:6: includes mid/M.h, of the layer mid/ above base/'),
            ('an upward include from a source file', 'mid/M.cpp', '#include "top/T.cpp"\n',
             'mid/M.cpp:10: includes top/T.cpp, of the layer top/ above mid/'),
            ('an upward include in angle brackets', 'base/a/A.h', '#include <mid/M.h>\n',
             'base/a/A.h:6: includes mid/M.h, of the layer mid/ above base/'),
            ('a member defined in a lower folder', 'base/b/B.cpp', 'void A::h() {}\n',
             'base/b/B.cpp:4: defines A::h, a member of a class declared in base/a/'),
            ('a member defined in a higher layer', 'top/T.cpp', 'int B::k = 2;\n',
             'top/T.cpp:9: defines B::k, a member of a class declared in base/b/'),
            ('a member defined inline in another folder\'s header', 'mid/M.h',
             'inline int B::g() const { return 2; }\n', 'mid/M.h:5: defines B::g, a member of a class declared in base/b/'),
            ('folders of a layer in a loop', 'base/a/A.cpp', '#include "base/b/B.h"\n',
             'folders include each other in a loop: base/a/, base/b/'),
            ('the README out of order', 'README.md', '- `app/` not a layer\n',
             'README.md: the Layout section lists base/ mid/ top/ app/; the layers are base/ mid/ top/'),
        ]
        for name, path, plant, expected in cases:
            with self.subTest(name):
                full = os.path.join(self.root, path)
                with open(full, encoding='utf-8') as f:
                    before = f.read()
                if path == 'README.md':
                    text = before.replace('- `top/` the roof\n', '- `top/` the roof\n' + plant)
                    with open(full, 'w', encoding='utf-8') as f:
                        f.write(text)
                else:
                    write(self.root, path, plant)
                faults = self.faults()
                self.assertTrue(any(f.startswith(expected) for f in faults), f'{expected!r} not in {faults}')
                with open(full, 'w', encoding='utf-8') as f:
                    f.write(before)
                self.assertEqual(self.faults(), [], 'the fixture passes again')

    def test_a_narrower_layer_may_not_include_a_folder_below_it(self):
        faults = self.faults(narrower=[('mid', 'base/b', 'the middle keeps off b')])
        self.assertEqual(faults, ['mid/M.h:2: includes base/b/B.h: the middle keeps off b'])

    def test_an_exception_allows_its_fault_and_fails_once_nothing_needs_it(self):
        write(self.root, 'top/A+Extra.cpp', '#include "base/a/A.h"\n\nvoid A::extra() {}\n')
        exception = ('member', 'top/A+Extra.cpp', 'A', 'moving down')
        self.assertEqual(self.faults(exceptions=[exception]), [])
        os.remove(os.path.join(self.root, 'top/A+Extra.cpp'))
        faults = self.faults(exceptions=[exception])
        self.assertEqual(len(faults), 1)
        self.assertIn('matches nothing', faults[0])


class RealTreeTest(unittest.TestCase):
    """A copy of the real sources, checked by the program as the build runs it."""

    @classmethod
    def setUpClass(cls):
        cls.copy = tempfile.mkdtemp(prefix='tavorin-layering-tree-')
        shutil.copy(os.path.join(ROOT, 'README.md'), cls.copy)
        for layer in {layer.split('/')[0] for layer in LAYERS}:
            shutil.copytree(os.path.join(ROOT, layer), os.path.join(cls.copy, layer),
                            ignore=shutil.ignore_patterns('*.png', '*.jpg', '*.tsv', '*.m4a'))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.copy)

    def run_check(self):
        return subprocess.run([sys.executable, SCRIPT, self.copy] + LAYERS, capture_output=True, text=True)

    def planted(self, path, text):
        full = os.path.join(self.copy, path)
        existed = os.path.exists(full)
        before = None
        if existed:
            with open(full, encoding='utf-8') as f:
                before = f.read()
        write(self.copy, path, text)
        try:
            return self.run_check()
        finally:
            if existed:
                with open(full, 'w', encoding='utf-8') as f:
                    f.write(before)
            else:
                os.remove(full)

    def test_the_copy_passes_and_each_plant_in_it_fails(self):
        clean = self.run_check()
        self.assertEqual(clean.returncode, 0, clean.stdout)
        cases = [
            ('the engine core including the application', 'engine/Bitmap.h',
             '#include "app/AmbrelViewController.h"\n', 'includes app/AmbrelViewController.h, of the layer app/'),
            ('the engine core including the toolkit', 'engine/Bitmap.h', '#include "platform/uikit/UIView.h"\n',
             'includes platform/uikit/UIView.h: the engine core'),
            ('the modes including the graphics view in angle brackets', 'modes/ModeLibrary.h',
             '#include <engine/view/GraphicsView.h>\n', 'includes engine/view/GraphicsView.h, of the layer engine/view/'),
            ('the toolkit including the photo library', 'ui/widgets/GridView.cpp',
             '#include "library/saving/UIImage+CameraUtility.h"\n', 'of the layer library/ above ui/'),
            ('a view member defined by the camera', 'camera/capture/GraphicsView+Planted.cpp',
             '#include "engine/view/GraphicsView.h"\n\nvoid GraphicsView::planted() {}\n',
             'defines GraphicsView::planted, a member of a class declared in engine/view/'),
            ('the toolkit including the media player back', 'platform/uikit/UIView.cpp',
             '#include "platform/mediaplayer/MPMusicPlayerController.h"\n',
             'folders include each other in a loop: platform/mediaplayer/, platform/uikit/'),
        ]
        for name, path, plant, expected in cases:
            with self.subTest(name):
                result = self.planted(path, plant)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(expected, result.stdout)


if __name__ == '__main__':
    ROOT = os.path.abspath(sys.argv[1])
    LAYERS = sys.argv[2:]
    SCRIPT = os.path.join(ROOT, 'tools', 'layering', 'check_layering.py')
    unittest.main(argv=sys.argv[:1], verbosity=2)
