#!/usr/bin/env bash
# velmora-sim in a real terminal under tmux: the bar, the menu (Refresh chosen with the arrows),
# q (keys typed ahead are interactive_loop_test.cc's), and the terminal given back as it was
# (after q, SIGTERM with the menu open, Ctrl-\, across Ctrl-Z and fg, and in an interactive
# shell across Ctrl-Z, bg and fg and from a start in the background). At 80x24 the bar, the
# client panel and the report panel show at once; the program stays when the story ends;
# terminal replies are no keys; play keys open a session window and refuse Accessibility.
# Hostile window titles reach neither the pane's title nor tmux's clipboard; the bar keeps the
# title at 80x24 and 40x12; a 30-column menu keeps its borders; TERM=dumb gets plain lines.
# Usage: interactive_tmux_test.sh PATH/TO/velmora-sim
set -euo pipefail

sim=$1
# The patterns below hold box-drawing and other non-ASCII characters: grep, sed and tmux must
# read UTF-8 whatever locale the caller has (a bare container has none). Every glibc has
# C.UTF-8; macOS has en_US.UTF-8.
if [ "$(uname -s)" = Darwin ]; then export LC_ALL=en_US.UTF-8; else export LC_ALL=C.UTF-8; fi
work=$(mktemp -d /tmp/velmora-tmux-XXXXXX)
# Each pane gets a tmux server of its own: a new server on the socket of one that is still
# shutting down would fail.
panes=0
socket="velmora-test-$$-$panes"
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

tmux_() { tmux -L "$socket" "$@"; }
screen() { tmux_ capture-pane -p -t test; }
styled_screen() { tmux_ capture-pane -p -e -t test; }
keys() { tmux_ send-keys -t test "$@"; }
pane() { tmux_ display -p -t test "$1"; }

# Waits up to 10 s for the screen to show a line matching the pattern.
wait_for() {
  for _ in $(seq 200); do
    screen | grep -q -- "$1" && return 0
    sleep 0.05
  done
  fail "the screen never showed: $1"
}

# The whole seconds shown at the right of the bar; nothing while the bar shows no clock (a
# resized screen not drawn again yet).
bar_seconds() { screen | head -n 1 | grep -o '[0-9][0-9]*s *$' | tr -d 's ' || true; }

# Waits until the bar shows a clock, then until it has moved on by a second: the screen was
# drawn again.
wait_redraws() {
  local from="" seconds
  for _ in $(seq 200); do
    seconds=$(bar_seconds)
    if [ -n "$seconds" ]; then
      [ -n "$from" ] || from=$seconds
      [ "$seconds" -gt "$from" ] && return 0
    fi
    sleep 0.05
  done
  fail "the bar's clock stopped"
}

