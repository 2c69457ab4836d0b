#include "Garancia.h"

#include <QRegularExpression>
#include <QStringList>

namespace Garancia {

namespace {

// Lower case, without accents, runs of blanks as one blank.
QString egyszerusit(const QString &s)
{
    const QString d = s.normalized(QString::NormalizationForm_D).toLower();
    QString ki;
    ki.reserve(d.size());
    for (const QChar c : d) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        ki += c.isSpace() ? QChar(' ') : c;
    }
    return ki.simplified();
}

// A number with an optional decimal comma or point, as a fraction num/den.
bool szam(const QString &s, qint64 &szamlalo, qint64 &nevezo)
{
    static const QRegularExpression re(QStringLiteral("^(\\d{1,6})(?:[.,](\\d{1,3}))?$"));
    const auto m = re.match(s);
    if (!m.hasMatch())
        return false;
    szamlalo = m.captured(1).toLongLong();
    nevezo = 1;
    for (const QChar c : m.captured(2)) {
        szamlalo = szamlalo * 10 + c.digitValue();
        nevezo *= 10;
    }
    return true;
}

enum class Resz { Hiba, Ido, Km, Korlatlan };

Resz reszErtelmez(const QString &r, Idotartam &ido, qint64 &km)
{
    if (r == QLatin1String("elettartam") || r == QLatin1String("korlatlan"))
        return Resz::Korlatlan;

    static const QRegularExpression kmRe(QStringLiteral("^(\\d{1,3}(?:[. ]\\d{3})+|\\d{1,9}) ?km\\.?$"));
    if (const auto m = kmRe.match(r); m.hasMatch()) {
        QString jegyek = m.captured(1);
        jegyek.remove(QChar('.')).remove(QChar(' '));
        km = jegyek.toLongLong();
        return km > 0 ? Resz::Km : Resz::Hiba;
    }

    static const QRegularExpression idoRe(
        QStringLiteral("^(\\d+(?:[.,]\\d+)?) ?(napos|nap|hetes|het|honapos|honap|ho|eves|ev)\\.?$"));
    const auto m = idoRe.match(r);
    if (!m.hasMatch())
        return Resz::Hiba;
    qint64 sz = 0, nev = 1;
    if (!szam(m.captured(1), sz, nev))
        return Resz::Hiba;
    const QString egyseg = m.captured(2);
    qint64 szorzo = 1;
    if (egyseg.startsWith(QLatin1String("nap"))) {
        ido.fajta = Idotartam::Fajta::Napok;
    } else if (egyseg.startsWith(QLatin1String("het"))) {
        ido.fajta = Idotartam::Fajta::Napok;
        szorzo = 7;
    } else if (egyseg.startsWith(QLatin1String("ho"))) {
        ido.fajta = Idotartam::Fajta::Honapok;
    } else {
        ido.fajta = Idotartam::Fajta::Honapok;
        szorzo = 12;
    }
    // only whole days or months: "1,5 év" is 18 months, "1,5 hónap" is not understood
    const qint64 egesz = sz * szorzo;
    if (egesz % nev != 0 || egesz / nev <= 0 || egesz / nev > 100000)
        return Resz::Hiba;
    ido.mennyiseg = int(egesz / nev);
    return Resz::Ido;
}

} // namespace

Idotartam ertelmez(const QString &dorvido)
{
    const QString s = egyszerusit(dorvido);
    if (s.isEmpty())
        return {};
    // joiners: "vagy", "és", "/", and a comma that is not a decimal comma
    static const QRegularExpression kotoRe(QStringLiteral(" ?(?:/|\\bvagy\\b|\\bes\\b|(?<!\\d),|,(?!\\d)) ?"));
    const QStringList reszek = s.split(kotoRe);

    Idotartam ki;
    bool vanIdo = false, vanKm = false, vanKorlatlan = false;
    for (const QString &r0 : reszek) {
        const QString r = r0.trimmed();
        if (r.isEmpty())
            return {};
        Idotartam ido;
        qint64 km = 0;
        switch (reszErtelmez(r, ido, km)) {
        case Resz::Hiba:
            return {};
        case Resz::Ido:
            if (vanIdo || vanKorlatlan)
                return {};
            vanIdo = true;
            ki.fajta = ido.fajta;
            ki.mennyiseg = ido.mennyiseg;
            break;
        case Resz::Km:
            if (vanKm)
                return {};
            vanKm = true;
            ki.km = km;
            break;
        case Resz::Korlatlan:
            if (vanIdo || vanKorlatlan)
                return {};
            vanKorlatlan = true;
            break;
        }
    }
    if (!vanIdo)
        ki.fajta = Idotartam::Fajta::Korlatlan; // "élettartam", or a kilometre limit alone
    return ki;
}

