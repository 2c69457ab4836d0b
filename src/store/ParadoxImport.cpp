#include "ParadoxImport.h"
#include "Adatbazis.h"
#include "Sema.h"
#include "StoreHiba.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QVariant>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

extern "C" {
#include <paradox.h>
}

namespace {

// A Paradox date counts days from 1 January of year 1 (day 1).
constexpr qint64 DATUM_ELTOLAS = 1721425;
constexpr int MB_BLOKK = 4096;

quint32 le32(const uchar *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24); }
quint16 le16(const uchar *p) { return quint16(p[0] | (p[1] << 8)); }

QString serultTabla(const QString &fajl, const QString &ok)
{
    return QString("Sérült Paradox tábla: %1\r\n%2").arg(QDir::toNativeSeparators(fajl), ok);
}

QString serultMemo(const QString &fajl, const QString &ok)
{
    return QString("Sérült memó fájl: %1\r\n%2").arg(QDir::toNativeSeparators(fajl), ok);
}

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

// The .MB file of a table's memo fields, decoded here: pxlib's own reader aborts on it.
class MemoFajl {
public:
    explicit MemoFajl(const QString &ut) : m_f(ut)
    {
        if (!m_f.open(QIODevice::ReadOnly))
            throw StoreHiba(QString("A memó fájl nem olvasható: %1\r\n%2")
                                .arg(QDir::toNativeSeparators(ut), m_f.errorString()));
        m_meret = m_f.size();
        m_adat = m_meret > 0 ? m_f.map(0, m_meret) : nullptr;
        if (!m_adat) {
            m_tartalek = m_f.readAll();
            m_adat = reinterpret_cast<const uchar *>(m_tartalek.constData());
        }
        if (m_meret < MB_BLOKK || m_adat[0] != 0)
            throw StoreHiba(serultMemo(ut, "A fájl fejléce hiányzik."));
    }

    // The blob the record points at: `hely` holds the block's offset and, in its low byte,
    // the slot in a shared block (0xFF: the block holds this one blob).
    QByteArray olvas(quint32 hely, quint32 hossz) const
    {
        const qint64 blokk = hely & ~quint32(0xFF);
        const int index = int(hely & 0xFF);
        auto hiba = [&](const QString &mi) {
            return StoreHiba(serultMemo(m_f.fileName(),
                                        QString("%1 (hivatkozás: %2)").arg(mi).arg(hely)));
        };
        if (blokk < MB_BLOKK || blokk + 12 > m_meret)
            throw hiba("A hivatkozott blokk a fájlon kívül esik.");
        const uchar *b = m_adat + blokk;
        qint64 eleje;
        if (index == 0xFF) {
            if (b[0] != 2 || le32(b + 3) != hossz)
                throw hiba("A blokk nem a hivatkozott memót tartalmazza.");
            eleje = blokk + 9;
        } else {
            const uchar *bejegyzes = b + 12 + index * 5;
            if (b[0] != 3 || index >= 64 || qint64(bejegyzes[1]) * 16 < hossz)
                throw hiba("A blokk nem a hivatkozott memót tartalmazza.");
            eleje = blokk + qint64(bejegyzes[0]) * 16;
            if (eleje < blokk + 12 + 64 * 5 || eleje + hossz > blokk + MB_BLOKK)
                throw hiba("A memó a blokkján kívül esik.");
        }
        if (eleje + hossz > m_meret)
            throw hiba("A fájl rövidebb a memónál.");
        return QByteArray(reinterpret_cast<const char *>(m_adat + eleje), hossz);
    }

private:
    QFile m_f;
    qint64 m_meret = 0;
    const uchar *m_adat = nullptr;
    QByteArray m_tartalek;
};

// Kinds of values an old field yields, before they meet our field's type.
enum class Forras { Szoveg, Egesz, Tort, Datum, Logikai, Memo, Nem };

Forras forras(int pxTipus)
{
    switch (pxTipus) {
    case pxfAlpha: return Forras::Szoveg;
    case pxfShort:
    case pxfLong:
    case pxfAutoInc: return Forras::Egesz;
    case pxfNumber:
    case pxfCurrency: return Forras::Tort;
    case pxfDate: return Forras::Datum;
    case pxfLogical: return Forras::Logikai;
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb: return Forras::Memo;
    default: return Forras::Nem;
    }
}