cat >"$work/office.json" <<'JSON'
{"until": 600, "events": [
  {"at": 0, "client": {"pid": 4242, "ax": {"windows": [
    {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}
  ]}}}
]}
JSON
cat >"$work/short.json" <<'JSON'
{"until": 1, "events": [
  {"at": 0, "client": {"pid": 4242, "ax": {"windows": [
    {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false},
    {"title": "Connection Center", "subrole": "AXStandardWindow", "size": [820, 560], "minimized": false}
  ]}}}
]}
JSON
cat >"$work/hostile.json" <<'JSON'
{"until": 600, "events": [
  {"at": 0, "client": {"pid": 4242, "ax": {"windows": [
    {"title": "東京オフィス PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false},
    {"title": "Office\u001b]2;PWNED\u0007PC", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false},
    {"title": "Evil\u001b]52;c;cm0gLXJmIH4K\u0007", "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}
  ]}}}
]}
JSON
echo 'set -g set-clipboard on' >"$work/tmux.conf"

# The pane's program: the terminal's settings saved before and after velmora-sim, whose pid is
# kept. Arguments: the scenario, then VAR=value settings for its environment.
cat >"$work/run.sh" <<RUN
stty -g >'$work/before'
ulimit -c 0
scenario=\$1
shift
env "\$@" sh -c 'echo \$\$ >"\$0"; exec "\$@"' '$work/pid' '$sim' --scenario "\$scenario" \
  --home '$work/home'
echo \$? >'$work/status'
stty -g >'$work/after'
echo SHELL-BACK
sleep 60
RUN
# The same under job control, stopped by Ctrl-Z and continued with fg once a line is entered.
cat >"$work/job.sh" <<JOB
set -m
stty -g >'$work/before'
'$sim' --scenario '$work/office.json' --home '$work/home'
stopped=\$?
stty -g >'$work/stopped'
echo "STOPPED \$stopped"
read -r _
fg
echo \$? >'$work/status'
stty -g >'$work/after'
echo SHELL-BACK
sleep 60
JOB

# new_pane WIDTH HEIGHT COMMAND...: a fresh tmux server with one pane running COMMAND.
new_pane() {
  local width=$1 height=$2
  shift 2
  tmux_ kill-server 2>/dev/null || true
  panes=$((panes + 1))
  socket="velmora-test-$$-$panes"
  rm -f "$work/before" "$work/after" "$work/stopped" "$work/status" "$work/pid"
  tmux_ -f "$work/tmux.conf" new-session -d -s test -x "$width" -y "$height" "$*"
}

# start SCENARIO WIDTH HEIGHT [VAR=value...]: velmora-sim in a fresh pane.
start() {
  local scenario=$1 width=$2 height=$3
  shift 3
  new_pane "$width" "$height" bash "$work/run.sh" "$work/$scenario.json" "$@"
}

# The terminal is as it was: same settings, main screen, cursor shown.
check_restored() {
  wait_for 'SHELL-BACK'
  cmp -s "$work/before" "$work/after" || fail "terminal settings differ after $1"
  [ "$(pane '#{alternate_on}')" = 0 ] || fail "still on the alternate screen after $1"
  [ "$(pane '#{cursor_flag}')" = 1 ] || fail "cursor hidden after $1"
}

mkdir -p "$work/home"
start office 100 30
wait_for 'RDP 1● Office PC'

# Render: the bar, the help line.
screen | head -n 1 | grep -q 'Velmora desktop (simulated)' || fail "no menu bar"
screen | grep -q '^ Play: s start/stop' || fail "no help lines"

# Open the menu, move to Refresh (past the disabled header, the session, Bring…, Quit Windows
# App, Copy…) and choose it.
keys Enter
wait_for 'Active Sessions (1)'
keys Down Down Down Down
for _ in $(seq 100); do styled_screen | grep -q $'\x1b\\[7m.*Refresh' && break; sleep 0.05; done
styled_screen | grep -q $'\x1b\\[7m.*Refresh' || fail "Refresh is not highlighted"
keys Enter
wait_for 'chose "Refresh"'
# A lone Escape, with no key after it, closes the menu.
keys Enter
wait_for 'Active Sessions (1)'
keys Escape
for _ in $(seq 100); do screen | grep -q 'Active Sessions' || break; sleep 0.05; done
screen | grep -q 'Active Sessions' && fail "Escape did not close the menu"

keys q
check_restored "q"
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after q"
screen | grep -q "^state files: $work/home/.cache/velmora_session_tracker$" || fail "no summary"
[ ! -e "$work/home/.cache/velmora_session_tracker/session_start" ] ||
  fail "quitting left the start file"

# 80x24: the bar, the client panel with the pass's verdicts and the report panel at once. The
# story ends and the program stays; a play key opens a session window, which Refresh counts; the
# refuse-Accessibility key makes the report say so.
start short 80 24
wait_for 'RDP 1● Office PC'
wait_for '^  "Office PC" .* session$'
screen | grep -q '^  "Connection Center" .* excluded by name$' || fail "80x24: no verdicts"
screen | grep -q '^─\[1\]─ Windows App: running (pid 4242)' || fail "80x24: no client panel"
screen | grep -q '^─\[2\]─ Detection report' || fail "80x24: no report panel"
screen | grep -q '^  AX\[0\]: "Office PC" subrole=AXStandardWindow 1440x900$' ||
  fail "80x24: the report panel does not show the report"
wait_for 'the story is over: play with'
# Terminal replies are no keys: a DECRQSS reply holds q, a colour reply (in two reads) b.
keys -l $'\eP1$r2 q\e\\'
keys -l $'\e]11;rgb:00'
sleep 0.2
keys -l $'00/0000/0000\e\\'
keys o
wait_for 'opened the session window "Test Lab"'
screen | grep -q 'untitled background' && fail "a terminal reply was read as keys"
screen | head -n 1 | grep -q 'RDP 1● Office PC' || fail "the title changed before a refresh"
keys r
wait_for 'RDP 2● Office PC'
keys a r
wait_for '^  Could not get AX windows (result: -25211)$'
screen | grep -q '^  "Test Lab" .* not read$' || fail "80x24: a window not read has a verdict"
[ -e "$work/status" ] && fail "the program ended with the story"
keys Enter
wait_for 'Active Sessions (2)'
kill -TERM "$(cat "$work/pid")"
check_restored "SIGTERM with the menu open at 80x24"

# Ctrl-\ (SIGQUIT).
start office 100 30
wait_for 'RDP 1● Office PC'
keys 'C-\'
check_restored 'Ctrl-\'
[ "$(cat "$work/status")" = 131 ] || fail "exit status $(cat "$work/status") after Ctrl-\\"

# Ctrl-Z gives the terminal back; fg takes it again in raw mode (q alone, no Enter, quits).
new_pane 100 30 bash "$work/job.sh"
wait_for 'RDP 1● Office PC'
keys C-z
wait_for 'STOPPED 148'
cmp -s "$work/before" "$work/stopped" || fail "terminal settings differ after Ctrl-Z"
[ "$(pane '#{alternate_on}')" = 0 ] || fail "still on the alternate screen after Ctrl-Z"
[ "$(pane '#{cursor_flag}')" = 1 ] || fail "cursor hidden after Ctrl-Z"
keys Enter
wait_for 'RDP 1● Office PC'
[ "$(pane '#{alternate_on}')" = 1 ] || fail "fg did not go back to the alternate screen"
keys q
check_restored "Ctrl-Z, fg and q"
[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status") after fg and q"

# In an interactive shell: Ctrl-Z, then bg, which stops the job again (only the foreground job
# may change the terminal), then fg: raw mode (q alone quits) and the alternate screen again.
# Started with &, it stops at once, and fg brings it in.
new_pane 100 30 "HISTFILE=/dev/null PS1='> ' bash --norc --noprofile -i"
run_sim="'$sim' --scenario '$work/office.json' --home '$work/home'"
# Typed after a job was sent to the background: waits for the shell to list it as stopped by its
# terminal, then prints "STOPPED-" and the argument.
until_stopped() {
  echo "for i in \$(seq 100); do jobs -l >'$work/jobs'; grep -q 'tty output' '$work/jobs' &&" \
    "break; sleep 0.1; done; echo \"STOPPED\"\"-$1\""
}
keys "stty -g >'$work/before'; $run_sim" Enter
wait_for 'RDP 1● Office PC'
keys C-z
wait_for 'Stopped'
keys "clear; bg; $(until_stopped 1)" Enter
wait_for '^STOPPED-1$'
grep -q 'tty output' "$work/jobs" || fail "bg: the job did not stop for its terminal: $(cat "$work/jobs")"
[ "$(pane '#{alternate_on}')" = 0 ] || fail "bg: a job in the background took the terminal"
keys fg Enter
wait_for 'RDP 1● Office PC'
[ "$(pane '#{alternate_on}')" = 1 ] || fail "Ctrl-Z, bg and fg: not on the alternate screen"
keys q
wait_for '^velmora-sim ran'
keys "stty -g >'$work/after'; clear; $run_sim & $(until_stopped 2)" Enter
wait_for '^STOPPED-2$'
grep -q 'tty output' "$work/jobs" || fail "&: the job did not stop for its terminal: $(cat "$work/jobs")"
cmp -s "$work/before" "$work/after" || fail "terminal settings differ after Ctrl-Z, bg, fg and q"
keys fg Enter
wait_for 'RDP 1● Office PC'
[ "$(pane '#{alternate_on}')" = 1 ] || fail "& and fg: not on the alternate screen"
keys q
wait_for '^velmora-sim ran'
keys 'echo "STATUS""=$?"' Enter
wait_for '^STATUS=0$'

# Hostile titles: shown visibly, in the menu and in the log, never acted on by the terminal.
start hostile 80 24
wait_for 'RDP 3● 東京オフィス PC'
wait_redraws
screen | head -n 1 | grep -q 'RDP 3● 東京オフィス PC' || fail "80x24: the bar lost the title"
keys Enter Down Down Enter
wait_for 'raised the windows named "Evil'
keys Enter
wait_for 'Active Sessions (3)'
[ "$(pane '#{pane_title}')" = "$(pane '#{host}')" ] ||
  fail "a window title renamed the pane: $(pane '#{pane_title}')"
if tmux_ show-buffer >/dev/null 2>&1; then
  fail "a window title filled tmux's clipboard: $(tmux_ show-buffer)"
fi
screen | grep -q 'raised the windows named "Evil\\u{1B}\]52;c;cm0gLXJmIH4K\\u{7}"' ||
  fail "the log does not show the title's controls"
screen | grep -q 'Office\\u{1B}\]2;PWNED' || fail "the menu does not show the title's controls"

# Narrow: the bar keeps the title at 40x12; at 30 columns the menu keeps its borders.
keys Escape
tmux_ resize-window -t test -x 40 -y 12
wait_redraws
screen | head -n 1 | grep -q 'RDP 3● 東京オフィス PC' || fail "40x12: the bar lost the title"
tmux_ resize-window -t test -x 30 -y 24
keys Enter
wait_for '└'
box=$(screen | sed -n '/┌/,/└/p' | sed 's/ *$//')
[ "$(echo "$box" | wc -l)" -ge 8 ] || fail "30 columns: no whole menu"
if echo "$box" | sed '1d;$d' | grep -qv '^ *[│├].*[│┤]$'; then
  fail "30 columns: a menu row lost its borders"
fi
echo "$box" | head -n 1 | grep -q '^ *┌─*┐$' || fail "30 columns: the menu's top border broke"
echo "$box" | tail -n 1 | grep -q '^ *└─*┘$' || fail "30 columns: the menu's bottom border broke"
screen | head -n 1 | grep -q 'RDP 3●' || fail "30 columns: the bar lost the title"
kill -TERM "$(cat "$work/pid")"
check_restored "SIGTERM at 30 columns"

# A terminal type without escape sequences gets the plain lines.
start office 100 30 TERM=dumb
wait_for '^\[    0.0s\] RDP 1● Office PC  sessions: \["Office PC"\]$'
[ "$(pane '#{alternate_on}')" = 0 ] || fail "TERM=dumb: on the alternate screen"
kill -TERM "$(cat "$work/pid")"
wait_for 'SHELL-BACK'

echo "interactive session under tmux: ok"
