#!/usr/bin/env bash
# The windowed recipes of README.md, run as written, each on a virtual display of its own and
# side by side: a block that starts Xvfb begins a run; a block without one goes on in the run it
# names ("as in the particles' run") or else in the run before it. Each run has its own home and
# a stand-in checkout whose tools/run.sh is the real one (with nothing to set up or build) and
# whose release program is the program under test. After the last block the program gets one
# SIGTERM. A run passes when every screenshot it takes shows a picture (many colours, not the
# one before it), every log line it waits for is in its log, tools/run.sh named that log, and the
# program ended in full (code 0, the settings written, "WinMain(): the end" last).
# Arguments: README.md, the program, the folder of data/, the build's data folder.
set -euo pipefail
readme=$1 program=$2 data=$3 built=$4
tools="$(cd "$(dirname "$readme")" && pwd)/tools"
missing=$(for tool in Xvfb xdotool import identify compare; do
  command -v "$tool" >/dev/null || echo "$tool"; done)
if [ -n "$missing" ]; then
  echo "missing: $(echo $missing) (bash tools/setup.sh installs them)"
  # CI has run the setup: a missing tool there is a fault, not a reason to skip.
  [ -n "${CI:-}" ] && exit 1
  exit 77
fi
scratch=$(mktemp -d)
trap "rm -rf \"$scratch\"" EXIT

# The indented blocks, each with its section and the paragraph before it.
mkdir "$scratch/blocks"
awk -v out="$scratch/blocks" '
  /^## / { section = tolower(substr($0, 4)) }
  /^    / {
    if (!inblock) { n++; inblock = 1; file = out "/" n
      print section > (file ".section"); print (text != "" ? text : last) > (file ".text") }
    print substr($0, 5) > file; next }
  { inblock = 0 }
  /^$/ { if (text != "") last = text; text = ""; next }
  { text = text " " $0 }' "$readme"
starts=() conts=()
for block in $(ls "$scratch/blocks" | grep -x '[0-9]*' | sort -n); do
  file="$scratch/blocks/$block"
  grep -q xdotool "$file" || continue
  if grep -q '^Xvfb ' "$file"; then
    starts+=("$block")
    echo "$block" >"$scratch/run-$block"
    continue
  fi
  base=${starts[-1]:-}
  named=$(grep -oP "as in the \K\w+(?='s? run)" "$file.text" || true)
  if [ -n "$named" ]; then
    base=$(for other in $(ls "$scratch/blocks" | grep -x '[0-9]*' | sort -n); do
      grep -qi "$named" "$scratch/blocks/$other.section" && grep -q '^Xvfb ' "$scratch/blocks/$other" &&
        { echo "$other"; break; }; done)
  fi
  [ -n "$base" ] || { echo "README.md: no run for the windowed block:"; cat "$file"; exit 1; }
  conts+=("$block:$base")
done
for pair in "${conts[@]}"; do echo "${pair%%:*}" >>"$scratch/run-${pair#*:}"; done
[ "${#starts[@]}" -ge 4 ] && [ "${#conts[@]}" -ge 3 ] ||
  { echo "too few windowed recipes found in README.md: ${#starts[@]} runs, ${#conts[@]} continued"; exit 1; }

# A display number nobody uses, a different one for each run.
display=$((100 + RANDOM % 400))
free_display() {
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
  echo "$display"
  display=$((display + 1))
}

