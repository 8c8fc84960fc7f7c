#!/usr/bin/env bash
# Checks that the tests leave the machine's own Firebird server alone: run
# with "record" before the test programs and with "compare" after them, it
# fails when the server's alias file changed in any byte, appeared or went.
#
#   bash tests/machine-server.sh record|compare STATE_DIR
set -euo pipefail

CONF=${MACHINE_DATABASES_CONF:-/etc/firebird/3.0/databases.conf}
MODE=${1:?record or compare}
STATE=${2:?state folder}

case "$MODE" in
  record)
    rm -rf "$STATE"
    mkdir -p "$STATE"
    if [ -e "$CONF" ]; then
      cp -p "$CONF" "$STATE/databases.conf"
      echo "machine-server: recorded $CONF ($(wc -c <"$CONF") bytes)"
    else
      : >"$STATE/absent"
      echo "machine-server: $CONF does not exist"
    fi
    ;;
  compare)
    [ -d "$STATE" ] || { echo "machine-server: nothing was recorded in $STATE" >&2; exit 1; }
    if [ -e "$STATE/absent" ]; then
      if [ -e "$CONF" ]; then
        echo "machine-server: $CONF appeared during the tests" >&2
        exit 1
      fi
      echo "machine-server: $CONF still does not exist"
    elif ! cmp -s "$STATE/databases.conf" "$CONF"; then
      echo "machine-server: $CONF changed during the tests:" >&2
      diff "$STATE/databases.conf" "$CONF" >&2 || true
      exit 1
    else
      echo "machine-server: $CONF is unchanged"
    fi
    rm -rf "$STATE"
    ;;
  *)
    echo "usage: $0 record|compare STATE_DIR" >&2
    exit 2
    ;;
esac
