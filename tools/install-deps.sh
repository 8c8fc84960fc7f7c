#!/usr/bin/env bash
# Installs, without questions, every Debian package needed to build, run and
# test Contas a Pagar: compiler tools, Qt 6 Widgets and Charts (the forecast's bars), Qt's own
# Portuguese texts (its dialogs in the operator's language), the Firebird 3 client,
# embedded engine, utilities and server, GoogleTest, Google Benchmark, Xvfb
# and metric-compatible fonts, poppler's pdftotext (the tests read back the
# list's PDF copies), clang with libFuzzer for the readers' fuzz tests, and
# poppler's Qt 6 binding and zxing-cpp to read a boleto received as a PDF,
# and libharu to write the list's PDF copy.
# Safe to run again: it only installs what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev libqt6opengl6-dev
  qt6-translations-l10n
  libfbclient2 firebird-dev firebird3.0-server-core firebird3.0-utils firebird3.0-server
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-utils imagemagick fonts-liberation fonts-dejavu-core poppler-utils
  clang libclang-rt-dev
  libpoppler-qt6-dev libzxing-dev
  libhpdf-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: everything is already installed"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: installing ${missing[*]}"
# The server package asks for its SYSDBA password at install; answer it here.
echo "firebird3.0-server shared/firebird/enabled boolean true" | $SUDO debconf-set-selections
echo "firebird3.0-server shared/firebird/sysdba_password/first_install password vostremal" | $SUDO debconf-set-selections
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
