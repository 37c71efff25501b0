# Sourced by the test scripts: counts what ran, so that scripts/test.sh can end
# with the sum of every stage. Counts go to the file named by QUORLIN_TALLY
# (one line each: pass|fail COUNT LABEL); without it they are only printed.
# Any runner that runs no test at all counts as a failure.

tally_record() {
  local verdict=$1 count=$2 label=$3
  if [ -n "${QUORLIN_TALLY:-}" ]; then printf '%s %s %s\n' "$verdict" "$count" "$label" >>"$QUORLIN_TALLY"; fi
}

tally_lines() {
  if [ -n "${QUORLIN_TALLY:-}" ] && [ -f "$QUORLIN_TALLY" ]; then wc -l <"$QUORLIN_TALLY"; else echo 0; fi
}

tally_failures() {
  if [ -n "${QUORLIN_TALLY:-}" ] && [ -f "$QUORLIN_TALLY" ]; then
    awk '$1 == "fail" { n += $2 } END { print n + 0 }' "$QUORLIN_TALLY"
  else
    echo 0
  fi
}

# run_logged LOG COMMAND...: runs COMMAND with its output shown and kept in
# LOG; returns its status whatever the caller's shell options.
run_logged() {
  local log=$1
  shift
  { "$@" 2>&1; echo "$?" >"$log.status"; } | tee "$log" || true
  local status
  status=$(cat "$log.status")
  rm -f "$log.status"
  return "$status"
}

# tally_ctest LABEL BUILD_DIR [CTEST_OPTION...]: runs the folder's tests and
# counts them from ctest's summary. Returns ctest's status.
tally_ctest() {
  local label=$1 dir=$2
  shift 2
  local log="$dir/ctest.log" status=0
  run_logged "$log" ctest --test-dir "$dir" --output-on-failure --no-tests=error "$@" || status=$?
  local counts
  counts=$(sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log" | tail -n 1)
  if [ -z "$counts" ]; then
    if grep -q '^QUORLIN_TESTS:BOOL=OFF' "$dir/CMakeCache.txt" 2>/dev/null; then
      echo "test: FAIL: $label: $dir was configured without tests (QUORLIN_TESTS=OFF), so ctest ran none" >&2
    else
      echo "test: FAIL: $label: ctest ran no test in $dir" >&2
    fi
    tally_record fail 1 "$label"
    [ "$status" -ne 0 ] || status=1
    return "$status"
  fi
  local failed=${counts% *} total=${counts#* }
  tally_record pass $((total - failed)) "$label"
  [ "$failed" -eq 0 ] || tally_record fail "$failed" "$label"
  return "$status"
}

# tally_counts LABEL PASSED FAILED STATUS: records what a runner counted of
# its own tests. A runner that counted none, or ended badly with none failed,
# adds one failure. Returns STATUS, made non-zero when nothing ran.
tally_counts() {
  local label=$1 passed=$2 failed=$3 status=$4
  [ "$passed" -eq 0 ] || tally_record pass "$passed" "$label"
  [ "$failed" -eq 0 ] || tally_record fail "$failed" "$label"
  if [ "$passed" -eq 0 ] && [ "$failed" -eq 0 ]; then
    echo "test: FAIL: $label ran no test" >&2
    tally_record fail 1 "$label"
    [ "$status" -ne 0 ] || status=1
  elif [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
    tally_record fail 1 "$label"
  fi
  return "$status"
}

# tally_pytest LABEL PYTEST_ARGUMENT...: runs pytest with Debian's python3
# (whatever python3 comes first on PATH) and counts its tests from pytest's
# closing line ("3 failed, 40 passed, 1 error in 9.87s"); errors count as
# failures. Returns pytest's status.
tally_pytest() {
  local label=$1
  shift
  local log status=0
  log=$(mktemp)
  run_logged "$log" /usr/bin/python3 -m pytest -p no:cacheprovider "$@" || status=$?
  local summary passed failed
  summary=$(grep -E '^=* ?[0-9]+ [a-z]+.* in [0-9.]+s' "$log" | tail -n 1)
  rm -f "$log"
  passed=$(grep -oE '[0-9]+ passed' <<<"$summary" | cut -d' ' -f1)
  failed=$(grep -oE '[0-9]+ (failed|errors?)' <<<"$summary" | awk '{ n += $1 } END { print n + 0 }')
  tally_counts "$label" "${passed:-0}" "$failed" "$status"
}

# tally_run LABEL COMMAND...: runs a check. One that keeps its own tally, or
# ends with a line "N passed, N failed" (or "NAME: N passed, N failed"), counts as it says; any other counts
# as one check. Returns the command's status. (A shell function run so does
# not stop at a failing command: give it a script, or return its status.)
tally_run() {
  local label=$1
  shift
  local before log status=0
  before=$(tally_lines)
  log=$(mktemp)
  run_logged "$log" "$@" || status=$?
  local counts passed failed
  counts=$(sed -n 's/^\([a-z][a-z -]*: \)\{0,1\}\([0-9][0-9]*\) passed, \([0-9][0-9]*\) failed$/\2 \3/p' "$log" | tail -n 1)
  rm -f "$log"
  if [ "$(tally_lines)" != "$before" ]; then
    # It counted itself; a failure that stopped it before its count still counts.
    if [ "$status" -ne 0 ] && ! tail -n +"$((before + 1))" "$QUORLIN_TALLY" | grep -q '^fail '; then
      tally_record fail 1 "$label"
    fi
  elif [ -n "$counts" ]; then
    passed=${counts% *} failed=${counts#* }
    tally_counts "$label" "$passed" "$failed" "$status" || status=$?
  elif [ "$status" -eq 0 ]; then
    tally_record pass 1 "$label"
  else
    tally_record fail 1 "$label"
  fi
  return "$status"
}

# tally_summary: the one closing line; non-zero when anything failed or nothing ran.
tally_summary() {
  local passed failed
  passed=$(awk '$1 == "pass" { n += $2 } END { print n + 0 }' "$QUORLIN_TALLY")
  failed=$(awk '$1 == "fail" { n += $2 } END { print n + 0 }' "$QUORLIN_TALLY")
  if [ "$failed" -gt 0 ]; then
    echo "test: failed:" >&2
    awk '$1 == "fail" { $1 = ""; print "   " $0 }' "$QUORLIN_TALLY" >&2
  fi
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
