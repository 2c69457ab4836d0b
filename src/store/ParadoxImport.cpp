#include "ParadoxImport.h"
#include "Naplo.h"
#include "Jelszo.h"
#include "Adatbazis.h"
#include "BiztosFajl.h"
#include "ImportMappa.h"
#include "ParadoxFajl.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QVariant>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>
#include <sqlite3.h>
#include <unistd.h>

extern "C" {
#include <paradox.h>
}

namespace {

// A Paradox date counts days from 1 January of year 1 (day 1).
constexpr qint64 DATUM_ELTOLAS = 1721425;
const QString MEGSZAKITVA = QStringLiteral("Az importálás megszakítva.");

quint32 le32(const uchar *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24); }

using ParadoxFajl::serultTabla;

// Single-byte code page to Unicode, by a table built once: far cheaper per field than a
// decoder call, and the old tables hold millions of short texts.
class Kodlap {
public:
    explicit Kodlap(const char *nev)
    {
        QStringDecoder d(nev);
        for (int i = 0; i < 256; ++i) {
            const char c = char(i);
            const QString s = d.isValid() ? d.decode(QByteArrayView(&c, 1)) : QString();
            m_tabla[i] = s.size() == 1 ? s[0] : QChar(i < 0x80 ? i : 0xFFFD);
        }
    }
    QString operator()(const char *p, qsizetype n) const
    {
        QString s(n, Qt::Uninitialized);
        QChar *c = s.data();
        for (qsizetype i = 0; i < n; ++i)
            c[i] = m_tabla[uchar(p[i])];
        return s;
    }

private:
    QChar m_tabla[256];
};

const Kodlap &kodlap(int dosKodlap)
{
    static const Kodlap cp1250("windows-1250");
    static const Kodlap cp852("IBM852");
    // tables made by the DOS drivers say so in their header; everything else is 1250
    return dosKodlap == 852 ? cp852 : cp1250;
}

// The Paradox types each kind of our fields takes without losing a value; anything else in a
// field we know is damage or a layout we cannot read, never a column left empty.
bool illik(int tipus, MezoTipus cel)
{
    switch (cel) {
    case MezoTipus::Autoinc: return tipus == pxfAutoInc || tipus == pxfLong || tipus == pxfShort;
    case MezoTipus::Egesz:
        return tipus == pxfLong || tipus == pxfShort || tipus == pxfAutoInc || tipus == pxfNumber
            || tipus == pxfCurrency;
    case MezoTipus::Datum: return tipus == pxfDate;
    case MezoTipus::Szoveg: return tipus == pxfAlpha;
    case MezoTipus::Memo: return tipus == pxfMemoBLOb || tipus == pxfFmtMemoBLOb || tipus == pxfAlpha;
    }
    return false;
}

QString tipusNev(MezoTipus t)
{
    switch (t) {
    case MezoTipus::Autoinc: return "számláló";
    case MezoTipus::Egesz: return "egész szám";
    case MezoTipus::Datum: return "dátum";
    case MezoTipus::Szoveg: return "szöveg";
    case MezoTipus::Memo: return "memó";
    }
    return {};
}

// The name read is ours with at most two characters changed (letter case aside).
bool serultNev(const QString &olvasott, const QString &nev)
{
    if (olvasott.size() != nev.size())
        return false;
    int elter = 0;
    for (qsizetype i = 0; i < nev.size(); ++i)
        elter += olvasott[i].toLower() != nev[i].toLower();
    return elter > 0 && elter <= 2;
}

// A header's name for a one-line message: control bytes as \xNN.
QString lathato(const QString &s)
{
    QString r;
    for (const QChar c : s)
        r += c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)
            ? "\\x" + QString("%1").arg(c.unicode(), 2, 16, QChar('0')).toUpper()
            : QString(c);
    return r;
}

struct RegiMezo : ParadoxFajl::Mezo {
    const MezoLeiras *cel = nullptr;    // our field, nullptr when left out
};

void pxHiba(pxdoc_t *, int szint, const char *uzenet, void *adat)
{
    auto *s = static_cast<QString *>(adat);
    if (szint != PX_Warning && s->isEmpty())
        *s = QString::fromLocal8Bit(uzenet);
}

