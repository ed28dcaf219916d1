#!/usr/bin/env bash
# velmora-sim in a real terminal under tmux: it renders the bar, opens the menu, chooses Refresh,
# quits with q, and gives the terminal back as it found it (also when killed with SIGTERM).
# Usage: interactive_tmux_test.sh PATH/TO/velmora-sim
set -euo pipefail

sim=$1
work=$(mktemp -d /tmp/velmora-tmux-XXXXXX)
socket="velmora-test-$$"
cleanup() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  echo "--- screen:" >&2
  screen >&2 || true
  exit 1
}

screen() { tmux -L "$socket" capture-pane -p -t test; }
styled_screen() { tmux -L "$socket" capture-pane -p -e -t test; }
keys() { tmux -L "$socket" send-keys -t test "$@"; }

# Waits up to 10 s for the screen to show a line matching the pattern.
wait_for() {
  for _ in $(seq 100); do
    screen | grep -q -- "$1" && return 0
    sleep 0.1
  done
  fail "the screen never showed: $1"
}

# The seconds shown at the right of the bar.
bar_seconds() { screen | head -n 1 | grep -o '[0-9]*\.[0-9]s' | tr -d s; }

cat >"$work/scenario.json" <<'JSON'
{"until": 600, "events": [
  {"at": 0, "client": {"pid": 4242, "ax": {"windows": [
    {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}
  ]}}}
]}
JSON

# Runs velmora-sim in a fresh tmux pane, with the terminal's settings saved before and after.
start() {
  tmux -L "$socket" kill-server 2>/dev/null || true
  rm -f "$work/before" "$work/after" "$work/status"
  tmux -L "$socket" -f /dev/null new-session -d -s test -x 100 -y 30 \
    "stty -g >'$work/before'; '$sim' --scenario '$work/scenario.json' --home '$work/home'; \
     echo \$? >'$work/status'; stty -g >'$work/after'; echo SHELL-BACK; sleep 60"
  wait_for 'RDP 1● Office PC'
}

# The terminal is as it was: same settings, main screen, cursor shown.
check_restored() {
  wait_for 'SHELL-BACK'
  cmp -s "$work/before" "$work/after" || fail "terminal settings differ after $1"
  [ "$(tmux -L "$socket" display -p -t test '#{alternate_on}')" = 0 ] ||
    fail "still on the alternate screen after $1"
  [ "$(tmux -L "$socket" display -p -t test '#{cursor_flag}')" = 1 ] ||
    fail "cursor hidden after $1"
}

mkdir -p "$work/home"
start

# Render: the bar, the help line.
screen | head -n 1 | grep -q 'Velmora desktop (simulated)' || fail "no menu bar"
screen | grep -q 'Enter/Space: menu' || fail "no help line"

# Open the menu: the first refresh's menu has no uptime row yet.
keys Enter
wait_for 'Active Sessions (1)'
screen | grep -q 'Uptime' && fail "the first refresh's menu shows an uptime"

# Move to Refresh (past the disabled header, the session, Bring…, Quit Windows App, Copy…).
keys Down Down Down Down
sleep 0.3
styled_screen | grep -q $'\x1b\\[7m.*Refresh' || fail "Refresh is not highlighted"
chosen_at=$(bar_seconds)
keys Enter
wait_for 'chose "Refresh"'

# The refresh ran at once: its menu has the uptime row before the timer's next firing at 5 s.
keys Enter
wait_for 'Uptime: '
if awk -v t="$chosen_at" 'BEGIN { exit !(t < 4.0) }'; then
  screen | grep -q 'Uptime: [0-4]s' || fail "the uptime row is not from the chosen refresh"
else
  echo "note: chose Refresh only at ${chosen_at}s; not telling it from the timer's refresh"
fi
keys Escape
sleep 0.3
screen | grep -q 'Active Sessions' && fail "Escape did not close the menu"

# Quit with q.
keys q
check_restored "q"
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after q"
[ ! -e "$work/home/.cache/velmora_session_tracker/session_start" ] ||
  fail "quitting left the start file"

# SIGTERM while the menu is open.
start
keys Enter
wait_for 'Active Sessions (1)'
pkill -TERM -f "^$sim --scenario $work/scenario.json" || fail "no velmora-sim to signal"
check_restored "SIGTERM"

echo "interactive session under tmux: ok"
