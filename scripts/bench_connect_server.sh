#!/usr/bin/env bash
# Benchmark of the connect server: builds the tools in Release without sanitizers in
# their own build directory, starts the server on a free loopback port with a
# temporary configuration, runs CLIENTS (default 10000) concurrent launcher
# conversations against it with zr-loadgen, and prints answers per second, the median
# and 99th-percentile latency and the server's peak memory (VmHWM). Loopback only;
# the load generator stops by itself after TIME_LIMIT_S seconds at the latest.
# The server checks two patch servers every MIRROR_CHECK_MS (default 200) meanwhile:
# one live (a greeter started here), one that refuses connections.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${ZR_BENCH_BUILD_DIR:-$REPO/build/bench-tools}
CLIENTS=${CLIENTS:-10000}
TIME_LIMIT_S=${TIME_LIMIT_S:-120}
MIRROR_CHECK_MS=${MIRROR_CHECK_MS:-200}

echo "building Release tools in $BUILD"
cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DZR_SANITIZE=OFF > /dev/null
cmake --build "$BUILD" --target zr-connect-server zr-loadgen -j2 > /dev/null

# Each side needs a descriptor per client.
ulimit -n "$(ulimit -Hn)"
if [ "$(ulimit -n)" != unlimited ] && [ "$(ulimit -n)" -lt $((CLIENTS + 64)) ]; then
    echo "ulimit -n is $(ulimit -n); $CLIENTS clients need more" >&2
    exit 1
fi

WORK=$(mktemp -d)
SERVER_PID=
GREETER_PID=
cleanup() {
    [ -z "$GREETER_PID" ] || kill "$GREETER_PID" 2> /dev/null || true
    if [ -n "$SERVER_PID" ] && kill -0 "$SERVER_PID" 2> /dev/null; then
        kill -TERM "$SERVER_PID"
        wait "$SERVER_PID" || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

# The live patch server: greets every connection with 220 and closes it.
/usr/bin/python3 -c '
import socket, sys
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen(64)
print(s.getsockname()[1], flush=True)
while True:
    c, _ = s.accept(); c.sendall(b"220 ready\r\n"); c.close()
' > "$WORK/greeter.port" &
GREETER_PID=$!
for _ in $(seq 100); do [ -s "$WORK/greeter.port" ] && break; sleep 0.05; done
LIVE_PORT=$(cat "$WORK/greeter.port")
DEAD_PORT=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

printf '"1.0.0"\n"1.0.1"\n' > "$WORK/version.cvd"
cat > "$WORK/server.conf" << CONF
listen = 127.0.0.1
port = 0
client_timeout_ms = 60000
max_per_address = 0
max_clients = $((CLIENTS + 1000))
log_file = $WORK/server.log
catalogue = $WORK/version.cvd
mirror_check_interval_ms = $MIRROR_CHECK_MS
[patch_server]
host = 127.0.0.1
port = $LIVE_PORT
user = zr
password = secret
catalogue = version.cvd
[patch_server]
host = 127.0.0.1
port = $DEAD_PORT
user = zr
password = secret
catalogue = version.cvd
CONF

"$BUILD/tools/connect_server/zr-connect-server" --config "$WORK/server.conf" > "$WORK/server.out" &
SERVER_PID=$!
for _ in $(seq 100); do
    grep -q '^listening on' "$WORK/server.out" 2> /dev/null && break
    sleep 0.05
done
PORT=$(sed -n 's/^listening on .*:\([0-9]*\)$/\1/p' "$WORK/server.out")
[ -n "$PORT" ] || { echo "the server did not start" >&2; exit 1; }

run() {
    echo "== $CLIENTS concurrent clients, $1"
    "$BUILD/tools/loadgen/zr-loadgen" --port "$PORT" --clients "$CLIENTS" --version "$2" \
        --time-limit-s "$TIME_LIMIT_S" || true
}
run "each needing a patch (168-byte reply)" 1.0.0
run "each current (3-byte reply)" 1.0.1

echo "== server peak memory: $(grep VmHWM "/proc/$SERVER_PID/status" | awk '{print $2, $3}')"
kill -TERM "$SERVER_PID"
wait "$SERVER_PID"
echo "server stopped with status $?; $(wc -l < "$WORK/server.log") log lines"
echo "patch servers named: $(grep -c "server=127.0.0.1:$LIVE_PORT " "$WORK/server.log") live," \
     "$(grep -c "server=127.0.0.1:$DEAD_PORT " "$WORK/server.log") dead (checks every $MIRROR_CHECK_MS ms)"
SERVER_PID=