struct PxZaro {
    void operator()(pxdoc_t *d) const
    {
        PX_close(d);
        PX_delete(d);
    }
};
struct FajlZaro {
    void operator()(FILE *f) const { std::fclose(f); }
};

// One old table: its header and block chain checked by us first, then its field list read
// by pxlib from the same open file and compared with ours. The records are read here, block
// by block along the checked chain.
class RegiTabla {
public:
    explicit RegiTabla(const QString &ut) : m_fajl(ut), m_tabla(ParadoxFajl::ellenoriz(m_fajl))
    {
        const int fd = ::dup(m_fajl.fd());
        FILE *fp = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
        if (!fp) {
            const int kod = errno;
            if (fd >= 0)
                ::close(fd);
            throw StoreHiba(QString("A tábla nem olvasható: %1\r\n%2").arg(QDir::toNativeSeparators(ut), RendszerHibaSzoveg(kod)));
        }
        m_fp.reset(fp);
        m_doc.reset(PX_new3(pxHiba, nullptr, nullptr, nullptr, &m_pxUzenet));
        if (!m_doc)
            throw StoreHiba(serultTabla(ut, "Nincs elég memória a tábla olvasásához."));
        if (PX_open_fp(m_doc.get(), fp) < 0 || !m_doc->px_head)
            throw StoreHiba(serultTabla(ut, "A Paradox-olvasó nem tudta megnyitni a táblát: " + m_pxUzenet));
        const pxhead_t *h = m_doc->px_head;
        bool egyezik = h->px_numfields == m_tabla.mezok.size() && h->px_recordsize == m_tabla.rekordHossz
            && h->px_numrecords == m_tabla.rekordSzam;
        for (int i = 0; egyezik && i < m_tabla.mezok.size(); ++i) {
            const pxfield_t &pf = h->px_fields[i];
            const ParadoxFajl::Mezo &m = m_tabla.mezok[i];
            egyezik = uchar(pf.px_ftype) == m.tipus && pf.px_flen == m.hossz
                && QString::fromLatin1(pf.px_fname ? pf.px_fname : "") == m.nev;
        }
        if (!egyezik)
            throw StoreHiba(serultTabla(ut, "A Paradox-olvasó másként érti a fejlécet, mint az ellenőrzés."));
        for (const ParadoxFajl::Mezo &m : m_tabla.mezok)
            m_mezok << RegiMezo{m};
    }

    QList<RegiMezo> &mezok() { return m_mezok; }
    int rekordSzam() const { return m_tabla.rekordSzam; }
    int autoinc() const { return m_tabla.autoinc; }
    const Kodlap &kodlap() const { return ::kodlap(m_tabla.kodlap); }

    // Calls f with every record in chain order.
    template <typename F>
    void bejar(F f) const
    {
        QByteArray adat;
        for (const ParadoxFajl::Blokk &b : m_tabla.blokkok) {
            adat.resize(qsizetype(b.rekordok) * m_tabla.rekordHossz);
            m_fajl.olvas(b.hely, adat.data(), adat.size());
            for (int i = 0; i < b.rekordok; ++i)
                f(adat.constData() + qsizetype(i) * m_tabla.rekordHossz);
        }
    }

private:
    ParadoxFajl::Fajl m_fajl;
    ParadoxFajl::Tabla m_tabla;
    QString m_pxUzenet;                         // pxlib's handler writes here until m_doc goes
    std::unique_ptr<FILE, FajlZaro> m_fp;       // closed after pxlib let go of it
    std::unique_ptr<pxdoc_t, PxZaro> m_doc;
    QList<RegiMezo> m_mezok;
};

