# Sourced by the scripts whose tests open windows: an X server of their own
# (Xvfb, 1024x768, 24 bits), so that nothing shows on the user's screen and
# no test shares the pointer with another program.
# start_private_x_server FOLDER: starts it (its log in FOLDER) and exports
# DISPLAY; stop_private_x_server stops it (call it from the caller's exit trap).

private_x_pid=""

start_private_x_server() {
  local folder=$1
  mkdir -p "$folder"
  # Xvfb picks a free display itself and writes its number once it accepts connections.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset 3>"$folder/x-display" >"$folder/xvfb.log" 2>&1 &
  private_x_pid=$!
  local _
  for _ in $(seq 100); do
    [ -s "$folder/x-display" ] && break
    if ! kill -0 "$private_x_pid" 2>/dev/null; then
      echo "private X server: Xvfb did not start: $(tail -n 1 "$folder/xvfb.log")" >&2
      return 1
    fi
    sleep 0.1
  done
  if [ ! -s "$folder/x-display" ]; then
    echo "private X server: Xvfb gave no display number within 10 s" >&2
    return 1
  fi
  DISPLAY=":$(head -n 1 "$folder/x-display")"
  export DISPLAY
}

stop_private_x_server() {
  if [ -n "$private_x_pid" ]; then
    kill "$private_x_pid" 2>/dev/null || true
    wait "$private_x_pid" 2>/dev/null || true
    private_x_pid=""
  fi
}
