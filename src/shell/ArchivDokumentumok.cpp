#include "ArchivDokumentumok.h"
#include "ArchivLeiras.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonObject>

#include <cerrno>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace ArchivBelso {

QList<DokumentumSor> dokumentumSorok(sqlite3 *h)
{
    QList<DokumentumSor> l;
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(h, "SELECT megj, coalesce(doksi, 0), doknev FROM megj "
                                   "WHERE coalesce(doknev, '') <> '' ORDER BY megj", -1, &s, nullptr);
    while (rc == SQLITE_OK || rc == SQLITE_ROW) {
        if ((rc = sqlite3_step(s)) != SQLITE_ROW)
            break;
        DokumentumSor d;
        d.megj = sqlite3_column_int64(s, 0);
        d.doksi = sqlite3_column_int64(s, 1);
        d.doknev = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 2)),
                                     sqlite3_column_bytes(s, 2));
        l << d;
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        throw StoreHiba(QString("A csatolt dokumentumok listája nem olvasható: %1").arg(QString::fromUtf8(sqlite3_errmsg(h))));
    return l;
}

QList<DokumentumSor> dokumentumSorok(const QString &dbFajl)
{
    sqlite3 *h = nullptr;
    struct Zaro {
        sqlite3 *&h;
        ~Zaro() { sqlite3_close(h); }
    } zaro{h};
    if (sqlite3_open_v2(QFile::encodeName(dbFajl).constData(), &h, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        throw StoreHiba(QString("A csatolt dokumentumok listája nem olvasható: %1").arg(QString::fromUtf8(sqlite3_errmsg(h))));
    return dokumentumSorok(h);
}

namespace {
// A regular file we may read now: the packing must not fail on it later.
bool olvashato(const QString &ut)
{
    const int fd = ::open(QFile::encodeName(ut).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    const bool jo = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return jo;
}
} // namespace

Dokumentumok dokumentumokHozzaad(const QList<DokumentumSor> &sorok, QList<Bejegyzes> &fajlok,
                                 const QString &adatbazisFajl)
{
    Dokumentumok d;
    d.elso = int(fajlok.size());
    const QString db = adatbazisFajl.isEmpty() ? QString() : QFileInfo(adatbazisFajl).canonicalFilePath();
    QHash<QString, int> mar;   // canonical path -> its entry
    for (const DokumentumSor &s : sorok) {
        const QString ut = ArchivDokumentumFajl(s.doknev);
        if (ut.isEmpty())
            continue;   // a web or mail address
        const QString kanonikus = QFileInfo(ut).canonicalFilePath();
        int i = kanonikus.isEmpty() ? -1 : mar.value(kanonikus, -1);
        bool jo = i >= 0;
        if (!jo && !kanonikus.isEmpty() && olvashato(kanonikus)
            && (db.isEmpty() || (kanonikus != db && !kanonikus.startsWith(db + "-")))) {
            try {
                fajlok << bejegyzes(kanonikus, ArchivDokumentumBejegyzes(s.megj, ut));
                i = int(fajlok.size()) - 1;
                mar.insert(kanonikus, i);
                ++d.fajlok;
                jo = true;
            } catch (const StoreHiba &) {
                // a file past the 4 GB limit cannot go in either: named among the missing
            }
        }
        if (!jo) {
            d.hianyzok << s.doknev;
            d.hianyzoLeiras.append(QJsonObject{{"megj", double(s.megj)}, {"doksi", double(s.doksi)}, {"doknev", s.doknev}});
            continue;
        }
        ++d.sorok;
        // meret and crc are put in once the copy is packed
        d.leiras.append(QJsonObject{{"megj", double(s.megj)}, {"doksi", double(s.doksi)}, {"doknev", s.doknev},
                                    {"bejegyzes", fajlok[i].nev}, {"index", i}});
    }
    return d;
}

void dokumentumCrc(Dokumentumok &d, const QList<Bejegyzes> &fajlok)
{
    for (qsizetype k = 0; k < d.leiras.size(); ++k) {
        QJsonObject o = d.leiras[k].toObject();
        const Bejegyzes &b = fajlok[o.take("index").toInt()];
        o.insert("meret", double(b.meret));
        o.insert("crc", double(b.crc));
        d.leiras[k] = o;
    }
}

} // namespace ArchivBelso
