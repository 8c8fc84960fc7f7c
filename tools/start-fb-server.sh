#!/usr/bin/env bash
# Starts the local Firebird server for the server tests, if it is not already
# listening on port 3050, and waits until it listens. Installs nothing.
# Checks that SYSDBA logs in with the suite's password. When the security
# database has another one and this script started the server (its guard's pid
# writes the server's pid to $RUN_DIR/fbguard.pid), it stops that server by its pid, sets the
# password with the embedded engine (create or alter user ... using plugin Srp)
# and starts the server again. Safe to run again.
set -euo pipefail

PORT=3050
PASSWORD=vostremal
SECURITY_DB=/var/lib/firebird/3.0/system/security3.fdb
RUN_DIR=/run/firebird3.0
WAIT_SECONDS=20
PID_FILE=$RUN_DIR/fbguard.pid

listening() {
  # bash's /dev/tcp opens a TCP connection; it fails at once when nothing listens.
  (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null
}

as_firebird() {
  if [ "$(id -u)" -eq 0 ]; then
    su -s /bin/sh firebird -c "$1"
  else
    sudo -u firebird /bin/sh -c "$1"
  fi
}

start_server() {
  mkdir -p "$RUN_DIR"
  chown firebird:firebird "$RUN_DIR"
  as_firebird "/usr/sbin/fbguard -pidfile $PID_FILE -daemon -forever"
  for _ in $(seq 1 $((WAIT_SECONDS * 4))); do
    if listening; then
      echo "start-fb-server: the server listens on port $PORT"
      return 0
    fi
    sleep 0.25
  done
  echo "start-fb-server: the Firebird server did not listen on port $PORT within ${WAIT_SECONDS}s" >&2
  echo "start-fb-server: see /var/log/firebird/firebird3.0.log" >&2
  return 1
}

login_ok() {
  fbsvcmgr localhost:service_mgr -user sysdba -password "$PASSWORD" info_server_version \
    >/dev/null 2>&1
}

stop_server() {
  # Only the server this script started: the pid file names the server, and
  # its parent is the guard, which must go first or it restarts the server.
  local pid guard
  pid=$(cat "$PID_FILE" 2>/dev/null || true)
  guard=""
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    guard=$(ps -o ppid= -p "$pid" | tr -d ' ')
  fi
  if [ -z "$guard" ] || [ "$(ps -o comm= -p "$guard")" != "fbguard" ]; then
    echo "start-fb-server: the running server was not started by this script;" \
         "set the SYSDBA password to '$PASSWORD' (gsec or isql-fb) or stop it and run again" >&2
    return 1
  fi
  kill "$guard"
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 $((WAIT_SECONDS * 4))); do
    listening || return 0
    sleep 0.25
  done
  echo "start-fb-server: the server did not stop" >&2
  return 1
}

if ! command -v fbsvcmgr >/dev/null || [ ! -x /usr/sbin/fbguard ]; then
  echo "start-fb-server: the Firebird server or its utilities are not installed" \
       "(run tools/install-deps.sh)" >&2
  exit 1
fi

if listening; then
  echo "start-fb-server: the server already listens on port $PORT"
else
  start_server
fi

if login_ok; then
  exit 0
fi

# The security database does not take the suite's password: set it with the
# embedded engine, which needs the file to itself, so the server stops first.
echo "start-fb-server: SYSDBA does not log in with the suite's password; setting it"
stop_server
echo "create or alter user SYSDBA password '$PASSWORD' using plugin Srp; commit;" >/tmp/cp-sysdba.sql
as_firebird "isql-fb -user SYSDBA -i /tmp/cp-sysdba.sql $SECURITY_DB"
rm -f /tmp/cp-sysdba.sql
start_server
if ! login_ok; then
  echo "start-fb-server: SYSDBA still does not log in with the suite's password" >&2
  exit 1
fi
