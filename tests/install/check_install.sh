#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop finds there: both programs,
# a menu entry and a software-centre description that their validators accept, the icons named
# after the application, and a manual page that renders without warnings.
# Usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
    echo "ÉCHEC : $*" >&2
    exit 1
}
for file in bin/velmora bin/velmora-render; do
    [ -x "$prefix/$file" ] || fail "$file absent ou non exécutable"
done
desktop=$prefix/share/applications/org.velmora.Velmora.desktop
metainfo=$prefix/share/metainfo/org.velmora.Velmora.metainfo.xml
for file in "$desktop" "$metainfo" \
    "$prefix/share/icons/hicolor/scalable/apps/org.velmora.Velmora.svg" \
    "$prefix/share/icons/hicolor/32x32/apps/org.velmora.Velmora.png" \
    "$prefix/share/man/man1/velmora-render.1"; do
    [ -s "$file" ] || fail "${file#"$prefix"/} absent"
done
desktop-file-validate "$desktop" || fail "entrée de menu refusée"
appstreamcli validate --no-net "$metainfo" || fail "description AppStream refusée"
warnings=$(man --warnings -l "$prefix/share/man/man1/velmora-render.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "page de manuel : $warnings"
"$prefix/bin/velmora-render" -o "$prefix/chart.png" || fail "velmora-render installé ne dessine pas"
echo "1 passed, 0 failed"
