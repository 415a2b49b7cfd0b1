# Sourced by the scripts that drive a program on a screen of their own.
#
# start_xvfb FILE: starts Xvfb on a free display of its own choosing, which it names in
# FILE once it takes clients; sets xvfb_pid and exports DISPLAY. The server keeps its key
# map when no client is left, so keys bound before a program connects stay bound.
start_xvfb() {
  Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$1" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$1" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$1")
}