// Numbers are stored big-endian with the sign bit flipped; all zero bytes mean null.
bool ures(const uchar *p, int n)
{
    for (int i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

QVariant egesz(const uchar *p, int n)
{
    if (n != 2 && n != 4)
        return {};
    if (ures(p, n))
        return {};
    quint32 v = 0;
    for (int i = 0; i < n; ++i)
        v = (v << 8) | p[i];
    const quint32 elojel = n == 2 ? 0x8000u : 0x80000000u;
    if (v & elojel)
        return qint64(v & (elojel - 1));
    return qint64(v) - qint64(elojel);
}

QVariant tort(const uchar *p, int n)
{
    if (n != 8 || ures(p, n))
        return {};
    uchar b[8];
    std::memcpy(b, p, 8);
    if (b[0] & 0x80)
        b[0] &= 0x7F;
    else
        for (uchar &c : b)
            c = uchar(~c);
    quint64 bitek = 0;
    for (uchar c : b)
        bitek = (bitek << 8) | c;
    double d;
    std::memcpy(&d, &bitek, 8);
    return d;
}

class Importalo {
public:
    Importalo(const QString &mappa, const ParadoxImport::Folyamat &folyamat)
        : m_mappa(mappa), m_folyamat(folyamat)
    {
    }

    ParadoxImport::Eredmeny futtat();

private:
    struct Munka {
        const TablaLeiras *leiras;
        QString fajl;
        std::unique_ptr<RegiTabla> tabla;
        std::unique_ptr<ParadoxFajl::Memo> memo;
    };

    void elokeszit(Munka &m, ParadoxImport::TablaEredmeny &e);
    void betolt(std::vector<Munka> &munkak, ParadoxImport::Eredmeny &eredmeny);
    void tablaImport(Munka &m, ParadoxImport::TablaEredmeny &e);
    QVariant ertek(const Munka &m, const RegiMezo &rm, const char *rekord, int &rovidites) const;
    void sorszamokBeallit(const std::vector<Munka> &munkak);
    void helyere(const ImportMappa &ideiglenes, const QString &mappa);

    // Tells the caller how far we are; false when it asked to stop.
    bool jelez()
    {
        try {
            if (!m_megszakitva && m_folyamat && !m_folyamat(m_tabla, m_kesz, m_osszes))
                m_megszakitva = true;
        } catch (...) {
            m_megszakitva = true;
        }
        return !m_megszakitva;
    }
    void megszakitasra()
    {
        if (!jelez())
            throw ParadoxImport::Megszakitva(MEGSZAKITVA);
    }
    // SQLite asks every so many steps of a long statement (index building, the search
    // index), so the window stays alive and Mégse is heard there too; non-zero stops it.
    static int sqliteJelzo(void *p) { return static_cast<Importalo *>(p)->jelez() ? 0 : 1; }

    QString m_mappa;
    ParadoxImport::Folyamat m_folyamat;
    QString m_tabla;            // the table being read; empty while the indexes are built
    qint64 m_kesz = 0;
    qint64 m_osszes = 0;
    bool m_megszakitva = false;
};

void Importalo::elokeszit(Munka &m, ParadoxImport::TablaEredmeny &e)
{
    m.tabla = std::make_unique<RegiTabla>(m.fajl);
    const QString fajlnev = QFileInfo(m.fajl).fileName();
    bool vanMemo = false;
    for (RegiMezo &rm : m.tabla->mezok()) {
        rm.cel = m.leiras->mezo(rm.nev);
        if (!rm.cel) {
            e.kimaradtMezok << rm.nev;
            continue;
        }
        if (!illik(rm.tipus, rm.cel->tipus))
            throw StoreHiba(QString("A tábla nem vehető át: %1\r\nA(z) %2 tábla %3 mezője %4 típusú, a program %5 típust vár.")
                                .arg(QDir::toNativeSeparators(m.fajl), fajlnev, rm.nev, ParadoxFajl::tipusNev(rm.tipus),
                                     tipusNev(rm.cel->tipus)));
        for (const RegiMezo &masik : m.tabla->mezok())
            if (&masik != &rm && masik.cel == rm.cel)
                throw StoreHiba(serultTabla(m.fajl, QString("A(z) %1 mező kétszer szerepel a fejlécben.").arg(rm.cel->nev)));
        vanMemo = vanMemo || rm.tipus == pxfMemoBLOb || rm.tipus == pxfFmtMemoBLOb;
    }
    for (const MezoLeiras &ml : m.leiras->mezok) {
        bool van = false;
        for (const RegiMezo &rm : m.tabla->mezok())
            van = van || rm.cel == &ml;
        if (!van)
            e.hianyzoMezok << ml.nev;
    }
    // A field of ours missing beside an unknown one of a fitting type whose name is ours but
    // for a byte or two is a damaged header, not an older table: the import would leave that
    // field empty in every row.
    for (const QString &hianyzo : std::as_const(e.hianyzoMezok)) {
        const MezoLeiras *ml = m.leiras->mezo(hianyzo);
        for (const RegiMezo &rm : m.tabla->mezok())
            if (!rm.cel && illik(rm.tipus, ml->tipus) && serultNev(rm.nev, ml->nev))
                throw StoreHiba(serultTabla(m.fajl, QString("A(z) %1 mező neve sérült (a fejlécben: %2), a mező "
                                                            "minden sorban üresen maradna.")
                                                        .arg(ml->nev, lathato(rm.nev))));
    }
    if (vanMemo) {
        // the memo file sits beside the table with the same name, letter case aside
        const QFileInfo fi(m.fajl);
        const QString mb = ParadoxImport::tablaFajl(fi.absolutePath(), fi.completeBaseName() + ".MB");
        if (mb.isEmpty())
            throw StoreHiba(QString("Hiányzik a memó fájl: %1")
                                .arg(QDir::toNativeSeparators(fi.absolutePath() + '/' + fi.completeBaseName() + ".MB")));
        m.memo = std::make_unique<ParadoxFajl::Memo>(mb);
    }
}

QVariant Importalo::ertek(const Munka &m, const RegiMezo &rm, const char *rekord, int &rovidites) const
{
    const char *p = rekord + rm.eltolas;
    const auto *u = reinterpret_cast<const uchar *>(p);
    auto hiba = [&](const QString &mi) {
        return StoreHiba(serultTabla(m.fajl, QString("%1 (%2 mező)").arg(mi, rm.nev)));
    };
    QVariant v;
    switch (rm.tipus) {
    case pxfAlpha: {
        const qsizetype n = qsizetype(strnlen(p, size_t(rm.hossz)));
        if (n > 0)
            v = m.tabla->kodlap()(p, n);
        break;
    }
    case pxfShort:
    case pxfLong:
    case pxfAutoInc: v = egesz(u, rm.hossz); break;
    case pxfNumber:
    case pxfCurrency: {
        const QVariant d = tort(u, rm.hossz);
        if (d.isValid()) {
            if (!std::isfinite(d.toDouble()) || std::abs(d.toDouble()) > std::numeric_limits<qint32>::max())
                throw hiba("Érvénytelen vagy túl nagy szám");
            v = qRound64(d.toDouble());
        }
        break;
    }
    case pxfDate: {
        const QVariant n = egesz(u, rm.hossz);
        if (n.isValid()) {
            const QDate d = QDate::fromJulianDay(n.toLongLong() + DATUM_ELTOLAS);
            if (!d.isValid())
                throw hiba("Érvénytelen dátum");
            v = d.toString(Qt::ISODate);
        }
        break;
    }
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb: {
        // the record holds the memo's first part, then its place and length in the .MB
        const int eleje = rm.hossz - 10;
        const quint32 hely = le32(u + eleje);
        const quint32 hossz = le32(u + eleje + 4);
        if (hossz == 0)
            break;
        QByteArray b;
        if (hely == 0) {
            if (hossz > quint32(eleje))
                throw hiba("A memó hosszabb, mint ami a rekordban elfér, és nincs helye a memó fájlban");
            b = QByteArray(p, hossz);       // a short memo lives wholly in the record
        } else {
            b = m.memo->olvas(hely, hossz);
        }
        while (b.endsWith('\0'))
            b.chop(1);
        if (!b.isEmpty())
            v = m.tabla->kodlap()(b.constData(), b.size());
        break;
    }
    default: break;     // illik() lets no other type into a field of ours
    }
    if (!v.isValid())
        return v;
    switch (rm.cel->tipus) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: {
        const qint64 n = v.toLongLong();
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            throw hiba("Túl nagy szám");
        return n;
    }
    case MezoTipus::Szoveg: {
        QString s = v.toString();
        if (s.size() > rm.cel->meret) {
            s.truncate(rm.cel->meret);
            ++rovidites;
        }
        return s;
    }
    default: return v;
    }
}

void koto(sqlite3_stmt *st, int i, const QVariant &v)
{
    if (!v.isValid() || v.isNull())
        sqlite3_bind_null(st, i);
    else if (v.typeId() == QMetaType::LongLong)
        sqlite3_bind_int64(st, i, v.toLongLong());
    else {
        const QString s = v.toString();
        sqlite3_bind_text16(st, i, s.utf16(), int(s.size() * 2), SQLITE_TRANSIENT);
    }
}

void Importalo::tablaImport(Munka &m, ParadoxImport::TablaEredmeny &e)
{
    QList<const RegiMezo *> mezok;
    QStringList oszlopok, jelek;
    for (const RegiMezo &rm : m.tabla->mezok())
        if (rm.cel) {
            mezok << &rm;
            oszlopok << rm.cel->nev;
            jelek << "?";
        }
    // the new database's default row gives way to the imported ones
    Adatbazis::vegrehajt(QString("DELETE FROM %1").arg(m.leiras->nev));
    if (mezok.isEmpty() || m.tabla->rekordSzam() == 0)
        return;

    sqlite3 *h = Adatbazis::handle();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QString("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(m.leiras->nev, oszlopok.join(", "), jelek.join(", "))
                               .toUtf8();
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw StoreHiba("Az új adatbázis nem írható:\r\n" + QString::fromUtf8(sqlite3_errmsg(h)));
    struct Lezaro {
        sqlite3_stmt *st;
        ~Lezaro() { sqlite3_finalize(st); }
    } lezaro{st};

    // the old tables kept the passwords in clear; only their hashes come over
    int jelszoMezo = -1;
    if (m.leiras->nev == "felhasznalo")
        for (int i = 0; i < mezok.size(); ++i)
            if (mezok[i]->cel->nev == "jelszo")
                jelszoMezo = i;
    m.tabla->bejar([&](const char *rekord) {
        for (int i = 0; i < mezok.size(); ++i) {
            QVariant v = ertek(m, *mezok[i], rekord, e.rovidites);
            if (i == jelszoMezo && !v.isNull() && !v.toString().isEmpty())
                v = Jelszo::hash(v.toString());
            koto(st, i + 1, v);
        }
        if (sqlite3_step(st) != SQLITE_DONE) {
            if (m_megszakitva)
                throw ParadoxImport::Megszakitva(MEGSZAKITVA);
            throw StoreHiba(QString("A sor nem vehető át: %1, %2. sor\r\n%3")
                                .arg(QDir::toNativeSeparators(m.fajl))
                                .arg(e.sorok + 1)
                                .arg(QString::fromUtf8(sqlite3_errmsg(h))));
        }
        sqlite3_reset(st);
        ++e.sorok;
        ++m_kesz;
        if (m_kesz % 2000 == 0)
            megszakitasra();
    });
}

// Each counter continues past the highest key the old tables used or referred to, so a
// new letter never takes the key of a deleted one whose notes are still there.
void Importalo::sorszamokBeallit(const std::vector<Munka> &munkak)
{
    for (const Munka &m : munkak) {
        if (!m.tabla || !m.leiras->autoinc())
            continue;
        const QString &t = m.leiras->nev;
        qint64 seq = Adatbazis::ertek(QString("SELECT coalesce(max(%1), 0) FROM %2").arg(m.leiras->kulcs, t)).toLongLong();
        seq = qMax(seq, qint64(m.tabla->autoinc()));
        if (t == "doksi")
            for (const char *hivo : {"doksi_megj", "megj"})
                seq = qMax(seq, Adatbazis::ertek(QString("SELECT coalesce(max(doksi), 0) FROM %1").arg(hivo)).toLongLong());
        seq = qMin(seq, qint64(std::numeric_limits<qint32>::max()));
        Adatbazis::vegrehajt("DELETE FROM sqlite_sequence WHERE name = ?", {t});
        if (seq > 0)
            Adatbazis::vegrehajt("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)", {t, seq});
    }
}

// Fills the database open now from the old tables, in one transaction.
void Importalo::betolt(std::vector<Munka> &munkak, ParadoxImport::Eredmeny &eredmeny)
{
    Adatbazis::Tranzakcio tr;
    // Secondary indexes are built once over the loaded rows: far cheaper than row by row.
    QStringList indexek, triggerek;
    {
        QSqlQuery q(Adatbazis::db());
        if (!q.exec("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"))
            throw StoreHiba("Az új adatbázis nem olvasható:\r\n" + q.lastError().text());
        QStringList nevek;
        while (q.next()) {
            nevek << q.value(0).toString();
            indexek << q.value(1).toString();
        }
        q.finish();
        for (const QString &n : nevek)
            Adatbazis::vegrehajt(QString("DROP INDEX \"%1\"").arg(n));
        // the search index triggers go too: the index is filled in one pass at the end
        for (const QString &sql : Sema::keresoIndex()) {
            if (!sql.startsWith("CREATE TRIGGER "))
                continue;
            triggerek << sql;
            Adatbazis::vegrehajt(QString("DROP TRIGGER IF EXISTS %1").arg(sql.section(' ', 2, 2)));
        }
    }
    for (size_t i = 0; i < munkak.size(); ++i) {
        ParadoxImport::TablaEredmeny &e = eredmeny.tablak[qsizetype(i)];
        m_tabla = e.tabla;
        megszakitasra();
        if (munkak[i].tabla)
            tablaImport(munkak[i], e);
        else
            e.alapSorok = Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(e.tabla)).toInt() > 0;
        if (e.alapSorok)
            e.sorok = Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(e.tabla)).toInt();
    }
    m_tabla.clear();
    megszakitasra();
    for (const QString &sql : indexek)
        Adatbazis::vegrehajt(sql);
    for (const QString &sql : Sema::keresoFeltolt())
        Adatbazis::vegrehajt(sql);
    for (const QString &sql : triggerek)
        Adatbazis::vegrehajt(sql);
    sorszamokBeallit(munkak);
    megszakitasra();
    tr.commit();
}

