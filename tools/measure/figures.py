#!/usr/bin/env python3
"""Measures the speed and memory figures the README quotes, with the conditions they were
measured under.

    tools/measure/figures.py [--quick] [--only NAME[,NAME...]] [--rounds N] [--list]

It builds the optimised program, the benchmarks and the program's outside meter first (in
build/release), then prints a line with the date, the cores, the renderer (the GL renderer the
program names at its start) and the load average; then one line a figure: its name, what was
measured, the README's figure (or "not quoted") and the load average just after it; and the
load average again at the end. Figures that scatter are medians of a few runs. On software GL
(llvmpipe) the GL driver shares the cores with everything else the machine does, so every
figure falls with the load: run it on a machine at rest, and quote the load with the figures.

--quick leaves out the long measurements (the side-by-side against the peer renderer, the
47-megapixel memory, the large pages); --only runs the named measurements (--list names them);
--rounds sets the side-by-side's rounds (default 5).
"""

import argparse
import datetime
import json
import os
import re
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.join(ROOT, 'build', 'release')
PROGRAM = os.path.join(BUILD, 'app', 'tavorin')
BENCH = os.path.join(BUILD, 'tools', 'bench', 'tavorin_bench')
MOVIE_BENCH = os.path.join(BUILD, 'tools', 'bench', 'tavorin_movie_bench')
APP_FIGURES = os.path.join(BUILD, 'tools', 'measure', 'tavorin_app_figures')
SIDE_BY_SIDE = os.path.join(ROOT, 'tools', 'bench', 'side-by-side.sh')
# The 13-megapixel photograph of the file-to-file cases and the side-by-side.
PHOTO = '/usr/share/backgrounds/Dragonfly_by_Bolly.jpg'

# The README's figures in its own words (line breaks aside); a test holds them to the README,
# so a figure changed there without here fails it. None: the README quotes no figure.
README = {
    'preview': 'about 51 frames a second',
    'preview-nr': '36 with noise reduction',
    'camera': "the engine's work on a camera frame takes about 46 ms",
    'mode-change': None,
    'camera-start': None,
    'render-start': 'about 0.2 s of every render is the start',
    'memory-fixed': 'a fixed part (about 150 MB',
    'memory-decoded': 'the decoded photo (38 MB',
    'memory-multiple': '5.2-5.8 at 13 megapixels by output type',
    'memory-47mp': 'about 5.2 at 47',
    'large-pages': '7 to 15 % faster in wall time',
    'thumbnails': None,
    'movie': None,
    'headless': '10 simulated seconds on the camera screen in about 16 s',
    'window-start': 'the camera shows about 1.1 s after the program starts',
    'window-viewfinder': "draws about 15 of the simulated camera's 30 frames a second",
    'window-tap': 'a tap is shown 70-170 ms after it is taken',
    'window-shutter': 'a photo takes about 1.8 s from the shutter to the library',
    'window-controls': 'with the editing controls out the window shows about 11 camera frames a second',
    'peer-small': '1.25 to 1.4 times its wall time',
    'peer-13mp': '0.7 to 0.8 of its CPU time and 0.8 to 1.0 of its wall time at 13 megapixels',
    'peer-large': '0.53 to 0.66 of the CPU time and 0.66 to 0.9 of the wall time',
    'peer-memory-small': '1.7 times as much for a 3-megapixel photo',
    'peer-memory': 'from 13 megapixels up it holds less memory',
    'noop': '2.4 to 3.8 times a bare JPEG decode and encode',
}


def words(text):
    """The text with every run of white space made one space."""
    return ' '.join(text.split())


def missing_from_readme(readme_text):
    """The README phrases above that the README does not hold."""
    held = words(readme_text)
    return [phrase for phrase in README.values() if phrase and words(phrase) not in held]


def load():
    with open('/proc/loadavg', encoding='ascii') as f:
        return ' '.join(f.read().split()[:3])


def say(name, measured, readme_key=None):
    """One figure's line: its name, what was measured, the README's figure, the load after."""
    readme = README.get(readme_key or name)
    print(f'{name:<18} {measured:<46} README: {readme or "not quoted":<58} load {load()}', flush=True)


def spread(values, unit, digits=1):
    """The median of the values with their range and number: "76 ms (55-116 of 8)"."""
    if not values:
        return 'nothing measured'
    f = f'{{:.{digits}f}}'
    median = f.format(statistics.median(values))
    if len(values) == 1:
        return f'{median} {unit}'
    return f'{median} {unit} ({f.format(min(values))}-{f.format(max(values))} of {len(values)})'


