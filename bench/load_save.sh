#!/usr/bin/env bash
# Load and save benchmark for quorvane-cli on a large generated feed.
#
# Generates a ~20 MB RSS 2.0 feed with ~10,000 items (odd-case tags, raw and
# escaped HTML, references, UTF-8 text) plus its well-formed twin, then times
# whole processes: check (the load alone), dump, convert to stdout, convert to
# a file, xmllint on the twin, and a null run. Prints medians, best runs,
# throughput and peak memory against the targets. Always exits 0 once the
# measurements are taken; a missed target is reported, not failed.
#
# Environment:
#   QUORVANE_BUILD_DIR   build folder (default: build/ in the repository)
#   QUORVANE_BENCH_RUNS  timed runs per command (default 5)
#   QUORVANE_BENCH_ITEMS items in the generated feed (default 10000)
#   QUORVANE_BENCH_SEED  random seed of the generator (default 20040601)
#   QUORVANE_BENCH_KEEP  a folder to copy the generated feeds into (optional)
set -euo pipefail
export LC_ALL=C

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUORVANE_BUILD_DIR:-$root/build}"
cli="$build/bin/quorvane-cli"
runs="${QUORVANE_BENCH_RUNS:-5}"
items="${QUORVANE_BENCH_ITEMS:-10000}"
seed="${QUORVANE_BENCH_SEED:-20040601}"
python=/usr/bin/python3
timer=/usr/bin/time

die() {
    echo "load_save.sh: $*" >&2
    exit 1
}

[[ -x "$timer" ]] || die "$timer is missing (Debian package 'time')"
[[ -x "$python" ]] || die "$python is missing"
command -v xmllint >/dev/null || die "xmllint is missing (Debian package 'libxml2-utils')"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || die "QUORVANE_BENCH_RUNS must be a positive number"

if [[ ! -x "$cli" ]]; then
    echo "quorvane-cli not found in $build/bin; building first..." >&2
    "$root/scripts/build" >&2
    [[ -x "$cli" ]] || die "the build did not produce $cli"
fi

tmp="$(mktemp -d "${TMPDIR:-/tmp}/quorvane-bench.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT

sloppy="$tmp/sloppy.xml"
twin="$tmp/twin.xml"
out="$tmp/out.xml"

echo "== Quorvane load/save benchmark"
echo "binary:     $cli"
if [[ -f "$build/CMakeCache.txt" ]]; then
    echo "build type: $(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")"
fi
echo "machine:    $(nproc) cores, $(uname -srm)"
echo "runs:       $runs per command (after one warm-up run each)"

gen_info="$("$python" "$root/bench/make_feed.py" --sloppy "$sloppy" --twin "$twin" --items "$items" --seed "$seed")" ||
    die "the feed generator failed"
echo "generated:  $gen_info"
if [[ -n "${QUORVANE_BENCH_KEEP:-}" ]]; then
    mkdir -p "$QUORVANE_BENCH_KEEP"
    cp "$sloppy" "$twin" "$QUORVANE_BENCH_KEEP/"
fi

xmllint --noout "$twin" || die "the twin is not well-formed XML"
echo "twin:       well-formed (xmllint --noout)"

bytes=$(stat -c %s "$sloppy")
[[ "$bytes" -eq "$(stat -c %s "$twin")" ]] || die "sloppy and twin files differ in size"

# Sanity: the sloppy file loads, with every item, into the same model as its twin.
"$cli" dump "$sloppy" >"$tmp/sloppy.json" || die "quorvane-cli could not load the sloppy feed"
"$cli" dump "$twin" >"$tmp/twin.json" || die "quorvane-cli could not load the twin feed"
loaded=$("$python" -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["items"]))' "$tmp/sloppy.json")
if cmp -s "$tmp/sloppy.json" "$tmp/twin.json"; then same="identical"; else same="DIFFERENT"; fi
echo "load check: $loaded items read; dumps of sloppy and twin are $same"
rm -f "$tmp/sloppy.json" "$tmp/twin.json"

