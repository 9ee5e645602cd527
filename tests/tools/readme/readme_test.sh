#!/usr/bin/env bash
# The console lines README.md gives a player, typed into the game's own console: one start of the
# program whose settings script holds them, then quits before the level loads. A name the console
# does not know ("undeclared") or a bare word it cannot read fails the test, naming the line. Then
# the headless run the recipes make: every log line README.md quotes must be in its log.
# Arguments: README.md, the program, the folder of data/, the build's data folder.
set -euo pipefail
readme=$1 program=$2 data=$3 built=$4
scratch=$(mktemp -d)
trap "rm -rf \"$scratch\"" EXIT
user="$scratch/home/My Games/Brevicorn"
mkdir -p "$user/system" "$scratch/runtime"
cp -r "$data" "$scratch/work"
mkdir -p "$scratch/work/data"
cp "$built"/*.language "$built"/*.data "$scratch/work/data/"

# The console lines: code spans and typed texts whose first word is a dotted name, the way the
# console reads them; file names, the build's targets and shell commands are no console lines.
{
  grep -oP '`\K[^`]+(?=`)' "$readme"
  grep -oP '(xdotool type|echo)[^"'"'"']*(["'"'"'])\K.*?(?=\2)' "$readme"
  grep -oP 'for c in \K("[^"]*" ?)+(?=; do)' "$readme" | grep -oP '"\K[^"]*(?=")'
  grep -oP '^\s*# "\K(set [^"]*)(?=")' "$readme"
} | awk '/^[a-z][a-z0-9_]*(\.[a-z0-9_]+)*( |$)/ && !/^[^ ]+\.(png|sh|h|cpp|data|icom)( |$)/ &&
       !/^([^ ]+_files|cmake|ctest|taskset|bash)( |$)/ && !seen[$0]++' >"$scratch/lines"
# A word a command reads as text stands in double quotes, numbers stand bare.
while IFS= read -r line; do
  skip=1
  [[ "$line" == "set "* || "$line" == "reset "* ]] && skip=2
  grep -oP '"[^"]*"|\S+' <<<"$line" | tail -n +$((skip + 1)) | grep -vP '^("|[-+]?[0-9.]+$)' |
    while IFS= read -r word; do echo "README.md: \`$line\`: write $word in double quotes"; done || true
done <"$scratch/lines" >"$scratch/bare"

# A bare name may be a variable or a command: it runs as both, and one of the two must be known.
script="$user/system/settings.icom"
: >"$script"
while IFS= read -r line; do
  if [[ "$line" != *" "* ]]; then
    echo "reset $line" >>"$script"
  fi
  echo "$line" >>"$script"
done <"$scratch/lines"
echo quit >>"$script"

(cd "$scratch/work" && HOME="$scratch/home" XDG_DOCUMENTS_DIR= TMPDIR="$scratch" \
  XDG_RUNTIME_DIR="$scratch/runtime" VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=5 \
  timeout 200 "$program" >/dev/null 2>"$scratch/stderr") || {
  echo "the program failed:"; cat "$scratch/stderr"; exit 1; }
log="$user/system.log"
grep -q "TCommandquit::Execute(): quit" "$log" || { echo "the settings script did not run to its end"; exit 1; }

# The script's error lines by line number; a bare name fails when both its lines do.
cat "$scratch/bare"
failed=0
[ ! -s "$scratch/bare" ] || failed=1
number=0
while IFS= read -r line; do
  number=$((number + 1))
  first=$number
  if [[ "$line" != *" "* ]]; then
    number=$((number + 1))
  fi
  errors=0
  for n in $(seq "$first" "$number"); do
    grep -q "settings.icom($n): .*\(undeclared \(command\|variable\)\|has no text\)" "$log" && errors=$((errors + 1))
  done
  if [ "$errors" -eq $((number - first + 1)) ]; then
    echo "README.md: the console does not take \`$line\`:"
    grep "settings.icom(\($first\|$number\)):" "$log" | sed 's/^.*error: //'
    failed=1
  fi
done <"$scratch/lines"
[ "$(wc -l <"$scratch/lines")" -gt 40 ] || { echo "too few console lines found in README.md"; failed=1; }

# The headless run of the recipes, recording its sound: the log lines README.md quotes.
rm -f "$script" "$log"
wav="$scratch/morvane.wav"
(cd "$scratch/work" && HOME="$scratch/home" XDG_DOCUMENTS_DIR= TMPDIR="$scratch" \
  XDG_RUNTIME_DIR="$scratch/runtime" VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=60 \
  VESTAMOR_AUDIO_WAV="$wav" timeout 200 "$program" >/dev/null 2>"$scratch/stderr") || {
  echo "the headless run failed:"; cat "$scratch/stderr"; exit 1; }
quoted=$({ grep -oP '^    \K(T\w+::\w+\(\)|WinMain\(\)): .*$' "$readme"
  grep -oP '"\K(T\w+::\w+\(\)|WinMain\(\)): [^"]*(?=")' "$readme"; } | sed "s|/tmp/morvane.wav|$wav|")
while IFS= read -r line; do
  grep -qF -- "$line" "$log" || { echo "README.md: the log has no line \"$line\""; failed=1; }
done <<<"$quoted"
[ "$(wc -l <<<"$quoted")" -ge 10 ] || { echo "too few log lines found in README.md"; failed=1; }
[ "$(head -c 4 "$wav")" = RIFF ] || { echo "no sound recorded into $wav"; failed=1; }
exit "$failed"