// Moves the finished database and the printed texts the old folder lacks into the folder,
// the texts first: the database appears last, only when everything else is in place. On any
// failure what was moved is taken back out.
void Importalo::helyere(const ImportMappa &ideiglenes, const QString &mappa)
{
    const QString cel = QDir(mappa).filePath(Adatbazis::FAJLNEV);
    QStringList athelyezett;
    try {
        const QStringList fajlok = ideiglenes.fajlok();
        if (!fajlok.contains(Adatbazis::FAJLNEV))
            throw StoreHiba(QString("Az új adatbázis hiányzik az ideiglenes mappából: %1").arg(QDir::toNativeSeparators(ideiglenes.ut())));
        for (const QString &n : fajlok)
            Lemezre(QDir(ideiglenes.ut()).filePath(n));
        // printed texts of the old folder stay; only missing ones get the defaults
        for (const QString &n : fajlok) {
            if (n.startsWith(Adatbazis::FAJLNEV))
                continue;
            const QString ide = QDir(mappa).filePath(n);
            if (Athelyez(QDir(ideiglenes.ut()).filePath(n), ide))
                athelyezett << ide;
        }
        if (!Athelyez(QDir(ideiglenes.ut()).filePath(Adatbazis::FAJLNEV), cel))
            throw StoreHiba(QString("Az importálás közben adatbázis jelent meg a mappában, az importálás nem írja felül: %1")
                                .arg(QDir::toNativeSeparators(cel)));
        athelyezett << cel;
        Lemezre(mappa);     // the folder's entries of the moved files
    } catch (...) {
        for (const QString &f : athelyezett)
            QFile::remove(f);
        throw;
    }
}

