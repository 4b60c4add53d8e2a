#!/usr/bin/env bash
# Times the editor's start-up until the main window answers input, on a real
# X display (a virtual one when $DISPLAY is unset). Reports the whole time from
# the process start, the splash's two half-second pauses, and what is left.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bin="${QUORVANE_BUILD_DIR:-$root/build}/bin"
runs="${RUNS:-7}"
[ -x "$bin/quorvane-startup-bench" ] || "$root/scripts/build"

measure() {
  local results=()
  "$bin/quorvane-startup-bench" >/dev/null 2>&1 || true  # warm-up: page cache, fonts
  for _ in $(seq "$runs"); do
    local start out ready pause
    start=$(date +%s%N)
    out=$("$bin/quorvane-startup-bench" 2>/dev/null)
    ready=$(sed -n 's/.*ready_ns=\([0-9]*\).*/\1/p' <<<"$out")
    pause=$(sed -n 's/.*pause_ns=\([0-9]*\).*/\1/p' <<<"$out")
    results+=("$(( (ready - start) / 1000000 )) $(( pause / 1000000 ))")
  done
  printf '%s\n' "${results[@]}" | sort -n | awk -v n="$runs" '
    { total[NR] = $1; pause[NR] = $2; rest[NR] = $1 - $2 }
    END {
      m = int((n + 1) / 2)
      printf "start to ready: median %d ms, best %d ms\n", total[m], total[1]
      printf "splash pauses:  %d ms (two specified half seconds)\n", pause[m]
      printf "the rest:       median %d ms, best %d ms  (target: under 500 ms)\n", rest[m], rest[1]
    }'
}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
measure
