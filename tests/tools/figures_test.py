#!/usr/bin/env python3
"""The figures script reads what the benchmarks and the side-by-side print, and its table of the
README's figures is the README's own words.

Usage: figures_test.py <source root>
"""

import importlib.util
import os
import sys
import unittest

ROOT = None


def load_figures():
    spec = importlib.util.spec_from_file_location('figures', os.path.join(ROOT, 'tools', 'measure', 'figures.py'))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


# As tools/bench/side-by-side.sh prints it, with a build before the change under each photo.
SIDE_BY_SIDE = '''# 2026-12-11 10:00 UTC; load average 0.50 0.40 0.30 at start, 0.60 0.50 0.40 at end; rounds: 5; renderer: not printed
   photo |   Clarity 1     |   Dramatic 2    |      peak memory        | no-op CPU
      MP |    wall     CPU |    wall     CPU | ours MiB peer MiB ratio | ours/pipe
         | ours/peer (median of the rounds)  |                         |
    13.4 |    0.52    0.50 |    0.58    0.56 |     700     900    0.78 |       2.70
  before |    0.55    0.53 |    0.61    0.59 |     710     900    0.79 |       2.80
     3.3 |    0.95    0.85 |    0.99    0.90 |     350     205    1.71 |       3.40
    47.3 |    0.44    0.42 |    0.47    0.45 |    2100    3900    0.54 |       2.20
'''


def report(*runs):
    return {'benchmarks': list(runs)}


class Figures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.figures = load_figures()

    def test_every_readme_figure_it_quotes_is_in_the_readme(self):
        with open(os.path.join(ROOT, 'README.md'), encoding='utf-8') as f:
            readme = f.read()
        self.assertEqual(self.figures.missing_from_readme(readme), [])
        # A figure changed in the README and not in the table is caught, across line breaks too.
        phrase = self.figures.README['preview']
        broken = phrase.replace(' ', '\n ', 1)
        self.assertNotIn(phrase, self.figures.missing_from_readme(broken))
        self.assertIn(phrase, self.figures.missing_from_readme(broken.replace('about', 'nearly')))

    def test_the_side_by_side_rows_come_smallest_photo_first_without_the_before_rows(self):
        rows = self.figures.side_by_side_rows(SIDE_BY_SIDE)
        self.assertEqual([row['mp'] for row in rows], [3.3, 13.4, 47.3])
        self.assertEqual(rows[1]['dramatic_wall'], 0.58)
        self.assertEqual(rows[1]['dramatic_cpu'], 0.56)
        self.assertEqual(rows[0]['memory'], 1.71)
        self.assertEqual(rows[2]['noop'], 2.20)
        self.assertEqual(self.figures.side_by_side_rows('side-by-side: no table\n'), [])

    def test_a_benchmark_figure_is_the_median_of_its_repetitions_else_each_run_of_that_name(self):
        repeated = report(
            {'run_name': 'PreviewFrame/1/min_time:2.000/real_time', 'run_type': 'aggregate',
             'aggregate_name': 'mean', 'fps': 50.0},
            {'run_name': 'PreviewFrame/1/min_time:2.000/real_time', 'run_type': 'aggregate',
             'aggregate_name': 'median', 'fps': 52.0},
            {'run_name': 'PreviewFrame/10/min_time:2.000/real_time', 'run_type': 'aggregate',
             'aggregate_name': 'median', 'fps': 99.0})
        self.assertEqual(self.figures.bench_values(repeated, 'PreviewFrame/1/', 'fps'), [52.0])
        single = report(
            {'run_name': 'CameraStart/iterations:5/real_time', 'run_type': 'iteration', 'real_time': 900.0},
            {'run_name': 'CameraModeChange/iterations:63/real_time', 'run_type': 'iteration', 'real_time': 40.0,
             'later p50 ms': 30.0})
        self.assertEqual(self.figures.bench_values(single, 'CameraStart', 'real_time'), [900.0])
        self.assertEqual(self.figures.bench_values(single, 'CameraModeChange', 'later p50 ms'), [30.0])
        self.assertEqual(self.figures.bench_values(single, 'CameraStart', 'later p50 ms'), [])

    def test_a_scattered_figure_says_its_median_range_and_count(self):
        self.assertEqual(self.figures.spread([120, 55, 76], 'ms', 0), '76 ms (55-120 of 3)')
        self.assertEqual(self.figures.spread([1.25], 's', 2), '1.25 s')
        self.assertEqual(self.figures.spread([], 's'), 'nothing measured')


if __name__ == '__main__':
    ROOT = sys.argv.pop(1)
    unittest.main()