bool illik(Forras f, MezoTipus cel)
{
    switch (cel) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: return f == Forras::Egesz || f == Forras::Tort;
    case MezoTipus::Datum: return f == Forras::Datum;
    case MezoTipus::Szoveg:
        return f == Forras::Szoveg || f == Forras::Egesz || f == Forras::Tort || f == Forras::Logikai
            || f == Forras::Memo;
    case MezoTipus::Memo: return f == Forras::Szoveg || f == Forras::Memo;
    }
    return false;
}

struct RegiMezo {
    QString nev;
    int tipus = 0;
    int hossz = 0;
    int eltolas = 0;                    // offset inside the record
    const MezoLeiras *cel = nullptr;    // our field, nullptr when left out
};

void pxHiba(pxdoc_t *, int, const char *uzenet, void *adat)
{
    auto *s = static_cast<QString *>(adat);
    if (s->isEmpty())
        *s = QString::fromLocal8Bit(uzenet);
}

// One old table: pxlib reads the header and field list; the data blocks are walked here, in
// file order and with their bounds checked, so a cut file is caught before a value is used.
class RegiTabla {
public:
    explicit RegiTabla(const QString &ut) : m_ut(ut)
    {
        QFile f(ut);
        if (!f.open(QIODevice::ReadOnly))
            throw StoreHiba(QString("A tábla nem olvasható: %1\r\n%2")
                                .arg(QDir::toNativeSeparators(ut), f.errorString()));
        m_fajlMeret = f.size();
        // pxlib trusts the header; a file shorter than its own header is refused before it
        if (m_fajlMeret < 0x58)
            throw StoreHiba(serultTabla(ut, "A fájl rövidebb a fejlécnél."));
        f.close();

        m_doc = PX_new3(pxHiba, nullptr, nullptr, nullptr, &m_pxUzenet);
        if (!m_doc)
            throw StoreHiba(serultTabla(ut, "Nincs elég memória."));
        if (PX_open_file(m_doc, QFile::encodeName(ut).constData()) < 0)
            throw StoreHiba(serultTabla(ut, m_pxUzenet));
        const pxhead_t *h = m_doc->px_head;
        if (!h)
            throw StoreHiba(serultTabla(ut, m_pxUzenet));
        if (h->px_filetype != pxfFileTypIndexDB && h->px_filetype != pxfFileTypNonIndexDB)
            throw StoreHiba(serultTabla(ut, "A fájl nem Paradox adattábla."));
        if (h->px_encryption != 0)
            throw StoreHiba(serultTabla(ut, "A tábla jelszóval védett, nem olvasható."));
        m_rekordHossz = h->px_recordsize;
        m_rekordSzam = h->px_numrecords;
        m_fejlec = h->px_headersize;
        m_blokkMeret = qint64(h->px_maxtablesize) * 1024;
        m_elsoBlokk = h->px_firstblock;
        m_blokkSzam = h->px_fileblocks;
        m_autoinc = h->px_autoinc;
        m_dosKodlap = h->px_doscodepage;
        if (m_rekordHossz <= 0 || m_rekordSzam < 0 || m_blokkMeret <= 6 || m_fejlec <= 0
            || m_rekordHossz > m_blokkMeret - 6)
            throw StoreHiba(serultTabla(ut, "A fejléc értékei nem érvényesek."));

        int eltolas = 0;
        for (int i = 0; i < h->px_numfields; ++i) {
            const pxfield_t &pf = h->px_fields[i];
            RegiMezo m;
            m.nev = QString::fromLatin1(pf.px_fname ? pf.px_fname : "");
            m.tipus = pf.px_ftype;
            m.hossz = pf.px_flen;
            m.eltolas = eltolas;
            eltolas += pf.px_flen;
            m_mezok << m;
        }
        if (eltolas != m_rekordHossz)
            throw StoreHiba(serultTabla(ut, "A mezők hossza nem egyezik a rekord hosszával."));
    }

    ~RegiTabla()
    {
        if (m_doc) {
            PX_close(m_doc);
            PX_delete(m_doc);
        }
    }

    RegiTabla(const RegiTabla &) = delete;
    RegiTabla &operator=(const RegiTabla &) = delete;

    const QString &ut() const { return m_ut; }
    QList<RegiMezo> &mezok() { return m_mezok; }
    int rekordSzam() const { return m_rekordSzam; }
    int autoinc() const { return m_autoinc; }
    const Kodlap &kodlap() const { return ::kodlap(m_dosKodlap); }

