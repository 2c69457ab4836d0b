#include "Parancssor.h"
#include "Adatbazis.h"
#include "ArchivEllenor.h"
#include "ArchivIro.h"
#include "ArchivMegorzes.h"
#include "ArchivVisszaallito.h"
#include "Beall.h"
#include "Masolas.h"
#include "ParadoxImport.h"
#include "EmailKuldes.h"
#include "Export.h"
#include "Garancia.h"
#include "GaranciaKereso.h"
#include "NyomtatasPdf.h"
#include "StoreHiba.h"
#include "Tabla.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <functional>
#include <unistd.h>

namespace {

QTextStream &ki()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &hiba()
{
    static QTextStream s(stderr);
    return s;
}

// A message on one line of stderr, so that a script's log keeps the reason with the failure
// (libpq's reasons come in several lines of their own).
QString egySor(const QString &uzenet) { return QString(uzenet).replace('\r', ' ').replace('\n', ' ').simplified(); }

// DorvPrg.ini named a database folder that is gone: a form must not quietly work on the
// default folder instead.
bool g_iniMappaHianyzik = false;

// The earlier program's tables into a new database of the folder, with progress for a
// person watching (not into a script's log). Throws StoreHiba.
ParadoxImport::Eredmeny paradoxImportal(const QString &mappa)
{
    const bool terminal = isatty(STDERR_FILENO);
    try {
        const ParadoxImport::Eredmeny e = ParadoxImport::importal(mappa, [&](const QString &t, qint64 kesz, qint64 osszes) {
            if (terminal && !t.isEmpty()) {
                hiba() << "\r" << t << ": " << kesz << " / " << osszes << " sor      ";
                hiba().flush();
            }
            return true;
        });
        if (terminal)
            hiba() << "\r" << QString(60, ' ') << "\r";
        return e;
    } catch (const StoreHiba &) {
        if (terminal)
            hiba() << "\n";
        throw;
    }
}

// --import-paradox MAPPA: the earlier program's tables into a new database of the folder.
int paradoxImportForma(const QStringList &a, const QString &data)
{
    if (a.size() > 1) {
        hiba() << "Túl sok argumentum: dorvprg --import-paradox MAPPA\n";
        return 2;
    }
    const QString mappa = a.isEmpty() ? data : a.first();
    if (mappa.isEmpty()) {
        hiba() << "Hiányzik a mappa: dorvprg --import-paradox MAPPA\n";
        return 2;
    }
    try {
        const ParadoxImport::Eredmeny e = paradoxImportal(mappa);
        ki() << "Átvett adatbázis: " << QDir::toNativeSeparators(QDir(mappa).absoluteFilePath(Adatbazis::FAJLNEV)) << "\n";
        for (const QString &s : e.sorok())
            ki() << s << "\n";
        ki() << "Összesen: " << e.osszesSor() << " sor\n";
        return 0;
    } catch (const StoreHiba &h) {
        // one line, so a script's log keeps the reason with the failure
        hiba() << "Az importálás nem sikerült, a mappa változatlan maradt: "
               << egySor(h.uzenet()) << "\n";
        return 1;
    }
}

// The database folder: --data or DorvPrg.ini, a folder that exists.
QString adatMappa(const QString &data)
{
    if (data.isEmpty() && g_iniMappaHianyzik)
        throw StoreHiba(QString("Nem létező adatbázis mappa a beállításokban (%1); adja meg a mappát a --data "
                                "kapcsolóval.").arg(QDir::toNativeSeparators(OlvasottIniFajlUt())));
    const QString mappa = data.isEmpty() ? Beall.AdatbazisUtvonal : data;
    if (mappa.isEmpty() || !QFileInfo(mappa).isDir())
        throw StoreHiba(QString("Nem létező adatbázis mappa: %1").arg(mappa));
    return mappa;
}

// The database folder of a form that only reads; it must hold a database (opening would
// create an empty one); a register on a server needs only the folder of its texts and
// documents.
QString letezoAdatbazis(const QString &data, bool szerverrel = !Beall.AdatbazisKapcsolat.isEmpty())
{
    const QString mappa = adatMappa(data);
    if (!szerverrel && !Adatbazis::vanAdatbazis(mappa))
        throw StoreHiba(QString("A mappában nincs adatbázis: %1").arg(mappa));
    Beall.AdatbazisUtvonal = QDir(mappa).absolutePath();
    return Beall.AdatbazisUtvonal;
}

// --archive [FÁJL]: the archive the menu makes, and the date for the reminder at close.
int archivForma(const QStringList &a, const QString &data)
{
    if (a.size() > 1) {
        hiba() << "Túl sok argumentum: dorvprg --archive [FÁJL]\n";
        return 2;
    }
    if (!a.isEmpty() && a.first().isEmpty()) {
        hiba() << "Üres fájlnév: dorvprg --archive [FÁJL]\n";
        return 2;
    }
    const QString mappa = letezoAdatbazis(data);
    // an unreachable server is told as at start, naming host and port; its dump goes along
    const QString kapcsolat = IniKapcsolat();
    if (!kapcsolat.isEmpty())
        Adatbazis::megnyit(mappa, kapcsolat);
    QString cel;
    if (a.isEmpty()) {
        ArchivMappaLetrehoz(Beall.MentesUtvonal);
        cel = QDir(Beall.MentesUtvonal).filePath(ArchivNev());
    } else {
        cel = QFileInfo(a.first()).absoluteFilePath();
        // a new name without extension gets .zip, as in the save dialog
        if (QFileInfo(cel).suffix().isEmpty() && !QFileInfo(cel).exists() && !QFileInfo(cel).isSymLink())
            cel += ".zip";
    }
    const bool terminal = isatty(STDERR_FILENO);
    const ArchivOsszegzes o = ArchivIr(mappa, cel, [&](qint64 kesz, qint64 osszes) {
        if (terminal) {
            hiba() << "\rArchiválás: " << (osszes > 0 ? kesz * 100 / osszes : 100) << "% ";
            hiba().flush();
        }
        return true;
    }, kapcsolat);
    if (terminal)
        hiba() << "\r" << QString(20, ' ') << "\r";
    ki() << "Archív állomány kész: " << QDir::toNativeSeparators(cel) << " (" << o.fajlok << " fájl, " << o.bajtok
         << " bájt";
    if (o.dokumentumok > 0)
        ki() << ", ebből " << o.dokumentumok << " csatolt dokumentum";
    ki() << ")\n";
    if (const QString f = ArchivFigyelmeztetes(o); !f.isEmpty())
        hiba() << egySor(f) << "\n";
    const ArchivMegorzesEredmeny m = ArchivMegoriz(cel, Beall.MentesUtvonal, Beall.ArchivMegtart,
                                                   Beall.MasodikMentesUtvonal);
    if (!m.masolat.isEmpty())
        ki() << "Másolat: " << QDir::toNativeSeparators(m.masolat) << "\n";
    for (const QString &t : m.toroltek)
        ki() << "Régebbi archívum törölve: " << QDir::toNativeSeparators(t) << "\n";
    int kod = 0;
    if (!m.masolatHiba.isEmpty()) {
        hiba() << "Az archívum elkészült, de a második mentési mappába nem került másolat: " << egySor(m.masolatHiba)
               << "\n";
        kod = 1;
    }
    for (const QString &t : m.torlesHibak)
        hiba() << "Régebbi archívum nem törölhető: " << egySor(t) << "\n";
    Beall.MentesDatum = QDate::currentDate();
    try {
        MentesDatumIr(Beall.MentesDatum);
    } catch (const StoreHiba &h) {
        hiba() << "Az archívum elkészült, de a mentés dátuma nem írható a beállításokba: "
               << egySor(h.uzenet()) << "\n";
        return 1;
    }
    return kod;
}

// Takes "--name value" out of the arguments; false when the value is missing.
bool opcio(QStringList &a, const QString &nev, QString &ertek)
{
    const int i = a.indexOf(nev);
    if (i < 0)
        return true;
    if (i + 1 >= a.size())
        return false;
    ertek = a[i + 1];
    a.remove(i, 2);
    return true;
}

// J or S; empty when the text is neither.
QString nezetBetu(const QString &s)
{
    const QString b = s.toUpper();
    return b == "J" || b == "S" ? b : QString();
}

// --export J|S FÁJL [--separator ';'|tab|','] [--qualifier '"'|"'"|none]
int exportForma(const QStringList &argumentumok, const QString &data)
{
    const char *hasznalat = "dorvprg --export J|S FÁJL [--separator ';'|tab|','] [--qualifier '\"'|\"'\"|none]";
    QStringList a = argumentumok;
    QString sep = ";", qual = "\"";
    if (!opcio(a, "--separator", sep) || !opcio(a, "--qualifier", qual)) {
        hiba() << "Hiányzik az opció értéke: " << hasznalat << "\n";
        return 2;
    }
    if (a.size() != 2 || nezetBetu(a[0]).isEmpty()) {
        hiba() << (a.size() < 2 ? "Hiányzó argumentum: " : "Hibás argumentum: ") << hasznalat << "\n";
        return 2;
    }
    QString elvalaszto;
    if (sep == ";" || sep == "," || sep == "\t")
        elvalaszto = sep;
    else if (sep.toLower() == "tab")
        elvalaszto = "\t";
    QChar jelolo;
    const bool jeloloJo = qual == "\"" || qual == "'" || qual.toLower() == "none";
    if (qual == "\"" || qual == "'")
        jelolo = qual[0];
    if (elvalaszto.isEmpty() || !jeloloJo) {
        hiba() << "Ismeretlen " << (elvalaszto.isEmpty() ? "határoló: " + sep : "szövegjelölő: " + qual) << " ("
               << hasznalat << ")\n";
        return 2;
    }
    Adatbazis::megnyit(letezoAdatbazis(data), IniKapcsolat());
    Tabla t("doksi");
    LevelListaKurzor(t, nezetBetu(a[0]));
    const QString fajl = QFileInfo(a[1]).absoluteFilePath();
    // the cursor stays closed: the whole view is read without its keys
    const ExportEredmeny e = HataroltIr(t, fajl, elvalaszto, jelolo);
    ki() << "Exportálva: " << e.sorok << " levél (" << (nezetBetu(a[0]) == "S" ? "Szereléssel" : "Jótállás")
         << ") -> " << QDir::toNativeSeparators(fajl) << "\n";
    return 0;
}

// --pdf FORMA KULCS FÁJL, --pdf lista J|S FÁJL: the printout as the preview shows it.
int pdfForma(const QStringList &a, const QString &data)
{
    const char *hasznalat = "dorvprg --pdf jotallas|szereles|javitas|szerelo|megjegyzes KULCS FÁJL, "
                            "dorvprg --pdf lista J|S FÁJL";
    if (a.size() != 3) {
        hiba() << (a.size() < 3 ? "Hiányzó argumentum: " : "Túl sok argumentum: ") << hasznalat << "\n";
        return 2;
    }
    NyomtatvanyFajta f;
    if (!FajtaNevbol(a[0], f)) {
        hiba() << "Ismeretlen nyomtatvány: " << a[0] << " (" << hasznalat << ")\n";
        return 2;
    }
    const bool lista = f == NyomtatvanyFajta::Lista;
    bool ok = false;
    const int doksi = lista ? 0 : a[1].toInt(&ok);
    if (lista ? nezetBetu(a[1]).isEmpty() : !ok) {
        hiba() << (lista ? "Hibás nézet: " : "Hibás kulcs: ") << a[1] << " (" << hasznalat << ")\n";
        return 2;
    }
    Adatbazis::megnyit(letezoAdatbazis(data), IniKapcsolat());
    const QString fajl = QFileInfo(a[2]).absoluteFilePath();
    int lapok = 0;
    if (lista) {
        lapok = ListaPdf(nezetBetu(a[1]).at(0), fajl);
    } else {
        if (!Adatbazis::ertek("SELECT doksi FROM doksi WHERE doksi = ?", {doksi}).isValid()) {
            hiba() << "Nincs levél ezzel a kulccsal: " << doksi << "\n";
            return 1;
        }
        lapok = NyomtatvanyPdf(f, doksi, fajl);
    }
    ki() << "PDF kész: " << QDir::toNativeSeparators(fajl) << " (" << lapok << " oldal)\n";
    return 0;
}

// --email FORMA KULCS: the printout as a PDF handed to the mail program, as the preview's
// "Küldés e-mailben" does.
int emailForma(const QStringList &a, const QString &data)
{
    const char *hasznalat = "dorvprg --email jotallas|szereles|javitas|szerelo|megjegyzes KULCS";
    if (a.size() != 2) {
        hiba() << (a.size() < 2 ? "Hiányzó argumentum: " : "Túl sok argumentum: ") << hasznalat << "\n";
        return 2;
    }
    NyomtatvanyFajta f;
    if (!FajtaNevbol(a[0], f) || f == NyomtatvanyFajta::Lista) {
        hiba() << "Ismeretlen nyomtatvány: " << a[0] << " (" << hasznalat << ")\n";
        return 2;
    }
    bool ok = false;
    const int doksi = a[1].toInt(&ok);
    if (!ok) {
        hiba() << "Hibás kulcs: " << a[1] << " (" << hasznalat << ")\n";
        return 2;
    }
    Adatbazis::megnyit(letezoAdatbazis(data), IniKapcsolat());
    if (!Adatbazis::ertek("SELECT doksi FROM doksi WHERE doksi = ?", {doksi}).isValid()) {
        hiba() << "Nincs levél ezzel a kulccsal: " << doksi << "\n";
        return 1;
    }
    EmailKuldes::regiekTorlese();
    auto m = NyomtatasiMunka::nyit(f, doksi);
    const EmailKuldes::Level l = EmailKuldes::keszit(*m, m->lapoz());
    if (!l.hibasCim.isEmpty())
        hiba() << "Az ügyfél e-mail címe nem érvényes cím, kimarad: " << egySor(l.hibasCim) << "\n";
    QString miert;
    if (!EmailKuldes::atad(l, miert)) {
        hiba() << "Nem található levelezőprogram, amely mellékletet fogad: " << egySor(miert)
               << " A PDF fájl: " << QDir::toNativeSeparators(l.pdf) << "\n";
        return 1;
    }
    ki() << "Levél átadva a levelezőprogramnak: " << (l.cimek.isEmpty() ? QString("(címzett nélkül)") : l.cimek.join(", "))
         << ", melléklet: " << QDir::toNativeSeparators(l.pdf) << "\n";
    return 0;
}

// --copy-to KAPCSOLAT: the local register (the earlier program's tables brought over first,
// when the folder holds only those) into an empty database on a server.
int masolasForma(const QStringList &a, const QString &data)
{
    const char *hasznalat = "dorvprg --copy-to \"host=... port=... dbname=... user=...\"";
    if (a.size() != 1 || a.first().trimmed().isEmpty()) {
        hiba() << (a.size() > 1 ? "Túl sok argumentum: " : "Hiányzik a kapcsolat: ") << hasznalat << "\n";
        return 2;
    }
    if (data.isEmpty() && g_iniMappaHianyzik)
        throw StoreHiba(QString("Nem létező adatbázis mappa a beállításokban (%1); adja meg a mappát a --data "
                                "kapcsolóval.").arg(QDir::toNativeSeparators(OlvasottIniFajlUt())));
    const QString mappa = QDir(data.isEmpty() ? Beall.AdatbazisUtvonal : data).absolutePath();
    if (!QFileInfo(mappa).isDir())
        throw StoreHiba(QString("Nem létező adatbázis mappa: %1").arg(mappa));
    if (ParadoxImport::vanRegiAdatbazis(mappa)) {
        const ParadoxImport::Eredmeny e = paradoxImportal(mappa);
        ki() << "Átvett Paradox táblák: " << e.osszesSor() << " sor\n";
    }
    // the source is always the folder's own file, whatever server DorvPrg.ini names
    letezoAdatbazis(mappa, false);
    // one copied before may be copied again (into a new database)
    Adatbazis::megnyit(mappa, {}, true);
    const bool terminal = isatty(STDERR_FILENO);
    QString utolso;
    const Masolas::Eredmeny e = Masolas::masol(a.first(), [&](const QString &t, qint64 kesz, qint64 osszes) {
        // an empty table name: the rows are there, the search index is being built
        const QString sor = QString("Másolás: %1% %2").arg(osszes > 0 ? kesz * 100 / osszes : 100)
                                .arg(t.isEmpty() ? QString("(keresőindex)") : t);
        if (!terminal || sor == utolso)
            return;
        utolso = sor;
        hiba() << "\r" << sor << "          ";
        hiba().flush();
    });
    if (terminal) {
        hiba() << "\r" << QString(50, ' ') << "\r";
        hiba().flush();   // the line is cleared before the report comes on stdout
    }
    for (const auto &t : e.tablak)
        ki() << t.first << ": " << t.second << " sor\n";
    ki() << "Átmásolva a kiszolgálóra: " << e.osszesSor() << " sor. A program a DorvPrg.ini [Adatbazis] "
         << "Kapcsolat= kulcsával használja.\n"
         << "A helyi adatbázis áthelyezettként megjelölve, a program nem nyitja meg többé; adatai "
            "változatlanul megmaradtak: " << QDir::toNativeSeparators(QDir(mappa).filePath(Adatbazis::FAJLNEV)) << "\n";
    return 0;
}

// --warranty SZÖVEG: the counter's question, one tab-separated line per letter.
int garanciaForma(const QStringList &a, const QString &data)
{
    if (a.size() != 1 || a.first().trimmed().isEmpty()) {
        hiba() << (a.size() > 1 ? "Túl sok argumentum: " : "Hiányzó argumentum: ") << "dorvprg --warranty SZÖVEG\n";
        return 2;
    }
    Adatbazis::megnyit(letezoAdatbazis(data), IniKapcsolat());
    const QList<GaranciaSor> sorok = GaranciaKereso::keres(a.first(), QDate::currentDate());
    for (const GaranciaSor &s : sorok) {
        // a tab or line break inside a text would split the line
        QString ido = s.dorvido;
        ido.replace(QChar('\t'), QChar(' ')).replace(QChar('\n'), QChar(' ')).replace(QChar('\r'), QChar(' '));
        ki() << s.prntip << '\t' << s.doksiId << '\t' << Garancia::datumSzoveg(s.datum) << '\t' << ido << '\t'
             << Garancia::datumSzoveg(s.allapot.veg) << '\t' << Garancia::allapotSzo(s.allapot) << '\t'
             << s.nyitottReklamacio << '\n';
    }
    return sorok.isEmpty() ? 1 : 0;
}

// --expiring TÓL IG FÁJL: the letters whose warranty ends between the two days, inclusive,
// as the delimited export writes them, the end date last.
int lejaroForma(const QStringList &a, const QString &data)
{
    const char *hasznalat = "dorvprg --expiring ÉÉÉÉ-HH-NN ÉÉÉÉ-HH-NN FÁJL";
    if (a.size() != 3) {
        hiba() << (a.size() < 3 ? "Hiányzó argumentum: " : "Túl sok argumentum: ") << hasznalat << "\n";
        return 2;
    }
    const QDate tol = QDate::fromString(a[0], "yyyy-MM-dd"), ig = QDate::fromString(a[1], "yyyy-MM-dd");
    if (!tol.isValid() || !ig.isValid() || tol > ig) {
        hiba() << "Hibás dátum vagy időszak: " << a[0] << " " << a[1] << " (" << hasznalat << ")\n";
        return 2;
    }
    Adatbazis::megnyit(letezoAdatbazis(data), IniKapcsolat());
    const QList<GaranciaSor> sorok = GaranciaKereso::lejarok(tol, ig, {}, QDate::currentDate());
    QList<qint64> kulcsok;
    for (const GaranciaSor &s : sorok)
        kulcsok << s.doksi;
    const QString fajl = QFileInfo(a[2]).absoluteFilePath();
    const ExportEredmeny e = HataroltLevelekIr(
        kulcsok, {"garancia vége"}, [&](int i) { return QStringList{Garancia::datumSzoveg(sorok[i].allapot.veg)}; },
        fajl, ";", QChar('"'));
    ki() << "Exportálva: " << e.sorok << " levél (garancia vége " << Garancia::datumSzoveg(tol) << " - "
         << Garancia::datumSzoveg(ig) << ") -> " << QDir::toNativeSeparators(fajl) << "\n";
    return 0;
}

// --verify ZIP: the archive read back and its database checked; the reason on one line.
int ellenorForma(const QStringList &a, const QString &)
{
    if (a.size() != 1 || a.first().isEmpty()) {
        hiba() << "Használat: dorvprg --verify ZIP\n";
        return 2;
    }
    const ArchivVizsgalat v = ArchivEllenoriz(QFileInfo(a.first()).absoluteFilePath());
    if (!v.rendben) {
        hiba() << v.ok << "\n";
        return 1;
    }
    ki() << "Az archívum rendben: " << QDir::toNativeSeparators(a.first()) << "\n" << v.leirasSzoveg() << "\n";
    return 0;
}

// --restore ZIP: the archive back into the database folder (or the server's database), the
// register before it archived first; dorvido.ini belongs to the program folder and is left.
int visszaallitForma(const QStringList &a, const QString &data)
{
    if (a.size() != 1 || a.first().isEmpty()) {
        hiba() << "Használat: dorvprg --restore ZIP [--data MAPPA]\n";
        return 2;
    }
    Beall.AdatbazisUtvonal = QDir(adatMappa(data)).absolutePath();
    const QString kapcsolat = IniKapcsolat();
    if (!kapcsolat.isEmpty())
        Adatbazis::megnyit(Beall.AdatbazisUtvonal, kapcsolat);
    const bool terminal = isatty(STDERR_FILENO);
    const VisszaallitasEredmeny e = ArchivVisszaallit(a.first(), Beall.AdatbazisUtvonal, kapcsolat, Beall.MentesUtvonal, false,
                                                      [&](qint64 kesz, qint64 osszes) {
        if (terminal) {
            hiba() << "\rVisszaállítás: " << (osszes > 0 ? kesz * 100 / osszes : 100) << "% ";
            hiba().flush();
        }
        return true;
    });
    if (terminal)
        hiba() << "\r" << QString(24, ' ') << "\r";
    ki() << e.szoveg() << "\n";
    return 0;
}

struct Forma {
    const char *nev;
    const char *sugo;   // one line of --help
    // gets the arguments after the form's name and the --data folder; returns the exit code
    std::function<int(const QStringList &, const QString &)> futtat;
};

// The forms; each feature adds its line here.
const QList<Forma> &formak()
{
    static const QList<Forma> f = {
        {"--import-paradox",
         "--import-paradox MAPPA\n      a korábbi program Paradox tábláinak átvétele a mappa új adatbázisába",
         paradoxImportForma},
        {"--archive",
         "--archive [FÁJL]\n      az adatbázis mappájának archiválása ZIP fájlba (alapértelmezés: az archív\n"
         "      mappa ééééhhnn.zip fájlja); a mentés dátuma a DorvPrg.ini-be kerül",
         archivForma},
        {"--verify",
         "--verify ZIP\n      az archívum ellenőrzése: minden bejegyzés a CRC-jével, az adatbázis épsége, mit tartalmaz;\n"
         "      kilépési kód 0, ha rendben van, 1 és az ok egy sorban, ha nem",
         ellenorForma},
        {"--restore",
         "--restore ZIP\n      az archívum visszaállítása az adatbázis mappájába (kiszolgálón tartott nyilvántartásnál\n"
         "      az adatbázisba); előbb ellenőrzi, a mostani állapotot az archív mappába menti\n"
         "      (elotte-ééééhhnn-óóppmm.zip); más program nyitott adatbázisát nem cseréli; a dorvido.ini-t\n"
         "      nem állítja vissza (csak az ablakos visszaállítás, kérdésre)",
         visszaallitForma},
        {"--copy-to",
         "--copy-to KAPCSOLAT\n"
         "      a helyi adatbázis átmásolása egy üres PostgreSQL adatbázisba (KAPCSOLAT: libpq\n"
         "      kapcsolat, pl. \"host=szerver dbname=dorvprg user=dorvprg\" vagy \"service=dorvprg\");\n"
         "      egy tranzakcióban, a kulcsok és a számlálók megmaradnak; nem üres adatbázist\n"
         "      nem változtat; a mappa Paradox tábláit előbb átveszi; a sikeres másolás után a helyi\n"
         "      adatbázist áthelyezettként megjelöli (adatai megmaradnak, a program nem nyitja meg)",
         masolasForma},
        {"--export",
         "--export J|S FÁJL [--separator ';'|tab|','] [--qualifier '\"'|\"'\"|none]\n"
         "      a Jótállás (J) vagy Szereléssel (S) nézet leveleinek határolt szöveges exportja,\n"
         "      ahogy az export ablak írja (alapértelmezés: pontosvessző és idézőjel)",
         exportForma},
        {"--pdf",
         "--pdf jotallas|szereles|javitas|szerelo|megjegyzes KULCS FÁJL\n"
         "      egy levél nyomtatványa PDF fájlba, ahogy az előnézet mutatja (KULCS: a levél doksi kulcsa)\n"
         "  --pdf lista J|S FÁJL\n"
         "      a nézet leveleinek listája PDF fájlba",
         pdfForma},
        {"--email",
         "--email jotallas|szereles|javitas|szerelo|megjegyzes KULCS\n"
         "      egy levél nyomtatványa PDF-ben a levelezőprogramnak (xdg-email), az ügyfél e-mail\n"
         "      címével és a beállítások tárgyával és szövegével",
         emailForma},
        {"--warranty",
         "--warranty SZÖVEG\n"
         "      garancia ellenőrzés sorozatszám, rendszám, ügyfélnév vagy levélszám szerint; levelenként\n"
         "      egy tabulátorral tagolt sor: fajta, szám, dátum, időtartam, garancia vége (éééé.hh.nn.),\n"
         "      ervenyes|lejart|ismeretlen, nyitott reklamációk; kilépési kód 1, ha nincs találat",
         garanciaForma},
        {"--expiring",
         "--expiring TÓL IG FÁJL\n"
         "      a két nap (éééé-hh-nn) között lejáró garanciájú levelek határolt exportja,\n"
         "      utolsó oszlopa a garancia vége",
         lejaroForma},
    };
    return f;
}

// Flushes the output: a report that did not reach stdout (a full disk behind a redirection)
// is a failure too.
int kimenetVege(int kod)
{
    ki().flush();
    if (ki().status() != QTextStream::Ok) {
        hiba() << "A kimenet nem írható (szabványos kimenet).\n";
        if (kod == 0)
            kod = 1;
    }
    hiba().flush();
    return kod;
}

void sugo()
{
    ki() << "Használat: dorvprg [--data MAPPA] FORMA [ARGUMENTUMOK]\n"
         << "Argumentum nélkül a program ablakos módban indul.\n\n"
         << "Formák:\n";
    for (const Forma &f : formak())
        ki() << "  " << f.sugo << "\n";
    ki() << "  --help\n      ez a leírás\n\n"
         << "  --data MAPPA   az adatbázis mappája (alapértelmezés: a DorvPrg.ini beállítása)\n\n"
         << "Ha a DorvPrg.ini [Adatbazis] szakaszának Kapcsolat= kulcsa egy PostgreSQL kiszolgálót\n"
         << "nevez meg, a formák azon dolgoznak; a jelszó a ~/.pgpass vagy a szolgáltatásfájl dolga.\n";
}

} // namespace

