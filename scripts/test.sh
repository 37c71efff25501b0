#!/usr/bin/env bash
# Builds the three targets and runs every test: the README's test command.
# Every stage runs, even after one fails; each adds what it ran to the tally,
# and the last line is their sum, "N passed, N failed". The exit status is
# non-zero when anything failed or nothing ran.
# Usage: scripts/test.sh [stage...]   (default: all stages in order)
# Stages: deps selftest linux python live lv2 win32 win64 crosscheck package
#         sanitize tsan
#         valgrind fuzz hosts bench   ("windows" stands for win32 win64)
# A stage is a function stage_NAME; its checks go through `check` (one script
# or command each) or `check_tests` (a build folder's ctest), and anything else
# that fails in it stops the stage and counts as one failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
# shellcheck source=scripts/builds.sh
source scripts/builds.sh
# shellcheck source=scripts/tally.sh
source scripts/tally.sh
# shellcheck source=scripts/wine-prefix.sh
source scripts/wine-prefix.sh
# shellcheck source=scripts/private-x-server.sh
source scripts/private-x-server.sh

# A failed check is counted, and the stage goes on with its next one.
check() { tally_run "$@" || true; }
check_tests() { tally_ctest "$@" || true; }
check_pytest() { tally_pytest "$@" || true; }

stage_deps() {
  check "the Debian packages every stage needs are installed" \
    bash scripts/install-deps.sh build windows editor hosts fuzz bench package lv2 live python
}

# The test script's own guard: a build folder configured without tests fails
# the run with a clear line instead of passing with nothing run. The failure it
# provokes goes to a tally of its own.
empty_build_fails() {
  local scratch=$1 output
  cmake -S . -B "$scratch/build" -DQUORLIN_TESTS=OFF >/dev/null || return
  output=$(
    QUORLIN_TALLY="$scratch/tally"
    tally_ctest "Linux tests" "$scratch/build" 2>&1 >/dev/null
    echo "status $?"
    tally_summary 2>/dev/null
  )
  local expected="test: FAIL: Linux tests: $scratch/build was configured without tests (QUORLIN_TESTS=OFF), so ctest ran none
status 8
0 passed, 1 failed"
  [ "$output" = "$expected" ] && return
  echo "a build folder without tests gave, instead of the FAIL line, status 8 and the failed count:"
  sed 's/^/  | /' <<<"$output"
  return 1
}

stage_selftest() {
  local scratch
  scratch=$(mktemp -d)
  check "a build folder without tests fails the run with a clear line" empty_build_fails "$scratch"
  rm -rf "$scratch"
  check "every relative link in the Markdown pages resolves" bash scripts/check-links.sh
}

stage_linux() {
  # What the tests take as found when present: X, LV2 instruments, amsynth.
  bash scripts/install-deps.sh build editor lv2 bench python
  build_targets linux all
  trap stop_private_x_server EXIT
  start_private_x_server build/x-server
  check_tests "Linux tests" build -j"$jobs"
}

# The Python package under Debian's pytest: renders equal to quorlin-host's
# (Quorlin and synthv1, a Debian LV2 synthesizer, which starts Qt even for its
# sound), independent of order and thread, the error table, pickling and a
# Dask LocalCluster, and pip installing it into a fresh virtual environment.
stage_python() {
  bash scripts/install-deps.sh python lv2
  build_targets linux quorlin quorlin-host quorlin_lv2 quorlin_factory_bank_file quorlin_python tool_refusing_plugin
  export PYTHONPATH="$root/build/python" QT_QPA_PLATFORM=offscreen
  check_pytest "Python package" tests/python
}

# quorlin-host play through servers of its own: jackd's dummy backend and a
# headless PipeWire.
stage_live() {
  bash scripts/install-deps.sh live
  build_targets linux quorlin quorlin-host quorlin_lv2 tool_lv2_probe tool_clap_test_plugin live_test_clients \
    audio_thread_audit
  check "live play over jackd and PipeWire" bash scripts/test-live.sh build
}

