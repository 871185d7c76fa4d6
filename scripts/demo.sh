#!/usr/bin/env bash
# The main job of `make run`: makes a folder of real sample songs and shows what Lyrivane
# reads from each, then renames a copy of the folder and shows old -> new.
set -euo pipefail
cli=$1
demo=$2
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/make_demo_songs.py" "$demo"
echo "Sample songs in $demo, as Lyrivane reads them (path, then title - artist):"
echo
(cd "$demo" && "$root/$cli" info ./*)
if "$root/$cli" rename --help >/dev/null 2>&1; then
  rm -rf "$demo-renamed"
  cp -r "$demo" "$demo-renamed"
  echo
  echo "Renaming a copy in $demo-renamed:"
  echo
  # The demo's renames go into a journal of its own, not into the user's undo history.
  case "$demo" in /*) state="$demo-state" ;; *) state="$PWD/$demo-state" ;; esac
  (cd "$demo-renamed" && XDG_STATE_HOME="$state" "$root/$cli" rename ./*) || true
fi
