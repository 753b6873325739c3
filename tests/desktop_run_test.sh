#!/usr/bin/env bash
# tools/run on a desktop: a virtual display with a window manager (openbox), the program started as tools/run
# starts it there, once the window manager is up. The window manager must manage the window, its Alt+F4
# must end the program, tools/run must report a normal end, and nothing of Wine may be left running in the
# desktop's prefix afterwards (other suites' prefixes may be busy beside this one).
set -uo pipefail
cd "$(dirname "$0")/.."
source tools/xvfb-env
qtimer_start_xvfb || exit 1
log=$(mktemp)
wm="" run=""
left() { # processes of Wine in tools/run's prefix that are still running
  grep -lsz "^WINEPREFIX=$PWD/build/wine-desktop\$" /proc/[0-9]*/environ 2>/dev/null | grep -v "^/proc/$$/" |
    cut -d/ -f3
}
cleanup() {
  [ -z "$run" ] || kill "$run" 2>/dev/null
  # shellcheck disable=SC2046
  kill -9 $(left) 2>/dev/null
  [ -z "$wm" ] || kill "$wm" 2>/dev/null
  qtimer_stop_xvfb
  rm -f "$log"
}
trap cleanup EXIT
checks=0 failures=0
check() { # check WHAT CONDITION...
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
waitFor() { # waitFor TENTHS CONDITION...
  local n=$1
  shift
  for _ in $(seq "$n"); do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# Up once it names its check window on the root. xprop's exit status says nothing: 0 with or without the
# property. A window manager's first start on a machine can take seconds.
wmUp() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id #'; }
started=$SECONDS
waitFor 600 wmUp || { echo "FAILED: no window manager came up on $DISPLAY within 60 s"; exit 1; }
echo "the window manager was up after $((SECONDS - started)) s"

tools/run >"$log" 2>&1 </dev/null &
run=$!
window() { xdotool search --onlyvisible --class quintabela_timer.exe 2>/dev/null | head -n 1; }
appeared() { w=$(window) && [ -n "$w" ]; }
w=""
waitFor 600 appeared
check "the window appeared" test -n "$w"
managed() { # one of the window manager's clients, not a window that bypasses it
  # Found again each time: Wine may replace a window's X window, first shown unmanaged, by a managed one.
  w=$(window)
  [ -n "$w" ] && xprop -root _NET_CLIENT_LIST | grep -qiw "$(printf '0x%x' "$w")" &&
    xwininfo -id "$w" | grep -q 'Override Redirect State: no'
}
# The window can show a moment before the window manager lists it among its clients.
waitFor 50 managed
check "the window manager manages the window" managed
if ! managed; then # what the display holds, to tell a window left unmanaged from another one found
  for v in $(xdotool search --onlyvisible --class quintabela_timer.exe 2>/dev/null); do
    echo "  window $(printf '0x%x' "$v"):$(xwininfo -id "$v" | grep -E 'Override|geometry' | tr -s ' \n' ' ')"
  done
  xprop -root _NET_CLIENT_LIST _NET_ACTIVE_WINDOW | sed 's/^/  /'
fi

timeout 5 xdotool windowactivate --sync "$w" >/dev/null 2>&1
# Through the window manager: the window is its client and the one it made active when the key goes.
# Without one Wine would take Alt+F4 itself, and the end would show nothing of a window manager.
active() { managed && xprop -root _NET_ACTIVE_WINDOW | grep -qiw "$(printf '0x%x' "$w")"; }
waitFor 50 active
activeAtKey=no
active && activeAtKey=yes
xdotool key --clearmodifiers alt+F4
ended() { ! kill -0 "$run" 2>/dev/null; }
waitFor 150 ended
check "Alt+F4 through the window manager ended it (the manager's active client at the key: $activeAtKey)" \
  eval '[ "$activeAtKey" = yes ] && ended'
rc="still running"
if ended; then
  rc=0
  wait "$run" || rc=$?
  run=""
fi
check "tools/run exited 0" test "$rc" = 0
check "tools/run said the program ended" test "$(tail -n 1 "$log")" = "Quintabela Timer ended."
check "nothing of Wine is left running" test -z "$(left)"
echo "tools/run printed:"
sed 's/^/  /' "$log" | grep -v '^  \[' # the build's progress lines say nothing here
echo "desktop run: $((checks - failures)) of $checks checks passed"
[ "$failures" -eq 0 ]
