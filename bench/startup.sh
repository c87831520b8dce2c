#!/usr/bin/env bash
# Start-up to first paint of the real program on Qt's offscreen platform,
# with QuillEngine loaded: `quillmarsh --screenshot` starts, paints, writes
# the screen as PNG and ends, so its wall time bounds start-up to first paint
# from above. Prints the median of RUNS runs (default 11) and the peak
# resident memory of the largest run.
#   bash bench/startup.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_TESTS=OFF >/dev/null
cmake --build build/bench --target quillmarsh QuillEngine >/dev/null
program=build/bench/bin/quillmarsh
[ -f build/bench/bin/QuillEngine.qme ] || { echo "QuillEngine.qme was not built" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/run" && chmod 700 "$home/run"
export XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run HOME=$home
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY

"$program" --screen 240x320 --screenshot "$home/warm.png" 2>/dev/null   # warm the file cache
python3 - "$program" "$home" "$runs" <<'PY'
import os, resource, statistics, subprocess, sys, time
program, home, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
for screen in ("240x320", "480x640"):
    times, peak = [], 0
    for i in range(runs):
        start = time.perf_counter()
        p = subprocess.run([program, "--screen", screen, "--screenshot", f"{home}/s{i}.png"],
                           stderr=subprocess.DEVNULL)
        times.append((time.perf_counter() - start) * 1000)
        if p.returncode != 0:
            sys.exit(f"quillmarsh failed with status {p.returncode}")
        peak = max(peak, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
    print(f"{screen}: start-up to first paint and exit, median {statistics.median(times):.0f} ms "
          f"(min {min(times):.0f}, max {max(times):.0f}, {runs} runs); peak RSS {peak / 1024:.1f} MB")
PY
