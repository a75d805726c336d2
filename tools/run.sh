#!/usr/bin/env bash
# ./dev.sh run: kestrova-server with its demo accounts and the real program,
# kestrova, signed in as Ann.
#
#   tools/run.sh <build/bin> [--headless] [--screen WxH@DPI]
#
# With a desktop (DISPLAY or WAYLAND_DISPLAY) the program opens its window
# there and runs until you exit it (Menu > Exit, or the window's close
# button). Without one, or with --headless, it runs on the headless display:
# the script goes through the home screen as a user would, saves screenshots
# of the overview, the contact list and the group page in build/screenshots/,
# opens the echo robot's chat from the contact list, says a line, prints it
# and the robot's answer, saves screenshots of the chat, closes it, prints
# the paths and exits the program through its menu.
set -euo pipefail
bin=$(cd "${1:?usage: run.sh <build/bin> [--headless] [--screen WxH@DPI]}" && pwd)
shift
headless=0
screen=()
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --screen) screen=(--screen "${2:?--screen needs WxH@DPI}"); shift ;;
    *) echo "run: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && headless=1
DEMO_USER=${DEMO_USER:-ann@example.org}
DEMO_PASSWORD=${DEMO_PASSWORD:-ann}
DEMO_ROBOT=${DEMO_ROBOT:-echo@example.org}
DEMO_ROBOT_NAME=${DEMO_ROBOT_NAME:-Echo}
DEMO_SAY=${DEMO_SAY:-Hello from Ann!}

work=$(mktemp -d)
source "$(dirname "$0")/demo_server.sh"
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  stop_demo_server
  rm -rf "$work"
}
trap cleanup EXIT

start_demo_server "$bin" "$work"

# The program signs in by itself with stored credentials (docs/SIGN_IN.md);
# its settings and runtime folders are this run's own.
home="$work/home"
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
{
  echo "kestrova-registry 1"
  for setting in "connection.user=$DEMO_USER" "connection.pass=$DEMO_PASSWORD" \
    "Connection/AutoSignIn=1" "Connection/Servers/List=127.0.0.1:$port"; do
    printf '%s\t%s\t%s\n' 'SOFTWARE\\Kestorva\\Settings' "${setting%%=*}" "${setting#*=}"
  done
} >"$home/user.reg"
export KESTROVA_HOME="$home" XDG_RUNTIME_DIR="$work/run"

if [ "$headless" -eq 0 ]; then
  echo "== kestrova in a window on your desktop, signed in as $DEMO_USER; exit it to end the demo"
  "$bin/kestrova" --display sdl "${screen[@]}" || true
  exit 0
fi

socket="$work/run/automation.socket"
"$bin/kestrova" --display headless "${screen[@]}" --automation "$socket" 2>"$work/kestrova.err" &
program_pid=$!
ask() { "$bin/kestrova-automate" "$socket" "$@"; }
# The reply of the command, without its "OK ".
value() { ask "$1" | sed 's/^OK //'; }
# Waits (at most 30 s) until the reply of the command contains the text.
wait_until() {
  local command=$1 text=$2 reply=""
  for _ in $(seq 300); do
    reply=$(ask "$command" || true)
    [[ $reply == *"$text"* ]] && return 0
    sleep 0.1
  done
  echo "run: '$command' never showed '$text'; last: $reply" >&2
  cat "$work/kestrova.err" >&2
  exit 1
}

if ! "$bin/kestrova-automate" --wait 60 "$socket" ping >/dev/null; then
  echo "run: kestrova did not start:" >&2
  cat "$work/kestrova.err" >&2
  exit 1
fi
main=$(value "find title=Kestrova")
status_strip=$(value "find id=5001")
# The tab strip, the overview and the group page shown: the main window's
# panes beside its status strip.
panes() { value "children $main" | tr ' ' '\n' | grep -vx "$status_strip"; }
overview=$(panes | sed -n 2p)
echo "== kestrova (headless) signing in as $DEMO_USER"
wait_until "text $status_strip" "Online"
echo "status strip: $(value "text $status_strip" | tr -d '"' | sed 's/\\n/ | /')"

shots=$(cd "$bin/.." && pwd)/screenshots
mkdir -p "$shots"
shot() {
  ask "screenshot $shots/$1.png" >/dev/null
  echo "screenshot: $shots/$1.png"
}
wait_until "items $overview" "Online"
shot run-overview
ask "key RIGHT" >/dev/null
wait_until "items $(panes | sed -n 3p)" "Online"
shot run-contacts
ask "key RIGHT" >/dev/null
wait_until "items $(panes | sed -n 3p)" "Group Chat"
shot run-group

# The chat as a user opens it: back on the contact list page, the robot's
# row chosen with the keys and Enter; a line typed and sent, and the
# robot's answer waited for (it rings the alert while the chat is in front).
echo "== the chat with $DEMO_ROBOT"
ask "key LEFT" >/dev/null
wait_until "items $(panes | sed -n 3p)" "$DEMO_ROBOT_NAME\\n"
contacts=$(panes | sed -n 3p)
# The list's rows, one quoted item per line, counted from 0.
robot_row=$(value "items $contacts" | grep -o '"\([^"\\]\|\\.\)*"' |
  grep -n "^\"$DEMO_ROBOT_NAME\\\\n" | head -1 | cut -d: -f1)
[ -n "$robot_row" ] || { echo "run: $DEMO_ROBOT is not on the contact list" >&2; exit 1; }
robot_row=$((robot_row - 1))
for _ in $(seq 100); do
  row=$(value "selection $contacts")
  [ "$row" -eq "$robot_row" ] && break
  if [ "$row" -lt "$robot_row" ]; then ask "key DOWN" >/dev/null; else ask "key UP" >/dev/null; fi
done
[ "$row" -eq "$robot_row" ] || { echo "run: the keys never reached $DEMO_ROBOT's row" >&2; exit 1; }
ask "sounds clear" >/dev/null
ask "key ENTER" >/dev/null
wait_until "find class=RY_CHATWINDOW visible=1" "OK 0x"
chat=$(value "find class=RY_CHATWINDOW visible=1")
echo "chat: $(value "text $chat" | tr -d '"')"
shot run-chat-open
ask "type $DEMO_SAY" "key ENTER" >/dev/null
wait_until "sounds" "messaging/105"
# A message's text is read as a user copies it: the newest message chosen in
# the view, "Copy to Clipboard" from its menu; then the one before it.
copied() {
  ask "clipboard set -" "choose \"Copy to Clipboard\"" "key ENTER" >/dev/null
  value clipboard | sed 's/^"//; s/"$//; s/\\n/ | /g'
}
ask "key UP" "key END" >/dev/null
answer=$(copied)
ask "key UP" >/dev/null
said=$(copied)
ask "key END" "key DOWN" >/dev/null
echo "you:   $said"
echo "robot: $answer"
shot run-chat
echo "== the chat closed (Close)"
ask "softkey 2" >/dev/null
wait_until "find class=RY_CHATWINDOW visible=1" "ERR"

# Planned answers are taken in the order the program asks: the menu, then
# the question.
echo "== Menu > Exit, and no to the question"
ask "choose Exit..." "answer no" "softkey 2" >/dev/null
echo "asked: $(value modal)"
echo "== Menu > Exit, and yes"
ask "choose Exit..." "answer yes" "softkey 2" >/dev/null
for _ in $(seq 300); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.1
done
if wait "$program_pid"; then
  echo "== kestrova exited"
else
  echo "run: kestrova ended with status $?" >&2
fi
program_pid=""
