#!/usr/bin/env bash
# Installs every Debian package the builds, the tests, the demo and the benchmark need.
# Idempotent: packages already present are skipped, so a second run costs a dpkg query.
set -euo pipefail

packages=(
  # native build
  build-essential cmake ninja-build pkg-config clang-format
  googletest libgtest-dev libcurl4-openssl-dev
  # Windows cross build and its test bench
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 fonts-wine xvfb xauth x11-utils fonts-wqy-microhei locales imagemagick
  # fuzzing
  clang libclang-rt-14-dev llvm
  # encoders and taggers that make real song files for the demo and the tests
  lame flac vorbis-tools ffmpeg python3 python3-mutagen eyed3
  # the Monkey's Audio encoder (jmac), a Java program
  libjmac-java default-jre-headless
  # the peer reader of the benchmark, and GNU time for its peak memory
  libtag1-dev time
  # JSON replies of the lyric-search providers (header-only, also used by the Windows build)
  nlohmann-json3-dev
  # real microphone input under Wine: a PulseAudio null sink fed with spoken words
  pulseaudio pulseaudio-utils espeak-ng sox
  # the release archive; the checks of the manual page and of the bash completion
  zip groff-base bash-completion
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -q i386; then
    : # wine64 alone is enough for 64-bit programs; no i386 architecture needed
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Chinese locale makes Wine's ANSI code page 936 and lets the CLI print UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  $SUDO sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
