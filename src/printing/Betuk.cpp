#include "Betuk.h"

#include <QFile>
#include <QFontDatabase>
#include <QHash>

namespace {
QString g_tahoma;   // family of the loaded twin, empty when it could not be loaded
bool g_betoltve = false;

const char *const TAHOMA_FAJLOK[] = {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"};
}

void Betuk::betolt()
{
    if (g_betoltve)
        return;
    g_betoltve = true;
    for (const char *f : TAHOMA_FAJLOK) {
        if (!QFile::exists(f))
            continue;
        const int id = QFontDatabase::addApplicationFont(f);
        const QStringList cs = QFontDatabase::applicationFontFamilies(id);
        if (!cs.isEmpty() && g_tahoma.isEmpty())
            g_tahoma = cs.first();
    }
    // other code asking for the Windows names gets the same twins
    for (const char *n : {"Tahoma", "Arial", "Times New Roman", "Courier New"})
        if (csalad(n) != n)
            QFont::insertSubstitution(n, csalad(n));
}

QString Betuk::csalad(const QString &nev)
{
    const QString n = nev.toLower();
    if (n == "tahoma")
        return g_tahoma.isEmpty() ? QString("DejaVu Sans") : g_tahoma;
    if (n == "arial" || n == "helvetica")
        return "Liberation Sans";
    if (n == "times new roman" || n == "times")
        return "Liberation Serif";
    if (n == "courier new" || n == "courier")
        return "Liberation Mono";
    return nev;
}

QFont Betuk::font(const Betu &b)
{
    betolt();
    QFont f(csalad(b.nev));
    f.setPixelSize(qRound(b.meret * 25.4 / 72.0 * EGYSEG));
    f.setBold(b.felkover);
    f.setItalic(b.dolt);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::PreferOutline);
    return f;
}

double Betuk::vastagitas(const QFont &f)
{
    // about the stem difference between Tahoma and Tahoma Bold
    return f.bold() && !g_tahoma.isEmpty() && f.family() == g_tahoma ? f.pixelSize() * 0.06 : 0;
}
