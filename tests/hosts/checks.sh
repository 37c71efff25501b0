# Sourced by the scripts that drive real hosts: one PASS or FAIL line per
# check, and the counts. Every name starts with $prefix.
passed=0 failed=0 prefix=""
pass() { echo "PASS: $prefix$1"; passed=$((passed + 1)); }
# fail NAME [LOG...]: the name, then the end of each log.
fail() {
  echo "FAIL: $prefix$1"
  failed=$((failed + 1))
  for log in "${@:2}"; do [ -f "$log" ] && sed 's/^/    | /' "$log" | tail -n 40; done
}
# check NAME LOG COMMAND...: runs COMMAND with its output in LOG.
check() {
  local name="$1" log="$2"
  shift 2
  if "$@" >"$log" 2>&1; then pass "$name"; else fail "$name" "$log"; fi
}
