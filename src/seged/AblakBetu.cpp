#include "AblakBetu.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

QString TahomaCsalad()
{
    static const QString csalad = [] {
        if (QFontDatabase::families().contains("Tahoma"))
            return QString("Tahoma");
        QString cs;
        for (const char *f : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
            if (!QFile::exists(f))
                continue;
            const QStringList c = QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(f));
            if (cs.isEmpty() && !c.isEmpty())
                cs = c.first();
        }
        return cs;
    }();
    return csalad;
}

QFont AblakBetu(int pont, bool felkover)
{
    const QString cs = TahomaCsalad();
    QFont f(cs.isEmpty() ? QString("Tahoma") : cs);
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(qRound(pont * 96.0 / 72.0));
    return felkover ? Felkover(f) : f;
}

QFont Felkover(QFont f)
{
    if (const QString cs = TahomaCsalad(); !cs.isEmpty() && f.family() == cs && QFontDatabase::hasFamily("Liberation Sans"))
        f.setFamily("Liberation Sans");
    f.setBold(true);
    return f;
}
