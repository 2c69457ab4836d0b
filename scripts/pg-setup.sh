#!/usr/bin/env bash
# A PostgreSQL role and an empty database for DorvPrg, run by an administrator as the server's
# superuser:
#
#   sudo -u postgres scripts/pg-setup.sh [--role NÉV] [--database NÉV] [--no-password | --password-stdin]
#
# The role may log in and owns its database, nothing more: no superuser, no creating databases
# or roles. The program makes its tables, indexes and default rows on its first start (or
# dorvprg --copy-to fills the database from a local register). Running it again changes
# nothing that is already right, so it is safe to repeat.
set -euo pipefail

szerep=dorvprg
adatbazis=dorvprg
jelszoMod=kerdez    # kerdez: asked at the terminal; stdin: first line of the input; nincs: none

hasznalat() {
  cat <<'EOF'
Használat: sudo -u postgres pg-setup.sh [KAPCSOLÓK]

  --role NÉV         a program szerepe (alapértelmezés: dorvprg)
  --database NÉV     az üres adatbázis neve (alapértelmezés: dorvprg)
  --password-stdin   a jelszó a szabványos bemenet első sora (szkriptekhez)
  --no-password      jelszó nélkül (peer vagy tanúsítványos azonosítás, vagy a jelszó
                     már be van állítva)
  -h, --help         ez a leírás

A kiszolgálót a PGHOST, PGPORT környezeti változók választják, ahogy a psql-nél.
Jelszó nélküli kapcsolóknál a jelszót a program terminálon kérdezi (kétszer), ha a szerep új.
EOF
}

hiba() { echo "pg-setup.sh: $*" >&2; exit 1; }

while [ $# -gt 0 ]; do
  case "$1" in
    --role) [ $# -ge 2 ] || hiba "hiányzik a szerep neve a --role után"; szerep=$2; shift 2 ;;
    --role=*) szerep=${1#*=}; shift ;;
    --database) [ $# -ge 2 ] || hiba "hiányzik az adatbázis neve a --database után"; adatbazis=$2; shift 2 ;;
    --database=*) adatbazis=${1#*=}; shift ;;
    --password-stdin) jelszoMod=stdin; shift ;;
    --no-password) jelszoMod=nincs; shift ;;
    -h|--help) hasznalat; exit 0 ;;
    *) hasznalat >&2; exit 2 ;;
  esac
done
[ -n "$szerep" ] || hiba "üres szerepnév"
[ -n "$adatbazis" ] || hiba "üres adatbázisnév"

command -v psql >/dev/null || hiba "a psql nem található (postgresql-client csomag)"
# -X: no ~/.psqlrc; every failure stops the script
psql_() { psql -X -q -v ON_ERROR_STOP=1 "$@"; }
ertek() { psql_ -At -d postgres -v szerep="$szerep" -v adatbazis="$adatbazis" "$@"; }

if ! jog=$(ertek -c "SELECT rolsuper OR (rolcreaterole AND rolcreatedb) FROM pg_roles WHERE rolname = current_user" 2>&1); then
  hiba "nem sikerült kapcsolódni a kiszolgálóhoz: $jog"
fi
[ "$jog" = t ] || hiba "a kiszolgáló rendszergazdájaként futtassa (sudo -u postgres $0)"

van=$(ertek <<'SQL'
SELECT count(*) FROM pg_roles WHERE rolname = :'szerep'
SQL
)

jelszo=""
case "$jelszoMod" in
  stdin)
    IFS= read -r jelszo || true
    [ -n "$jelszo" ] || hiba "üres jelszó a bemeneten" ;;
  kerdez)
    if [ "$van" = 0 ]; then
      [ -t 0 ] || hiba "a szerep új: adja meg a jelszót (--password-stdin), vagy --no-password"
      read -r -s -p "A(z) $szerep szerep jelszava: " jelszo; echo
      read -r -s -p "Még egyszer: " jelszo2; echo
      [ "$jelszo" = "$jelszo2" ] || hiba "a két jelszó nem egyezik"
      [ -n "$jelszo" ] || hiba "üres jelszó"
    fi ;;
esac

# the password travels in the environment, never on a command line that ps shows
export DORVPRG_PG_JELSZO="$jelszo"
ertek <<'SQL'
\getenv jelszo DORVPRG_PG_JELSZO
SELECT CASE WHEN count(*) = 0 THEN
         format('CREATE ROLE %I LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS', :'szerep')
       ELSE format('ALTER ROLE %I LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS', :'szerep')
       END
FROM pg_roles WHERE rolname = :'szerep' \gexec
SELECT format('ALTER ROLE %I PASSWORD %L', :'szerep', :'jelszo') WHERE :'jelszo' <> '' \gexec
SQL
unset DORVPRG_PG_JELSZO
if [ "$van" = 0 ]; then
  echo "A(z) $szerep szerep elkészült (bejelentkezhet, más joga nincs)."
else
  echo "A(z) $szerep szerep már létezett; jogai: bejelentkezhet, más joga nincs."
fi
[ -z "$jelszo" ] || echo "A(z) $szerep szerep jelszava beállítva."

tulaj=$(ertek <<'SQL'
SELECT pg_get_userbyid(datdba) FROM pg_database WHERE datname = :'adatbazis'
SQL
)
if [ -z "$tulaj" ]; then
  ertek <<'SQL'
SELECT format('CREATE DATABASE %I OWNER %I ENCODING ''UTF8'' TEMPLATE template0', :'adatbazis', :'szerep') \gexec
SQL
  echo "A(z) $adatbazis adatbázis elkészült, tulajdonosa: $szerep."
elif [ "$tulaj" = "$szerep" ]; then
  echo "A(z) $adatbazis adatbázis már létezett, tulajdonosa: $szerep; változatlan maradt."
else
  hiba "a(z) $adatbazis adatbázis már létezik, de a tulajdonosa $tulaj, nem $szerep; nem változtattam rajta"
fi
# only the program's role reaches its database
ertek <<'SQL'
SELECT format('REVOKE ALL ON DATABASE %I FROM PUBLIC', :'adatbazis') \gexec
SQL

cat <<EOF

Kész. A DorvPrg.ini beállítása (a jelszó a ~/.pgpass fájlba kerül, nem ide):
  [Adatbazis]
  Kapcsolat=host=${PGHOST:-$(hostname -f 2>/dev/null || hostname)} port=${PGPORT:-5432} dbname=$adatbazis user=$szerep
EOF
