#include "ParadoxFajl.h"
#include "BiztosFajl.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <paradox.h>
}

namespace {

constexpr int FEJLEC_ALAP = 0x58;      // the common header; tables of version 5 on add 0x20
constexpr int MB_BLOKK = 4096;

quint32 le32(const uchar *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (quint32(p[3]) << 24); }
quint16 le16(const uchar *p) { return quint16(p[0] | (p[1] << 8)); }

QString nativ(const QString &ut) { return QDir::toNativeSeparators(ut); }

QString serultMemo(const QString &ut, const QString &ok)
{
    return QString("Sérült memó fájl: %1\r\n%2").arg(nativ(ut), ok);
}

// Bytes a field of this type takes in the record, -1 when the type is unknown or the length
// impossible for it (the header stores the digits of a BCD field, which always takes 17).
int rekordHossz(int tipus, int hossz)
{
    switch (tipus) {
    case pxfAlpha:
    case pxfBytes: return hossz >= 1 ? hossz : -1;
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc: return hossz == 4 ? 4 : -1;
    case pxfShort: return hossz == 2 ? 2 : -1;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp: return hossz == 8 ? 8 : -1;
    case pxfLogical: return hossz == 1 ? 1 : -1;
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb: return hossz >= 11 ? hossz : -1;    // at least one byte in the record
    case pxfBLOb:
    case pxfOLE:
    case pxfGraphic: return hossz >= 10 ? hossz : -1;
    case pxfBCD: return hossz <= 32 ? 17 : -1;
    default: return -1;
    }
}

} // namespace

namespace ParadoxFajl {

QString serultTabla(const QString &ut, const QString &ok)
{
    return QString("Sérült Paradox tábla: %1\r\n%2").arg(nativ(ut), ok);
}

QString tipusNev(int tipus)
{
    switch (tipus) {
    case pxfAlpha: return "szöveg (A)";
    case pxfDate: return "dátum (D)";
    case pxfShort: return "kis egész (S)";
    case pxfLong: return "egész (I)";
    case pxfCurrency: return "pénz ($)";
    case pxfNumber: return "szám (N)";
    case pxfLogical: return "logikai (L)";
    case pxfMemoBLOb: return "memó (M)";
    case pxfBLOb: return "bináris (B)";
    case pxfFmtMemoBLOb: return "formázott memó (F)";
    case pxfOLE: return "OLE (O)";
    case pxfGraphic: return "kép (G)";
    case pxfTime: return "idő (T)";
    case pxfTimestamp: return "időbélyeg (@)";
    case pxfAutoInc: return "számláló (+)";
    case pxfBCD: return "BCD (#)";
    case pxfBytes: return "bájtok (Y)";
    default: return QString("ismeretlen (%1)").arg(tipus);
    }
}

Fajl::Fajl(const QString &ut) : m_ut(ut)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; the type is checked right after
    m_fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0)
        throw StoreHiba(QString("A fájl nem nyitható meg olvasásra: %1\r\n%2").arg(nativ(ut), RendszerHibaSzoveg(errno)));
    struct stat st;
    if (::fstat(m_fd, &st) != 0) {
        const QString ok = RendszerHibaSzoveg(errno);
        ::close(m_fd);
        throw StoreHiba(QString("A fájl nem olvasható: %1\r\n%2").arg(nativ(ut), ok));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(m_fd);
        const QString mi = S_ISDIR(st.st_mode) ? "mappa" : S_ISFIFO(st.st_mode) ? "FIFO" : "különleges fájl";
        throw StoreHiba(QString("A fájl helyén nem közönséges fájl van (%1): %2").arg(mi, nativ(ut)));
    }
    m_meret = st.st_size;
}

Fajl::~Fajl()
{
    ::close(m_fd);
}

void Fajl::olvas(qint64 hely, void *cel, qint64 n) const
{
    auto *c = static_cast<char *>(cel);
    while (n > 0) {
        const ssize_t r = ::pread(m_fd, c, size_t(n), off_t(hely));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            throw StoreHiba(QString("A fájl nem olvasható: %1\r\n%2").arg(nativ(m_ut), RendszerHibaSzoveg(errno)));
        if (r == 0)
            throw StoreHiba(QString("A fájl rövidebb a vártnál (csonka): %1").arg(nativ(m_ut)));
        c += r;
        hely += r;
        n -= r;
    }
}

QByteArray Fajl::olvas(qint64 hely, qint64 n) const
{
    QByteArray b(n, Qt::Uninitialized);
    olvas(hely, b.data(), n);
    return b;
}