# Commands, by label. All stdout goes to /dev/null. `check` is the load plus a
# scan of a few fields, so it stands for the load alone; `dump` adds building
# and printing JSON of the whole model.
labels=(null check dump convert save xmllint)
cmd_null=("$cli" --version)
cmd_check=("$cli" check "$sloppy")
cmd_dump=("$cli" dump "$sloppy")
cmd_convert=("$cli" convert "$sloppy")
cmd_save=("$cli" convert "$sloppy" --output "$out")
cmd_xmllint=(xmllint --noout "$twin")
declare -A title=(
    [null]="quorvane-cli --version"
    [check]="quorvane-cli check sloppy.xml"
    [dump]="quorvane-cli dump sloppy.xml"
    [convert]="quorvane-cli convert sloppy.xml"
    [save]="quorvane-cli convert --output out.xml"
    [xmllint]="xmllint --noout twin.xml"
)

# Runs one command under /usr/bin/time; appends "wall_s peak_kb time_e" to its sample file.
# The wall time is taken around the process with microsecond resolution; %e
# (hundredths only) is kept as a cross-check.
measure() {
    local label=$1 record=$2
    local -n cmd="cmd_$label"
    local t0 t1 rc=0
    t0=$EPOCHREALTIME
    "$timer" -f "%e %M" -o "$tmp/time.out" "${cmd[@]}" >/dev/null 2>"$tmp/stderr.out" || rc=$?
    t1=$EPOCHREALTIME
    if [[ $rc -ne 0 ]]; then
        cat "$tmp/stderr.out" >&2
        die "'${title[$label]}' failed with status $rc"
    fi
    if [[ "$record" == yes ]]; then
        local e kb
        read -r e kb <"$tmp/time.out"
        awk -v a="$t0" -v b="$t1" -v kb="$kb" -v e="$e" 'BEGIN { printf "%.4f %d %s\n", b - a, kb, e }' \
            >>"$tmp/samples.$label"
    fi
}

# Warm-up: the feed files are in the page cache and the binaries are loaded once.
for label in "${labels[@]}"; do measure "$label" no; done
# Rounds interleave the commands so that a slow moment of the machine spreads over all of them.
for ((r = 1; r <= runs; r++)); do
    for label in "${labels[@]}"; do measure "$label" yes; done
done

echo
echo "raw runs (wall s, peak KiB, /usr/bin/time %e):"
for label in "${labels[@]}"; do
    printf "  %-38s" "${title[$label]}"
    awk '{ printf "  %s/%d/%s", $1, $2, $3 }' "$tmp/samples.$label"
    echo
done

# Per command: median wall, best wall, largest peak RSS (KiB).
stats() {
    sort -n -k1,1 "$tmp/samples.$1" | awk '
        { w[NR] = $1; if ($2 > kb) kb = $2 }
        END {
            med = (NR % 2) ? w[(NR + 1) / 2] : (w[NR / 2] + w[NR / 2 + 1]) / 2
            printf "%.4f %.4f %d\n", med, w[1], kb
        }'
}

report="$tmp/report.txt"
{
    echo "bytes $bytes"
    for label in "${labels[@]}"; do echo "$label $(stats "$label")"; done
} >"$report"

