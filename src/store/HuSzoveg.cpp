#include "HuSzoveg.h"
#include "BiztosFajl.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

const char *const HuSzoveg::ROVID_DATUM = "yyyy.MM.dd.";

QString HuSzoveg::nagybetu(const QString &s) { return s.toUpper(); }
QString HuSzoveg::kisbetu(const QString &s) { return s.toLower(); }

namespace {
// accent rank after the base letter: none, acute, diaeresis, double acute
ushort sulyKod(QChar c)
{
    static const struct { ushort kod; char alap; ushort rang; } ekezetes[] = {
        {0x00C1, 'A', 1}, {0x00C4, 'A', 2}, {0x00C9, 'E', 1}, {0x00CD, 'I', 1}, {0x00D3, 'O', 1},
        {0x00D6, 'O', 2}, {0x0150, 'O', 3}, {0x00DA, 'U', 1}, {0x00DC, 'U', 2}, {0x0170, 'U', 3},
    };
    const ushort u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return 0x100 + (u - 'A') * 4;
    for (const auto &e : ekezetes)
        if (e.kod == u)
            return 0x100 + (e.alap - 'A') * 4 + e.rang;
    if (u < 0x100)
        return u;                       // digits, blanks, punctuation before letters
    return u < 0xF000 ? u + 0x1000 : u; // other scripts after the Latin alphabet
}
} // namespace

QString HuSzoveg::rendezoKulcs(const QString &s)
{
    const QString n = s.toUpper();
    QString k(n.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < n.size(); ++i)
        k[i] = QChar(sulyKod(n[i]));
    return k;
}

QString HuSzoveg::dekodol(const QByteArray &b)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(b);
    if (!utf8.hasError()) {
        if (s.startsWith(QChar(0xFEFF)))
            s.remove(0, 1);
        return s;
    }
    QStringDecoder cp("windows-1250");
    return cp.decode(b);
}

QByteArray HuSzoveg::kodol1250(const QString &s)
{
    QStringEncoder cp("windows-1250");
    return cp.encode(s);
}

QByteArray HuSzoveg::fajlKodol(const QString &s, bool *ok)
{
    // the encoder puts a substitute for what 1250 lacks without a word, and a 1250 text may
    // happen to be valid UTF-8 ("Ă©" reads back as "é"): only a text read back whole counts
    QStringEncoder cp("windows-1250");
    QByteArray b = cp.encode(s);
    if (!cp.hasError() && dekodol(b) == s) {
        *ok = true;
        return b;
    }
    QStringEncoder utf8(QStringEncoder::Utf8);
    b = utf8.encode(s);
    *ok = !utf8.hasError() && dekodol(b) == s;
    return *ok ? b : QByteArray();
}

QString HuSzoveg::fajlOlvas(const QString &ut)
{
    QFile f(ut);
    if (!f.open(QIODevice::ReadOnly))
        throw StoreHiba(QString("Nem olvasható a fájl: %1\r\n%2").arg(ut, f.errorString()));
    return dekodol(f.readAll());
}

QStringList HuSzoveg::fajlSorok(const QString &ut)
{
    QString s = fajlOlvas(ut);
    s.replace("\r\n", "\n");
    s.replace('\r', '\n');
    if (s.endsWith('\n'))
        s.chop(1);
    return s.isEmpty() ? QStringList() : s.split('\n');
}

QByteArray HuSzoveg::fajlBajtjai(const QString &ut, const QString &szoveg)
{
    bool ok = false;
    const QByteArray b = fajlKodol(szoveg, &ok);
    if (!ok)
        throw StoreHiba(QString("Nem írható a fájl: %1\r\nA szöveg olyan karaktert tartalmaz, amely a fájlban nem "
                                "tárolható változatlanul.").arg(QDir::toNativeSeparators(QFileInfo(ut).absoluteFilePath())));
    return b;
}

void HuSzoveg::fajlIr(const QString &ut, const QString &szoveg)
{
    const QByteArray b = fajlBajtjai(ut, szoveg);
    BiztosFajl f(ut);
    f.megnyit();
    f.irMind(b);
    f.veglegesit();
}
