#!/usr/bin/env bash
# velmora-sim in a real terminal under tmux: the bar, the help, the menu (arrows, Escape), q (keys
# typed ahead are interactive_loop_test.cc's), and the terminal given back as it was (after q,
# SIGTERM, Ctrl-Z and fg, Ctrl-\, and in an interactive shell across Ctrl-Z, bg, fg and a start
# with &). At 80x24 the panels show; the program stays when the story ends; terminal replies are
# no keys; play keys work. Hostile titles reach neither the pane's title nor tmux's clipboard;
# the bar keeps the title when narrow; a 30-column menu keeps its borders; TERM=dumb gets lines.
# Usage: interactive_tmux_test.sh PATH/TO/velmora-sim
set -euo pipefail

sim=$1
# The scenarios: from 0 s the client shows "Office PC" (tmux_office), that and a Connection
# Center in a story that ends at 1 s (tmux_short), or three hostile titles (tmux_hostile).
data=$(cd "$(dirname "$0")/data" && pwd)
# The patterns hold non-ASCII characters: grep, sed and tmux read UTF-8 whatever the caller's
# locale (a bare container has none; every glibc has C.UTF-8, macOS en_US.UTF-8).
if [ "$(uname -s)" = Darwin ]; then export LC_ALL=en_US.UTF-8; else export LC_ALL=C.UTF-8; fi
work=$(mktemp -d /tmp/velmora-tmux-XXXXXX)
# A tmux server a pane: one on the socket of a server still shutting down would fail.
panes=0
socket="velmora-test-$$-$panes"
trap 'tmux -L "$socket" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT

fail() {
  printf 'FAIL: %s\n--- screen:\n' "$*" >&2
  screen >&2 || true
  exit 1
}

tmux_() { tmux -L "$socket" "$@"; }
screen() { tmux_ capture-pane -p -t test "$@"; }
keys() { tmux_ send-keys -t test "$@"; }
pane() { tmux_ display -p -t test "#{$1}"; }
shows() { screen | grep -q -- "$1"; }
hides() { ! shows "$1"; }
bar_shows() { screen | head -n 1 | grep -q -- "$1"; }

# Runs the command until it succeeds, for up to 10 s; false when it never does.
retry() {
  for _ in $(seq 200); do "$@" && return 0; sleep 0.05; done
  return 1
}
wait_for() { retry shows "$1" || fail "the screen never showed: $1"; }
# press PATTERN KEY...: types the keys and waits for the screen to show the pattern.
press() { keys "${@:2}" && wait_for "$1"; }

# True when the bar shows a clock (whole seconds at its right; none on a resized screen not
# drawn again yet) past $1 seconds; the seconds shown are kept in $seconds.
clock_past() {
  seconds=$(screen | head -n 1 | grep -o '[0-9][0-9]*s *$' | tr -d 's ' || true)
  [ -n "$seconds" ] && [ "$seconds" -gt "$1" ]
}
# Waits until the bar shows a clock, then until it has moved on: the screen was drawn again.
wait_redraws() {
  retry clock_past -1 || fail "the bar shows no clock"
  retry clock_past "$seconds" || fail "the bar's clock stopped"
}

echo 'set -g set-clipboard on' >"$work/tmux.conf"

# The pane's program: the terminal's settings saved before and after velmora-sim, whose pid is
# kept. Under job control: stopped by Ctrl-Z, it is continued with fg once a line is entered.
# Arguments: the scenario, then VAR=value settings for its environment.
cat >"$work/run.sh" <<RUN
set -m
stty -g >'$work/before'
ulimit -c 0
env "\${@:2}" sh -c 'echo \$\$ >"\$0"; exec "\$@"' '$work/pid' '$sim' --scenario "\$1" \
  --home '$work/home'
status=\$?
if [ \$status = 148 ]; then stty -g >'$work/stopped'; echo STOPPED; read -r _; fg; status=\$?; fi
echo \$status >'$work/status'
stty -g >'$work/after'
echo SHELL-BACK
sleep 60
RUN

