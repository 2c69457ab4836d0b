#!/usr/bin/env bash
# The Debian package, made by CPack from a build folder (the program as built there): its file
# list, control data, desktop entry, AppStream data and lintian; then unpacked with dpkg-deb -x
# into a root-owned folder and run as an ordinary user made for the test, whose settings,
# register and archives must land in that user's data folder. Nothing is installed.
# Usage: csomag.sh BUILD_FOLDER SOURCE_FOLDER REGISTER_MAKER (tests/csomag/nyilvantartas.cpp)
set -euo pipefail
epit=$(realpath "${1:?build folder}")
forras=$(realpath "${2:?source folder}")
keszito=$(realpath "${3:?register maker}")

T=$(mktemp -d /tmp/dorvprg-csomag.XXXXXX)
felh=""
takarit() {
  if [ -n "$felh" ]; then userdel "$felh" || echo "A teszt felhasználó nem törölhető: $felh" >&2; fi
  rm -rf "$T"
}
trap takarit EXIT
trap 'exit 1' INT TERM HUP
hiba() { echo "HIBA: $*" >&2; exit 1; }
lepes() { echo "== $*"; }

# users left behind by a run that was killed outright (their folder is gone)
while IFS=: read -r nev _ _ _ _ otthon _; do
  case "$nev:$otthon" in
    dorvteszt*:/tmp/dorvprg-csomag.*) [ -d "$otthon" ] || userdel "$nev" || true ;;
  esac
done < /etc/passwd

lepes "csomag (cpack)"
cpack --config "$epit/CPackConfig.cmake" -G DEB -B "$T/cpack" > "$T/cpack.log" 2>&1 || { cat "$T/cpack.log"; hiba "cpack"; }
verzio=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$epit/CPackConfig.cmake")
deb="$T/cpack/dorvprg_${verzio}_amd64.deb"
[ -n "$verzio" ] && [ -f "$deb" ] || { ls "$T/cpack"; hiba "nincs dorvprg_${verzio}_amd64.deb"; }

lepes "fájllista"
id=hu.pelikor.dorvprg
vart=(/usr/bin/dorvprg
      /usr/share/applications/$id.desktop
      /usr/share/metainfo/$id.metainfo.xml
      /usr/share/icons/hicolor/scalable/apps/$id.svg
      /usr/share/man/man1/dorvprg.1.gz
      /usr/share/man/hu/man1/dorvprg.1.gz
      /usr/share/doc/dorvprg/copyright
      /usr/share/doc/dorvprg/changelog.gz)
for n in 16 22 24 32 48 64 128 256; do vart+=("/usr/share/icons/hicolor/${n}x$n/apps/$id.png"); done
while IFS= read -r f; do vart+=("/usr/share/dorvprg/Help/${f#"$forras/resources/Help/"}"); done \
  < <(find "$forras/resources/Help" -type f)
dpkg-deb -c "$deb" > "$T/lista"
# every entry owned by root; the files (not folders) exactly the expected ones
if awk '$2 != "root/root"' "$T/lista" | grep -q .; then hiba "nem root tulajdonú bejegyzés: $(awk '$2 != "root/root"' "$T/lista")"; fi
awk '$1 !~ /^d/ {sub(/^\./, "", $6); print $6}' "$T/lista" | sort > "$T/van"
printf '%s\n' "${vart[@]}" | sort > "$T/kell"
diff -u "$T/kell" "$T/van" || hiba "a csomag fájllistája eltér"
grep -q '^-rwxr-xr-x .* \./usr/bin/dorvprg$' "$T/lista" || hiba "a program nem futtatható mindenkinek"

lepes "vezérlő adatok"
dpkg-deb -f "$deb" Package Version Architecture Depends > "$T/control"
grep -qx "Version: $verzio" "$T/control" || hiba "verzió: $(cat "$T/control")"
for d in 'libqt6core6' 'libqt6widgets6' 'libqt6sql6-sqlite' 'libzip4' 'libdeflate0' 'libqrencode4' 'fonts-wine' 'fonts-liberation2'; do
  grep -q "^Depends:.*\b$d\b" "$T/control" || hiba "hiányzó függőség $d: $(grep ^Depends "$T/control")"
done

lepes "kicsomagolás (dpkg-deb -x)"
gy="$T/gyoker"
dpkg-deb -x "$deb" "$gy"
chown -R root:root "$gy"
chmod 755 "$T" "$gy"
touch "$T/kicsomagolva"

lepes "desktop, AppStream, ikonok, kézikönyv"
desktop-file-validate "$gy/usr/share/applications/$id.desktop" || hiba "desktop-file-validate"
grep -qx 'Exec=dorvprg' "$gy/usr/share/applications/$id.desktop" || hiba "Exec"
grep -q '^Categories=.*Office;' "$gy/usr/share/applications/$id.desktop" || hiba "Categories"
grep -q '^Name\[hu\]=' "$gy/usr/share/applications/$id.desktop" || hiba "Name[hu]"
grep -q '^Comment\[hu\]=' "$gy/usr/share/applications/$id.desktop" || hiba "Comment[hu]"
appstreamcli validate --no-net "$gy/usr/share/metainfo/$id.metainfo.xml" || hiba "appstreamcli validate"
grep -q "<release version=\"$verzio\" date=\"" "$gy/usr/share/metainfo/$id.metainfo.xml" || hiba "a metainfo kiadása nem $verzio"
for n in 16 22 24 32 48 64 128 256; do
  meret=$(file -b "$gy/usr/share/icons/hicolor/${n}x$n/apps/$id.png")
  [[ $meret == "PNG image data, $n x $n,"* ]] || hiba "ikon ${n}x$n: $meret"