echo
awk -v runs="$runs" '
    $1 == "bytes" { bytes = $2; next }
    { med[$1] = $2; best[$1] = $3; kb[$1] = $4 }
    function mib(b) { return b / 1048576 }
    function verdict(ok) { return ok ? "PASS" : "MISS" }
    END {
        size = mib(bytes)
        printf "file: sloppy.xml %.2f MiB (%d bytes); %d runs each; MiB = 2^20 bytes\n\n", size, bytes, runs
        printf "%-38s %9s %9s %10s %10s %9s %7s\n", "command", "median s", "best s", "MiB/s med", "MiB/s best", "peak MiB", "x file"
        printf "%-38s %9s %9s %10s %10s %9s %7s\n", "--------------------------------------", "--------", "------", "---------", "----------", "--------", "------"
        n = split("null check dump convert save xmllint", order, " ")
        names["null"] = "quorvane-cli --version (start-up)"
        names["check"] = "quorvane-cli check sloppy.xml"
        names["dump"] = "quorvane-cli dump sloppy.xml"
        names["convert"] = "quorvane-cli convert sloppy.xml"
        names["save"] = "quorvane-cli convert --output out.xml"
        names["xmllint"] = "xmllint --noout twin.xml"
        for (i = 1; i <= n; i++) {
            c = order[i]
            peak = kb[c] / 1024
            if (c == "null")
                printf "%-38s %9.3f %9.3f %10s %10s %9.1f %7s\n", names[c], med[c], best[c], "-", "-", peak, "-"
            else
                printf "%-38s %9.3f %9.3f %10.1f %10.1f %9.1f %7.2f\n", names[c], med[c], best[c],
                       size / med[c], size / best[c], peak, peak / size
        }

        ratio_med = med["dump"] / med["xmllint"]
        ratio_best = best["dump"] / best["xmllint"]
        # Save estimates: a convert minus a run that loads the same file.
        # Against dump they are too low, since dump spends time on JSON that
        # convert does not; against check (the load alone) they are close.
        save_out_med = med["convert"] - med["check"]
        save_out_best = best["convert"] - best["check"]
        save_file_med = med["save"] - med["check"]
        save_file_best = best["save"] - best["check"]
        peak_max = kb["check"]
        if (kb["dump"] > peak_max) peak_max = kb["dump"]
        if (kb["convert"] > peak_max) peak_max = kb["convert"]
        if (kb["save"] > peak_max) peak_max = kb["save"]
        peak_x = (peak_max / 1024) / size

        printf "\n%-50s %9s %9s\n", "derived", "median", "best"
        printf "  %-48s %8.2fx %8.2fx\n", "dump / xmllint", ratio_med, ratio_best
        printf "  %-48s %8.2fx %8.2fx\n", "check (load alone) / xmllint", med["check"] / med["xmllint"], best["check"] / best["xmllint"]
        printf "  %-48s %8.3fs %8.3fs\n", "load without start-up (check - null)", med["check"] - med["null"], best["check"] - best["null"]
        printf "  %-48s %8.3fs %8.3fs\n", "JSON of the model (dump - check)", med["dump"] - med["check"], best["dump"] - best["check"]
        printf "  %-48s %8.3fs %8.3fs\n", "save only, to stdout (convert - dump)", med["convert"] - med["dump"], best["convert"] - best["dump"]
        printf "  %-48s %8.3fs %8.3fs\n", "save only, to a file (convert --output - dump)", med["save"] - med["dump"], best["save"] - best["dump"]
        printf "  %-48s %8.3fs %8.3fs\n", "save only, to stdout (convert - check)", save_out_med, save_out_best
        printf "  %-48s %8.3fs %8.3fs\n", "save only, to a file (convert --output - check)", save_file_med, save_file_best
        printf "  %-48s %8.1f MiB (%.2fx file)\n", "peak memory above start-up (worst - null)", (peak_max - kb["null"]) / 1024, ((peak_max - kb["null"]) / 1024) / size
        printf "  (the saves minus dump understate the save: dump also builds and prints JSON;\n"
        printf "   the targets use the saves minus check, which loads without printing)\n"

        printf "\n%-40s %-20s %s\n", "targets (judged on medians)", "measured", "verdict"
        printf "  %-38s %-20s %s\n", "whole load (dump) < 0.3 s", sprintf("%.3f s", med["dump"]), verdict(med["dump"] < 0.3)
        printf "  %-38s %-20s %s\n", "load alone (check) < 0.3 s", sprintf("%.3f s", med["check"]), verdict(med["check"] < 0.3)
        printf "  %-38s %-20s %s\n", "whole load (dump) <= 2x xmllint", sprintf("%.2fx", ratio_med), verdict(ratio_med <= 2)
        printf "  %-38s %-20s %s\n", "save to a file < 0.2 s", sprintf("%.3f s", save_file_med), verdict(save_file_med < 0.2)
        printf "  %-38s %-20s %s\n", "save to stdout < 0.2 s", sprintf("%.3f s", save_out_med), verdict(save_out_med < 0.2)
        printf "  %-38s %-20s %s\n", "peak memory <= 4x file size", sprintf("%.2fx (%.1f MiB)", peak_x, peak_max / 1024), verdict(peak_x <= 4)
    }' "$report"

exit 0
