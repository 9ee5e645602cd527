#!/usr/bin/env bash
# Runs each libFuzzer target of the fuzz build for a short while on its seeds (the corpus under
# fuzz/ and, where the sanitizer build wrote them, the game's own data files), as many at once as
# there are processors. New inputs go to a scratch folder; a finding stops the run and its input
# is kept and named.
#   bash tools/fuzz.sh [seconds per target, default 10] [fuzz build, default build/fuzz]
#                      [sanitizer build, default build/asan]
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-10}
bin=$(realpath -m "${2:-build/fuzz}")/fuzz
data=$(realpath -m "${3:-build/asan}")/data
work=$(mktemp -d /tmp/vestamor-fuzz.XXXXXX)
# The saved-state target loads the game's level from there.
export VESTAMOR_FUZZ_DATA=$data

# target (under build/fuzz/fuzz/) and its seed folders or files
targets=(
  "core/cluster/core_cluster_fuzz|fuzz/core/cluster/corpus"
  "core/compression/core_compression_fuzz|"
  "engine/system/command_parse_fuzz|data/system"
  "engine/system/command_cache_fuzz|fuzz/engine/system/corpus"
  "engine/system/command_run_fuzz|data/system fuzz/engine/system/settings"
  "engine/state/state_image_fuzz|fuzz/engine/state/corpus"
  "engine/state/game_state_fuzz|fuzz/engine/state/game tests/tools/level/states/cargo-loading.save"
  "engine/repository/repository_fuzz|fuzz/engine/repository/corpus $data/main.data $data/common.data $data/mapped.data $data/streamed.data $data/canvas.data $data/ux.data $data/shaders.data $data/intro.data $data/morvane.data $data/morvane.cooked.data"
  "engine/repository/repository_file_fuzz|fuzz/engine/repository/corpus $data/common.data $data/mapped.data $data/streamed.data $data/intro.data"
  "engine/localization/language_file_fuzz|$data/english.language $data/deutsch.language"
  "ageia/snapshot_apply_fuzz|"
  "ageia/collisionmesh_fuzz|"
  "platform/d3dx9/effectcompiler_fuzz|fuzz/platform/d3dx9/corpus data/shaders"
  "platform/d3dx9/effect_fuzz|fuzz/platform/d3dx9/corpus data/shaders"
  "platform/xaudio2/platform_xaudio2_fuzz|fuzz/platform/xaudio2/corpus"
  "xaudio2/sounddata_fuzz|fuzz/xaudio2/corpus"
  "player/player_container_fuzz|fuzz/player/corpus"
  "igame/loading/tga_fuzz|fuzz/igame/loading/corpus $data/intro.distributer.data"
  "network/account_reply_fuzz|"
  "ux/textbox_fuzz|"
  "ifx/particle_fuzz|fuzz/ifx/corpus"
  "igame/effects/decal_fuzz|fuzz/igame/effects/corpus"
  "igame/effects/vegetation_fuzz|"
  "inputs/inputs_fuzz|fuzz/inputs/corpus"
)

# One input running longer than 20 s is a finding; libFuzzer times it with an alarm signal whose
# handler returns into the target. Where 32-bit programs run emulated (tools/setup.sh) such a
# return leaves the interrupted thread on another thread's thread-local storage, and targets
# that start threads stalled: there the outer limit alone catches a hang.
# The outer limit leaves a target two minutes past its time to start and run its seeds; emulated,
# where loading the game's level and running its states take minutes on a busy machine, eight.
input_limit=-timeout=20
start_up=120
if [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  input_limit=-timeout=0
  start_up=480
  echo "fuzz: 32-bit programs run emulated: a hanging input ends the run only at the outer limit"
fi

# Runs one target; its outcome goes to $work/<name>.result.
fuzz_target() {
  local target=${1%%|*} name seed path seeds=()
  name=$(basename "$target")
  for seed in ${1#*|}; do
    case $seed in /*) path=$seed ;; *) path=$root/$seed ;; esac
    [ -e "$path" ] && seeds+=("$path")
  done
  # The seeds go in as a list of files, not as folders: a 32-bit libFuzzer reads folders through
  # the 32-bit interfaces, which fail under emulation (tools/setup.sh).
  local files=() list=$work/$name.seeds longest options=()
  [ ${#seeds[@]} -gt 0 ] && mapfile -t files < <(find "${seeds[@]}" -type f)
  if [ ${#files[@]} -gt 0 ]; then
    (IFS=,; echo "${files[*]}") >"$list"
    options+=(-seed_inputs=@"$list")
    # libFuzzer cuts seeds at 1 MiB unless told the length: the game's repositories are larger.
    longest=$(stat -c %s "${files[@]}" | sort -n | tail -1)
    [ "$longest" -gt 1048576 ] && options+=(-max_len="$longest")
  fi
  mkdir -p "$work/$name.corpus" "$work/$name.run"
  local run=(-max_total_time="$seconds" "$input_limit" "${options[@]}" -print_final_stats=0 "$work/$name.corpus")
  if (cd "$work/$name.run" && timeout $((seconds + start_up)) "$bin/$target" "${run[@]}" >"$work/$name.log" 2>&1); then
    echo "fuzz: $name: $(grep -o "Done [0-9]* runs" "$work/$name.log" | tail -1)" >"$work/$name.result"
  else
    {
      echo "fuzz: $name FAILED; log and inputs kept in $work/$name.run"
      cp "$work/$name.log" "$work/$name.run/" 2>/dev/null
      tail -40 "$work/$name.log"
    } >"$work/$name.failed"
  fi
}

# Each target runs on a processor of its own, for its full time.
processors=$(nproc)
running=0
for entry in "${targets[@]}"; do
  if [ $running -ge "$processors" ]; then
    wait -n
    running=$((running - 1))
  fi
  fuzz_target "$entry" &
  running=$((running + 1))
done
wait

failed=0
for entry in "${targets[@]}"; do
  name=$(basename "${entry%%|*}")
  if [ -f "$work/$name.result" ]; then
    cat "$work/$name.result"
  else
    failed=1
    cat "$work/$name.failed" >&2
  fi
done
if [ $failed -eq 0 ]; then
  rm -rf "$work"
fi
exit $failed