def bench_values(report, run_prefix, key):
    """From Google Benchmark's JSON report, the value `key` (a time or a counter) of the runs
    whose name starts with `run_prefix`: the median of repetitions where the report has it, else
    every run's."""
    runs = [b for b in report['benchmarks'] if b['run_name'].startswith(run_prefix) and key in b]
    medians = [b[key] for b in runs if b.get('aggregate_name') == 'median']
    return medians or [b[key] for b in runs if b.get('run_type', 'iteration') == 'iteration']


def bench(program, pattern, repetitions=1, env=None):
    """Runs the benchmarks matching `pattern`; their JSON report."""
    command = [program, f'--benchmark_filter={pattern}', '--benchmark_format=json']
    if repetitions > 1:
        command += [f'--benchmark_repetitions={repetitions}', '--benchmark_report_aggregates_only=true']
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          env=env or bench_env(), check=False)
    if done.returncode != 0:
        raise Failure(f'{os.path.basename(program)} {pattern} failed:\n{done.stderr[-2000:]}')
    return json.loads(done.stdout)


def bench_env(**extra):
    """The environment of a benchmark: its default photographs (the README's), not others."""
    env = {k: v for k, v in os.environ.items() if k not in ('TAVORIN_BENCH_PHOTO', 'TAVORIN_BENCH_PHOTOS')}
    env.update(extra)
    return env


def side_by_side_rows(table):
    """The photo rows of side-by-side.sh's table, smallest photo first: megapixels, ours/peer
    wall and CPU in each mode, both peaks and their ratio, and the no-op's CPU against the pipe."""
    keys = ('mp', 'clarity_wall', 'clarity_cpu', 'dramatic_wall', 'dramatic_cpu',
            'ours_mib', 'peer_mib', 'memory', 'noop')
    rows = []
    for line in table.splitlines():
        fields = line.replace('|', ' ').split()
        if len(fields) == len(keys) and re.fullmatch(r'\d+(\.\d+)?', fields[0]):
            rows.append(dict(zip(keys, map(float, fields))))
    return sorted(rows, key=lambda row: row['mp'])


class Failure(Exception):
    pass


def timed(command, env=None):
    """The wall seconds of one run of the command, which must succeed."""
    start = time.monotonic()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env, check=False)
    if done.returncode != 0:
        raise Failure(f'{" ".join(command)} failed:\n{done.stderr[-2000:]}')
    return time.monotonic() - start


