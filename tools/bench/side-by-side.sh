#!/usr/bin/env bash
# Side by side: our whole command-line render, file to file (decode, render, encode), against a
# peer renderer doing comparable work (rawtherapee-cli with ../shared/bench/peer-local-contrast.pp3,
# or the profile TAVORIN_YARDSTICK_PROFILE names), on one real photograph at about 4, 13, 24 and
# 50 megapixels, in "Clarity 1" and "Dramatic 2". It also sets a render that changes nothing
# (Luminance Style=None) against a bare JPEG decode and encode (djpeg | cjpeg -quality 90), which
# is the floor every render pays.
#
#   tools/bench/side-by-side.sh [ROUNDS]      (from the repository root; ROUNDS defaults to 5)
#   TAVORIN_BEFORE=other/build/app/tavorin tools/bench/side-by-side.sh [ROUNDS]
#
# Per photo, each command runs once to warm up, then ROUNDS rounds run the commands in turn, so
# a change in the machine's load falls on both sides of a ratio. Each ratio is the median over
# the rounds of ours/peer in the same round: below 1 we are faster (or smaller), above 1 slower.
# "wall" is elapsed time and follows the load on a shared machine; "CPU" is user + system time
# of the whole process (GL driver threads included) and follows the work done. "peak" is the
# largest resident set (the larger of the two modes' medians for ours). The load average at
# start and end says how far the wall ratios can be trusted.
set -euo pipefail

