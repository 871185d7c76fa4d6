#!/usr/bin/env bash
# `make bench`: builds the TagLib peer, makes the corpus once, and runs the comparison.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/bench"
mkdir -p "$out"
g++ -O2 -std=c++17 -o "$out/taglib_peer" "$root/tests/bench/taglib_peer.cpp" \
  $(pkg-config --cflags --libs taglib)
corpus="$root/build/bench-corpus"
[ -f "$corpus/manifest.tsv" ] || "$root/scripts/make_bench_corpus.py" "$corpus" "${BENCH_SONGS:-300}"
"$root/scripts/bench.py" "$root/build/native/lyrivane" "$out/taglib_peer" "$corpus" \
  "${BENCH_FILES:-10000}" "${BENCH_ROUNDS:-5}"
