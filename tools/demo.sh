#!/usr/bin/env bash
# The demo: kestrova-server with its demo accounts on a free loopback port,
# and one headless client (kestrova-harness) that signs in as Ann, looks at
# her contacts and groups, chats with the echo robot and signs off. Every
# line the client prints is shown as it comes.
#
#   tools/demo.sh <build/bin>
set -euo pipefail
bin=${1:?usage: demo.sh <build/bin>}
DEMO_USER=${DEMO_USER:-ann@example.org}
DEMO_PASSWORD=${DEMO_PASSWORD:-ann}

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$bin/kestrova-server" --demo --db "$work/demo.db" --port 0 >"$work/server.out" 2>&1 &
server_pid=$!
port=""
for _ in $(seq 100); do
  port=$(awk '/^port /{print $2; exit}' "$work/server.out")
  [ -n "$port" ] && break
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "demo: kestrova-server did not start:" >&2
  cat "$work/server.out" >&2
  exit 1
fi
echo "== kestrova-server --demo on 127.0.0.1:$port"
grep -v '^port ' "$work/server.out" | sed 's/^/server: /' || true

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
opener="$bin/../tests/e2e-plugins/chat-opener.so"
if [ -f "$bin/messaging.so" ] && [ -f "$opener" ]; then
  echo "== the same chat in the real program (kestrova, headless)"
  python3 "$(dirname "$0")/demo_chat.py" --bin "$bin" --port "$port" --opener "$opener" \
    --user "$DEMO_USER" --password "$DEMO_PASSWORD" --screenshots "$bin/../screenshots"
fi
echo "== done"
