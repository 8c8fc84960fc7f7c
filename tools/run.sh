#!/usr/bin/env bash
# The one command to see the program: installs what is missing, builds,
# prepares a demonstration suite directory with its two embedded databases,
# writes the settings file beside the executable and opens Contas a Pagar.
#
#   bash tools/run.sh
#   BRUNDELO_HOME=/some/suite bash tools/run.sh      (another suite directory)
#   xvfb-run -a -s "-screen 0 1024x768x24" bash tools/run.sh   (no display)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=${BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-2}
STATION=${BRUNDELO_STATION:-01}
SUITE=${BRUNDELO_HOME:-$ROOT/demo/brundelo}
case "$SUITE" in /*) ;; *) SUITE=$ROOT/$SUITE ;; esac

bash tools/install-deps.sh
# The embedded engine keeps its lock files in the build folder rather than
# in /tmp/firebird, which belongs to the machine's Firebird server (and which
# an ordinary user cannot write). mkdemo and the program share it.
export FIREBIRD_LOCK=${FIREBIRD_LOCK:-$BUILD/firebird-lock}
mkdir -p "$FIREBIRD_LOCK"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$JOBS" --target contas-pagar mkdemo

# The suite directory: created with demonstration data only when its
# databases do not exist yet; existing databases are never touched.
SHARED_DB=$SUITE/dados/brundelo.bd
WS_DB=$SUITE/interfac$STATION/brundelo.bd
if [ ! -e "$SHARED_DB" ] && [ ! -e "$WS_DB" ]; then
  echo "run: creating the demonstration suite in $SUITE"
  "$BUILD/mkdemo" "$SUITE" --demo --station "$STATION"
elif [ ! -e "$SHARED_DB" ] || [ ! -e "$WS_DB" ]; then
  echo "run: $SUITE has only one of its two databases:" >&2
  echo "     $SHARED_DB" >&2
  echo "     $WS_DB" >&2
  echo "     recreate both with: $BUILD/mkdemo \"$SUITE\" --demo --station $STATION --force" >&2
  exit 1
else
  echo "run: using the existing suite in $SUITE"
fi

# The settings file beside the executable. Without the central server's
# address the program opens the embedded databases of the suite directory.
INI=$BUILD/BRUNDELO.INI
if [ ! -e "$INI" ]; then
  printf '%s\r\n' \
    "COR DE FUNDO DAS TELAS.........................: 16777215" \
    "LOG DE ATIVIDADES..............................: N" \
    "TEMPO PARA LOGOFF AUTOMATICO...................: 30" >"$INI"
  echo "run: wrote $INI"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is not set), so the window cannot open." >&2
  echo "     Everything is built and ready; run it under a virtual display with:" >&2
  echo "       xvfb-run -a -s \"-screen 0 1024x768x24\" bash tools/run.sh" >&2
  exit 1
fi

export BRUNDELO_HOME=$SUITE
echo "run: suite directory $BRUNDELO_HOME"
echo "run: log in as user DEMO with password 1234"
exec "$BUILD/contas-pagar"