def tiny_png(path):
    """Writes a 16 x 16 grey PNG."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    rows = b''.join(b'\0' + bytes([128] * 16 * 3) for _ in range(16))
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 16, 16, 8, 2, 0, 0, 0))
                + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b''))


def missing_tools(*tools):
    """Each tool not found, with the Debian package that brings it."""
    return [f'{tool} (apt-get install {package})' for tool, package in tools if not shutil.which(tool)]


# The measurements, each printing its figures.

def preview(_):
    report = bench(BENCH, 'PreviewFrame/[01]/', repetitions=3)
    say('preview', spread(bench_values(report, 'PreviewFrame/0/', 'fps'), 'frames/s'))
    say('preview-nr', spread(bench_values(report, 'PreviewFrame/1/', 'fps'), 'frames/s'))


def camera(_):
    report = bench(BENCH, 'BM_CameraPreviewThroughTheEngine', repetitions=3)
    rates = bench_values(report, 'BM_CameraPreviewThroughTheEngine', 'frames/s')
    say('camera', f'{spread(rates, "frames/s")}, {1000 / statistics.median(rates):.0f} ms a frame')
    report = bench(BENCH, 'CameraModeChange|CameraStart')
    later = [bench_values(report, 'CameraModeChange', f'later {p} ms')[0] for p in ('p50', 'p95')]
    say('mode-change', f'{later[0]:.0f} ms median, {later[1]:.0f} ms 95th percentile')
    say('camera-start', spread(bench_values(report, 'CameraStart', 'real_time'), 'ms', 0))


def render_start(work):
    photo, out = os.path.join(work, 'tiny.png'), os.path.join(work, 'tiny-out.png')
    tiny_png(photo)
    runs = [timed([PROGRAM, '-q', '--mode', 'Clarity 1', photo, out]) for _ in range(5)]
    say('render-start', spread(runs, 's', 2) + ' (a 16 x 16 photo)')


def memory(_):
    report = bench(BENCH, 'FileToFileMemory')
    fixed = bench_values(report, 'FileToFileMemory', 'fixed MiB')
    decoded = bench_values(report, 'FileToFileMemory/0/', 'decoded MiB')
    say('memory-fixed', spread(fixed, 'MiB', 0))
    say('memory-decoded', f'{decoded[0]:.0f} MiB' if decoded else 'nothing measured')
    multiples = [f'{name} {bench_values(report, f"FileToFileMemory/{i}/", "x decoded")[0]:.1f}'
                 for i, name in enumerate(('jpg', 'png', 'tiff'))]
    say('memory-multiple', 'x decoded: ' + ', '.join(multiples))


def memory_47mp(work):
    missing = missing_tools(('djpeg', 'libjpeg-turbo-progs'), ('cjpeg', 'libjpeg-turbo-progs'))
    if missing:
        raise Failure('needs ' + ', '.join(missing))
    photo = os.path.join(work, 'photo-47.jpg')
    subprocess.run(f'djpeg -scale 15/8 -pnm "{PHOTO}" | cjpeg -quality 92 -outfile "{photo}"', shell=True, check=True)
    report = bench(BENCH, 'FileToFileMemory/0/', env=bench_env(TAVORIN_BENCH_PHOTO=photo))
    multiple = bench_values(report, 'FileToFileMemory/0/', 'x decoded')
    say('memory-47mp', f'x decoded: jpg {multiple[0]:.1f}')


def large_pages(work):
    with open('/sys/kernel/mm/transparent_hugepage/enabled', encoding='ascii') as f:
        mode = re.search(r'\[(\w+)\]', f.read()).group(1)
    if mode != 'madvise':
        say('large-pages', f'not measured: transparent huge pages are "{mode}" here')
        return
    out = os.path.join(work, 'out.jpg')
    command = [PROGRAM, '-q', '--mode', 'Clarity 1', PHOTO, out]
    small = dict(os.environ, GLIBC_TUNABLES='glibc.malloc.hugetlb=0')
    large_runs, small_runs = [], []
    for _ in range(3):  # in turn, so that a change of load falls on both
        large_runs.append(timed(command))
        small_runs.append(timed(command, small))
    ratio = statistics.median(small_runs) / statistics.median(large_runs)
    say('large-pages', f'small pages {ratio:.2f}x the wall time '
        f'({statistics.median(small_runs):.2f} s, {statistics.median(large_runs):.2f} s)')


def thumbnails(_):
    report = bench(BENCH, 'BM_GridThumbnails')
    cold = bench_values(report, 'BM_GridThumbnailsCold', 'items_per_second')
    cached = bench_values(report, 'BM_GridThumbnailsCached', 'items_per_second')
    say('thumbnails', f'{cold[0]:.0f}/s cold, {cached[0]:.0f}/s cached')


def movie(_):
    report = bench(MOVIE_BENCH, '.')
    prepared = bench_values(report, 'BM_RealTimeRecorder1280x720', 'items_per_second')
    camera_rate = bench_values(report, 'BM_CameraRecordingThroughTheEngine', 'frames/s')
    say('movie', f'{prepared[0]:.0f} frames/s prepared, {camera_rate[0]:.0f} through the engine')


def app_figures(part):
    """tavorin_app_figures' lines for a part: name -> values."""
    done = subprocess.run([APP_FIGURES, part], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, check=False)
    if done.returncode != 0:
        raise Failure(f'tavorin_app_figures {part} failed:\n{done.stderr[-2000:]}')
    return {line.split()[0]: [float(v) for v in line.split()[1:]] for line in done.stdout.splitlines() if line.strip()}


def headless(_):
    say('headless', spread(app_figures('headless')['headless'], 's') + ' for 10 simulated s')


def window(_):
    seen = app_figures('window')
    say('window-start', spread(seen['camera-shown'], 's', 2))
    say('window-viewfinder', spread(seen['viewfinder'], 'frames/s'))
    say('window-tap', spread(seen['tap'], 'ms', 0))
    say('window-shutter', spread(seen['shutter'], 's') + f', the first {seen["shutter"][0]:.1f} s'
        if seen['shutter'] else 'nothing measured')
    say('window-controls', spread(seen['controls'], 'frames/s') + ' with the controls out')