# Each run in its own stand-in checkout; the first SIGTERM must end the program in full.
pids=()
for start in "${starts[@]}"; do
  run="$scratch/$start"
  root="$run/root"
  mkdir -p "$root/tools" "$root/build/release/sources/morvane" "$run/home" "$run/runtime" "$run/bin"
  ln -s "$tools/run.sh" "$root/tools/run.sh"
  echo 'exit 0' >"$root/tools/setup.sh"
  printf '#!/bin/sh\nexit 0\n' >"$run/bin/cmake"
  ln -s "$data" "$root/data"
  ln -s "$built" "$root/build/release/data"
  printf '#!/bin/sh\necho $$ >"%s"\nexec "%s" "$@"\n' "$run/pid" "$program" >"$root/build/release/sources/morvane/morvanesim"
  chmod +x "$run/bin/cmake" "$root/build/release/sources/morvane/morvanesim"
  # A player's copy, as an earlier tools/run.sh leaves it, for the recipes that start the program
  # from it. The runs through tools/run.sh have a documents folder, the others log into the home.
  mkdir -p "$root/build/release/run/data"
  cp -r "$data/." "$root/build/release/run/"
  cp "$built"/*.language "$built"/*.data "$root/build/release/run/data/"
  grep -q '^bash tools/run.sh' "$scratch/blocks/$start" && mkdir "$run/home/Documents"
  n=$(free_display)
  {
    echo "cd '$root'"
    sed -E "s/^Xvfb :[0-9]+/Xvfb :$n/; s/DISPLAY=:[0-9]+/DISPLAY=:$n/" "$scratch/blocks/$start"
    for block in $(tail -n +2 "$scratch/run-$start"); do cat "$scratch/blocks/$block"; done
    echo 'game=$!'
    echo "kill -TERM \$(cat '$run/pid')"
    echo 'for i in $(seq 600); do kill -0 $game 2>/dev/null || break; sleep 0.1; done'
    echo "kill -0 \$game 2>/dev/null && { echo 'the program did not end on SIGTERM'; kill -KILL \$(cat '$run/pid'); }"
    echo "wait \$game; echo \$? >'$run/status'"
    echo 'kill $(jobs -p); wait'
  } >"$run/recipe.sh"
  (cd "$root" && env -u XDG_DOCUMENTS_DIR HOME="$run/home" TMPDIR="$run" XDG_RUNTIME_DIR="$run/runtime" \
    PATH="$run/bin:$PATH" timeout -k 10 400 bash "$run/recipe.sh" >"$run/output" 2>&1) &
  pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || true; done

failed=0
for start in "${starts[@]}"; do
  run="$scratch/$start"
  blocks=$(for block in $(cat "$scratch/run-$start"); do cat "$scratch/blocks/$block"; done)
  section="$(cat "$scratch/blocks/$start.section") ($(grep -oP 'import -window root \K[^\s;]+' <<<"$blocks" | head -n 1))"
  errors=()
  log="$run/home/Documents/My Games/Brevicorn/system.log"
  [ -d "$run/home/Documents" ] || log="$run/home/My Games/Brevicorn/system.log"
  previous=
  for shot in $(grep -oP 'import -window root \K[^\s;]+' <<<"$blocks"); do
    colours=$(identify -format %k "$run/root/$shot" 2>/dev/null || echo 0)
    if [ "$colours" -lt 64 ]; then
      errors+=("$shot: no picture ($colours colours)")
    elif [ -n "$previous" ] && [ "$(compare -metric AE "$run/root/$previous" "$run/root/$shot" null: 2>&1 || true)" = 0 ]; then
      errors+=("$shot: the same picture as $previous")
    fi
    previous=$shot
  done
  while IFS= read -r line; do
    grep -qF -- "$line" "$log" 2>/dev/null || errors+=("the log has no line \"$line\"")
  done < <(grep -oP 'grep -qs "\K[^"]+' <<<"$blocks")
  named=$(grep -oP 'its log: \K.*' "$run/output" || true)
  [ -z "$named" ] || [ "$named" = "$log" ] || errors+=("tools/run.sh named the log $named")
  [ "$(cat "$run/status" 2>/dev/null)" = 0 ] || errors+=("the program's exit code: $(cat "$run/status" 2>/dev/null || echo none)")
  [ -s "$(dirname "$log")/system/settings.icom" ] || errors+=("no settings written")
  [ "$(tail -n 1 "$log" 2>/dev/null | sed 's/^.*| //')" = "WinMain(): the end" ] ||
    errors+=("the log does not end with \"WinMain(): the end\"")
  grep -q '| .*\(error\|warning\)' "$log" 2>/dev/null && errors+=("the log has error lines")
  if [ "${#errors[@]}" -gt 0 ]; then
    failed=1
    echo "README.md, $section: the windowed recipe failed:"
    printf '  %s\n' "${errors[@]}"
    echo "  its blocks:"; sed 's/^/    /' <<<"$blocks"
    echo "  what it printed:"; sed 's/^/    /' "$run/output"
    echo "  its log's errors:"; grep '| .*\(error\|warning\)' "$log" 2>/dev/null | sed 's/^/    /' || true
  else
    echo "README.md, $section: the windowed recipe ran ($(grep -o 'import -window' <<<"$blocks" | wc -l) screenshots)"
  fi
done
exit "$failed"
