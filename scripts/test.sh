#!/usr/bin/env bash
# Builds everything and passes every test: formatting, the debug build's unit,
# integration and end-to-end tests, the Debian package (lintian and a start of
# the unpacked package), the sanitizer build's unit and integration tests, and
# a short run of every fuzz target. Installs missing Debian packages first.
#
#   scripts/test.sh --full   also runs the end-to-end suites against the
#                            sanitizer build (slow: every page of the program
#                            is driven through the instrumented binary)
set -euo pipefail
cd "$(dirname "$0")/.."
full=""
for arg in "$@"; do
  case "$arg" in
    --full) full=1 ;;
    *) echo "usage: $0 [--full]" >&2; exit 2 ;;
  esac
done
scripts/install-deps.sh
jobs=$(nproc)

echo "== clang-format"
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests service bench -name '*.cpp' -o -name '*.h')
if ! clang-format --dry-run --Werror $files; then
  echo "clang-format: run 'clang-format -i' on the files above" >&2
  exit 1
fi

echo "== debug build"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --preset dev -j "$jobs" ${MURMEL_CTEST_ARGS:-}

if [[ -z "${MURMEL_SKIP_PACKAGE:-}" ]]; then
  echo "== Debian package"
  MURMEL_PACKAGE_JOBS="$jobs" scripts/package.sh
fi

if [[ -z "${MURMEL_SKIP_ASAN:-}" ]]; then
  echo "== sanitizer build"
  cmake --preset asan >/dev/null
  cmake --build --preset asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0 ctest --preset asan -j "$jobs" -L 'unit|integration'
  if [[ -n "$full" ]]; then
    # GTK and WebKit keep memory to the end on purpose, so leaks are not
    # looked for; every other report fails the suite that saw it.
    echo "== sanitizer build, end-to-end"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --preset asan -L e2e ${MURMEL_CTEST_ARGS:-}
  fi
elif [[ -n "$full" ]]; then
  echo "--full needs the sanitizer build; unset MURMEL_SKIP_ASAN" >&2
  exit 2
fi

# A separate clang build; MURMEL_SKIP_FUZZ leaves it out.
if [[ -z "${MURMEL_SKIP_FUZZ:-}" ]]; then
  echo "== fuzz targets, ${MURMEL_FUZZ_SECONDS:-15} s each"
  scripts/fuzz-smoke.sh
fi
