#!/usr/bin/env bash
# Starts the demo from a built program folder: the program, when it exists.
set -euo pipefail
bin=${1:?usage: demo.sh <build/bin>}
shift || true
if [ ! -x "$bin/kestrova" ]; then
  echo "The program is not built yet; the libraries and tests are (./dev.sh test)." >&2
  exit 1
fi
exec "$bin/kestrova" "$@"