ParadoxImport::Eredmeny Importalo::futtat()
{
    const QFileInfo mi(m_mappa);
    if (m_mappa.isEmpty() || !mi.isDir())
        throw StoreHiba(QString("Az adatbázis mappa nem létezik: %1").arg(QDir::toNativeSeparators(m_mappa)));
    const QString mappa = QDir::cleanPath(mi.absoluteFilePath());
    const QString cel = QDir(mappa).filePath(Adatbazis::FAJLNEV);
    if (Adatbazis::vanAdatbazis(mappa))
        throw StoreHiba(QString("A mappában már van adatbázis, az importálás nem írja felül: %1")
                            .arg(QDir::toNativeSeparators(cel)));
    if (ParadoxImport::tablaFajl(mappa, "doksi").isEmpty())
        throw StoreHiba(QString("A mappában nincs régi adatbázis (doksi.DB): %1").arg(QDir::toNativeSeparators(mappa)));
    ImportMappa::maradekokTorol(mappa);

    // Every table is checked before anything is written, so most damage stops us early.
    ParadoxImport::Eredmeny eredmeny;
    std::vector<Munka> munkak;
    for (const TablaLeiras &t : Sema::tablak()) {
        if (t.nev == Sema::NAPLO)   // the old program kept no history: it starts empty
            continue;
        ParadoxImport::TablaEredmeny e;
        e.tabla = t.nev;
        Munka m{&t, ParadoxImport::tablaFajl(mappa, t.nev), nullptr, nullptr};
        if (!m.fajl.isEmpty()) {
            e.fajl = QFileInfo(m.fajl).fileName();
            elokeszit(m, e);
            m_osszes += m.tabla->rekordSzam();
        }
        munkak.push_back(std::move(m));
        eredmeny.tablak << e;
    }

    // The new database is built in a folder of its own beside the old tables and moved in
    // whole at the end: the folder never holds a half-filled register, not even after a crash.
    const ImportMappa ideiglenes(mappa);
    try {
        Adatbazis::megnyit(ideiglenes.ut());
        // The file is thrown away on any failure, so the import needs no journal on disk and
        // no sync per page; the finished file is synced once before it is moved in.
        Adatbazis::vegrehajt("PRAGMA journal_mode = MEMORY");
        Adatbazis::vegrehajt("PRAGMA synchronous = OFF");
        Adatbazis::vegrehajt("PRAGMA cache_size = -131072");
        sqlite3_progress_handler(Adatbazis::handle(), 10000, &Importalo::sqliteJelzo, this);
        {
            const Naplo::Szunet szunet;   // the rows brought over are no changes
            betolt(munkak, eredmeny);
        }
        sqlite3_progress_handler(Adatbazis::handle(), 0, nullptr, nullptr);
        Adatbazis::bezar();
    } catch (...) {
        Adatbazis::bezar();
        if (m_megszakitva)
            throw ParadoxImport::Megszakitva(MEGSZAKITVA);
        throw;
    }
    helyere(ideiglenes, mappa);
    m_kesz = m_osszes;
    jelez();
    return eredmeny;
}

} // namespace