# The LV2 bundle as LV2's own tools and a plain JACK host see it, and its
# editor as a UI in jalv; the script starts and stops its own servers.
stage_lv2() {
  bash scripts/install-deps.sh lv2
  build_targets linux quorlin quorlin-host quorlin_lv2 quorlin_factory_bank_file
  check "LV2 bundle in LV2's tools and jalv, its editor in jalv" bash tests/lv2/run.sh all build
}

# A Windows target's tests under Wine, then its editor's picture (the VST 2
# module's and the CLAP module's) and mouse editing under Wine.
windows_stage() {
  check "Windows $1 tests under Wine" bash scripts/test-windows.sh "$1"
  check "Windows $1 editor picture under Wine" bash scripts/test-editor-wine.sh "$1"
  check "Windows $1 CLAP editor picture under Wine" bash scripts/test-editor-wine.sh "$1" quorlin.clap
  check "Windows $1 editor mouse editing under Wine" bash scripts/test-editor-wine-mouse.sh "$1"
}
stage_win32() { windows_stage i686; }
stage_win64() { windows_stage x86_64; }

# render_demo TARGET OUT.wav: the demo song rendered by the target's quorlin-host.
render_demo() {
  local dir params
  dir=$(build_dir "$1")
  params=$(grep -E '^--param' examples/README | tr '\n' ' ')
  if [ "$1" = linux ]; then
    # shellcheck disable=SC2086
    "$dir/quorlin-host" render --quiet $params examples/demo.mid "$2"
  else
    # shellcheck disable=SC2086
    (use_build_wine "$dir" && wine "$dir/quorlin-host.exe" render --quiet $params examples/demo.mid "$2")
  fi
}

# expect_bitness_message HOST_TARGET MODULE_TARGET: quorlin-host.exe of one
# bitness, asked to load the other's quorlin.dll, says so in plain words.
expect_bitness_message() {
  local host module own other message expected
  host=$(build_dir "$1") module="Z:$(build_dir "$2")/quorlin.dll"
  case "$1" in i686) own=32 other=64 ;; *) own=64 other=32 ;; esac
  expected="quorlin-host: $module is a $other-bit module; this quorlin-host.exe is $own-bit"
  # Wine hands a Windows program's text lines over with their carriage returns.
  message=$(use_build_wine "$host" && wine "$host/quorlin-host.exe" info --plugin "$module" 2>&1 >/dev/null | tr -d '\r')
  echo "$message"
  [ "$message" = "$expected" ] || { echo "expected: $expected"; return 1; }
}

# expect_lv2_refusal TARGET: a Windows quorlin-host.exe, given an LV2 bundle,
# says in one line that it hosts VST 2 plug-ins there, and writes nothing.
expect_lv2_refusal() {
  local host message expected
  host=$(build_dir "$1")
  expected="quorlin-host: synth.lv2: an LV2 plug-in; quorlin-host hosts LV2 plug-ins on Linux only, and VST 2 plug-ins here"
  message=$(use_build_wine "$host" &&
    wine "$host/quorlin-host.exe" render --plugin synth.lv2 examples/demo.mid "$host/lv2.wav" 2>&1 >/dev/null | tr -d '\r')
  echo "$message"
  [ "$message" = "$expected" ] && [ ! -e "$host/lv2.wav" ] || { echo "expected: $expected, and no lv2.wav"; return 1; }
}

# clap_arguments OPTIONS [PRESET]: the CLAP render's words, in the array clap.
clap_arguments() {
  read -ra clap <<<"$1"
  [ -z "${2:-}" ] || clap+=(--preset "$2")
}