Tabla ellenoriz(const Fajl &f)
{
    auto hiba = [&](const QString &ok) { return StoreHiba(serultTabla(f.ut(), ok)); };
    if (f.meret() < FEJLEC_ALAP)
        throw hiba("A fájl rövidebb a fejlécnél.");
    uchar alap[FEJLEC_ALAP];
    f.olvas(0, alap, FEJLEC_ALAP);
    const int fejlecHossz = le16(alap + 2);
    const int fajta = alap[4];
    const int blokkMeret = alap[5] * 1024;
    const int verzio = alap[0x39];
    if (fajta != pxfFileTypIndexDB && fajta != pxfFileTypNonIndexDB)
        throw hiba("A fájl nem Paradox adattábla.");
    if (verzio < 3 || verzio > 12)
        throw hiba(QString("Ismeretlen Paradox változat (%1).").arg(verzio));
    if (blokkMeret < 1024 || blokkMeret > 32 * 1024)
        throw hiba(QString("Érvénytelen blokkméret a fejlécben (%1).").arg(alap[5]));
    if (fejlecHossz < FEJLEC_ALAP || fejlecHossz > f.meret())
        throw hiba(QString("A fejléc hossza (%1 bájt) nem egyezik a fájllal (%2 bájt).").arg(fejlecHossz).arg(f.meret()));

    const QByteArray fejlecBajtok = f.olvas(0, fejlecHossz);
    const auto *p = reinterpret_cast<const uchar *>(fejlecBajtok.constData());
    Tabla t;
    t.rekordHossz = le16(p);
    t.rekordSzam = qint32(le32(p + 6));
    t.autoinc = qint32(le32(p + 0x49));
    const int blokkSzam = le16(p + 0x0C);
    const int elso = le16(p + 0x0E);
    const int utolso = le16(p + 0x10);
    const int mezoSzam = qint16(le16(p + 0x21));
    if (t.rekordHossz < 1 || t.rekordHossz > blokkMeret - 6)
        throw hiba(QString("Érvénytelen rekordhossz a fejlécben (%1).").arg(t.rekordHossz));
    if (t.rekordSzam < 0)
        throw hiba(QString("Érvénytelen rekordszám a fejlécben (%1).").arg(t.rekordSzam));
    if (mezoSzam < 1 || mezoSzam > 255)
        throw hiba(QString("Érvénytelen mezőszám a fejlécben (%1).").arg(mezoSzam));

    // from version 5 on a second part follows the common header, then the field list
    const bool adatFejlec = verzio >= 5;
    qint64 pos = adatFejlec ? 0x78 : FEJLEC_ALAP;
    auto kell = [&](qint64 n) {
        if (pos + n > fejlecHossz)
            throw hiba("A fejléc rövidebb a mezők leírásánál.");
    };
    kell(0);    // the second part itself lies inside the header
    quint32 titkos = le32(p + 0x25);
    if (titkos == 0xFF00FF00u)
        titkos = adatFejlec ? le32(p + 0x5C) : 0;
    if (titkos != 0)
        throw StoreHiba(QString("A tábla jelszóval védett, nem olvasható: %1").arg(nativ(f.ut())));
    t.kodlap = adatFejlec ? le16(p + 0x6A) : 0;

    kell(2 * qint64(mezoSzam));
    int eltolas = 0;
    for (int i = 0; i < mezoSzam; ++i, pos += 2) {
        Mezo m;
        m.tipus = p[pos];
        m.hossz = rekordHossz(m.tipus, p[pos + 1]);
        m.eltolas = eltolas;
        if (m.hossz < 0)
            throw hiba(QString("A(z) %1. mező típusa vagy hossza érvénytelen (típus: %2, hossz: %3).")
                           .arg(i + 1).arg(tipusNev(m.tipus)).arg(p[pos + 1]));
        eltolas += m.hossz;
        t.mezok << m;
    }
    if (eltolas != t.rekordHossz)
        throw hiba(QString("A mezők hossza (%1) nem egyezik a rekord hosszával (%2).").arg(eltolas).arg(t.rekordHossz));
    // pointers to the table name and the field names, the table name, then the field names
    const int tablaNevHossz = verzio >= 12 ? 261 : 79;
    kell(4 + 4 * qint64(mezoSzam) + tablaNevHossz);
    pos += 4 + 4 * qint64(mezoSzam) + tablaNevHossz;
    for (int i = 0; i < mezoSzam; ++i) {
        const auto *nev = p + pos;
        const auto *vege = static_cast<const uchar *>(std::memchr(nev, 0, size_t(fejlecHossz - pos)));
        if (!vege)
            throw hiba("A fejléc rövidebb a mezők neveinél.");
        if (vege == nev || vege - nev > 255)
            throw hiba(QString("Érvénytelen mezőnév a fejlécben (%1. mező).").arg(i + 1));
        t.mezok[i].nev = QString::fromLatin1(reinterpret_cast<const char *>(nev), vege - nev);
        pos += vege - nev + 1;
    }

    // The blocks follow the header, each of the same size; the chain is walked from the
    // first block, and a number outside the file or met a second time ends it as damaged.
    const qint64 elfer = (f.meret() - fejlecHossz) / blokkMeret;
    if (blokkSzam > elfer)
        throw hiba(QString("A fájl csonka: a fejléc szerint %1 blokkja van, a fájlban %2 fér el.").arg(blokkSzam).arg(elfer));
    const int hely = (blokkMeret - 6) / t.rekordHossz;
    std::vector<bool> latott(size_t(blokkSzam) + 1, false);
    qint64 rekordok = 0;
    int elozo = 0;
    for (int szam = elso; szam != 0;) {
        if (szam > blokkSzam)
            throw hiba(QString("A blokkok láncolata a fájlon kívülre mutat (%1. blokk, a fájlban %2 van).").arg(szam).arg(blokkSzam));
        if (latott[size_t(szam)])
            throw hiba(QString("A blokkok láncolata körbe ér (a(z) %1. blokk másodszor).").arg(szam));
        latott[size_t(szam)] = true;
        const qint64 eleje = fejlecHossz + qint64(szam - 1) * blokkMeret;
        uchar b[6];
        f.olvas(eleje, b, 6);
        const int kovetkezo = le16(b);
        const int tobblet = qint16(le16(b + 4));    // offset of the last record; -size when empty
        if (le16(b + 2) != elozo)
            throw hiba(QString("A(z) %1. blokk visszafelé mutató hivatkozása hibás.").arg(szam));
        if (tobblet < -t.rekordHossz || (tobblet + t.rekordHossz) % t.rekordHossz != 0
            || tobblet / t.rekordHossz + 1 > hely)
            throw hiba(QString("A(z) %1. blokk fejléce hibás.").arg(szam));
        const int db = tobblet / t.rekordHossz + 1;
        t.blokkok << Blokk{eleje + 6, db};
        rekordok += db;
        elozo = szam;
        szam = kovetkezo;
    }
    if (elozo != utolso)
        throw hiba(QString("A blokkok láncolata nem a fejlécben megadott utolsó blokknál ér véget (%1, nem %2).").arg(elozo).arg(utolso));
    if (rekordok != t.rekordSzam)
        throw hiba(QString("A fejléc %1 rekordot jelez, a blokkokban %2 van.").arg(t.rekordSzam).arg(rekordok));
    return t;
}