# new_pane WIDTH HEIGHT COMMAND...: a fresh tmux server with one pane running COMMAND.
new_pane() {
  tmux_ kill-server 2>/dev/null || true
  panes=$((panes + 1))
  socket="velmora-test-$$-$panes"
  rm -f "$work/before" "$work/after" "$work/stopped" "$work/status" "$work/pid"
  tmux_ -f "$work/tmux.conf" new-session -d -s test -x "$1" -y "$2" "${*:3}"
}

# start SCENARIO WIDTH HEIGHT [VAR=value...]: velmora-sim in a fresh pane.
start() {
  new_pane "$2" "$3" bash "$work/run.sh" "$data/tmux_$1.json" "${@:4}"
  wait_for 'RDP [0-9]'
}

# given_back WHEN SETTINGS: the settings saved in $work/SETTINGS as before, main screen, cursor.
given_back() {
  cmp -s "$work/before" "$work/$2" || fail "terminal settings differ after $1"
  [ "$(pane alternate_on)" = 0 ] || fail "still on the alternate screen after $1"
  [ "$(pane cursor_flag)" = 1 ] || fail "cursor hidden after $1"
}
# check_restored WHEN [STATUS]: velmora-sim ended, gave the terminal back, with that status.
check_restored() {
  wait_for 'SHELL-BACK'
  given_back "$1" after
  [ -z "${2:-}" ] || [ "$(cat "$work/status")" = "$2" ] || fail "status $(cat "$work/status") after $1"
}

mkdir -p "$work/home"
start office 100 30
bar_shows 'Velmora desktop (simulated)' || fail "no menu bar"
shows '^ Play: s start/stop' || fail "no help lines"

# Open the menu, move to Refresh (past the disabled header, the session, Session History,
# Bring…, Quit Windows App, Copy…) and choose it. A lone Escape, with no key after it, closes the menu.
press 'Active Sessions (1)' Enter
press 'chose "Refresh"' Down Down Down Down Down Enter
press 'Active Sessions (1)' Enter
keys Escape
retry hides 'Active Sessions' || fail "Escape did not close the menu"

keys q
check_restored "q" 0
shows "^state files: $work/home/.cache/velmora_session_tracker$" || fail "no summary"
[ ! -e "$work/home/.cache/velmora_session_tracker/session_start" ] ||
  fail "quitting left the start file"

# 80x24: the bar, the client panel with the pass's verdicts and the report panel at once. The
# story ends and the program stays; a play key opens a session window, which Refresh counts; the
# refuse-Accessibility key makes the report say so.
start short 80 24
wait_for '^  "Office PC" .* session$'
for line in '^  "Connection Center" .* excluded by name$' '^─\[1\]─ Windows App: running (pid 4242)' \
  '^─\[2\]─ Detection report' '^  AX\[0\]: "Office PC" subrole=AXStandardWindow 1440x900$'; do
  shows "$line" || fail "80x24: no line $line"
done
wait_for 'the story is over: play with'
# Terminal replies are no keys: a DECRQSS reply holds q, a colour reply (in two reads) b.
keys -l $'\eP1$r2 q\e\\'
keys -l $'\e]11;rgb:00'
sleep 0.2
keys -l $'00/0000/0000\e\\'
press 'opened the session window "Test Lab"' o
shows 'untitled background' && fail "a terminal reply was read as keys"
bar_shows 'RDP 1● Office PC' || fail "the title changed before a refresh"
press 'RDP 2● Office PC' r
press '^  Could not get AX windows (result: -25211)$' a r
shows '^  "Test Lab" .* not read$' || fail "80x24: a window not read has a verdict"
[ -e "$work/status" ] && fail "the program ended with the story"
press 'Active Sessions (2)' Enter
kill -TERM "$(cat "$work/pid")"
check_restored "SIGTERM with the menu open at 80x24"

# Ctrl-Z gives the terminal back; fg takes it again; Ctrl-\ (SIGQUIT) ends it.
start office 100 30
press 'STOPPED' C-z
given_back Ctrl-Z stopped
press 'RDP 1● Office PC' Enter
[ "$(pane alternate_on)" = 1 ] || fail "fg did not go back to the alternate screen"
keys 'C-\'
check_restored 'Ctrl-Z, fg and Ctrl-\' 131

