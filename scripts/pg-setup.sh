#!/usr/bin/env bash
# A PostgreSQL role and an empty database for DorvPrg, run by an administrator as the server's
# superuser:
#
#   sudo -u postgres scripts/pg-setup.sh [--role NÉV] [--database NÉV] [--no-password | --password-stdin]
#   sudo -u postgres scripts/pg-setup.sh --roles [--admin NÉV] [--role NÉV] [--database NÉV] [...]
#
# The role may log in and owns its database, nothing more: no superuser, no creating databases
# or roles. The program makes its tables, indexes and default rows on its first start (or
# dorvprg --copy-to fills the database from a local register). Running it again changes
# nothing that is already right, so it is safe to repeat.
#
# --roles, once the tables are there, gives each program user a login role of its own: three
# group roles (every user; master data; administrators), the tables granted to them by the
# list below, and SECURITY DEFINER functions through which an administrator's users window
# creates, renames and removes login roles and sets their groups. The register's meta rows
# szerep_mindenki, szerep_torzsszerkeszt and szerep_rendszergazda name the groups; the
# program takes the rights from them whenever they are there. --admin makes (or keeps) a first
# administrator's login role; the password options then belong to it.
set -euo pipefail

szerep=dorvprg
adatbazis=dorvprg
jelszoMod=kerdez    # kerdez: asked at the terminal; stdin: first line of the input; nincs: none
szerepek=0          # --roles: a login role per user
admin=""            # --admin: the first administrator's login role

hasznalat() {
  cat <<'EOF'
Használat: sudo -u postgres pg-setup.sh [KAPCSOLÓK]

  --role NÉV         a program szerepe (alapértelmezés: dorvprg)
  --database NÉV     az üres adatbázis neve (alapértelmezés: dorvprg)
  --password-stdin   a jelszó a szabványos bemenet első sora (szkriptekhez)
  --no-password      jelszó nélkül (peer vagy tanúsítványos azonosítás, vagy a jelszó
                     már be van állítva)
  --roles            felhasználónkénti szerepek: csoportszerepek, jogosultságok és a
                     felhasználókezelő függvények (a program tábláinak már létezniük kell)
  --admin NÉV        --roles mellett: egy rendszergazda bejelentkezési szerepe; a jelszó
                     kapcsolói ekkor erre vonatkoznak
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
    --roles) szerepek=1; shift ;;
    --admin) [ $# -ge 2 ] || hiba "hiányzik a szerep neve az --admin után"; admin=$2; shift 2 ;;
    --admin=*) admin=${1#*=}; shift ;;
    -h|--help) hasznalat; exit 0 ;;
    *) hasznalat >&2; exit 2 ;;
  esac
done
[ -n "$szerep" ] || hiba "üres szerepnév"
[ -n "$adatbazis" ] || hiba "üres adatbázisnév"
[ -z "$admin" ] || [ "$szerepek" = 1 ] || hiba "az --admin csak a --roles kapcsolóval együtt adható meg"
[ "$admin" != "$szerep" ] || [ -z "$admin" ] || hiba "a rendszergazda szerepe nem lehet az adatbázis tulajdonosa"

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

# jelszoOlvas SZEREP UJ: the password the options give for that role into $jelszo ("" for none)
jelszoOlvas() {
  jelszo=""
  case "$jelszoMod" in
    stdin)
      IFS= read -r jelszo || true
      [ -n "$jelszo" ] || hiba "üres jelszó a bemeneten" ;;
    kerdez)
      if [ "$2" = 0 ]; then
        [ -t 0 ] || hiba "a szerep új: adja meg a jelszót (--password-stdin), vagy --no-password"
        read -r -s -p "A(z) $1 szerep jelszava: " jelszo; echo
        read -r -s -p "Még egyszer: " jelszo2; echo
        [ "$jelszo" = "$jelszo2" ] || hiba "a két jelszó nem egyezik"
        [ -n "$jelszo" ] || hiba "üres jelszó"
      fi ;;
  esac
}

if [ "$szerepek" = 1 ]; then
  # the tables are the owner's: it exists since the first run, and its password stays
  [ "$van" = 1 ] || hiba "a(z) $szerep szerep nem létezik: először --roles nélkül futtassa, majd indítsa el egyszer a programot"
  jelszo=""
else
  jelszoOlvas "$szerep" "$van"
