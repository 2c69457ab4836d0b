#include "Generator.h"
#include "Adatbazis.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <cstdio>
#include <random>
#include <sqlite3.h>

namespace {

const int MARKAK = 2000, ALKATRESZEK = 20000, UGYFELEK = 100000;

const QStringList VEZETEKNEV = {"Kovács", "Szabó", "Tóth", "Nagy", "Horváth", "Varga", "Kiss", "Molnár",
                                "Németh", "Farkas", "Balogh", "Papp", "Takács", "Juhász", "Lakatos",
                                "Mészáros", "Oláh", "Simon", "Rácz", "Fekete", "Szűcs", "Győri", "Ördög",
                                "Bíró", "Szőke", "Érsek", "Ürögdi", "Öveges", "Lőrinczi", "Pál"};
const QStringList KERESZTNEV = {"Péter", "Éva", "Zoltán", "Ágnes", "István", "Erzsébet", "Gábor", "Katalin",
                                "László", "Ildikó", "József", "Anikó", "Ödön", "Örs", "Győző", "Tünde",
                                "Árpád", "Júlia", "Ferenc", "Zsófia", "Béla", "Enikő", "Csaba", "Ünige"};
const QStringList CEGFORMA = {"", "", "", "", " Kft.", " Bt.", " Zrt."};
const QStringList VAROS = {"Győr", "Pécs", "Szeged", "Debrecen", "Miskolc", "Székesfehérvár", "Kecskemét",
                           "Nyíregyháza", "Érd", "Sopron", "Szombathely", "Eger", "Tatabánya", "Budapest"};
const QStringList MARKA = {"Škoda", "Opel", "Suzuki", "Volkswagen", "Renault", "Peugeot", "Citroën", "Ford",
                           "Toyota", "Dacia", "Fiat", "Audi", "Mercedes", "BMW", "Lada", "Hyundai", "Kia",
                           "Mazda", "Nissan", "Seat"};
const QStringList ALKATRESZ = {"Fékbetét", "Féktárcsa", "Olajszűrő", "Légszűrő", "Pollenszűrő",
                               "Gyújtógyertya", "Vízpumpa", "Kuplungtárcsa", "Lengéscsillapító", "Akkumulátor",
                               "Generátor", "Önindító", "Kipufogódob", "Vezérműszíj", "Hűtőradiátor",
                               "Izzítógyertya", "Üzemanyagszűrő", "Ablaktörlő lapát", "Féknyereg", "Gömbfej"};
const QStringList HELY = {"első", "hátsó", "bal első", "jobb első", "bal hátsó", "jobb hátsó", "", ""};
const QStringList DORVIDO = {"6 hónap", "1 év", "2 év", "3 év"};
// One letter in 50 carries a rarer period: every form the warranty rule reads, and a few it
// cannot read.
const QStringList RITKA_DORVIDO = {"30 nap", "90 napos", "2 hét", "6 hetes", "3 hó", "12 hónapos", "1 éves",
                                   "1,5 év", "0.5 év", "20000 km", "1 év vagy 20.000 km", "2 év / 50 000 km",
                                   "6 hónap, 10000 km", "1 év és 30000 km", "élettartam", "korlátlan",
                                   "sokáig", "1 év garancia", "egy év", "1,5 hónap"};
const QStringList HIBA = {"Zörög", "Csikorog", "Nem indul", "Füstöl", "Szivárog", "Rángat", "Melegszik",
                          "Fékezéskor húz", "Búg a kerék", "Kopott"};

struct Rng {
    std::mt19937 g{20260101};
    int operator()(int n) { return int(g() % unsigned(n)); }
    const QString &valaszt(const QStringList &l) { return l[(*this)(int(l.size()))]; }
};

QSqlQuery elokeszit(const QString &sql)
{
    QSqlQuery q(Adatbazis::db());
    if (!q.prepare(sql))
        throw StoreHiba(q.lastError().text());
    return q;
}

void futtat(QSqlQuery &q)
{
    if (!q.exec())
        throw StoreHiba(q.lastError().text());
}

QString rendszam(Rng &r)
{
    QString s;
    for (int i = 0; i < 3; ++i)
        s += QChar('A' + r(26));
    return s + QString("-%1").arg(r(1000), 3, 10, QChar('0'));
}

int szam(const QString &sql) { return Adatbazis::ertek(sql).toInt(); }

} // namespace

