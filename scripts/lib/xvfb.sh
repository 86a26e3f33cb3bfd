# Sourced by the scripts that start the real program: starts a private Xvfb server and exports
# DISPLAY. Usage: start_xvfb SCREEN LOGFILE  (SCREEN like 1600x1000x24). Sets xvfb_pid.
#
# -displayfd lets the server pick a free display itself and say which once it listens, so two
# scripts running at once cannot race for the same number. -noreset matters: without it the
# server resets whenever its last client (a closed program, each xdotool poll) leaves, and a
# program that connects during the reset fails with "could not connect to display".
start_xvfb() {
  local screen=$1 log=$2 numfile
  numfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$numfile" >"$log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 300); do
    [ -s "$numfile" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$numfile" ]; then
    rm -f "$numfile"
    echo "Xvfb did not start:" >&2; cat "$log" >&2
    return 1
  fi
  DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  export DISPLAY
  rm -f "$numfile"
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.05; done
  echo "Xvfb on $DISPLAY does not answer:" >&2; cat "$log" >&2
  return 1
}

# Fails loudly when the server has gone away, instead of letting the program abort.
xvfb_alive() {
  kill -0 "$xvfb_pid" 2>/dev/null && xdpyinfo >/dev/null 2>&1
}