# In an interactive shell: Ctrl-Z, then bg, which stops the job again (only the foreground job
# may change the terminal), then fg: raw mode (q alone quits) and the alternate screen again.
# Started with &, it stops at once, and fg brings it in.
new_pane 100 30 "HISTFILE=/dev/null PS1='> ' bash --norc --noprofile -i"
run_sim="'$sim' --scenario '$data/tmux_office.json' --home '$work/home'"
# Typed after a job went to the background: once the shell lists it as stopped by its terminal,
# prints "STOPPED-" and the argument (the jobs if it never is).
until_stopped() {
  echo "for i in \$(seq 50); do jobs -l >'$work/jobs'; grep -q 'tty output' '$work/jobs' && break;" \
    "sleep 0.1; done; grep -q 'tty output' '$work/jobs' && echo \"STOPPED\"\"-$1\" || cat '$work/jobs'"
}
press 'RDP 1● Office PC' "stty -g >'$work/before'; $run_sim" Enter
press 'Stopped' C-z
press '^STOPPED-1$' "clear; bg; $(until_stopped 1)" Enter
[ "$(pane alternate_on)" = 0 ] || fail "bg: a job in the background took the terminal"
press 'RDP 1● Office PC' fg Enter
[ "$(pane alternate_on)" = 1 ] || fail "Ctrl-Z, bg and fg: not on the alternate screen"
press '^velmora-sim ran' q
press '^STOPPED-2$' "stty -g >'$work/after'; clear; $run_sim & $(until_stopped 2)" Enter
cmp -s "$work/before" "$work/after" || fail "terminal settings differ after Ctrl-Z, bg, fg and q"
press 'RDP 1● Office PC' fg Enter
[ "$(pane alternate_on)" = 1 ] || fail "& and fg: not on the alternate screen"
press '^velmora-sim ran' q
press '^STATUS=0$' 'echo "STATUS""=$?"' Enter

# Hostile titles: shown visibly, in the menu and in the log, never acted on by the terminal.
start hostile 80 24
wait_redraws
bar_shows 'RDP 3● 東京オフィス PC' || fail "80x24: the bar lost the title"
press 'raised the windows named "Evil' Enter Down Down Enter
# Before the menu opens again over the log's right half.
shows 'raised the windows named "Evil\\u{1B}\]52;c;cm0gLXJmIH4K\\u{7}"' ||
  fail "the log does not show the title's controls"
press 'Active Sessions (3)' Enter
[ "$(pane pane_title)" = "$(pane host)" ] || fail "a window title renamed the pane: $(pane pane_title)"
tmux_ show-buffer >/dev/null 2>&1 && fail "a window title filled tmux's clipboard: $(tmux_ show-buffer)"
shows 'Office\\u{1B}\]2;PWNED' || fail "the menu does not show the title's controls"

# Narrow: the bar keeps the title at 40x12; at 30 columns the menu keeps its borders.
keys Escape
tmux_ resize-window -t test -x 40 -y 12
wait_redraws
bar_shows 'RDP 3● 東京オフィス PC' || fail "40x12: the bar lost the title"
tmux_ resize-window -t test -x 30 -y 24
press '└' Enter
box=$(screen | sed -n '/┌/,/└/p' | sed 's/ *$//')
[ "$(echo "$box" | wc -l)" -ge 8 ] || fail "30 columns: no whole menu"
echo "$box" | grep -qvE '^ *(┌─*┐|[│├].*[│┤]|└─*┘)$' && fail "30 columns: a menu row lost its borders"
bar_shows 'RDP 3●' || fail "30 columns: the bar lost the title"
kill -TERM "$(cat "$work/pid")"
check_restored "SIGTERM at 30 columns"

# A terminal type without escape sequences gets the plain lines.
start office 100 30 TERM=dumb
# The first pass's reads and listing cost the simulated main thread 52 ms.
wait_for '^\[    0.1s\] RDP 1● Office PC  sessions: \["Office PC"\]$'
[ "$(pane alternate_on)" = 0 ] || fail "TERM=dumb: on the alternate screen"

echo "interactive session under tmux: ok"
