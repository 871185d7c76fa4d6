#!/usr/bin/env bash
# The Windows test bench: a Wine prefix of the project's own under build/, a private Xvfb
# display, and runs that always end (timeout, then wineserver -k).
#
#   scripts/wine.sh prepare            make the prefix if it is missing (or stale)
#   scripts/wine.sh fresh              throw the prefix away and make a new one
#   scripts/wine.sh run [-t SECS] [--display] [--no-audio] PROGRAM.exe [ARGS...]
#                                      run a program in the prefix on a fresh Xvfb display
#                                      (--display: on $DISPLAY instead, for people;
#                                      --no-audio: with no sound device at all)
#
# A run on its own display also gets its own PulseAudio server: a null sink whose monitor
# is the default source, so Wine's wave input records whatever is played into the sink.
# PULSE_SERVER points Wine at it, and LYRIVANE_TEST_SPEECH names a file of spoken words
# (espeak-ng) that tests play into it with `paplay -d nullsink`. It works as root too.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${LYRIVANE_WINEPREFIX:-$root/build/wine-prefix}"
export WINEDEBUG=-all
# Code page 936 for the ANSI calls, as on the Chinese systems the program serves.
export LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko installer prompts
stamp="$WINEPREFIX/.lyrivane-ready"
setup_version=3

registry() {
  # Chinese key names: regedit wants a UTF-16 file for them.
  local reg="$WINEPREFIX/lyrivane.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for f in SimSun NSimSun SimHei "Microsoft YaHei" 宋体 新宋体 黑体 微软雅黑; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$f"
    done
    printf '\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
  wine regedit /S "$reg"
}

prepare() {
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$setup_version" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  echo "preparing Wine prefix $WINEPREFIX" >&2
  timeout 180 wineboot -i >/dev/null 2>&1 || true
  timeout 60 wineserver -w || true
  # Debian's Wine does not find its own fonts (Tahoma, Marlett for caption buttons).
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  registry
  timeout 60 wineserver -w || true
  echo "$setup_version" >"$stamp"
}

pulse_pid=""
pulse_dir=""
start_pulse() {
  pulse_dir=$(mktemp -d /tmp/lyrivane-pulse.XXXXXX)
  HOME="$pulse_dir" XDG_RUNTIME_DIR="$pulse_dir" PULSE_RUNTIME_PATH="$pulse_dir" \
    PULSE_STATE_PATH="$pulse_dir" pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --use-pid-file=no --disallow-exit --log-target=stderr \
    -L "module-null-sink sink_name=nullsink" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$pulse_dir/native" \
    >"$pulse_dir/log" 2>&1 &
  pulse_pid=$!
  export PULSE_SERVER="unix:$pulse_dir/native"
  for _ in $(seq 1 100); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-source nullsink.monitor >/dev/null
      espeak-ng -s 140 -w "$pulse_dir/speech.wav" \
        "one two three four five six seven eight nine ten eleven twelve"
      export LYRIVANE_TEST_SPEECH="$pulse_dir/speech.wav"
      return 0
    fi
    kill -0 "$pulse_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "wine.sh: PulseAudio did not start:" >&2
  cat "$pulse_dir/log" >&2
  return 1
}

stop_pulse() {
  if [ -n "$pulse_pid" ]; then
    kill "$pulse_pid" 2>/dev/null || true
    wait "$pulse_pid" 2>/dev/null || true
  fi
  if [ -n "$pulse_dir" ]; then rm -rf "$pulse_dir"; fi
}

xvfb_pid=""
stop_all() {
  timeout 20 wineserver -k 2>/dev/null || true
  stop_pulse
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}

start_xvfb() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
      if [ -e "/tmp/.X11-unix/X$n" ]; then
        export DISPLAY=":$n"
        return 0
      fi
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  done
  echo "wine.sh: could not start Xvfb" >&2
  return 1
}

run() {
  local secs=600 own_display=1 audio=1
  while [ $# -gt 0 ]; do
    case "$1" in
      -t) secs=$2; shift 2 ;;
      --display) own_display=0; shift ;;
      --no-audio) audio=0; shift ;;
      *) break ;;
    esac
  done
  prepare
  trap stop_all EXIT
  if [ "$audio" = 0 ]; then
    # A server that is named but absent: libpulse neither finds nor spawns one, and Wine
    # has no other sound system here.
    export PULSE_SERVER=unix:/nonexistent/lyrivane-no-audio
  elif [ "$own_display" = 1 ]; then
    start_pulse
  fi
  if [ "$own_display" = 1 ]; then start_xvfb; fi
  local rc=0
  timeout --kill-after=10 "$secs" wine "$@" || rc=$?
  if [ "$rc" = 124 ]; then echo "wine.sh: $1 did not finish within $secs s" >&2; fi
  return "$rc"
}

case "${1:-}" in
  prepare) prepare ;;
  fresh) rm -f "$stamp"; prepare ;;
  run) shift; run "$@" ;;
  *) sed -n '2,10p' "$0" >&2; exit 2 ;;
esac
