#!/usr/bin/env bash
# Developer entry point: ./dev.sh run | demo | test | soak [options] | bench | fuzz [seconds] [runs] [targets] | asan | build
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}

# Debian packages the build, the tests and the demo need.
PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcairo2-dev libpango1.0-dev libsdl2-dev libspeex-dev libturbojpeg0-dev
  libsqlite3-dev libasio-dev
  fonts-dejavu-core xvfb xauth tinyproxy
  libssl-dev libsodium-dev ccache
  libmicrohttpd-dev liblzma-dev desktop-file-utils xdelta3 libstrophe-dev prosody
  libglib2.0-dev dbus-daemon
  socat  # the automation example in docs/AUTOMATION.md
  libhttp-parser-dev libmsgpack-dev  # peers the benchmarks measure against (docs/PERFORMANCE.md)
)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() { # <build dir> [cmake args...]
  local dir=$1; shift
  cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

run_tests() { # <build dir>
  # KESTROVA_HOME keeps test runs away from the user's own settings.
  local home; home=$(mktemp -d)
  KESTROVA_HOME="$home" XDG_RUNTIME_DIR="$home" \
    ctest --test-dir "$1" --output-on-failure -j "$JOBS" --timeout 300
}

cmd=${1:-test}
shift || true
case "$cmd" in
  build)
    install_missing
    configure_and_build build "$@"
    ;;
  test)
    install_missing
    configure_and_build build
    run_tests build
    ;;
  asan)
    install_missing
    configure_and_build build-asan -DKESTROVA_SANITIZE=ON -DKESTROVA_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      LSAN_OPTIONS=suppressions="$ROOT/tools/lsan.supp" run_tests build-asan
    ;;
  bench)
    install_missing
    configure_and_build build -DKESTROVA_BENCH=ON
    # Each benchmark prints its ratios ("ratio ... = X") and the ones with an
    # aim as "aim | what | ratio | aim | met"; the summary gathers them all.
    results=$(mktemp)
    for b in build/bench/*; do
      [ -f "$b" ] && [ -x "$b" ] || continue
      echo "== $(basename "$b")"
      nice -n 19 "$b" "$@" | tee -a "$results" || echo "aim | $(basename "$b") did not finish | - | - | NOT met" >> "$results"
    done
    echo
    echo "== summary (ratios measured in this run)"
    printf '%-78s %10s  %-9s %s\n' "ratio" "measured" "aim" ""
    # The console reporter's colour codes can stand before a line.
    sed -i 's/\x1b\[[0-9;]*m//g' "$results"
    awk -F' [|] ' '/^aim [|] /{ printf "%-78s %10s  %-9s %s\n", $2, $3, $4, $5 }' "$results"
    sed -n 's/^ratio \(.*\) = \([0-9.]*\).*/\1|\2/p' "$results" |
      awk -F'|' '{ printf "%-78s %10s  %-9s\n", $1, $2, "-" }'
    rm -f "$results"
    ;;
  fuzz)
    # ./dev.sh fuzz [seconds per target] [most inputs per target] [target...]
    install_missing
    seconds=${1:-30}
    runs=${2:--1}
    shift 2 || shift $#
    CC=clang CXX=clang++ cmake -S "$ROOT" -B build-fuzz -G Ninja -DKESTROVA_FUZZ=ON -DKESTROVA_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j "$JOBS" --target kestrova-fuzzers
    # Crash and leak inputs go beside the build, never into the source tree.
    mkdir -p build-fuzz/artifacts
    for f in build-fuzz/fuzz/*; do
      [ -f "$f" ] && [ -x "$f" ] || continue
      name=$(basename "$f")
      if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
      corpus=$(mktemp -d)
      cp -r "fuzz/corpus/$name/." "$corpus/" 2>/dev/null || true
      echo "== fuzzing $name for ${seconds}s (at most $runs inputs; -1: no limit)"
      nice -n 19 "$f" -max_total_time="$seconds" -runs="$runs" -max_len=65536 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build-fuzz/artifacts/$name-" "$corpus"
      rm -rf "$corpus"
    done
    ;;
  soak)
    # The long exactly-once run: 10,000 messages, 50 connection cuts and 5
    # server kills by default; "./dev.sh soak --seed N" replays a run.
    install_missing
    configure_and_build build
    nice -n 19 build/tests/kestrova-soak "$@"
    ;;
  run)
    install_missing
    configure_and_build build
    exec "$ROOT/tools/run.sh" "$ROOT/build/bin" "$@"
    ;;
  demo)
    install_missing
    configure_and_build build
    exec "$ROOT/tools/demo.sh" "$ROOT/build/bin" "$@"
    ;;
  *)
    echo "usage: ./dev.sh run | demo | test | soak [options] | bench | fuzz [seconds] [runs] [targets] | asan | build" >&2
    exit 2
    ;;
esac