fi

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
if [ "$szerepek" = 1 ]; then
  :   # the owner's groups follow below
elif [ "$van" = 0 ]; then
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
  [ "$szerepek" = 0 ] || hiba "a(z) $adatbazis adatbázis nem létezik: először --roles nélkül futtassa"
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

if [ "$szerepek" = 0 ]; then
  cat <<EOF

Kész. A DorvPrg.ini beállítása (a jelszó a ~/.pgpass fájlba kerül, nem ide):
  [Adatbazis]
  Kapcsolat=host=${PGHOST:-$(hostname -f 2>/dev/null || hostname)} port=${PGPORT:-5432} dbname=$adatbazis user=$szerep
EOF
  exit 0
fi

# ---------------------------------------------------------------------------------------
# A login role per user (--roles)

# Who may do what: one line per table, each group with its privileges as GRANT writes them.
# mindenki: every user; torzsszerkeszt: master data; rendszergazda: administrators;
# szerepkezelo: the owner of the users functions. A group that may insert also gets the
# table's key counters, one that reads reads them. A table a later version brings is one line more; a line whose table
# is not there yet is skipped, and running the script again after the upgrade grants it.
JOGOK='
doksi              mindenki=SELECT,INSERT,UPDATE,DELETE
doksi_nagybetu     mindenki=SELECT,INSERT,UPDATE,DELETE
doksi_megj         mindenki=SELECT,INSERT,UPDATE,DELETE
megj               mindenki=SELECT,INSERT,UPDATE,DELETE
reklamacio         mindenki=SELECT,INSERT,UPDATE,DELETE
mentesek           mindenki=SELECT,INSERT,UPDATE,DELETE
marka              mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
marka_nagybetu     mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
alkatresz          mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
alkatresz_nagybetu mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
ugyfel             mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
ugyfel_nagybetu    mindenki=SELECT torzsszerkeszt=INSERT,UPDATE,DELETE
beallit            mindenki=SELECT rendszergazda=INSERT,UPDATE,DELETE
tulajdonos         mindenki=SELECT rendszergazda=INSERT,UPDATE,DELETE
meta               mindenki=SELECT
felhasznalo        mindenki=SELECT(felhasznalo,felhasznalo_nev,rendszergazda,torzsszerkeszt,rowid) rendszergazda=SELECT,UPDATE(felhasznalo_nev) szerepkezelo=SELECT,INSERT,UPDATE,DELETE
naplo              mindenki=INSERT rendszergazda=SELECT
'