# same_render NAME SONG VST2_OPTIONS LV2_OPTIONS CLAP_OPTIONS [CLAP_PRESET]:
# SONG rendered by quorlin-host through quorlin.so, quorlin.lv2 and
# quorlin.clap, each with its options (and the CLAP factory preset of that
# name): the same file, byte for byte.
same_render() {
  local out="build/crosscheck/$1" clap
  clap_arguments "$5" "${6:-}"
  # shellcheck disable=SC2086
  build/quorlin-host render --quiet $3 "$2" "$out-vst2.wav" &&
    build/quorlin-host render --quiet --plugin build/quorlin.lv2 $4 "$2" "$out-lv2.wav" &&
    build/quorlin-host render --quiet --plugin build/quorlin.clap "${clap[@]}" "$2" "$out-clap.wav" &&
    cmp "$out-vst2.wav" "$out-lv2.wav" && cmp "$out-vst2.wav" "$out-clap.wav"
}

# same_under_wine TARGET NAME SONG VST2_OPTIONS LV2_OPTIONS CLAP_OPTIONS
# [CLAP_PRESET]: the Windows target's quorlin-host.exe renders SONG through its
# quorlin.dll and its quorlin.clap into the Linux build's file, byte for byte.
same_under_wine() {
  local dir out clap
  dir=$(build_dir "$1")
  out="$dir/crosscheck-$2"
  clap_arguments "$6" "${7:-}"
  # shellcheck disable=SC2086
  (use_build_wine "$dir" &&
    wine "$dir/quorlin-host.exe" render --quiet $4 "$3" "$out-vst2.wav" &&
    wine "$dir/quorlin-host.exe" render --quiet --plugin "$dir/quorlin.clap" "${clap[@]}" "$3" "$out-clap.wav") &&
    cmp "build/crosscheck/$2-vst2.wav" "$out-vst2.wav" && cmp "build/crosscheck/$2-vst2.wav" "$out-clap.wav"
}

# Each factory sound's program number in quorlin-factory.fxb, the URI of the
# LV2 preset of its name, and its name, under which quorlin.clap lists it.
factory_sounds() {
  join -t $'\t' <(join -t $'\t' <(build/quorlin-host info --preset build/quorlin-factory.fxb |
                                   sed -n 's/^ *\([0-9]*\)  "\(.*\)"  values .*/\2\t\1/p' | sort) \
                                 <(build/quorlin-host info --plugin build/quorlin.lv2 |
                                   sed -n 's/^  \(urn:[^ ]*\)  \(.*\)$/\2\t\1/p' | sort)) \
                 <(build/quorlin-host info --plugin build/quorlin.clap |
                   sed -n 's/^  \(.*\)  (in the module, key .*)$/\1/p' | sort) |
    awk -F'\t' -v OFS='\t' '{ print $2, $3, $1 }'
}

# The crosscheck's renders, a line each, its fields separated by '|' (an
# empty field keeps its place): the name, the song, the options for
# quorlin.so, quorlin.lv2 and quorlin.clap, and a CLAP factory preset's name
# or nothing. The demo and the test songs get the demo's values (VST 2
# parameter I is CLAP parameter I and the LV2 control port of index I + 3);
# each factory sound is quorlin-factory.fxb's program, the LV2 preset and the
# CLAP preset of its name.
crosscheck_renders() {
  local demo lv2demo song program uri name
  demo=$(grep -E '^--param' examples/README | tr '\n' ' ')
  lv2demo=$(awk -F'[ =]' '/^--param/ { printf "--param %d=%s ", $2 + 3, $3 }' examples/README)
  for song in examples/demo.mid bench/dense.mid \
              fuzz/corpus/midi_file_fuzzer/{format0_notes,smpte_division,sysex_and_meta}.mid; do
    printf '%s|%s|%s|%s|%s|\n' "$(basename "$song" .mid)" "$song" "$demo" "$lv2demo" "$demo"
  done
  printf 'demo-96k|examples/demo.mid|%s|%s|%s|\n' "--rate 96000 --block 100 $demo" \
    "--rate 96000 --block 100 $lv2demo" "--rate 96000 --block 100 $demo"
  while IFS=$'\t' read -r program uri name; do
    printf 'factory-%s|examples/demo.mid|%s|%s||%s\n' "$program" \
      "--preset build/quorlin-factory.fxb --program $program" "--preset $uri" "$name"
  done < <(factory_sounds)
}

