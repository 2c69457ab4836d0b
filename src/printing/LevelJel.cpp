#include "LevelJel.h"

#include <QRegularExpression>

#include <qrencode.h>

QString LevelJel(QChar prntip, int doksiId)
{
    return QString(prntip) + QString("%1").arg(doksiId, 5, 10, QChar('0'));
}

QString FajlNevResz(const QString &s)
{
    // the decomposed form keeps the base letter first: "ő" is "o" and a combining mark
    const QString d = s.normalized(QString::NormalizationForm_KD);
    QString ki;
    bool elvalaszto = false;
    for (const QChar c : d) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        const char16_t u = c.unicode();
        const bool jo = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9');
        if (!jo) {
            elvalaszto = !ki.isEmpty();
            continue;
        }
        if (elvalaszto)
            ki += '_';
        elvalaszto = false;
        ki += c;
    }
    return ki;
}

QString PdfNevJavaslat(const QString &nyomtatvanyNev, QChar prntip, int doksiId)
{
    QString nev = FajlNevResz(nyomtatvanyNev);
    if (nev.isEmpty())
        nev = "DorvPrg";
    const QString jel = FajlNevResz(prntip.isNull() ? QString() : LevelJel(prntip, doksiId));
    return (jel.isEmpty() ? nev : nev + '_' + jel) + ".pdf";
}

QString LevelKod(QChar prntip, int doksiId) { return "DORV:" + LevelJel(prntip, doksiId).insert(1, ':'); }

bool LevelKodBol(const QString &s, QChar &prntip, int &doksiId)
{
    static const QRegularExpression re("^DORV:([JS]):(\\d{1,9})$", QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(s.trimmed());
    if (!m.hasMatch())
        return false;
    prntip = m.captured(1).at(0).toUpper();
    doksiId = m.captured(2).toInt();
    return true;
}

bool LevelKodEleje(const QString &s)
{
    const QString t = s.trimmed().toUpper();
    if (t.isEmpty())
        return false;
    const QString eleje = "DORV:";
    if (t.size() <= eleje.size())
        return eleje.startsWith(t);
    static const QRegularExpression re("^DORV:([JS](:\\d{0,9})?)?$");
    return re.match(t).hasMatch();
}

QrModulok QrKodol(const QString &szoveg)
{
    QrModulok m;
    const QByteArray b = szoveg.toUtf8();
    QRcode *q = QRcode_encodeString(b.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!q)
        return m;
    m.meret = q->width;
    m.sotet.resize(qsizetype(q->width) * q->width);
    for (int i = 0; i < m.sotet.size(); ++i)
        m.sotet[i] = char(q->data[i] & 1);
    QRcode_free(q);
    return m;
}
