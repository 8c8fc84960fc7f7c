#!/usr/bin/env bash
# A private Firebird server for the server tests and the benchmarks. It runs
# as the user who starts it and touches nothing of the machine's own server:
# its own folder, port, security database (SYSDBA with the suite's password),
# databases.conf and lock folder.
#
#   bash tools/fb-test-server.sh DIR PORT [ALIAS=FILE ...]
#
# DIR must be an empty folder of the caller's; the script fills it, starts
# the server on 127.0.0.1:PORT and writes "ready PORT" on standard output once
# SYSDBA logs in. The server then runs until standard input ends (the test
# program that started the script closed its pipe, or died) or the script
# gets SIGINT, SIGTERM or SIGHUP; the script then stops the server and
# removes DIR. Exit status 3: the port was taken (try another).
# A line "restart" on standard input stops the server and starts it again on
# the same port and folder (the tests of lost connections); once it answers
# again, DIR/restarts holds the number of restarts done.
#
# Clients reach it as localhost/PORT:ALIAS; fbsvcmgr as localhost/PORT:service_mgr.
# Aliases live in DIR/databases.conf, which the server reads again on every
# new attachment. Every command of the instance needs FIREBIRD=DIR and
# FIREBIRD_LOCK=DIR/lock in its environment.
set -euo pipefail

PASSWORD=vostremal
WAIT_SECONDS=30

if [ $# -lt 2 ]; then
  echo "usage: $0 DIR PORT [ALIAS=FILE ...]" >&2
  exit 2
fi
DIR=$1
PORT=$2
shift 2

fail() {
  echo "fb-test-server: $*" >&2
  exit 1
}

FB_ROOT=
for d in /usr/lib/*/firebird/3.0 /usr/lib/firebird/3.0 /opt/firebird; do
  if [ -f "$d/firebird.msg" ] && [ -d "$d/plugins" ]; then FB_ROOT=$d; break; fi
done
[ -n "$FB_ROOT" ] || fail "the Firebird 3 files are not installed (run tools/install-deps.sh)"
[ -x /usr/sbin/firebird ] || fail "/usr/sbin/firebird is not installed (run tools/install-deps.sh)"
command -v isql-fb >/dev/null || fail "isql-fb is not installed (run tools/install-deps.sh)"
[ -d "$DIR" ] || fail "$DIR is not a folder"
DIR=$(cd "$DIR" && pwd -P)

SERVER_PID=
stop_server() {
  if [ -n "$SERVER_PID" ]; then
    kill -TERM "$SERVER_PID" 2>/dev/null || true
    for _ in $(seq 1 50); do
      kill -0 "$SERVER_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  SERVER_PID=
}
cleanup() {
  trap - EXIT INT TERM HUP
  stop_server
  rm -rf "$DIR"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
trap 'exit 141' PIPE

# The server loads a module only from a file it finds at the path it asked
# for, not through a symbolic link: plugins and intl are copies (hard links
# where the file system allows).
for f in plugins intl; do
  cp -rL --link "$FB_ROOT/$f" "$DIR/$f" 2>/dev/null || { rm -rf "${DIR:?}/$f"; cp -rL "$FB_ROOT/$f" "$DIR/$f"; }
done
for f in lib UDF firebird.msg plugins.conf fbtrace.conf; do
  if [ -e "$FB_ROOT/$f" ]; then ln -s "$FB_ROOT/$f" "$DIR/$f"; fi
done
mkdir -p "$DIR/lock"
cat >"$DIR/firebird.conf" <<EOF
RemoteServicePort = $PORT
RemoteBindAddress = 127.0.0.1
SecurityDatabase = $DIR/security3.fdb
UdfAccess = None
ServerMode = Super
EOF
: >"$DIR/databases.conf"
for pair in "$@"; do
  printf '%s = %s\n' "${pair%%=*}" "${pair#*=}" >>"$DIR/databases.conf"
done

# FIREBIRD_BOOT_BUILD makes every folder of the instance (log, intl,
# plugins...) relative to DIR instead of the machine's fixed ones, so its
# log is DIR/firebird.log, not the system server's.
export FIREBIRD=$DIR FIREBIRD_LOCK=$DIR/lock FIREBIRD_BOOT_BUILD=1

# The security database, made with the embedded engine of this instance.
printf "create database '%s';\ncreate user SYSDBA password '%s' using plugin Srp;\ncommit;\n" \
  "$DIR/security3.fdb" "$PASSWORD" >"$DIR/security.sql"
isql-fb -q -user SYSDBA -i "$DIR/security.sql" >"$DIR/isql.out" 2>&1 </dev/null ||
  fail "cannot create the security database: $(cat "$DIR/isql.out")"
rm -f "$DIR/security.sql" "$DIR/isql.out"

listening() {
  (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null
}
# Another program on the port: the caller picks another.
listening && exit 3

# Starts the server and returns once the server on the port is this one (it
# names this folder as its root) and SYSDBA logs in.
start_server() {
  # The server dies with this script even when the script is killed outright.
  setpriv --pdeathsig KILL /usr/sbin/firebird </dev/null >"$DIR/server.out" 2>&1 &
  SERVER_PID=$!
  local ready=0 root
  for _ in $(seq 1 $((WAIT_SECONDS * 10))); do
    if ! kill -0 "$SERVER_PID" 2>/dev/null; then
      SERVER_PID=
      fail "the server ended at start: $(cat "$DIR/server.out")"
    fi
    if listening; then
      root=$(fbsvcmgr "localhost/$PORT:service_mgr" -user sysdba -password "$PASSWORD" \
        info_get_env 2>/dev/null || true)
      case "$root" in
        "Server root: $DIR/"*) ready=1; break ;;
        "Server root: "*) exit 3 ;;
      esac
    fi
    sleep 0.1
  done
  [ "$ready" = 1 ] || fail "the server did not answer on port $PORT within ${WAIT_SECONDS}s"
}
start_server

echo "ready $PORT"
# The caller may stop reading now.
exec >/dev/null 2>&1
# Until standard input ends; "restart" restarts the server, any other line
# changes nothing.
restarts=0
while IFS= read -r line; do
  if [ "$line" = restart ]; then
    stop_server
    start_server
    restarts=$((restarts + 1))
    echo "$restarts" >"$DIR/restarts.new" && mv "$DIR/restarts.new" "$DIR/restarts"
  fi
done || true