Memo::Memo(const QString &ut) : m_f(ut)
{
    uchar fej[3];
    if (m_f.meret() < MB_BLOKK)
        throw StoreHiba(serultMemo(ut, "A fájl fejléce hiányzik."));
    m_f.olvas(0, fej, 3);
    if (fej[0] != 0 || le16(fej + 1) != 1)
        throw StoreHiba(serultMemo(ut, "A fájl fejléce hibás."));
}

QByteArray Memo::olvas(quint32 hely, quint32 hossz) const
{
    const qint64 blokk = hely & ~quint32(0xFF);
    const int index = int(hely & 0xFF);
    auto hiba = [&](const QString &mi) {
        return StoreHiba(serultMemo(m_f.ut(), QString("%1 (hivatkozás: %2, hossz: %3)").arg(mi).arg(hely).arg(hossz)));
    };
    // the last block of a file may end with its last memo, unpadded
    if (blokk < MB_BLOKK || blokk % MB_BLOKK != 0 || blokk + 12 > m_f.meret())
        throw hiba("A hivatkozott blokk a fájlon kívül esik.");
    uchar fej[12];
    m_f.olvas(blokk, fej, sizeof fej);
    qint64 eleje;
    if (index == 0xFF) {
        // a block of its own: type 2, its size in 4k units, the memo's length, then the memo
        const qint64 meret = qint64(le16(fej + 1)) * MB_BLOKK;
        if (fej[0] != 2 || le32(fej + 3) != hossz)
            throw hiba("A blokk nem a hivatkozott memót tartalmazza.");
        if (9 + qint64(hossz) > meret)
            throw hiba("A memó hosszabb a blokkjánál.");
        eleje = blokk + 9;
    } else {
        // a shared 4k block: type 3, a 12-byte head, 64 slots of 5 bytes (offset/16,
        // length/16 rounded up, ...), then the memos
        if (fej[0] != 3 || index >= 64 || blokk + 12 + 64 * 5 > m_f.meret())
            throw hiba("A blokk nem a hivatkozott memót tartalmazza.");
        uchar hely5[5];
        m_f.olvas(blokk + 12 + index * 5, hely5, 5);
        const qint64 kezd = qint64(hely5[0]) * 16;
        const qint64 foglalt = qint64(hely5[1]) * 16;
        if (hossz == 0 || foglalt < hossz || foglalt - 16 >= hossz)
            throw hiba("A blokk nem a hivatkozott memót tartalmazza.");
        if (kezd < 12 + 64 * 5 || kezd + hossz > MB_BLOKK)
            throw hiba("A memó túlnyúlik a blokkján.");
        eleje = blokk + kezd;
    }
    if (eleje + hossz > m_f.meret())
        throw hiba("A fájl rövidebb a memónál (csonka).");
    return m_f.olvas(eleje, hossz);
}

} // namespace ParadoxFajl
