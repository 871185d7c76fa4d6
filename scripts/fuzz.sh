#!/usr/bin/env bash
# Fuzzes every reader over memory with libFuzzer, AddressSanitizer and UBSan.
#   scripts/fuzz.sh SECONDS [TARGET...]
#   TARGET: id3v2 id3v1 mpeg wma ape ogg flac dispatch pages cookie_jar
# Each target runs SECONDS seconds on its own corpus under build/fuzz-corpus (kept between
# runs), seeded with real songs made by real encoders and the layouts in tests/fuzz/seeds.
# The readers see each input also as a song of 1 GiB that starts and ends with it. A crash,
# a leak, undefined behaviour, an input slower than five seconds or an allocation above
# 64 MiB fails the run; the input is kept in build/fuzz-artifacts for a regression test.
# (An unsynchronised ID3v2 tag may claim 256 MiB, which must be read to be restored: a
# fraction of a second under the sanitizers, and more on a busy machine. A walk that stepped
# through the 1 GiB a few bytes at a time would still take far longer than five seconds.)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(id3v2 id3v1 mpeg wma ape ogg flac dispatch pages cookie_jar)
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

build="$root/build/fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DLYRIVANE_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}" >/dev/null

seeds="$root/build/fuzz-seeds"
if [ ! -d "$seeds" ]; then
  "$root/scripts/make_demo_songs.py" "$seeds.tmp" 0.2
  mv "$seeds.tmp" "$seeds"
fi

kind_byte() {  # the dispatch target's first byte picks the kind: mp3 wma ape ogg flac
  case "${1,,}" in
    *.mp3) printf '\x00' ;; *.wma) printf '\x01' ;; *.ape) printf '\x02' ;;
    *.ogg) printf '\x03' ;; *.flac) printf '\x04' ;; *) printf '\x00' ;;
  esac
}

mkdir -p "$root/build/fuzz-artifacts"
status=0
for t in "${targets[@]}"; do
  corpus="$root/build/fuzz-corpus/$t"
  if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    if [ "$t" = pages ]; then
      # Pages, headers and addresses are text: small text seeds, not songs.
      printf '<html><title>a</title><b>x</b></html>' >"$corpus/seed-page"
      printf 'HTTP/1.1 200 OK\r\nSet-Cookie: a=b; path=/\r\n\r\n' >"$corpus/seed-headers"
      printf 'http://Host:8080/path?q=%%E6%%AD%%8C' >"$corpus/seed-address"
      printf '{"code":0,"result":{"songs":[{"name":"a","artists":[{"name":"b"}]}]}}' \
        >"$corpus/seed-json"
    elif [ "$t" != cookie_jar ]; then  # the cookie jar's seeds are all in tests/fuzz/seeds
      for f in "$seeds"/*; do
        if [ "$t" = dispatch ]; then
          { kind_byte "$f"; cat "$f"; } >"$corpus/seed-$(basename "$f" | tr -c 'A-Za-z0-9.\n' _)"
        else
          cp "$f" "$corpus/seed-$(basename "$f" | tr -c 'A-Za-z0-9.\n' _)"
        fi
      done
    fi
  fi
  # Layouts built by hand (ID3v2 unsynchronisation and extended headers...) join the corpus
  # on every run, so corpora made before they existed get them too.
  for f in "$root/tests/fuzz/seeds/$t"/*; do
    if [ -f "$f" ]; then cp "$f" "$corpus/hand-$(basename "$f")"; fi
  done
  if [ "$t" = dispatch ]; then
    for f in "$root"/tests/fuzz/seeds/id3v2/*; do
      { kind_byte "$f"; cat "$f"; } >"$corpus/hand-$(basename "$f")"
    done
  fi
  echo "== fuzz_$t for ${seconds}s"
  if ! "$build/tests/fuzz/fuzz_$t" "$corpus" -max_total_time="$seconds" -timeout=5 \
      -rss_limit_mb=1024 -malloc_limit_mb=64 -max_len=65536 -print_final_stats=1 \
      -artifact_prefix="$root/build/fuzz-artifacts/$t-" >"$build/fuzz_$t.log" 2>&1; then
    status=1
    grep -E 'ERROR|SUMMARY|Test unit written' "$build/fuzz_$t.log" | head -20
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$t.log" | tr '\n' ' '
  echo
done
exit $status
