#include "AdminBetu.h"

#include <QFontDatabase>
#include <QStringList>

QFont AdminBetu()
{
    static const bool betoltve = [] {
        if (QFontDatabase::families().contains("Tahoma"))
            return true;
        bool ok = false;
        for (const char *f : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
            ok = QFontDatabase::addApplicationFont(f) >= 0 || ok;
        return ok;
    }();
    Q_UNUSED(betoltve);
    QFont f("Tahoma");
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
}