adatbazisban() { psql_ -At -d "$adatbazis" "$@"; }
# an identifier and a literal in SQL text the script writes itself
azon() { local v=${1//\"/\"\"}; printf '"%s"' "$v"; }
szo() { local v=${1//\'/\'\'}; printf "'%s'" "$v"; }

case "$adatbazis$szerep$admin" in *'$'*) hiba "a --roles mellett a nevekben nem lehet \$ jel" ;; esac
gMind="${adatbazis}_mindenki"; gTorzs="${adatbazis}_torzsszerkeszt"; gAdmin="${adatbazis}_rendszergazda"
gKezelo="${adatbazis}_szerepkezelo"
for g in "$gKezelo" "$gTorzs" "$gAdmin"; do
  [ "$(printf %s "$g" | wc -c)" -le 63 ] || hiba "túl hosszú adatbázisnév a csoportszerepekhez: $g"
done

sema=$(adatbazisban -v szerep="$szerep" <<'SQL'
SELECT n.nspname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
WHERE c.relname = 'doksi' AND c.relkind = 'r' AND c.relowner = (SELECT oid FROM pg_roles WHERE rolname = :'szerep')
ORDER BY n.nspname = 'public' DESC LIMIT 1
SQL
)
[ -n "$sema" ] || hiba "a(z) $adatbazis adatbázisban még nincsenek meg a program táblái: indítsa el egyszer a programot a(z) $szerep szereppel (vagy dorvprg --copy-to), majd futtassa újra"

v=(-v gMind="$gMind" -v gTorzs="$gTorzs" -v gAdmin="$gAdmin" -v gKezelo="$gKezelo" -v szerep="$szerep"
   -v adatbazis="$adatbazis" -v sema="$sema")
# the groups are made once; a login role of the same name is never turned into one
utkozes=$(adatbazisban "${v[@]}" <<'SQL'
SELECT string_agg(rolname, ', ') FROM pg_roles
WHERE rolname IN (:'gMind', :'gTorzs', :'gAdmin', :'gKezelo') AND (rolcanlogin OR rolsuper)
SQL
)
[ -z "$utkozes" ] || hiba "ilyen nevű bejelentkezési szerep már van, nem csoport: $utkozes"
adatbazisban "${v[@]}" <<'SQL'
SELECT format('CREATE ROLE %I NOLOGIN', g) FROM unnest(ARRAY[:'gMind', :'gTorzs', :'gAdmin', :'gKezelo']) g
WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = g) \gexec
SELECT format('ALTER ROLE %I NOLOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS', g)
FROM unnest(ARRAY[:'gMind', :'gTorzs', :'gAdmin']) g \gexec
-- the functions' owner creates and drops the login roles, nothing else; nobody logs in as it
SELECT format('ALTER ROLE %I NOLOGIN NOSUPERUSER NOCREATEDB CREATEROLE NOREPLICATION NOBYPASSRLS', :'gKezelo') \gexec
SELECT format('GRANT %I TO %I WITH ADMIN OPTION', g, :'gKezelo') FROM unnest(ARRAY[:'gMind', :'gTorzs', :'gAdmin']) g \gexec
-- the owner holds both rights in the program, as it does on the server
SELECT format('GRANT %I TO %I', g, :'szerep') FROM unnest(ARRAY[:'gMind', :'gTorzs', :'gAdmin']) g \gexec
SELECT format('GRANT CONNECT ON DATABASE %I TO %I', :'adatbazis', :'gMind') \gexec
SELECT format('GRANT USAGE ON SCHEMA %I TO %I, %I', :'sema', :'gMind', :'gKezelo') \gexec
SQL

# the list as rows (table, group, privileges), its words checked before they become SQL
sorok=""
listaTablak=""
while read -r tabla jogok; do
  [ -n "$tabla" ] || continue
  listaTablak+="$tabla "
  for j in $jogok; do
    csoport=${j%%=*}; jog=${j#*=}
    [[ "$tabla" =~ ^[a-z_]+$ && "$csoport" =~ ^(mindenki|torzsszerkeszt|rendszergazda|szerepkezelo)$
       && "$jog" =~ ^[A-Za-z_,()]+$ ]] || hiba "hibás sor a jogosultsági listában: $tabla $j"
    sorok+="${sorok:+,}('$tabla','$csoport','$jog')"
  done
done <<<"$JOGOK"

jelentes=$(adatbazisban "${v[@]}" -v sorok="$sorok" <<'SQL'
BEGIN;
CREATE TEMP TABLE lista (tabla text, csoport text, jog text) ON COMMIT DROP;
INSERT INTO lista VALUES :sorok;
CREATE TEMP TABLE csoportok (kod text, nev text) ON COMMIT DROP;
INSERT INTO csoportok VALUES ('mindenki', :'gMind'), ('torzsszerkeszt', :'gTorzs'), ('rendszergazda', :'gAdmin'),
                             ('szerepkezelo', :'gKezelo');
-- the tables of the list that are there (a later version's are not yet)
CREATE TEMP TABLE vannak ON COMMIT DROP AS
  SELECT DISTINCT l.tabla, to_regclass(format('%I.%I', :'sema', l.tabla)) AS oid FROM lista l
  WHERE to_regclass(format('%I.%I', :'sema', l.tabla)) IS NOT NULL;
-- a table's key counters: its identity and serial sequences
CREATE TEMP TABLE sorozatok ON COMMIT DROP AS
  SELECT v.tabla, s.oid::regclass AS sorozat FROM vannak v
  JOIN pg_depend d ON d.refclassid = 'pg_class'::regclass AND d.refobjid = v.oid AND d.classid = 'pg_class'::regclass
                   AND d.deptype IN ('a', 'i')
  JOIN pg_class s ON s.oid = d.objid AND s.relkind = 'S';
-- what the groups held goes first, so a privilege the list no longer gives is gone
SELECT format('REVOKE ALL ON TABLE %s FROM %s', v.oid, string_agg(quote_ident(c.nev), ', '))
FROM vannak v CROSS JOIN csoportok c GROUP BY v.oid \gexec
SELECT format('REVOKE ALL ON SEQUENCE %s FROM %s', s.sorozat, string_agg(quote_ident(c.nev), ', '))
FROM sorozatok s CROSS JOIN csoportok c GROUP BY s.sorozat \gexec
SELECT format('GRANT %s ON TABLE %s TO %I', l.jog, v.oid, c.nev)
FROM lista l JOIN vannak v USING (tabla) JOIN csoportok c ON c.kod = l.csoport \gexec
SELECT format('GRANT USAGE, SELECT, UPDATE ON SEQUENCE %s TO %I', s.sorozat, c.nev)
FROM lista l JOIN sorozatok s USING (tabla) JOIN csoportok c ON c.kod = l.csoport
WHERE l.jog ~ 'INSERT' \gexec
-- a reader reads the counters too: an archive's pg_dump takes them with the rows
SELECT format('GRANT SELECT ON SEQUENCE %s TO %I', s.sorozat, c.nev)
FROM lista l JOIN sorozatok s USING (tabla) JOIN csoportok c ON c.kod = l.csoport
WHERE l.jog ~ 'SELECT' \gexec
-- the register's tables nobody listed (only the owner reaches them), and the list's missing ones
SELECT 'kimaradt:' || coalesce(string_agg(c.relname, ', ' ORDER BY c.relname), '')
FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
WHERE n.nspname = :'sema' AND c.relkind IN ('r', 'p') AND c.relname NOT IN (SELECT tabla FROM lista);
SELECT 'hianyzik:' || coalesce(string_agg(DISTINCT l.tabla, ', '), '') FROM lista l
WHERE NOT EXISTS (SELECT 1 FROM vannak v WHERE v.tabla = l.tabla);
COMMIT;
SQL
)
kimaradt=$(sed -n 's/^kimaradt://p' <<<"$jelentes")
hianyzik=$(sed -n 's/^hianyzik://p' <<<"$jelentes")

# The users functions. They run as the owner of the functions (SECURITY DEFINER, a search path
# of the catalog alone), touch only the login roles of this register (members of its
# every-user group and of nothing but its groups, with no attribute beyond LOGIN) and keep
# the felhasznalo rows in step in the same transaction. Passwords come as SCRAM verifiers,
# never in clear; names are quoted by format('%I').
S=$(azon "$sema")
fuggvenyek=$(cat <<'SQL'
CREATE OR REPLACE FUNCTION @S@.dorvprg_kezelt(nev text) RETURNS boolean
LANGUAGE sql STABLE SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
  SELECT EXISTS (
    SELECT 1 FROM pg_roles r
    WHERE r.rolname = nev AND r.rolcanlogin AND r.rolinherit AND NOT r.rolsuper AND NOT r.rolcreaterole
      AND NOT r.rolcreatedb AND NOT r.rolreplication AND NOT r.rolbypassrls
      AND r.rolname NOT IN (@MIND@, @TORZS@, @ADMIN@, @KEZELO@, @TULAJ@)
      AND EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid
                  WHERE m.member = r.oid AND g.rolname = @MIND@)
      AND NOT EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid
                      WHERE m.member = r.oid AND g.rolname NOT IN (@MIND@, @TORZS@, @ADMIN@)))
$dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_ellenoriz(nev text, jelszo text, kell_kezelt boolean) RETURNS void
LANGUAGE plpgsql STABLE SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  IF kell_kezelt AND NOT coalesce(@S@.dorvprg_kezelt(nev), false) THEN
    RAISE EXCEPTION 'A(z) "%" szerep nem e nyilvántartás felhasználója.', nev USING ERRCODE = '42501';
  END IF;
  IF nev IS NULL OR length(nev) = 0 OR length(nev) > 20 THEN
    RAISE EXCEPTION 'A felhasználó neve 1-20 karakter lehet.' USING ERRCODE = '22023';
  END IF;
  IF jelszo IS NOT NULL AND jelszo !~ '^SCRAM-SHA-256\$[0-9]+:' THEN
    RAISE EXCEPTION 'A jelszó csak SCRAM-SHA-256 ellenőrzőként adható meg, nyíltan nem.' USING ERRCODE = '22023';
  END IF;
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_tukor(nev text) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
DECLARE t text := CASE WHEN pg_has_role(nev, @TORZS@, 'MEMBER') THEN 'I' ELSE 'N' END;
        r text := CASE WHEN pg_has_role(nev, @ADMIN@, 'MEMBER') THEN 'I' ELSE 'N' END;
BEGIN
  INSERT INTO @S@.felhasznalo (felhasznalo, jelszo, rendszergazda, torzsszerkeszt) VALUES (nev, NULL, r, t)
  ON CONFLICT (felhasznalo) DO UPDATE SET jelszo = NULL, rendszergazda = r, torzsszerkeszt = t;
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_jogok(nev text, torzsszerkeszt boolean, rendszergazda boolean) RETURNS void
LANGUAGE plpgsql SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
DECLARE csoport text;
        kell boolean;
BEGIN
  FOR csoport, kell IN VALUES (@TORZS@, torzsszerkeszt), (@ADMIN@, rendszergazda) LOOP
    IF kell AND NOT pg_has_role(nev, csoport, 'MEMBER') THEN
      EXECUTE format('GRANT %I TO %I', csoport, nev);
    ELSIF NOT kell AND pg_has_role(nev, csoport, 'MEMBER') THEN
      EXECUTE format('REVOKE %I FROM %I', csoport, nev);
    END IF;
  END LOOP;
  PERFORM @S@.dorvprg_tukor(nev);
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_felhasznalo_uj(nev text, jelszo text, torzsszerkeszt boolean, rendszergazda boolean)
RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  PERFORM @S@.dorvprg_ellenoriz(nev, coalesce(jelszo, ''), false);
  IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = nev) THEN
    RAISE EXCEPTION 'A(z) "%" szerep már létezik a kiszolgálón.', nev USING ERRCODE = '42710';
  END IF;
  EXECUTE format('CREATE ROLE %I LOGIN INHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS '
                 'PASSWORD %L IN ROLE %I', nev, jelszo, @MIND@);
  PERFORM @S@.dorvprg_jogok(nev, torzsszerkeszt, rendszergazda);
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_felhasznalo_atnevez(regi text, uj text)
RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  PERFORM @S@.dorvprg_ellenoriz(regi, NULL, true);
  PERFORM @S@.dorvprg_ellenoriz(uj, NULL, false);
  IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = uj) THEN
    RAISE EXCEPTION 'A(z) "%" szerep már létezik a kiszolgálón.', uj USING ERRCODE = '42710';
  END IF;
  EXECUTE format('ALTER ROLE %I RENAME TO %I', regi, uj);
  DELETE FROM @S@.felhasznalo WHERE felhasznalo = regi;
  PERFORM @S@.dorvprg_tukor(uj);
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_felhasznalo_jogok(nev text, torzsszerkeszt boolean, rendszergazda boolean)
RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  PERFORM @S@.dorvprg_ellenoriz(nev, NULL, true);
  PERFORM @S@.dorvprg_jogok(nev, torzsszerkeszt, rendszergazda);
END $dorvprg_fv$;

CREATE OR REPLACE FUNCTION @S@.dorvprg_felhasznalo_jelszo(nev text, jelszo text)
RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  PERFORM @S@.dorvprg_ellenoriz(nev, coalesce(jelszo, ''), true);
  EXECUTE format('ALTER ROLE %I PASSWORD %L', nev, jelszo);
END $dorvprg_fv$;

-- a row whose name no role has (kept from the one-role set-up) goes alone
CREATE OR REPLACE FUNCTION @S@.dorvprg_felhasznalo_torol(nev text)
RETURNS void LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog, pg_temp AS $dorvprg_fv$
BEGIN
  IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = nev) THEN
    PERFORM @S@.dorvprg_ellenoriz(nev, NULL, true);
    EXECUTE format('DROP ROLE %I', nev);
  END IF;
  DELETE FROM @S@.felhasznalo WHERE felhasznalo = nev;
