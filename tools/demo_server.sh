# Sourced by tools/demo.sh and tools/run.sh: starts kestrova-server with its
# demo accounts on a free loopback port.
#
#   start_demo_server <build/bin> <work folder>
#
# Sets server_pid and port; stop_demo_server ends it. Exits the script when
# the server does not start.
server_pid=""
port=""

start_demo_server() {
  local bin=$1 work=$2
  "$bin/kestrova-server" --demo --db "$work/demo.db" --port 0 >"$work/server.out" 2>&1 &
  server_pid=$!
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
}

stop_demo_server() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  server_pid=""
}