std::optional<QDate> vege(const QDate &datum, const Idotartam &ido)
{
    if (!datum.isValid())
        return std::nullopt;
    switch (ido.fajta) {
    case Idotartam::Fajta::Napok:
        return datum.addDays(ido.mennyiseg);
    case Idotartam::Fajta::Honapok:
        return datum.addMonths(ido.mennyiseg); // a missing day becomes the month's last day
    default:
        return std::nullopt;
    }
}

std::optional<std::pair<QDate, QDate>> kezdetTartomany(const Idotartam &ido, const QDate &vegTol, const QDate &vegIg)
{
    if (!vegTol.isValid() || !vegIg.isValid() || vegTol > vegIg)
        return std::nullopt;
    if (ido.fajta == Idotartam::Fajta::Napok)
        return std::pair{vegTol.addDays(-ido.mennyiseg), vegIg.addDays(-ido.mennyiseg)};
    if (ido.fajta != Idotartam::Fajta::Honapok)
        return std::nullopt;
    const auto veg = [&](const QDate &k) { return k.addMonths(ido.mennyiseg); };
    // first start whose end is on or after vegTol
    QDate tol = vegTol.addMonths(-ido.mennyiseg);
    while (veg(tol.addDays(-1)) >= vegTol)
        tol = tol.addDays(-1);
    while (veg(tol) < vegTol)
        tol = tol.addDays(1);
    // last start whose end is on or before vegIg
    QDate ig = vegIg.addMonths(-ido.mennyiseg);
    while (veg(ig.addDays(1)) <= vegIg)
        ig = ig.addDays(1);
    while (veg(ig) > vegIg)
        ig = ig.addDays(-1);
    if (ig < tol)
        return std::nullopt;
    return std::pair{tol, ig};
}

std::optional<qint64> kmOraAllas(const QString &kmora)
{
    QString jegyek;
    for (const QChar c : kmora)
        if (c >= QChar('0') && c <= QChar('9'))
            jegyek += c;
    if (jegyek.isEmpty() || jegyek.size() > 15)
        return std::nullopt;
    return jegyek.toLongLong();
}

Allapot allapot(const QDate &datum, const QString &dorvido, const QDate &ma, const QString &kmora)
{
    return allapot(datum, ertelmez(dorvido), ma, kmora);
}

Allapot allapot(const QDate &datum, const Idotartam &ido, const QDate &ma, const QString &kmora)
{
    Allapot a;
    if (!ido.ertelmezheto())
        return a;
    a.km = ido.km;
    if (ido.km)
        if (const auto ora = kmOraAllas(kmora))
            a.kmHatar = *ora + *ido.km;
    if (ido.fajta == Idotartam::Fajta::Korlatlan) {
        a.fajta = Allapot::Fajta::Korlatlan;
        return a;
    }
    const auto v = vege(datum, ido);
    if (!v) {
        a.fajta = Allapot::Fajta::NincsDatum;
        return a;
    }
    a.veg = *v;
    if (ma <= *v) {
        a.fajta = Allapot::Fajta::Ervenyes;
        a.napok = ma.daysTo(*v);
    } else {
        a.fajta = Allapot::Fajta::Lejart;
        a.napok = v->daysTo(ma);
    }
    return a;
}

QString datumSzoveg(const QDate &d)
{
    return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd.")) : QString();
}

QString szoveg(const Allapot &a)
{
    QString km;
    if (a.kmHatar)
        km = QStringLiteral(" vagy %1 km").arg(*a.kmHatar);
    else if (a.km)
        km = QStringLiteral(" vagy %1 km futás").arg(*a.km);
    switch (a.fajta) {
    case Allapot::Fajta::Ervenyes:
        return QStringLiteral("Garancia vége: %1%2 (%3)")
            .arg(datumSzoveg(a.veg), km,
                 a.napok == 0 ? QStringLiteral("ma jár le") : QStringLiteral("még %1 nap").arg(a.napok));
    case Allapot::Fajta::Lejart:
        return QStringLiteral("Lejárt: %1 (%2 napja)").arg(datumSzoveg(a.veg)).arg(a.napok);
    case Allapot::Fajta::NemErtelmezheto:
        return QStringLiteral("Nem értelmezhető időtartam");
    case Allapot::Fajta::NincsDatum:
        return QStringLiteral("Garancia vége: nincs dátum");
    case Allapot::Fajta::Korlatlan:
        if (a.kmHatar)
            return QStringLiteral("Garancia: %1 km-ig, időkorlát nélkül").arg(*a.kmHatar);
        if (a.km)
            return QStringLiteral("Garancia: %1 km futásig, időkorlát nélkül").arg(*a.km);
        return QStringLiteral("Korlátlan garancia");
    }
    return {};
}

QString allapotSzo(const Allapot &a)
{
    switch (a.fajta) {
    case Allapot::Fajta::Ervenyes:
    case Allapot::Fajta::Korlatlan:
        return QStringLiteral("ervenyes");
    case Allapot::Fajta::Lejart:
        return QStringLiteral("lejart");
    default:
        return QStringLiteral("ismeretlen");
    }
}

} // namespace Garancia
