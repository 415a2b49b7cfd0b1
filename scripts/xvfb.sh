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

# start_openbox: starts the window manager openbox on DISPLAY and returns once it frames
# windows; sets wm_pid. Openbox names itself on the screen before it takes windows: one
# mapped in between may never be shown. A probe window, shown anew until it is framed,
# tells when openbox is ready. Fit for scripts that stop on the first error.
start_openbox() {
  local probe id
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 20); do
    xmessage -title norvik-wm-probe probe >/dev/null 2>&1 &
    probe=$!
    for _ in $(seq 10); do
      id=$(xdotool search --name '^norvik-wm-probe$' 2>/dev/null | head -n 1) || true
      [ -n "$id" ] && xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -q = && break 2
      sleep 0.1
    done
    kill "$probe" 2>/dev/null || true
    wait "$probe" 2>/dev/null || true
  done
  kill "$probe" 2>/dev/null || true
  wait "$probe" 2>/dev/null || true
}
