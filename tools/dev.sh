#!/usr/bin/env bash
# Sets up, builds and runs Quillmarsh on Debian 12.
#   tools/dev.sh run   builds and starts the program
#   tools/dev.sh test  builds everything under the sanitizers and runs every test
# Both first install whatever Debian packages from deps/*.txt are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-}
shift || true

packages_for() {   # the package names of the given deps/ files
    for f in "$@"; do [ -f "deps/$f.txt" ] && grep -v -e '^#' -e '^\s*$' "deps/$f.txt"; done | sort -u
}

install_missing() {
    local missing=()
    for p in $(packages_for "$@"); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    for p in "${missing[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || { echo "error: package $p did not install" >&2; exit 1; }
    done
}

jobs=$(nproc)
case "$mode" in
run)
    install_missing build gui
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQM_TESTS=OFF >/dev/null
    cmake --build build/release -j "$jobs"
    if [ -x build/release/bin/quillmarsh ]; then
        exec build/release/bin/quillmarsh "$@"
    else
        # Until the window exists the program is its command-line companion.
        echo "The Quillmarsh window is not built yet; starting qmtool instead."
        exec build/release/bin/qmtool "$@"
    fi
    ;;
test)
    install_missing build gui test engine
    cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQM_SANITIZE=ON >/dev/null
    cmake --build build/test -j "$jobs"
    (cd build/test && ctest --output-on-failure -j "$jobs" --timeout 600)
    if command -v clang++ >/dev/null; then
        CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DQM_FUZZ=ON -DQM_TESTS=OFF -DQM_GUI=OFF >/dev/null
        cmake --build build/fuzz -j "$jobs"
        seconds=${QM_FUZZ_SECONDS:-30}
        shopt -s nullglob
        for fuzzer in build/fuzz/bin/fuzz_*; do
            [ -x "$fuzzer" ] || continue
            name=$(basename "$fuzzer")
            corpus=build/fuzz/corpus/$name
            mkdir -p "$corpus"
            seeds=()
            [ -d "tests/fuzz/seeds/${name#fuzz_}" ] && seeds=("tests/fuzz/seeds/${name#fuzz_}")
            echo "Fuzzing $name for ${seconds}s"
            "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" "${seeds[@]}" \
                2> "build/fuzz/$name.log" || { tail -n 40 "build/fuzz/$name.log"; echo "error: $name failed" >&2; exit 1; }
        done
    fi
    ;;
*)
    echo "usage: tools/dev.sh run [ARGS...] | test" >&2
    exit 2
    ;;
esac
