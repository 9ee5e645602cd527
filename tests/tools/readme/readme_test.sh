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
# console reads them; file names and the build's targets are no console lines.
python3 - "$readme" >"$scratch/lines" 2>"$scratch/bare" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
lines = re.findall(r'`([^`\n]+)`', text)
lines += [m[1] for m in re.findall(r'''(?:xdotool type|echo)[^"'\n]*(["'])(.*?)\1''', text)]
lines += [w for m in re.findall(r'for c in ((?:"[^"]*" ?)+); do', text) for w in re.findall(r'"([^"]*)"', m)]
lines += re.findall(r'^\s*# "(set [^"]*)"', text, re.M)
name = re.compile(r'^[a-z][a-z0-9_]*(\.[a-z0-9_]+)*( |$)')
other = re.compile(r'^(\S+\.(png|sh|h|cpp|data|icom)|\S+_files|cmake|bash)( |$)')
seen = set()
for line in lines:
    if name.match(line) and not other.match(line) and line not in seen:
        seen.add(line)
        print(line)
        # A word a command reads as text stands in double quotes, numbers stand bare.
        words = re.findall(r'"[^"]*"|\S+', line)[2 if line.startswith(('set ', 'reset ')) else 1:]
        for word in words:
            if not word.startswith('"') and not re.fullmatch(r'[-+]?[0-9.]+', word):
                print(f"README.md: `{line}`: write {word} in double quotes", file=sys.stderr)
EOF

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
python3 - "$readme" "$log" "$wav" <<'EOF' || failed=1
import re, sys
readme, log, wav = open(sys.argv[1]).read(), open(sys.argv[2]).read(), sys.argv[3]
quoted = re.findall(r'^    ((?:T\w+::\w+\(\)|WinMain\(\)): .*)$', readme, re.M)
quoted += re.findall(r'"((?:T\w+::\w+\(\)|WinMain\(\)): [^"\n]*)"', readme)
missing = []
for line in quoted:
    line = line.replace('/tmp/morvane.wav', wav)
    if line not in log:
        missing.append(line)
print("\n".join(f"README.md: the log has no line \"{line}\"" for line in missing))
sys.exit(1 if missing or len(quoted) < 10 or open(wav, 'rb').read(4) != b'RIFF' else 0)
EOF
exit "$failed"
