#!/usr/bin/env bash
# Builds the tool and runs every test: the in-process tests (label unit) and the release archive
# driven end to end under Xvfb (label e2e); then the in-process tests built again with the
# sanitizers, and the writer under libFuzzer. Arguments go to the first ctest alone, e.g. `-L unit`.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/packages.sh"
install_missing "${BUILD_PACKAGES[@]}" xvfb xdotool xclip python3 python3-xlib \
    dbus at-spi2-core python3-pyatspi e2fsprogs clang-14 libclang-rt-14-dev
build_project
cd "$ROOT/build"
ctest --output-on-failure -j 2 "$@"
[ $# -eq 0 ] || exit 0

# The in-process tests and the libraries they link (Qt is the system's) under AddressSanitizer and
# UndefinedBehaviorSanitizer, built with clang into build-asan/; the first finding fails the run,
# and so does a leak at exit. std::vector marks its spare capacity, so that a read past its size
# is found too. The coverage that libFuzzer steers by is compiled into the libraries as well.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cmake -S "$ROOT" -B "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link \
    -fno-sanitize-recover=all -D_GLIBCXX_SANITIZE_VECTOR" >/dev/null
cmake --build "$ROOT/build-asan" -j 2
cd "$ROOT/build-asan"
ctest --output-on-failure -j 2 -L unit

# The writer under libFuzzer for a fixed number of inputs, from a copy of the committed corpus
# (libFuzzer adds to its corpus folder), writing in memory where the system offers it, as every
# write syncs. Its log is shown on a failure; the failing input is kept in build-asan/.
work="$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$ROOT/tests/fuzz/corpus" "$work/"
if ! TMPDIR="$work" tests/fuzz_writer -runs=20000 -artifact_prefix="$ROOT/build-asan/fuzz-" \
    "$work/corpus" >"$work/fuzz.log" 2>&1; then
    tail -n 40 "$work/fuzz.log"
    exit 1
fi
grep '^Done' "$work/fuzz.log"