done
for m in man1 hu/man1; do
  zcat "$gy/usr/share/man/$m/dorvprg.1.gz" | grep -q "^\.TH DORVPRG 1 .*\"DorvPrg $verzio\"" || hiba "$m: a kézikönyv verziója nem $verzio"
  figy=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l -Tutf8 -Z "$gy/usr/share/man/$m/dorvprg.1.gz" 2>&1 >/dev/null)
  [ -z "$figy" ] || hiba "$m: $figy"
done
zcat "$gy/usr/share/doc/dorvprg/changelog.gz" | head -1 | grep -q "^dorvprg ($verzio)" || hiba "a changelog első bejegyzése nem $verzio"

lepes "lintian"
lintian --fail-on error "$deb" > "$T/lintian" 2>&1 || { cat "$T/lintian"; hiba "lintian"; }
cat "$T/lintian"

lepes "futtatás rendes felhasználóként"
felh="dorvteszt$$"
otthon="$T/otthon"
mkdir "$otthon"   # before the user: a parallel run's clean-up takes a user without a folder for a leftover
useradd --no-create-home --home-dir "$otthon" --shell /bin/sh "$felh"
chown "$felh:" "$otthon"
prg="$gy/usr/bin/dorvprg"
# runs a command as the test user; leading NAME=VALUE arguments set its environment
futtat() {
  runuser -u "$felh" -- env -i HOME="$otthon" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@" \
    > "$T/ki" 2> "$T/hibaki" && kod=0 || kod=$?
}
kimenet() { echo "kód $kod; kimenet: $(cat "$T/ki"); hiba: $(cat "$T/hibaki")"; }
adat="$otthon/.local/share/DorvPrg"

futtat test -w "$gy/usr/bin"
[ "$kod" -ne 0 ] || hiba "a felhasználó írhatja a program mappáját"

futtat "$prg" --help
[ "$kod" -eq 0 ] && grep -q '^Használat: dorvprg' "$T/ki" && grep -q -- '--export' "$T/ki" || hiba "--help: $(kimenet)"
# both manual pages describe every form --help lists
for forma in $(sed -n 's/^  \(--[a-z-]*\).*/\1/p' "$T/ki" | sort -u); do
  for m in man1 hu/man1; do
    zcat "$gy/usr/share/man/$m/dorvprg.1.gz" | grep -q -- "${forma//-/\\\\-}" || hiba "$m: hiányzik $forma"
  done
done

# no register yet: the form names the user's own folder, and makes no empty register
futtat "$prg" --export J "$otthon/lista.csv"
[ "$kod" -eq 1 ] && grep -q "$adat/" "$T/hibaki" || hiba "export nyilvántartás nélkül: $(kimenet)"
[ ! -e "$adat/Data/dorvprg.db" ] || hiba "üres nyilvántartás készült"

# the register of the user's first start, in the default database folder
cp "$keszito" "$T/nyilvantartas"
chmod 755 "$T/nyilvantartas"
futtat "$T/nyilvantartas" "$adat/Data" 3
[ "$kod" -eq 0 ] || hiba "nyilvántartás: $(kimenet)"

futtat "$prg" --export J "$otthon/lista.csv"
[ "$kod" -eq 0 ] && grep -q '^Exportálva: 3 levél' "$T/ki" || hiba "export: $(kimenet)"
[ "$(wc -l < "$otthon/lista.csv")" -eq 4 ] || hiba "export: $(cat "$otthon/lista.csv")"

futtat "$prg" --archive
[ "$kod" -eq 0 ] || hiba "archive: $(kimenet)"
[ -s "$adat/Archiv/$(date +%Y%m%d).zip" ] || hiba "nincs archívum: $(ls -R "$adat")"
grep -q '^MentesDatum=' "$adat/DorvPrg.ini" || hiba "nincs DorvPrg.ini a felhasználó mappájában: $(ls -la "$adat")"
[ "$(stat -c %U "$adat/DorvPrg.ini")" = "$felh" ] || hiba "a DorvPrg.ini nem a felhasználóé"

lepes "a rendszergazda alapbeállítása (XDG_CONFIG_DIRS)"
mkdir -p "$T/xdg/DorvPrg" "$T/kozos"
printf '[Adatbazis]\r\nUtvonal=%s\r\n' "$T/kozos" > "$T/xdg/DorvPrg/DorvPrg.ini"
chmod -R a+rX "$T/xdg" "$T/kozos"
# a user without DorvPrg.ini of their own is sent to the shared folder (no register there yet)
futtat XDG_DATA_HOME="$otthon/masik" XDG_CONFIG_DIRS="$T/xdg" "$prg" --export J "$otthon/lista2.csv"
[ "$kod" -eq 1 ] && grep -q "$T/kozos" "$T/hibaki" || hiba "közös alapbeállítás: $(kimenet)"
# the user's own file wins
futtat XDG_CONFIG_DIRS="$T/xdg" "$prg" --export J "$otthon/lista2.csv"
[ "$kod" -eq 0 ] && grep -q '^Exportálva: 3 levél' "$T/ki" || hiba "saját beállítás a közös helyett: $(kimenet)"

lepes "root is a saját mappájában dolgozik"
env -i HOME="$T/root" PATH=/usr/bin:/bin "$prg" --export J "$T/lista3.csv" > "$T/ki" 2> "$T/hibaki" && kod=0 || kod=$?
[ "$kod" -eq 1 ] && grep -q "$T/root/.local/share/DorvPrg/" "$T/hibaki" || hiba "root: $(kimenet)"

# the unpacked program folder stayed as it was
valtozott=$(find "$gy" -newer "$T/kicsomagolva")
[ -z "$valtozott" ] || hiba "a program mappájába írt: $valtozott"
echo "rendben"