# The LV2 bundle and the CLAP module render what the VST 2 module does, on
# Linux, and under Wine the Windows builds' CLAP and VST 2 modules render the
# Linux files: the demo and the test songs with the demo's values (the dense
# benchmark song among them, and the demo at 96 kHz in blocks of 100), and
# each factory sound.
formats_crosscheck() {
  local target name song vst2 lv2 clap preset
  build_targets linux quorlin quorlin-host quorlin_lv2 quorlin_clap quorlin_factory_bank_file >/dev/null
  for target in i686 x86_64; do build_targets "$target" quorlin quorlin-host quorlin_clap >/dev/null; done
  mkdir -p build/crosscheck
  check "every factory program has an LV2 and a CLAP preset of its name" test "$(factory_sounds | wc -l)" -eq 4
  # The renders come on descriptor 3: Wine may read standard input.
  while IFS='|' read -r name song vst2 lv2 clap preset <&3; do
    check "$name through quorlin.so, quorlin.lv2 and quorlin.clap: identical files" \
      same_render "$name" "$song" "$vst2" "$lv2" "$clap" "$preset"
    for target in i686 x86_64; do
      check "$name through the Windows $target build's quorlin.dll and quorlin.clap under Wine: Linux's file" \
        same_under_wine "$target" "$name" "$song" "$vst2" "$lv2" "$clap" "$preset"
    done
  done 3< <(crosscheck_renders)
}

# render_clap TARGET OUT.wav: the demo song rendered by the target's
# quorlin-host through the tool tests' CLAP module built for that target.
render_clap() {
  local dir plugin
  dir=$(build_dir "$1")
  plugin="$dir/tool_clap_test_plugin.clap#org.quorlin.test.clap-notes"
  if [ "$1" = linux ]; then
    "$dir/quorlin-host" render --quiet --plugin "$plugin" --param Gain=0.5 examples/demo.mid "$2"
  else
    (use_build_wine "$dir" && wine "$dir/quorlin-host.exe" render --quiet --plugin "$plugin" --param Gain=0.5 \
      examples/demo.mid "$2")
  fi
}

# same_clap_render TARGET: the Windows target's CLAP render is the Linux one.
same_clap_render() {
  local wav
  wav="$(build_dir "$1")/clap-$1.wav"
  render_clap "$1" "$wav" && cmp build/crosscheck/clap-linux.wav "$wav"
}

# A CLAP instrument renders the same file under Linux and, through each
# Windows quorlin-host.exe, under Wine.
clap_crosscheck() {
  local target
  for target in linux i686 x86_64; do
    build_targets "$target" quorlin-host tool_clap_test_plugin >/dev/null
  done
  mkdir -p build/crosscheck
  render_clap linux build/crosscheck/clap-linux.wav
  for target in i686 x86_64; do
    check "a CLAP instrument from the Linux and the Windows $target builds: identical files" same_clap_render "$target"
  done
}

# The demo rendered by all three builds must be the same file, byte for byte;
# each Windows quorlin-host.exe names the other bitness's module as such; the
# LV2 bundle and the CLAP module of each build render the VST 2 module's
# files; a CLAP instrument renders the same on Linux and Windows.
stage_crosscheck() {
  local target
  for target in linux i686 x86_64; do
    build_targets "$target" quorlin quorlin-host >/dev/null
    render_demo "$target" "$(build_dir "$target")/demo-$target.wav"
  done
  for target in i686 x86_64; do
    check "demo from the Linux and the Windows $target builds: identical files" \
      cmp build/demo-linux.wav "$(build_dir "$target")/demo-$target.wav"
  done
  check "64-bit quorlin-host.exe names a 32-bit module as such" expect_bitness_message x86_64 i686
  check "32-bit quorlin-host.exe names a 64-bit module as such" expect_bitness_message i686 x86_64
  check "quorlin-host.exe says it hosts VST 2 plug-ins when given an LV2 bundle" expect_lv2_refusal x86_64
  formats_crosscheck
  clap_crosscheck
}