bool RegiszterKesz(const QString &mappa, int levelek)
{
    if (!Adatbazis::vanAdatbazis(mappa))
        return false;
    try {
        Adatbazis::megnyit(mappa);
        const bool kesz = szam("SELECT count(*) FROM doksi") == levelek && szam("SELECT count(*) FROM marka") == MARKAK &&
                          szam("SELECT count(*) FROM alkatresz") == ALKATRESZEK &&
                          szam("SELECT count(*) FROM ugyfel") == UGYFELEK &&
                          szam("SELECT count(*) FROM reklamacio") == levelek / 200;
        Adatbazis::bezar();
        return kesz;
    } catch (const StoreHiba &) {
        Adatbazis::bezar();
        return false;
    }
}

// A claim on every 200th letter (the letters' keys run from 1), in every state, a few of
// them late; a generator of its own, so the letters stay as they were.
void reklamaciok(int levelek)
{
    static const char *const ALLAPOT[] = {"Beérkezett", "Beszállítónál", "Beszállító elfogadta", "Beszállító elutasította",
                                          "Javítva", "Cserélve", "Visszatérítve", "Elutasítva"};
    static const char *const BESZALLITO[] = {"Alfa Alkatrész Kft.", "Béta Autó Bt.", "Gamma Zrt.", "Delta Import Kft."};
    Rng r;
    QSqlQuery q = elokeszit("INSERT INTO reklamacio (doksi, datum, panasz, allapot, beszallito, koltseg, felhasznalo, indok) "
                            "SELECT doksi, date(datum, ?), ?, ?, ?, ?, 'rendszergazda', ? FROM doksi WHERE doksi = ?");
    for (int d = 200; d <= levelek; d += 200) {
        const int napok = 10 + r(500);
        q.bindValue(0, QString("+%1 days").arg(napok));
        q.bindValue(1, QString("%1, %2").arg(r.valaszt(HIBA)).arg(d % 3 ? "nem működik" : "zajos"));
        q.bindValue(2, ALLAPOT[r(8)]);
        q.bindValue(3, BESZALLITO[r(4)]);
        q.bindValue(4, r(4) == 0 ? QVariant(1000 * (1 + r(100))) : QVariant());
        q.bindValue(5, napok > 365 ? QVariant("törzsvevő, méltányosságból") : QVariant());
        q.bindValue(6, d);
        futtat(q);
    }
}

