#include "RegiszterFajl.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>

namespace {

struct Azonosito {
    dev_t eszkoz;
    ino_t inode;
    bool operator==(const Azonosito &o) const { return eszkoz == o.eszkoz && inode == o.inode; }
};

bool azonosito(const QString &ut, Azonosito &a)
{
    struct stat st;
    if (::stat(QFile::encodeName(ut).constData(), &st) != 0)
        return false;
    a = {st.st_dev, st.st_ino};
    return true;
}

QStringList vedettFajlok()
{
    QStringList mappak;
    if (Adatbazis::nyitva())
        mappak << Adatbazis::mappa();
    if (!Beall.AdatbazisUtvonal.isEmpty())
        mappak << Beall.AdatbazisUtvonal;
    QStringList f;
    for (const QString &m : mappak) {
        const QDir d(m);
        const QString db = d.filePath(Adatbazis::FAJLNEV);
        f << db << db + "-journal" << db + "-wal" << db + "-shm"
          << d.filePath("s1.txt") << d.filePath("s2.txt") << d.filePath("s3.txt");
    }
    f << DorvidoFajlUt() << IniFajlUt() << IniFajlUt() + ".bak";
    return f;
}

// A path as it would be created: a link that points nowhere yet names its target.
QString letrejonne(const QString &ut)
{
    const QFileInfo fi(ut);
    return fi.isSymLink() ? fi.symLinkTarget() : fi.absoluteFilePath();
}

// Same file: both there and one inode, or neither there yet and one folder and one name.
bool ugyanaz(const QString &a, const QString &b)
{
    Azonosito ia, ib;
    const bool vanA = azonosito(a, ia), vanB = azonosito(b, ib);
    if (vanA || vanB)
        return vanA && vanB && ia == ib;
    const QFileInfo fa(letrejonne(a)), fb(letrejonne(b));
    Azonosito ma, mb;
    return fa.fileName() == fb.fileName() && azonosito(fa.absolutePath(), ma)
        && azonosito(fb.absolutePath(), mb) && ma == mb;
}

} // namespace

QString RegiszterFajl(const QString &cel)
{
    if (cel.isEmpty())
        return {};
    for (const QString &f : vedettFajlok())
        if (ugyanaz(cel, f))
            return QDir::cleanPath(QFileInfo(f).absoluteFilePath());
    return {};
}

void RegiszterFajlVed(const QString &cel)
{
    const QString f = RegiszterFajl(cel);
    if (!f.isEmpty())
        throw StoreHiba(QString("A program saját fájlja nem írható felül: %1\r\n"
                                "Válasszon másik fájlnevet.").arg(QDir::toNativeSeparators(f)));
}