def peer(_, rounds):
    # side-by-side.sh says on its own what it misses (the peer, the JPEG tools) and how to
    # install it, and its progress, on standard error.
    done = subprocess.run([SIDE_BY_SIDE, str(rounds)], stdout=subprocess.PIPE, text=True, check=False)
    if done.returncode != 0:
        raise Failure('side-by-side.sh failed (see above)')
    print(done.stdout, end='')
    rows = side_by_side_rows(done.stdout)
    if len(rows) < 3:
        raise Failure('side-by-side.sh printed no table')
    for rank, row in enumerate(rows):
        name = f'peer-{row["mp"]:.0f}mp'
        both = f'wall {row["clarity_wall"]:.2f}/{row["dramatic_wall"]:.2f}, CPU {row["clarity_cpu"]:.2f}/{row["dramatic_cpu"]:.2f}'
        say(name, both + ' (C1/D2)', ('peer-small', 'peer-13mp')[rank] if rank < 2 else 'peer-large')
    say('peer-memory-small', f'{rows[0]["memory"]:.2f}x the peer at {rows[0]["mp"]:.1f} MP')
    say('peer-memory', ', '.join(f'{row["memory"]:.2f}x at {row["mp"]:.0f} MP' for row in rows[1:]))
    say('noop', f'{rows[1]["noop"]:.2f}x the pipe at {rows[1]["mp"]:.1f} MP')


# Name, in --quick, what it runs.
MEASUREMENTS = [
    ('preview', True, preview),
    ('camera', True, camera),
    ('render-start', True, render_start),
    ('memory', True, memory),
    ('thumbnails', True, thumbnails),
    ('movie', True, movie),
    ('headless', True, headless),
    ('window', True, window),
    ('memory-47mp', False, memory_47mp),
    ('large-pages', False, large_pages),
    ('peer', False, None),  # needs the rounds: run below
]


def renderer():
    """The GL renderer the program names at its start (a headless run of an empty script on a
    profile of its own)."""
    with tempfile.TemporaryDirectory() as home:
        script = os.path.join(home, 'empty.txt')
        open(script, 'w', encoding='ascii').close()
        env = dict(os.environ, XDG_CONFIG_HOME=home, XDG_DATA_HOME=home, XDG_CACHE_HOME=home)
        env.pop('TAVORIN_PHOTO_LIBRARY', None)
        done = subprocess.run([PROGRAM, '--headless', '--camera', 'none', '--script', script],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env, check=False)
    found = re.search(r'rendering with (.*)', done.stderr)
    return found.group(1) if found else 'not named'


def build():
    print('figures: building the optimised program and the benchmarks (in build/release)…', file=sys.stderr)
    subprocess.run([os.path.join(ROOT, 'tools', 'setup.sh')], check=True)
    subprocess.run(['cmake', '-S', ROOT, '-B', BUILD, '-DCMAKE_BUILD_TYPE=Release'], check=True,
                   stdout=subprocess.DEVNULL)
    subprocess.run(['cmake', '--build', BUILD, '-j', str(os.cpu_count()), '--target', 'tavorin', 'tavorin_bench',
                    'tavorin_movie_bench', 'tavorin_app_figures'], check=True, stdout=subprocess.DEVNULL)


def main():
    names = [name for name, _, _ in MEASUREMENTS]
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--quick', action='store_true', help='leave out the long measurements')
    parser.add_argument('--only', help='comma-separated measurements to run: ' + ', '.join(names))
    parser.add_argument('--rounds', type=int, default=5, help="the side-by-side's rounds (default 5)")
    parser.add_argument('--list', action='store_true', help='name the measurements and stop')
    args = parser.parse_args()
    if args.list:
        for name, quick, _ in MEASUREMENTS:
            print(name if quick else f'{name} (not in --quick)')
        return 0
    chosen = [name for name, quick, _ in MEASUREMENTS if quick or not args.quick]
    if args.only:
        chosen = args.only.split(',')
        unknown = [name for name in chosen if name not in names]
        if unknown:
            parser.error(f'no measurement {", ".join(unknown)} (--list names them)')
    if args.rounds < 1:
        parser.error('--rounds takes a positive number')
    with open(os.path.join(ROOT, 'README.md'), encoding='utf-8') as f:
        for phrase in missing_from_readme(f.read()):
            print(f'figures: the README no longer says "{phrase}"', file=sys.stderr)

    build()
    started = time.monotonic()
    print(f'# {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M UTC}; {os.cpu_count()} cores; '
          f'renderer: {renderer()}; load average {load()}', flush=True)
    failed = 0
    with tempfile.TemporaryDirectory() as work:
        for name, _, run in MEASUREMENTS:
            if name not in chosen:
                continue
            try:
                if name == 'peer':
                    peer(work, args.rounds)
                else:
                    run(work)
            except (Failure, subprocess.CalledProcessError, KeyError, IndexError, ValueError) as e:
                failed += 1
                print(f'figures: {name}: {e}', file=sys.stderr)
                say(name, 'failed (see above)')
    print(f'# load average {load()} at the end; {time.monotonic() - started:.0f} s', flush=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
