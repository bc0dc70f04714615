#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, writes their generated seeds and runs every
# target for the given number of seconds from its seeds. Fails on the first
# crash, leak, timeout or out-of-memory report.
#
#     scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 12 (the CI budget); TARGETs are the names
# after "korvel-fuzz-" (default: all). Inputs a run finds are kept in
# build/fuzz/corpus/TARGET and used again by the next run; crashing inputs are
# written to build/fuzz/artifacts/. FUZZ_BUILD_JOBS sets the build's
# parallelism (default: all cores).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-12}
shift || true
all=(text id3v1 xml mpeg lyrics3 readers id3v2 file id3lib edit apply)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all[@]}")

build=build/fuzz
corpus_dir=${KORVEL_CORPUS_DIR:-$PWD/../shared/corpus}

CC=clang CXX=clang++ cmake -S . -B "$build" -DKORVEL_BUILD_FUZZ=ON -DKORVEL_SANITIZE=ON \
  -DKORVEL_BUILD_QT=OFF -DKORVEL_BUILD_TESTS=OFF -DKORVEL_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVEL_CORPUS_DIR="$corpus_dir" >/dev/null
cmake --build "$build" --target korvel-fuzz-all -j "${FUZZ_BUILD_JOBS:-$(nproc)}"

# Generated seeds: the builders' files and the XML and JSON descriptions of
# those and of the shared corpus (read in place, never copied).
seeds=$build/seeds
rm -rf "$seeds"
corpus_files=()
if [ -d "$corpus_dir" ]; then
  while IFS= read -r -d '' f; do corpus_files+=("$f"); done \
    < <(find "$corpus_dir" -type f ! -name '*.tsv' ! -name '*.txt' -print0 | sort -z)
fi
"$build/fuzz/korvel-fuzz-seeds" "$seeds" "${corpus_files[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"

mkdir -p "$build/artifacts"
status=0
for t in "${targets[@]}"; do
  work=$build/corpus/$t
  mkdir -p "$work"
  # The first folder receives what the run finds; the others are read only.
  inputs=("$work")
  if [ "$t" = xml ]; then
    inputs+=("$seeds/xml")
  elif [ "$t" = apply ]; then
    inputs+=("$seeds/json")
  else
    inputs+=("$seeds/files")
    [ -d "$corpus_dir" ] && inputs+=("$corpus_dir")
  fi
  # Decoders and records need short inputs; files need room for a tag.
  case $t in
    id3v1) max_len=256 ;;
    text) max_len=4096 ;;
    xml) max_len=16384 ;;
    *) max_len=65536 ;;
  esac
  echo "== korvel-fuzz-$t: ${seconds}s"
  log=$build/artifacts/$t.log
  if ! "$build/fuzz/korvel-fuzz-$t" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=512 -malloc_limit_mb=128 -max_len="$max_len" -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$t-" "${inputs[@]}" >"$log" 2>&1; then
    echo "korvel-fuzz-$t FAILED (log: $log)"
    tail -n 60 "$log"
    status=1
  else
    grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "$log" | tr '\n' ' '
    echo
  fi
done
exit $status