END $dorvprg_fv$;
SQL
)
fuggvenyek=${fuggvenyek//@S@/$S}
fuggvenyek=${fuggvenyek//@MIND@/$(szo "$gMind")}
fuggvenyek=${fuggvenyek//@TORZS@/$(szo "$gTorzs")}
fuggvenyek=${fuggvenyek//@ADMIN@/$(szo "$gAdmin")}
fuggvenyek=${fuggvenyek//@KEZELO@/$(szo "$gKezelo")}
fuggvenyek=${fuggvenyek//@TULAJ@/$(szo "$szerep")}
{
  echo "BEGIN;"
  printf '%s\n' "$fuggvenyek"
  for f in "dorvprg_kezelt(text)" "dorvprg_ellenoriz(text,text,boolean)" "dorvprg_tukor(text)" \
           "dorvprg_jogok(text,boolean,boolean)" "dorvprg_felhasznalo_uj(text,text,boolean,boolean)" \
           "dorvprg_felhasznalo_atnevez(text,text)" "dorvprg_felhasznalo_jogok(text,boolean,boolean)" \
           "dorvprg_felhasznalo_jelszo(text,text)" "dorvprg_felhasznalo_torol(text)"; do
    echo "ALTER FUNCTION $S.$f OWNER TO $(azon "$gKezelo");"
    echo "REVOKE ALL ON FUNCTION $S.$f FROM PUBLIC;"
    case "$f" in dorvprg_felhasznalo_*) echo "GRANT EXECUTE ON FUNCTION $S.$f TO $(azon "$gAdmin");" ;; esac
  done
  # the register's mode: the program takes the rights from these groups
  echo "INSERT INTO $S.meta (kulcs, ertek) VALUES ('szerep_mindenki', $(szo "$gMind")),"
  echo "  ('szerep_torzsszerkeszt', $(szo "$gTorzs")), ('szerep_rendszergazda', $(szo "$gAdmin"))"
  echo "  ON CONFLICT (kulcs) DO UPDATE SET ertek = excluded.ertek;"
  echo "COMMIT;"
} | adatbazisban

echo "A(z) $adatbazis nyilvántartás felhasználónkénti szerepekkel működik: $gMind, $gTorzs, $gAdmin."
[ -z "$kimaradt" ] || echo "Figyelem: ezek a táblák nincsenek a jogosultsági listán, csak a(z) $szerep éri el őket: $kimaradt"
[ -z "$hianyzik" ] || echo "A lista még nem létező táblái (egy újabb változat hozza őket; utána futtassa újra): $hianyzik"

if [ -n "$admin" ]; then
  vanAdmin=$(ertek -v admin="$admin" <<'SQL'
SELECT count(*) FROM pg_roles WHERE rolname = :'admin'
SQL
)
  if [ "$vanAdmin" = 1 ]; then
    # an existing role is taken only when it is one of this register's or belongs to no group
    kezelt=$(adatbazisban -v admin="$admin" <<SQL
SELECT $S.dorvprg_kezelt(:'admin') OR NOT EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles r ON r.oid = m.member
                                                  WHERE r.rolname = :'admin')
SQL
)
    [ "$kezelt" = t ] || hiba "a(z) $admin szerep már létezik, és más csoportok tagja is; nem változtattam rajta"
  fi
  jelszoOlvas "$admin" "$vanAdmin"
  export DORVPRG_PG_JELSZO="$jelszo"
  adatbazisban "${v[@]}" -v admin="$admin" <<SQL
\getenv jelszo DORVPRG_PG_JELSZO
BEGIN;
SELECT format('CREATE ROLE %I LOGIN', :'admin') WHERE NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = :'admin') \gexec
SELECT format('ALTER ROLE %I LOGIN INHERIT NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS', :'admin') \gexec
SELECT format('GRANT %I TO %I', g, :'admin') FROM unnest(ARRAY[:'gMind', :'gTorzs', :'gAdmin']) g \gexec
SELECT format('ALTER ROLE %I PASSWORD %L', :'admin', :'jelszo') WHERE :'jelszo' <> '' \gexec
SELECT $S.dorvprg_tukor(:'admin');
COMMIT;
SQL
  unset DORVPRG_PG_JELSZO
  echo "A(z) $admin a nyilvántartás rendszergazdája (törzsadat-szerkesztő is)."
  [ -z "$jelszo" ] || echo "A(z) $admin szerep jelszava beállítva."
fi

cat <<EOF

Kész. A DorvPrg.ini beállítása minden asztalon, felhasználó és jelszó nélkül (a program
induláskor kéri őket, és a kiszolgáló ellenőrzi):
  [Adatbazis]
  Kapcsolat=host=${PGHOST:-$(hostname -f 2>/dev/null || hostname)} port=${PGPORT:-5432} dbname=$adatbazis
EOF
