# Sourced by the LV2 checks: a JACK server of their own on the dummy backend
# (no sound card, no real-time rights needed), under a name no one else uses.
# start_private_jack LOG: starts it and exports JACK_DEFAULT_SERVER, so every
# JACK client started afterwards uses it; stop_private_jack stops it.

private_jack_pid=""

start_private_jack() {
  JACK_DEFAULT_SERVER="quorlin-lv2-$$"
  export JACK_DEFAULT_SERVER
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$1" 2>&1 &
  private_jack_pid=$!
  if ! jack_wait -s "$JACK_DEFAULT_SERVER" -w -t 10 >/dev/null 2>&1; then
    echo "private JACK server: jackd did not start: $(tail -n 1 "$1")" >&2
    return 1
  fi
}

stop_private_jack() {
  [ -n "$private_jack_pid" ] || return 0
  kill "$private_jack_pid" 2>/dev/null
  wait "$private_jack_pid" 2>/dev/null
  private_jack_pid=""
}