    // Calls f with every record in block order; f returns false to stop.
    template <typename F>
    void bejar(F f) const
    {
        QFile fajl(m_ut);
        if (!fajl.open(QIODevice::ReadOnly))
            throw StoreHiba(QString("A tábla nem olvasható: %1\r\n%2")
                                .arg(QDir::toNativeSeparators(m_ut), fajl.errorString()));
        const int helyBlokkban = int((m_blokkMeret - 6) / m_rekordHossz);
        QByteArray blokk(m_blokkMeret, Qt::Uninitialized);
        qint64 olvasott = 0;
        unsigned lepes = 0;
        for (unsigned szam = m_elsoBlokk; szam != 0;) {
            if (++lepes > m_blokkSzam)
                throw StoreHiba(serultTabla(m_ut, "A blokkok láncolata hibás."));
            const qint64 hely = m_fejlec + qint64(szam - 1) * m_blokkMeret;
            if (hely + 6 > m_fajlMeret || !fajl.seek(hely) || fajl.read(blokk.data(), 6) != 6)
                throw StoreHiba(serultTabla(m_ut, QString("A fájl csonka: hiányzik a(z) %1. blokk.").arg(szam)));
            const auto *b = reinterpret_cast<const uchar *>(blokk.constData());
            const unsigned kovetkezo = le16(b);
            const int tobblet = qint16(le16(b + 4));
            const int db = tobblet < 0 ? 0 : tobblet / m_rekordHossz + 1;
            if ((tobblet >= 0 && tobblet % m_rekordHossz != 0) || db > helyBlokkban)
                throw StoreHiba(serultTabla(m_ut, QString("A(z) %1. blokk fejléce hibás.").arg(szam)));
            const qint64 adat = qint64(db) * m_rekordHossz;
            if (hely + 6 + adat > m_fajlMeret || fajl.read(blokk.data() + 6, adat) != adat)
                throw StoreHiba(serultTabla(m_ut, QString("A fájl csonka: a(z) %1. blokk nem teljes.").arg(szam)));
            for (int i = 0; i < db; ++i) {
                if (olvasott >= m_rekordSzam)
                    throw StoreHiba(serultTabla(m_ut, "Több rekord van a fájlban, mint a fejlécben."));
                ++olvasott;
                if (!f(blokk.constData() + 6 + qint64(i) * m_rekordHossz))
                    return;
            }
            szam = kovetkezo;
        }
        if (olvasott != m_rekordSzam)
            throw StoreHiba(serultTabla(m_ut, QString("A fejléc %1 rekordot jelez, a fájlban %2 van.")
                                                  .arg(m_rekordSzam).arg(olvasott)));
    }

private:
    QString m_ut;
    pxdoc_t *m_doc = nullptr;
    QString m_pxUzenet;
    QList<RegiMezo> m_mezok;
    qint64 m_fajlMeret = 0;
    int m_rekordHossz = 0;
    int m_rekordSzam = 0;
    qint64 m_fejlec = 0;
    qint64 m_blokkMeret = 0;
    unsigned m_elsoBlokk = 0;
    unsigned m_blokkSzam = 0;
    int m_autoinc = 0;
    int m_dosKodlap = 0;
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

// fsync of a file or folder, so what is moved into place survives a power cut.
bool lemezre(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
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
        std::unique_ptr<MemoFajl> memo;
    };

    void elokeszit(Munka &m, ParadoxImport::TablaEredmeny &e);
    void tablaImport(Munka &m, ParadoxImport::TablaEredmeny &e);
    QVariant ertek(const Munka &m, const RegiMezo &rm, const char *rekord, int &rovidites) const;
    void sorszamokBeallit(const std::vector<Munka> &munkak);
    bool jelez(const QString &tabla)
    {
        return !m_folyamat || m_folyamat(tabla, m_kesz, m_osszes);
    }

    QString m_mappa;
    ParadoxImport::Folyamat m_folyamat;
    qint64 m_kesz = 0;
    qint64 m_osszes = 0;
};

