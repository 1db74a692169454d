#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, the fuzz preset) and runs every fuzz
# target found in build/fuzz for MURMEL_FUZZ_SECONDS (15) from a copy of its
# seed corpus, so that runs never add to the repository's corpus. A crash, a
# hang (10 s on one input) or a sanitizer report fails the run; the input that
# caused it is kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${MURMEL_FUZZ_SECONDS:-15}
jobs=$(nproc)

# The seed corpus of a target: the corpus in tests/fuzz/corpus whose name,
# underscores aside, is the longest leading part of the target's name after
# "fuzz_" (fuzz_version_answer reads corpus/version, fuzz_key_file_salvage
# corpus/keyfile). Empty when there is none.
corpus_of() {
  local stem=${1//_/} best="" dir name
  for dir in tests/fuzz/corpus/*/; do
    [[ -d "$dir" ]] || continue
    name=$(basename "$dir")
    if [[ "$stem" == "${name//_/}"* && ${#name} -gt ${#best} ]]; then best=$name; fi
  done
  if [[ -n "$best" ]]; then echo "tests/fuzz/corpus/$best/"; fi
}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target fuzz_targets

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/artifacts
failed=()
targets=$(find build/fuzz -path build/fuzz/artifacts -prune -o -type f -name 'fuzz_*' -perm -u+x -print | sort)
for target in $targets; do
  name=$(basename "$target")
  corpus=$(corpus_of "${name#fuzz_}")
  mkdir "$work/$name"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048
    -artifact_prefix="build/fuzz/artifacts/$name-")
  if [[ -n "$corpus" ]]; then
    cp -R "$corpus". "$work/$name/"
    dict="tests/fuzz/$(basename "$corpus").dict"
    if [[ -f "$dict" ]]; then options+=(-dict="$dict"); fi
  fi
  if "$target" "${options[@]}" "$work/$name" >"$work/$name.log" 2>&1 </dev/null; then
    echo "$name: $(grep -o 'Done [0-9]* runs' "$work/$name.log" | tail -n 1), corpus ${corpus:-none}"
  else
    echo "$name: FAILED; the end of its log:" >&2
    tail -n 40 "$work/$name.log" >&2
    failed+=("$name")
  fi
done
if [[ -z "$targets" ]]; then
  echo "fuzz: no targets in build/fuzz" >&2
  exit 1
fi
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: ${failed[*]} failed; run the target on the input it wrote to build/fuzz/artifacts/" >&2
  exit 1
fi
