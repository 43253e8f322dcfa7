#!/usr/bin/env bash
# What the Debian package must hold and declare: programs, launcher, icon, metainfo, manual
# page, help, templates, the plug-in when the build made one, and library dependencies that
# dpkg-shlibdeps derived. The launcher and the metainfo are validated as shipped.
#
# package-check.sh DEB BUILD_DIR
set -euo pipefail
deb=$1 build=$2
failures=0
fail() { echo "FEHLER: $*" >&2; failures=$((failures + 1)); }

list=$(dpkg-deb -c "$deb" | awk '{print $6}')
has() { grep -qE "^\./$1\$" <<<"$list" || fail "Paket enthält $1 nicht"; }
has usr/bin/ledra
has usr/bin/ledra-cli
has usr/share/applications/de\.ledra\.ledra\.desktop
has usr/share/icons/hicolor/scalable/apps/de\.ledra\.ledra\.svg
has usr/share/icons/hicolor/256x256/apps/de\.ledra\.ledra\.png
has usr/share/metainfo/de\.ledra\.ledra\.metainfo\.xml
has usr/share/man/man1/ledra-cli\.1\.gz
has usr/share/doc/ledra/copyright
has usr/share/ledra/ledra-hilfe/index\.html
has usr/share/ledra/ledra-hilfe/ledra\.qch
has usr/share/ledra/DATEN/Konten\.DB
has usr/share/ledra/Indexorg\.xml
has usr/share/ledra/gdpdu-01-08-2002\.dtd
if [ -f "$build/bin/klaro.so" ]; then
  has 'usr/lib/([a-z0-9_]+-linux-gnu[a-z]*/)?ledra/klaro\.so'
else
  echo "Hinweis: klaro.so wurde nicht gebaut und fehlt im Paket." >&2
fi
if grep -qE '/\.stamp$' <<<"$list"; then fail "Bauvermerke (.stamp) im Paket"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libsqlite3-0; do
  grep -qE "(^|, )$lib( |,|$)" <<<"$depends" || fail "Depends ohne $lib: $depends"
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp"
appstreamcli validate --no-net "$tmp/usr/share/metainfo/de.ledra.ledra.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate"
desktop-file-validate "$tmp/usr/share/applications/de.ledra.ledra.desktop" ||
  fail "desktop-file-validate"
[ "$failures" -eq 0 ] || exit 1
echo "Paket geprüft: $deb"