void Importalo::elokeszit(Munka &m, ParadoxImport::TablaEredmeny &e)
{
    m.tabla = std::make_unique<RegiTabla>(m.fajl);
    bool vanMemo = false;
    for (RegiMezo &rm : m.tabla->mezok()) {
        rm.cel = m.leiras->mezo(rm.nev);
        if (rm.cel && !illik(forras(rm.tipus), rm.cel->tipus)) {
            e.kimaradtMezok << QString("%1 (más típusú)").arg(rm.nev);
            rm.cel = nullptr;
        } else if (!rm.cel) {
            e.kimaradtMezok << rm.nev;
        }
        if (rm.cel && forras(rm.tipus) == Forras::Memo)
            vanMemo = true;
    }
    for (const MezoLeiras &ml : m.leiras->mezok) {
        bool van = false;
        for (const RegiMezo &rm : m.tabla->mezok())
            van = van || rm.cel == &ml;
        if (!van)
            e.hianyzoMezok << ml.nev;
    }
    if (vanMemo) {
        // the memo file sits beside the table with the same name, letter case aside
        const QFileInfo fi(m.fajl);
        const QString mb = ParadoxImport::tablaFajl(fi.absolutePath(), fi.completeBaseName() + ".MB");
        if (mb.isEmpty())
            throw StoreHiba(QString("Hiányzik a memó fájl: %1")
                                .arg(QDir::toNativeSeparators(fi.absolutePath() + '/' + fi.completeBaseName() + ".MB")));
        m.memo = std::make_unique<MemoFajl>(mb);
    }
}