stage_package() {
  check "packages: all five built" bash scripts/package.sh
  check "packages: installed paths, version, demo and Ardour's scan" bash scripts/test-packages.sh
}

stage_sanitize() {
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_TESTS=ON -DQUORLIN_SANITIZE=ON \
    -DQUORLIN_FUZZ=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  trap stop_private_x_server EXIT
  start_private_x_server build-asan/x-server
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 check_tests "Linux tests, sanitized" build-asan -j"$jobs"
}

# The tests where threads meet (the stress and editor tests, among them a
# host that renders, changes programs and opens the editor at once) built
# with ThreadSanitizer; the first report fails the stage. Only what those
# tests run is built.
stage_tsan() {
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_TESTS=ON -DQUORLIN_TSAN=ON \
    -DQUORLIN_SANITIZE=OFF -DQUORLIN_FUZZ=OFF >/dev/null
  cmake --build build-tsan -j"$jobs" --target quorlin quorlin-host quorlin_panel_generator \
    stress_tests editor_stress_tests editor_plain_host_tests live_changes_tests busy_host_tests fuzz_input_tests \
    editor_model_tests editor_window_tests editor_module_tests editor_screenshot_tests quorlin_one_shots_tests \
    clap_thread_tests clap_editor_tests
  trap stop_private_x_server EXIT
  start_private_x_server build-tsan/x-server
  TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$root/tests/tsan_suppressions.txt" \
    check_tests "stress, editor and one-shot tests under ThreadSanitizer" build-tsan -j"$jobs" -L 'stress|editor|threads'
}

stage_valgrind() {
  check "demo render under valgrind memcheck" bash scripts/valgrind-demo.sh
}

# A minute of fuzzing for each fuzzer, after every committed input is replayed.
stage_fuzz() {
  check "fuzzers: committed inputs and 60 s each" bash scripts/fuzz.sh 60
}

# The benchmarks must keep running; their figures are printed, never asserted.
stage_bench() {
  check "engine benchmarks run" build/quorlin_engine_bench --benchmark_min_time=0.01 \
    --benchmark_filter='<SynthEngine>'
  check "bench/compare runs" bench/compare --build build --runs 5
}

stage_hosts() {
  check "hosts" env BUILD_DIR="$root/build" BUILD_DIR_WIN="$(build_dir i686)" bash tests/hosts/run.sh all
}

requested=("$@")
[ ${#requested[@]} -gt 0 ] ||
  requested=(deps selftest linux python live lv2 windows crosscheck package sanitize tsan valgrind fuzz hosts bench)
stages=()
for stage in "${requested[@]}"; do
  if [ "$stage" = windows ]; then stages+=(win32 win64); else stages+=("$stage"); fi
done
for stage in "${stages[@]}"; do
  if ! declare -F "stage_$stage" >/dev/null; then
    echo "test: unknown stage '$stage'" >&2
    exit 2
  fi
done

QUORLIN_TALLY=$(mktemp)
export QUORLIN_TALLY
trap 'rm -f "$QUORLIN_TALLY"' EXIT
for stage in "${stages[@]}"; do
  echo "== $stage" >&2
  failures_before=$(tally_failures)
  lines_before=$(tally_lines)
  set +e
  (set -e; "stage_$stage")
  status=$?
  set -e
  if [ "$status" -ne 0 ] && [ "$(tally_failures)" = "$failures_before" ]; then
    echo "test: FAIL: stage $stage stopped with status $status" >&2
    tally_record fail 1 "stage $stage stopped with status $status"
  elif [ "$(tally_lines)" = "$lines_before" ]; then
    echo "test: FAIL: stage $stage ran no test" >&2
    tally_record fail 1 "stage $stage ran no test"
  fi
done
tally_summary