bool ParancssorKell(int argc, char *[]) { return argc > 1; }

bool ParancssorFuttat(const QStringList &argumentumok, int &kilepesiKod)
{
    QStringList a = argumentumok.mid(1);
    if (a.isEmpty())
        return false;
    QString mappa;
    const int d = a.indexOf("--data");
    if (d >= 0) {
        if (d + 1 >= a.size()) {
            hiba() << "Hiányzik a mappa a --data után.\n";
            hiba().flush();
            kilepesiKod = 2;
            return true;
        }
        mappa = a[d + 1];
        a.remove(d, 2);
        // an empty folder is a script's empty variable, not a wish for the settings' folder
        if (mappa.isEmpty()) {
            hiba() << "Üres mappanév a --data után.\n";
            hiba().flush();
            kilepesiKod = 2;
            return true;
        }
    }
    if (a.isEmpty() || a.first() == "--help" || a.first() == "-h") {
        sugo();
        kilepesiKod = kimenetVege(a.isEmpty() ? 2 : 0);
        return true;
    }
    for (const Forma &f : formak()) {
        if (a.first() != QLatin1String(f.nev))
            continue;
        try {
            // a damaged settings file must not send a form to the default, maybe empty, register
            // (the import names its folder itself)
            const IniAllapot ini = BeallitasOlvas();
            g_iniMappaHianyzik = ini == IniAllapot::MappaVisszaallitva;
            if (ini == IniAllapot::Hibas && mappa.isEmpty() && a.first() != "--import-paradox"
                && a.first() != "--verify") {
                const QString elozo = ElozoAdatbazisMappa();
                throw StoreHiba(QString("A beállítások fájlja üres vagy sérült: %1; adja meg az adatbázis mappát "
                                        "a --data kapcsolóval (legutóbb: %2).")
                                    .arg(QDir::toNativeSeparators(OlvasottIniFajlUt()),
                                         elozo.isEmpty() ? "nem ismert" : QDir::toNativeSeparators(elozo)));
            }
            kilepesiKod = f.futtat(a.mid(1), mappa);
        } catch (const StoreHiba &h) {
            hiba() << egySor(h.uzenet()) << "\n";
            kilepesiKod = 1;
        }
        Adatbazis::bezar();
        kilepesiKod = kimenetVege(kilepesiKod);
        return true;
    }
    hiba() << "Ismeretlen forma: " << a.first() << " (dorvprg --help a formák listája)\n";
    hiba().flush();
    kilepesiKod = 2;
    return true;
}

bool ParancssorFuttat(int argc, char *argv[], int &kilepesiKod)
{
    // A name is used as a QString and goes back to the system through QFile::encodeName: an
    // argument that does not come back as its own bytes (not valid UTF-8) would name another
    // file, so it is refused instead.
    QStringList a;
    for (int i = 0; i < argc; ++i) {
        const QByteArray b(argv[i]);
        a << QFile::decodeName(b);
        if (i == 0 || QFile::encodeName(a.last()) == b)
            continue;
        QString lathato;
        for (const char c : b)
            lathato += uchar(c) >= 0x20 && uchar(c) < 0x7F ? QString(QLatin1Char(c))
                                                            : "\\x" + QString("%1").arg(uchar(c), 2, 16, QChar('0')).toUpper();
        hiba() << "Az argumentum nem érvényes UTF-8 szöveg, a program nem tudja változatlanul használni: " << lathato
               << " (" << i << ". argumentum)\n";
        hiba().flush();
        kilepesiKod = 2;
        return true;
    }
    return ParancssorFuttat(a, kilepesiKod);
}
