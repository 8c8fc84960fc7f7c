#!/usr/bin/env bash
# The Debian package as an administrator would get it: built from the build
# folder (cpack -G DEB), unpacked into a temporary root (dpkg -x), its control
# data and files checked, and the program started from the unpacked tree on a
# demonstration suite, reading its settings file through the package's link.
#
#   bash tests/pacote-deb.sh <build folder> <mkdemo>
set -euo pipefail
BUILD=$1
MKDEMO=$2
TMP=$(mktemp -d "${TMPDIR:-/tmp}/cp-pacote-XXXXXX")
trap 'rm -rf "$TMP"' EXIT
falhas=0
falha() { echo "FALHA: $*" >&2; falhas=$((falhas + 1)); }

cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$TMP/saida" >"$TMP/cpack.log" 2>&1 ||
  { cat "$TMP/cpack.log" >&2; exit 1; }
DEB=$(ls "$TMP"/saida/contas-pagar_*.deb)
echo "pacote: $(basename "$DEB")"

# Control data: name, dependencies (the linked libraries and what is loaded
# at run time) and the settings file kept as a configuration file.
[ "$(dpkg-deb -f "$DEB" Package)" = contas-pagar ] || falha "nome do pacote"
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
for dep in libqt6widgets6 libfbclient2 firebird3.0-server-core qt6-translations-l10n \
           fonts-liberation; do
  grep -q "$dep" <<<"$DEPENDS" || falha "dependência $dep ausente: $DEPENDS"
done
mkdir "$TMP/controle"
dpkg-deb -e "$DEB" "$TMP/controle"
grep -qx /etc/brundelo/BRUNDELO.INI "$TMP/controle/conffiles" || falha "conffiles"

# The files in their usual places.
RAIZ=$TMP/raiz
dpkg -x "$DEB" "$RAIZ"
PROG=$RAIZ/usr/lib/contas-pagar/contas-pagar
[ -x "$PROG" ] && [ ! -L "$PROG" ] || falha "programa em /usr/lib/contas-pagar"
[ "$(readlink "$RAIZ/usr/bin/contas-pagar")" = ../lib/contas-pagar/contas-pagar ] ||
  falha "/usr/bin/contas-pagar não aponta para o programa"
[ "$(readlink -f "$RAIZ/usr/bin/contas-pagar")" = "$(readlink -f "$PROG")" ] ||
  falha "/usr/bin/contas-pagar não chega ao programa"
[ -f "$RAIZ/etc/brundelo/BRUNDELO.INI" ] || falha "/etc/brundelo/BRUNDELO.INI"
[ "$(readlink -f "$RAIZ/usr/lib/contas-pagar/BRUNDELO.INI")" = \
  "$(readlink -f "$RAIZ/etc/brundelo/BRUNDELO.INI")" ] ||
  falha "BRUNDELO.INI ao lado do programa não leva a /etc/brundelo"
DESKTOP=$RAIZ/usr/share/applications/contas-pagar.desktop
[ -f "$DESKTOP" ] || falha "entrada de menu"
grep -qx 'Exec=contas-pagar' "$DESKTOP" || falha "Exec da entrada de menu"
grep -qx 'Icon=contas-pagar' "$DESKTOP" || falha "Icon da entrada de menu"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$DESKTOP" || falha "entrada de menu inválida"
fi
[ -f "$RAIZ/usr/share/icons/hicolor/scalable/apps/contas-pagar.svg" ] || falha "ícone"
# Nothing of the build: no path of the build folder left in the program.
if readelf -d "$PROG" | grep -E 'RPATH|RUNPATH' | grep -q "$BUILD"; then
  falha "o programa ainda procura bibliotecas na pasta de compilação"
fi
# Nothing else: every file belongs to one of those places.
while IFS= read -r f; do
  case "$f" in
    ./usr/bin/contas-pagar | ./usr/lib/contas-pagar/* | ./etc/brundelo/* | \
      ./usr/share/applications/* | ./usr/share/icons/* | ./usr/share/doc/*) ;;
    *) falha "arquivo fora do lugar: $f" ;;
  esac
done < <(cd "$RAIZ" && find . \( -type f -o -type l \))

# Started from the unpacked tree on a demonstration suite: it reads the
# package's settings file through the link (no server: the embedded
# databases) and paints its window.
SUITE=$TMP/suite
export FIREBIRD_LOCK=$TMP/firebird-lock
mkdir -p "$FIREBIRD_LOCK"
"$MKDEMO" "$SUITE" >"$TMP/mkdemo.log" 2>&1 || { cat "$TMP/mkdemo.log" >&2; exit 1; }
: >"$SUITE/SaltaCP.db"
if BRUNDELO_HOME=$SUITE QT_QPA_PLATFORM=offscreen CP_QUIT_AFTER_FIRST_PAINT=1 \
   timeout 60 "$RAIZ/usr/bin/contas-pagar" >"$TMP/programa.log" 2>&1; then
  :
else
  cat "$TMP/programa.log" >&2
  falha "o programa instalado não abriu sua janela"
fi
[ ! -s "$SUITE/ContasPagar.log" ] || { cat "$SUITE/ContasPagar.log" >&2; falha "erros no log"; }

if [ "$falhas" -ne 0 ]; then
  echo "pacote: $falhas falha(s)" >&2
  exit 1
fi
echo "pacote: tudo no lugar"
