#!/usr/bin/env bash
# Sets up, builds the release program and runs it from a working folder holding the game's
# data (build/release/run, a fresh copy of data/), then tells where "system.log" went.
# Arguments are passed to the program (for example "windowed").
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target morvanesim language_files repository_files level_files shader_files intro_files
work=build/release/run
# The program writes its logs into "<documents>/My Games/Brevicorn", as the engine finds the
# documents folder: the XDG documents folder, else ~/Documents, else the home folder.
documents="${XDG_DOCUMENTS_DIR:-}"
if [ -z "$documents" ] && command -v xdg-user-dir >/dev/null 2>&1; then
  documents=$(xdg-user-dir DOCUMENTS 2>/dev/null || true)
fi
if [ -z "$documents" ] || { [ -z "${XDG_DOCUMENTS_DIR:-}" ] && [ "$documents" = "$HOME" ]; }; then
  documents="$HOME/Documents"
  [ -d "$documents" ] || documents="$HOME"
fi
user="$documents/My Games/Brevicorn"
# A running copy keeps its working folder: the program itself would refuse the second copy, but
# only after the folder it reads had been replaced. Its lock file lies in its user folder, or in
# the temp folder, under the user's id, where that folder cannot hold it.
for lock in "$user/Global_Brevicorn.morvane.lock" "${TMPDIR:-/tmp}/Global_Brevicorn.morvane.$(id -u).lock"; do
  if [ -e "$lock" ] && ! flock -n "$lock" true; then
    echo "tools/run.sh: error: another copy of the program is running ($lock); $work stays as it is" >&2
    exit 1
  fi
done
rm -rf "$work"
mkdir -p "$work"
cp -r data/. "$work/"
mkdir -p "$work/data"
cp build/release/data/*.language build/release/data/*.data "$work/data/"
# Without a display the window is headless: end after a few seconds of frames.
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ "${VESTAMOR_HEADLESS:-}" = 1 ]; then
  export VESTAMOR_HEADLESS_FRAMES="${VESTAMOR_HEADLESS_FRAMES:-300}"
fi
status=0
(cd "$work" && ../sources/morvane/morvanesim "$@") || status=$?
echo "morvanesim exited with code $status; its log: $user/system.log"
exit "$status"