rounds="${1:-5}"
if ! [[ "$rounds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: tools/bench/side-by-side.sh [ROUNDS]   (ROUNDS a positive whole number, default 5)" >&2
    exit 2
fi

root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"

# Each tool with the Debian package that brings it.
missing=0
for need in rawtherapee-cli:rawtherapee djpeg:libjpeg-turbo-progs cjpeg:libjpeg-turbo-progs; do
    if ! command -v "${need%%:*}" >/dev/null; then
        echo "side-by-side: ${need%%:*} is missing: apt-get install ${need#*:}" >&2
        missing=1
    fi
done
if [[ ! -x /usr/bin/time ]]; then
    echo "side-by-side: /usr/bin/time is missing: apt-get install time" >&2
    missing=1
fi
source_photo=/usr/share/backgrounds/Dragonfly_by_Bolly.jpg
if [[ ! -f "$source_photo" ]]; then
    echo "side-by-side: $source_photo is missing: apt-get install lomiri-wallpapers-16.04" >&2
    missing=1
fi
profile="${TAVORIN_YARDSTICK_PROFILE:-$root/../shared/bench/peer-local-contrast.pp3}"
if [[ ! -f "$profile" ]]; then
    echo "side-by-side: no peer profile at $profile (set TAVORIN_YARDSTICK_PROFILE)" >&2
    missing=1
fi
((missing == 0)) || exit 2

ours=build/release/app/tavorin
# Another build of the program (TAVORIN_BEFORE=path), run in the same rounds: its row "before"
# under each photo's row gives a change's before and after from one run.
before="${TAVORIN_BEFORE:-}"
if [[ -n "$before" && ! -x "$before" ]]; then
    echo "side-by-side: TAVORIN_BEFORE=$before is no program" >&2
    exit 2
fi
if [[ ! -x "$ours" ]]; then
    echo "side-by-side: building $ours…" >&2
    [[ -f build/release/CMakeCache.txt ]] || cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/release --target tavorin -j3 >/dev/null
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

load() { cut -d' ' -f1-3 /proc/loadavg; }
load_start="$(load)"
started="$(date -u '+%Y-%m-%d %H:%M UTC')"

# The photos, from the one photograph: djpeg scales by N/8 (up to 2x) while decoding, and the
# 13-megapixel one is the photograph itself. Each line: megapixels, path.
photos=()
for eighths in 4 8 11 15; do
    ppm="$work/scaled.ppm"
    djpeg -scale "$eighths/8" -pnm -outfile "$ppm" "$source_photo"
    read -r width height < <(head -c 64 "$ppm" | sed -n 2p)
    if ((eighths == 8)); then
        photo="$source_photo"
    else
        photo="$work/photo-$eighths.jpg"
        cjpeg -quality 92 -outfile "$photo" "$ppm"
    fi
    rm -f "$ppm"
    photos+=("$(awk -v w="$width" -v h="$height" 'BEGIN { printf "%.1f", w * h / 1e6 }') $photo")
done

# Runs one command under /usr/bin/time and appends "megapixels label wall cpu kib" to a file.
results="$work/results"
renderer=""
timed() {
    local into="$1" mp="$2" label="$3"
    shift 3
    # A second's rest first: the command just ended leaves the kernel work (its freed memory,
    # large pages) that otherwise falls on whichever command follows it, so the order of the
    # commands would decide part of their times.
    sleep 1
    if ! /usr/bin/time -o "$work/time" -f "%e %U %S %M" "$@" >/dev/null 2>"$work/stderr"; then
        echo "side-by-side: $label failed on the $mp-megapixel photo:" >&2
        cat "$work/stderr" "$work/time" >&2
        exit 1
    fi
    if [[ "$label" == clarity && -z "$renderer" ]]; then
        renderer="$(grep -m1 -i 'rendering with' "$work/stderr" || true)"
    fi
    awk -v mp="$mp" -v label="$label" '{ print mp, label, $1, $2 + $3, $4 }' "$work/time" >>"$into"
}

# One round: every command once, in this order, into the given file.
# shellcheck disable=SC2016 # expanded by the sh that runs it, from its own arguments
pipe_script='djpeg "$1" | cjpeg -quality 90 >"$2"'
run_all() {
    local into="$1" mp="$2" photo="$3"
    timed "$into" "$mp" clarity "$ours" -q --mode "Clarity 1" "$photo" "$work/ours.jpg"
    timed "$into" "$mp" peer rawtherapee-cli -q -Y -p "$profile" -o "$work/peer.jpg" -j90 -c "$photo"
    timed "$into" "$mp" dramatic "$ours" -q --mode "Dramatic 2" "$photo" "$work/ours.jpg"
    timed "$into" "$mp" noop "$ours" -q --set "Luminance Style=None" "$photo" "$work/ours.jpg"
    timed "$into" "$mp" pipe sh -c "$pipe_script" sh "$photo" "$work/pipe.jpg"
    if [[ -n "$before" ]]; then
        timed "$into" "$mp" "before clarity" "$before" -q --mode "Clarity 1" "$photo" "$work/ours.jpg"
        timed "$into" "$mp" "before dramatic" "$before" -q --mode "Dramatic 2" "$photo" "$work/ours.jpg"
        timed "$into" "$mp" "before noop" "$before" -q --set "Luminance Style=None" "$photo" "$work/ours.jpg"
    fi
}

for entry in "${photos[@]}"; do
    mp="${entry%% *}"
    photo="${entry#* }"
    echo "side-by-side: $mp MP: warm-up" >&2
    run_all "$work/warm-up" "$mp" "$photo"
    for ((round = 1; round <= rounds; round++)); do
        echo "side-by-side: $mp MP: round $round of $rounds" >&2
        run_all "$results" "$mp" "$photo"
    done
done

echo "# $started; load average $load_start at start, $(load) at end; rounds: $rounds;" \
    "renderer: ${renderer:-not printed}"
# The results come a round (five lines, clarity first, then the baseline's three) at a time,
# photo after photo.
awk '
function median(list, n,    i, j, v, a) {
    for (i = 1; i <= n; i++) a[i] = list[i]
    for (i = 2; i <= n; i++) {
        v = a[i]
        for (j = i - 1; j >= 1 && a[j] > v; j--) a[j + 1] = a[j]
        a[j + 1] = v
    }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
function ratio(a, b) { return b > 0 ? a / b : 0 }
# One row: the given build ("" for ours, "before " for the baseline) against the peer and the
# pipe of the same rounds.
function row(b, name,    n, i, cw, cc, dw, dc, nc, ck, dk, pk, oursk, peerk) {
    n = rounds
    for (i = 1; i <= n; i++) {
        cw[i] = ratio(wall[b "clarity", i], wall["peer", i]);  cc[i] = ratio(cpu[b "clarity", i], cpu["peer", i])
        dw[i] = ratio(wall[b "dramatic", i], wall["peer", i]); dc[i] = ratio(cpu[b "dramatic", i], cpu["peer", i])
        nc[i] = ratio(cpu[b "noop", i], cpu["pipe", i])
        ck[i] = kib[b "clarity", i]; dk[i] = kib[b "dramatic", i]; pk[i] = kib["peer", i]
    }
    oursk = median(ck, n); if (median(dk, n) > oursk) oursk = median(dk, n)
    peerk = median(pk, n)
    printf "%8s | %7.2f %7.2f | %7.2f %7.2f | %7.0f %7.0f %7.2f | %10.2f\n", name,
        median(cw, n), median(cc, n), median(dw, n), median(dc, n),
        oursk / 1024, peerk / 1024, ratio(oursk, peerk), median(nc, n)
}
function flush() {
    row("", photo)
    if (("before clarity", 1) in wall) row("before ", "before")
    rounds = 0
}
BEGIN {
    print "   photo |   Clarity 1     |   Dramatic 2    |      peak memory        | no-op CPU"
    print "      MP |    wall     CPU |    wall     CPU | ours MiB peer MiB ratio | ours/pipe"
    print "         | ours/peer (median of the rounds)  |                         |"
}
$1 != photo { if (rounds) flush(); photo = $1 }
$2 == "clarity" { rounds++ }
{ label = $2 == "before" ? "before " $3 : $2; k = $2 == "before" ? 1 : 0
  wall[label, rounds] = $(3 + k); cpu[label, rounds] = $(4 + k); kib[label, rounds] = $(5 + k) }
END { if (rounds) flush() }
' "$results"