void RegiszterGeneral(const QString &mappa, int levelek)
{
    if (RegiszterKesz(mappa, levelek))
        return;
    QDir().mkpath(mappa);
    QFile::remove(QDir(mappa).filePath(Adatbazis::FAJLNEV));
    Adatbazis::megnyit(mappa);
    Rng r;
    {
        // one transaction; a crash leaves an empty register, not half of one
        Adatbazis::vegrehajt("PRAGMA synchronous = OFF");
        // each insert fires the search index's triggers, so SQLite keeps a statement journal
        // for it: in memory, not a temporary file written a few times per letter
        Adatbazis::vegrehajt("PRAGMA temp_store = MEMORY");
        Adatbazis::Tranzakcio t;
        QSqlQuery q = elokeszit("INSERT INTO marka (marka, marka_nev, kep) VALUES (?, ?, ?)");
        for (int i = 1; i <= MARKAK; ++i) {
            q.bindValue(0, i);
            q.bindValue(1, QString("%1 %2").arg(r.valaszt(MARKA)).arg(i));
            q.bindValue(2, i % 20);
            futtat(q);
        }
        q = elokeszit("INSERT INTO alkatresz (alkatresz, alkatresz_nev) VALUES (?, ?)");
        for (int i = 1; i <= ALKATRESZEK; ++i) {
            q.bindValue(0, i);
            q.bindValue(1, QString("%1 %2 %3").arg(r.valaszt(ALKATRESZ), r.valaszt(HELY)).arg(i).simplified());
            futtat(q);
        }
        q = elokeszit("INSERT INTO ugyfel (ugyfel, ugyfel_nev, telefon, cim_irsz, cim_varos, cim_cim) "
                      "VALUES (?, ?, ?, ?, ?, ?)");
        for (int i = 1; i <= UGYFELEK; ++i) {
            q.bindValue(0, i);
            q.bindValue(1, r.valaszt(VEZETEKNEV) + ' ' + r.valaszt(KERESZTNEV) + r.valaszt(CEGFORMA));
            q.bindValue(2, QString("+36 %1 %2").arg(20 + r(60)).arg(1000000 + r(9000000)));
            q.bindValue(3, QString::number(1000 + r(9000)));
            q.bindValue(4, r.valaszt(VAROS));
            q.bindValue(5, QString("Fő utca %1.").arg(1 + r(200)));
            futtat(q);
        }
        q = elokeszit("INSERT INTO doksi (doksi_id, datum, dorvido, marka, alkatresz, rendszam, ugyfel, "
                      "sorozatszam, prntip, kmora, hibajelenseg, dat_beerk, ft_varhato) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const QDate kezdet(2015, 1, 1);
        for (int i = 0; i < levelek; ++i) {
            // the two kinds interleave, as a real register grows
            const bool s = i % 2 == 1;
            const int id = i / 2 + 1;
            const QString datum = kezdet.addDays(qint64(i) * 4000 / std::max(1, levelek)).toString(Qt::ISODate);
            q.bindValue(0, id);
            q.bindValue(1, datum);
            const QString dorvido = r.valaszt(DORVIDO);
            q.bindValue(2, i % 50 == 7 ? RITKA_DORVIDO[(i / 50) % RITKA_DORVIDO.size()] : dorvido);
            q.bindValue(3, 1 + r(MARKAK));
            q.bindValue(4, 1 + r(ALKATRESZEK));
            q.bindValue(5, rendszam(r));
            q.bindValue(6, 1 + r(UGYFELEK));
            q.bindValue(7, QString("SN%1").arg(r(100000000), 8, 10, QChar('0')));
            q.bindValue(8, s ? "S" : "J");
            q.bindValue(9, s ? QVariant(QString::number(r(300000))) : QVariant());
            q.bindValue(10, s ? QVariant(r.valaszt(HIBA)) : QVariant());
            q.bindValue(11, s ? QVariant(datum) : QVariant());
            q.bindValue(12, s ? QVariant(1000 * (5 + r(200))) : QVariant());
            futtat(q);
        }
        reklamaciok(levelek);
        t.commit();
    }
    Adatbazis::vegrehajt("ANALYZE");
    Adatbazis::bezar();
}

QString RegiszterOlvasasra(const QString &mappa, const QString &masolat)
{
    // read through a read-only connection of its own: the program's would already migrate
    bool kesz = false;
    sqlite3 *h = nullptr;
    const QByteArray fajl = QFile::encodeName(QDir(mappa).filePath(Adatbazis::FAJLNEV));
    if (sqlite3_open_v2(fajl.constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        QSet<QString> nevek;
        int verzio = -1;
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h, "SELECT name FROM sqlite_master", -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                nevek.insert(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
        sqlite3_finalize(st);
        if (sqlite3_prepare_v2(h, "SELECT ertek FROM meta WHERE kulcs = 'verzio'", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            verzio = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        kesz = verzio == Sema::verzio();
        for (const QString &n : Sema::keresoObjektumok())
            kesz = kesz && nevek.contains(n);
    }
    sqlite3_close(h);
    if (kesz)
        return mappa;
    std::printf("%s: régebbi változat, a mérés egy másolaton fut (%s)\n", qPrintable(mappa), qPrintable(masolat));
    std::fflush(stdout);
    QDir().mkpath(masolat);
    for (const QFileInfo &f : QDir(mappa).entryInfoList(QDir::Files)) {
        const QString cel = QDir(masolat).filePath(f.fileName());
        QFile::remove(cel);
        if (!QFile::copy(f.filePath(), cel))
            throw StoreHiba(QString("A regiszter nem másolható: %1 -> %2").arg(f.filePath(), cel));
    }
    return masolat;
}