QVariant Importalo::ertek(const Munka &m, const RegiMezo &rm, const char *rekord, int &rovidites) const
{
    const char *p = rekord + rm.eltolas;
    const auto *u = reinterpret_cast<const uchar *>(p);
    QVariant v;
    switch (forras(rm.tipus)) {
    case Forras::Szoveg: {
        const qsizetype n = qsizetype(strnlen(p, size_t(rm.hossz)));
        if (n > 0)
            v = m.tabla->kodlap()(p, n);
        break;
    }
    case Forras::Egesz: v = egesz(u, rm.hossz); break;
    case Forras::Tort: {
        const QVariant d = tort(u, rm.hossz);
        if (d.isValid())
            v = rm.cel->tipus == MezoTipus::Szoveg ? QVariant(QString::number(d.toDouble()))
                                                    : QVariant(qRound64(d.toDouble()));
        break;
    }
    case Forras::Datum: {
        const QVariant n = egesz(u, rm.hossz);
        if (n.isValid()) {
            const QDate d = QDate::fromJulianDay(n.toLongLong() + DATUM_ELTOLAS);
            if (!d.isValid())
                throw StoreHiba(serultTabla(m.fajl, QString("Érvénytelen dátum a(z) %1 mezőben.").arg(rm.nev)));
            v = d.toString(Qt::ISODate);
        }
        break;
    }
    case Forras::Logikai:
        if (u[0])
            v = QString((u[0] & 0x7F) ? "I" : "N");
        break;
    case Forras::Memo: {
        const int eleje = rm.hossz - 10;
        if (eleje < 0)
            throw StoreHiba(serultTabla(m.fajl, QString("A(z) %1 memó mező hossza hibás.").arg(rm.nev)));
        const quint32 hely = le32(u + eleje);
        const quint32 hossz = le32(u + eleje + 4);
        if (hossz == 0)
            break;
        QByteArray b;
        if (hossz <= quint32(eleje)) {
            b = QByteArray(p, hossz);       // a short memo lives wholly in the record
        } else {
            if (hely == 0)
                throw StoreHiba(serultTabla(m.fajl, QString("A(z) %1 memó mező hivatkozása hibás.").arg(rm.nev)));
            b = m.memo->olvas(hely, hossz);
        }
        while (b.endsWith('\0'))
            b.chop(1);
        if (!b.isEmpty())
            v = m.tabla->kodlap()(b.constData(), b.size());
        break;
    }
    case Forras::Nem: break;
    }
    if (!v.isValid())
        return v;
    switch (rm.cel->tipus) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: {
        const qint64 n = v.toLongLong();
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            throw StoreHiba(serultTabla(m.fajl, QString("Túl nagy szám a(z) %1 mezőben.").arg(rm.nev)));
        return n;
    }
    case MezoTipus::Szoveg: {
        QString s = v.toString();
        if (s.size() > rm.cel->meret) {
            s.truncate(rm.cel->meret);
            ++rovidites;
        }
        return s.isEmpty() ? QVariant() : QVariant(s);
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
    if (!jelez(m.leiras->nev))
        throw StoreHiba("Az importálás megszakítva.");
    if (mezok.isEmpty() || m.tabla->rekordSzam() == 0) {
        m.tabla->bejar([](const char *) { return true; });
        return;
    }

    sqlite3 *h = Adatbazis::handle();
    sqlite3_stmt *st = nullptr;
    const QByteArray sql = QString("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(m.leiras->nev, oszlopok.join(", "), jelek.join(", "))
                               .toUtf8();
    if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) != SQLITE_OK)
        throw StoreHiba(QString::fromUtf8(sqlite3_errmsg(h)));
    struct Lezaro {
        sqlite3_stmt *st;
        ~Lezaro() { sqlite3_finalize(st); }
    } lezaro{st};

    m.tabla->bejar([&](const char *rekord) {
        for (int i = 0; i < mezok.size(); ++i)
            koto(st, i + 1, ertek(m, *mezok[i], rekord, e.rovidites));
        if (sqlite3_step(st) != SQLITE_DONE)
            throw StoreHiba(QString("%1, %2. sor: %3")
                                .arg(QDir::toNativeSeparators(m.fajl))
                                .arg(e.sorok + 1)
                                .arg(QString::fromUtf8(sqlite3_errmsg(h))));
        sqlite3_reset(st);
        ++e.sorok;
        ++m_kesz;
        if (m_kesz % 2000 == 0 && !jelez(m.leiras->nev))
            throw StoreHiba("Az importálás megszakítva.");
        return true;
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

    // Every header is read before anything is written, so most damage stops us early.
    ParadoxImport::Eredmeny eredmeny;
    std::vector<Munka> munkak;
    for (const TablaLeiras &t : Sema::tablak()) {
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
    QTemporaryDir ideiglenes(QDir(mappa).filePath(".dorvprg-import-XXXXXX"));
    if (!ideiglenes.isValid())
        throw StoreHiba(QString("Az adatbázis mappa nem írható: %1\r\n%2")
                            .arg(QDir::toNativeSeparators(mappa), ideiglenes.errorString()));
    try {
        Adatbazis::megnyit(ideiglenes.path());
        // The file is thrown away on any failure, so the import needs no journal on disk and
        // no sync per page; the finished file is synced once before it is moved in.
        Adatbazis::vegrehajt("PRAGMA journal_mode = MEMORY");
        Adatbazis::vegrehajt("PRAGMA synchronous = OFF");
        Adatbazis::vegrehajt("PRAGMA cache_size = -131072");
        {
            Adatbazis::Tranzakcio tr;
            // Secondary indexes are built once over the loaded rows: far cheaper than row by row.
            QStringList indexek, triggerek;
            {
                QSqlQuery q(Adatbazis::db());
                if (!q.exec("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL"))
                    throw StoreHiba(q.lastError().text());
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
                if (munkak[i].tabla)
                    tablaImport(munkak[i], e);
                else
                    e.alapSorok = Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(e.tabla)).toInt() > 0;
                if (e.alapSorok)
                    e.sorok = Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(e.tabla)).toInt();
            }
            for (const QString &sql : indexek)
                Adatbazis::vegrehajt(sql);
            for (const QString &sql : Sema::keresoFeltolt())
                Adatbazis::vegrehajt(sql);
            for (const QString &sql : triggerek)
                Adatbazis::vegrehajt(sql);
            sorszamokBeallit(munkak);
            tr.commit();
        }
        Adatbazis::bezar();
    } catch (...) {
        Adatbazis::bezar();
        throw;
    }
    const QString kesz = QDir(ideiglenes.path()).filePath(Adatbazis::FAJLNEV);
    if (!lemezre(kesz))
        throw StoreHiba(QString("Az új adatbázis nem írható lemezre: %1").arg(QDir::toNativeSeparators(kesz)));
    if (!QFile::rename(kesz, cel))
        throw StoreHiba(QString("Az új adatbázis nem helyezhető a mappába: %1").arg(QDir::toNativeSeparators(cel)));
    // printed texts of the old folder stay; only missing ones get the defaults
    lemezre(mappa);     // the folder's entry of the moved file
    Adatbazis::alapSzovegekIr(mappa);
    jelez({});
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
    for (const QString &n : d.entryList(QDir::Files | QDir::Hidden))
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
