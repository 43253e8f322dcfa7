#!/usr/bin/env bash
# The program as a user installs it: `cmake --install` into a temporary prefix, then the
# installed ledra-cli run by a user with a fresh home. It must find its plug-in, templates and
# help under the prefix, make the user's data folder from the shipped template in the XDG data
# home, remember it in the user's settings, and write nothing under the prefix.
#
# install-test.sh BUILD_DIR PLUGIN_SUBDIR OPEN_ITEMS_STUB NOT_A_PLUGIN
set -euo pipefail
build=$1 plugindir=$2 op_stub=$3 not_plugin=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
failures=0
fail() { echo "FEHLER: $*" >&2; failures=$((failures + 1)); }
expect_file() { [ -f "$1" ] || fail "$1 fehlt"; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# What the install rules must put in place.
for f in bin/ledra bin/ledra-cli \
         share/ledra/DATEN/Konten.DB share/ledra/DATEN/KontoArt.DB \
         share/ledra/Indexorg.xml share/ledra/gdpdu-01-08-2002.dtd \
         share/ledra/ledra-hilfe/index.html share/ledra/ledra-hilfe/ledra.qch \
         share/applications/de.ledra.ledra.desktop \
         share/metainfo/de.ledra.ledra.metainfo.xml \
         share/icons/hicolor/scalable/apps/de.ledra.ledra.svg \
         share/icons/hicolor/48x48/apps/de.ledra.ledra.png \
         share/man/man1/ledra-cli.1.gz share/doc/ledra/copyright; do
  expect_file "$prefix/$f"
done
if find "$prefix" -name '.stamp' | grep -q .; then fail "Bauvermerke (.stamp) installiert"; fi

# The test stand-in for the open-items plug-in, in the installed plug-in folder.
mkdir -p "$prefix/$plugindir"
cp "$op_stub" "$prefix/$plugindir/klaro.so"

# Everything under the prefix, with size, time and content, to see any write at run time.
snapshot() {
  (cd "$prefix" && find . -printf '%p %y %s %T@ %m\n' | sort &&
     find . -type f -exec md5sum {} + | sort)
}
snapshot >"$tmp/before"
unchanged() {
  snapshot >"$tmp/after"
  if ! diff "$tmp/before" "$tmp/after" >"$tmp/diff"; then
    fail "unter dem Präfix geschrieben ($1):"
    cat "$tmp/diff" >&2
  fi
}

# A user with nothing yet: no settings, no data, default XDG folders.
export HOME=$tmp/home
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_CACHE_HOME APPDATA ALLUSERSPROFILE
mkdir -p "$HOME"
cd "$HOME"
cli=$prefix/bin/ledra-cli
data=$HOME/.local/share/ledra/DATEN

"$cli" --version >"$tmp/out" || fail "--version endet mit Fehler"
grep -qx 'ledra-cli [0-9][0-9.]*' "$tmp/out" || fail "--version: $(cat "$tmp/out")"

"$cli" info >"$tmp/out" 2>"$tmp/err" || fail "erster Start: $(cat "$tmp/err")"
expect_file "$data/Konten.DB"
expect_file "$data/KontoArt.DB"
cmp -s "$prefix/share/ledra/DATEN/KontoArt.DB" "$data/KontoArt.DB" ||
  fail "KontoArt.DB ist keine Kopie der Vorlage"
grep -qF "Der Datenordner $data wurde aus der Vorlage angelegt." "$tmp/err" ||
  fail "erster Start nennt den Datenordner nicht: $(cat "$tmp/err")"
[ "$(sed -n 3p "$tmp/out")" = DATEN ] || fail "info: $(cat "$tmp/out")"
grep -qxF "1=$data" "$HOME/.config/QUINDEL/LEDRA.INI" ||
  fail "Datenordner nicht in den Programmeinstellungen vermerkt"

# The manual is read from the installed share folder, not from beside the program.
"$cli" help 40 >"$tmp/out" 2>"$tmp/err" || fail "help 40: $(cat "$tmp/err")"
grep -q "OP-Verwaltung" "$tmp/out" || fail "help 40 zeigt nicht das Thema Offene Posten"
# In debug mode the diagnostic log goes to the user's cache folder, not beside the program.
"$cli" -debug help 40 >/dev/null 2>&1 || fail "-debug help 40 endet mit Fehler"
expect_file "$HOME/.cache/ledra/HHDebug.txt"

# Second start: the folder is the remembered one and is not made again.
"$cli" info >"$tmp/out" 2>"$tmp/err" || fail "zweiter Start: $(cat "$tmp/err")"
if grep -q "angelegt" "$tmp/err"; then fail "zweiter Start legt wieder an: $(cat "$tmp/err")"; fi

# The plug-in is used from the installed folder: the batch listing carries its note.
y=$(date +%Y)
"$cli" chart skr03 2>"$tmp/err" || fail "chart skr03: $(cat "$tmp/err")"
printf '05.03.%s;1;4930;1200;Papier;119,00;B;19\n' "$y" >"$tmp/b.csv"
"$cli" --answer yes book "$tmp/b.csv" 2>"$tmp/err" || fail "book: $(cat "$tmp/err")"
"$cli" report batch --txt "$tmp/batch.txt" 2>"$tmp/err" || fail "report batch: $(cat "$tmp/err")"
grep -q "Buchung erzeugt offenen Posten" "$tmp/batch.txt" || fail "Modul Offene Posten nicht geladen: $(cat "$tmp/err")"

# A data folder named on the command line is made from the template too.
"$cli" --data "$HOME/x" info >"$tmp/out" 2>"$tmp/err" || fail "--data ~/x: $(cat "$tmp/err")"
expect_file "$HOME/x/Konten.DB"

# An XDG data home of the user's choice is honoured (a new user: no settings yet).
rm -rf "$HOME/.config"
XDG_DATA_HOME=$tmp/xdg "$cli" info >/dev/null 2>"$tmp/err" || fail "XDG_DATA_HOME: $(cat "$tmp/err")"
expect_file "$tmp/xdg/ledra/DATEN/Konten.DB"

unchanged "Programm mit Modul"

# A file of that name that is no plug-in is refused, naming the installed place.
cp "$not_plugin" "$prefix/$plugindir/klaro.so"
snapshot >"$tmp/before"
"$cli" info >/dev/null 2>"$tmp/err" || true
grep -qF "Das Modul Offene Posten ($prefix/$plugindir/klaro.so) kann nicht geladen werden" \
  "$tmp/err" || fail "falsches Modul: $(cat "$tmp/err")"

unchanged "abgewiesenes Modul"
[ "$failures" -eq 0 ] || exit 1
echo "Installation geprüft"