int ParadoxImport::Eredmeny::osszesSor() const
{
    int n = 0;
    for (const TablaEredmeny &t : tablak)
        if (!t.alapSorok)
            n += t.sorok;
    return n;
}

QStringList ParadoxImport::Eredmeny::sorok() const
{
    QStringList s;
    for (const TablaEredmeny &t : tablak) {
        if (t.fajl.isEmpty())
            s << (t.alapSorok ? QString("%1: nincs %1.DB, az alapértékek maradtak (%2 sor)").arg(t.tabla).arg(t.sorok)
                              : QString("%1: nincs %1.DB, üres tábla").arg(t.tabla));
        else
            s << QString("%1: %2 sor").arg(t.tabla).arg(t.sorok);
        if (!t.kimaradtMezok.isEmpty())
            s << QString("    kimaradt mezők: %1").arg(t.kimaradtMezok.join(", "));
        if (!t.hianyzoMezok.isEmpty())
            s << QString("    a régi táblában nincs (üresen maradt): %1").arg(t.hianyzoMezok.join(", "));
        if (t.rovidites > 0)
            s << QString("    %1 szöveg a mező méretére rövidítve").arg(t.rovidites);
    }
    return s;
}

QString ParadoxImport::tablaFajl(const QString &mappa, const QString &tabla)
{
    const QString keresett = tabla.contains('.') ? tabla : tabla + ".DB";
    const QDir d(mappa);
    // a folder or a FIFO of the name is found too: reading it fails with a clear message
    for (const QString &n : d.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        if (n.compare(keresett, Qt::CaseInsensitive) == 0)
            return d.filePath(n);
    return {};
}

bool ParadoxImport::vanRegiAdatbazis(const QString &mappa)
{
    return !mappa.isEmpty() && QFileInfo(mappa).isDir() && !Adatbazis::vanAdatbazis(mappa)
        && !tablaFajl(mappa, "doksi").isEmpty();
}

ParadoxImport::Eredmeny ParadoxImport::importal(const QString &mappa, const Folyamat &folyamat)
{
    return Importalo(mappa, folyamat).futtat();
}
