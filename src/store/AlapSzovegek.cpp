#include "Adatbazis.h"
#include "HuSzoveg.h"

#include <QDir>
#include <QFileInfo>

// Printed texts of a new register; the workshop rewrites them in the settings window.
void Adatbazis::alapSzovegekIr(const QString &mappa)
{
    static const struct { const char *nev; const char *szoveg; } szovegek[] = {
        {"s1.txt",
         "A jótállás a vásárlás napjától a jótállási időben megadott ideig érvényes.\r\n"
         "A jótállás a rendeltetésszerű használatból eredő hibákra terjed ki.\r\n"
         "A jótállási igény a tanúsítvány és a vásárlást igazoló bizonylat bemutatásával érvényesíthető.\r\n"},
        {"s2.txt",
         "Nem terjed ki a jótállás a szakszerűtlen beépítésből, a nem rendeltetésszerű használatból, "
         "baleseti sérülésből és a természetes kopásból eredő hibákra.\r\n"
         "A jótállás nem érinti a vevő jogszabályon alapuló szavatossági jogait.\r\n"},
        {"s3.txt",
         "A megrendelő tudomásul veszi, hogy a javítás során kiderült további hibák javításáról "
         "a műhely előzetesen tájékoztatja.\r\n"
         "A gépkocsiban hagyott tárgyakért a műhely felelősséget nem vállal.\r\n"},
    };
    for (const auto &s : szovegek) {
        const QString ut = QDir(mappa).filePath(s.nev);
        if (!QFileInfo::exists(ut))
            HuSzoveg::fajlIr(ut, QString::fromUtf8(s.szoveg));
    }
}
