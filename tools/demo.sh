#!/usr/bin/env bash
# The demo: kestrova-server with its demo accounts on a free loopback port,
# and one headless client (kestrova-harness) that signs in as Ann, looks at
# her contacts and groups, chats with the echo robot and signs off. Every
# line the client prints is shown as it comes.
#
#   tools/demo.sh <build/bin>    (./dev.sh demo)
set -euo pipefail
bin=${1:?usage: demo.sh <build/bin>}
DEMO_USER=${DEMO_USER:-ann@example.org}
DEMO_PASSWORD=${DEMO_PASSWORD:-ann}

work=$(mktemp -d)
source "$(dirname "$0")/demo_server.sh"
cleanup() {
  stop_demo_server
  rm -rf "$work"
}
trap cleanup EXIT

start_demo_server "$bin" "$work"

mkdir -p "$work/client"
coproc CLIENT {
  KESTROVA_HOME="$work/client" XDG_RUNTIME_DIR="$work/client" \
    exec "$bin/kestrova-harness" --server "127.0.0.1:$port" --user "$DEMO_USER" --password "$DEMO_PASSWORD"
}
client_out=${CLIENT[0]}
client_in=${CLIENT[1]}

# Reads client lines, showing each, until one starts with $1 (within $2 s);
# the line is left in $LINE.
LINE=""
wait_for() {
  local prefix=$1 deadline=$((SECONDS + ${2:-15}))
  while [ $SECONDS -lt $deadline ]; do
    if IFS= read -r -t 1 LINE <&"$client_out"; then
      echo "client: $LINE"
      [[ $LINE == "$prefix"* ]] && return 0
    fi
  done
  echo "demo: no '$prefix' from the client" >&2
  return 1
}
say() {
  echo "you:    $1"
  echo "$1" >&"$client_in"
}

echo "== signing in as $DEMO_USER"
wait_for "state 100" 20
say "whoami"
wait_for "me id="
say "contacts"
robot=""
while wait_for "contact" 10; do
  [[ $LINE == "contacts end" ]] && break
  [[ $LINE == *" device=1 "* ]] && robot=$(sed -E 's/.* id=([0-9]+).*/\1/' <<<"$LINE")
done
say "groups"
wait_for "groups end"
if [ -z "$robot" ]; then
  echo "demo: the echo robot is not on the contact list" >&2
  exit 1
fi
echo "== chatting with the echo robot (contact $robot)"
for text in "Hello, robot!" "Are you there?"; do
  say "send $robot $text"
  wait_for "delivered"
  wait_for "message id="
done
echo "== signing off"
say "quit"
wait_for "bye"
wait "$CLIENT_PID" 2>/dev/null || true

# The same chat in the real program, driven through its automation socket;
# it saves screenshots of the chat window in build/screenshots.
if [ -f "$bin/messaging.so" ]; then
  echo "== the same chat in the real program (kestrova, headless)"
  python3 "$(dirname "$0")/demo_chat.py" --bin "$bin" --port "$port" \
    --user "$DEMO_USER" --password "$DEMO_PASSWORD" --screenshots "$bin/../screenshots"
fi
echo "== done"
