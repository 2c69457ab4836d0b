#include "Beall.h"
#include "HuSzoveg.h"
#include "KapcsolatLeiras.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QStringList>

TBeall Beall;

namespace {

QString g_olvasottIni;

// A small ini file kept in code page 1250 (read as UTF-8 when it is valid UTF-8).
class IniFajl {
public:
    explicit IniFajl(const QString &ut) : m_ut(ut)
    {
        QFile f(ut);
        if (!f.exists())
            return;
        m_hibas = true;
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QByteArray b = f.readAll();
        if (f.error() != QFileDevice::NoError)
            return;
        QString szakasz;
        for (QString sor : HuSzoveg::dekodol(b).split('\n')) {
            sor = sor.trimmed();
            if (sor.startsWith('[') && sor.endsWith(']')) {
                szakasz = sor.mid(1, sor.size() - 2).trimmed();
                m_sorrend.removeAll(szakasz);
                m_sorrend << szakasz;
            } else if (!szakasz.isEmpty() && sor.contains('=') && !sor.startsWith(';')) {
                const int i = sor.indexOf('=');
                m_adat[szakasz.toLower()][sor.left(i).trimmed().toLower()] = {sor.left(i).trimmed(), sor.mid(i + 1)};
            }
        }
        // a file without a single section is damaged or emptied, not a fresh start
        m_hibas = m_sorrend.isEmpty();
    }
    // there but unreadable, empty or without any section
    bool hibas() const { return m_hibas; }
    QString ertek(const QString &sz, const QString &k, bool *van = nullptr) const
    {
        const auto s = m_adat.value(sz.toLower());
        const auto it = s.constFind(k.toLower());
        if (van)
            *van = it != s.constEnd();
        return it != s.constEnd() ? it->second : QString();
    }
    void beir(const QString &sz, const QString &k, const QString &v)
    {
        if (!m_adat.contains(sz.toLower()) && !m_sorrend.contains(sz, Qt::CaseInsensitive))
            m_sorrend << sz;
        m_adat[sz.toLower()][k.toLower()] = {k, v};
    }
    void ment(const QString &ut) const
    {
        QString s;
        for (const QString &sz : m_sorrend) {
            s += '[' + sz + "]\r\n";
            for (const auto &kv : m_adat.value(sz.toLower()))
                s += kv.first + '=' + kv.second + "\r\n";
            s += "\r\n";
        }
        try {
            HuSzoveg::fajlIr(ut, s);
        } catch (const StoreHiba &) {
            throw StoreHiba(QString("Unable to write to %1").arg(ut));
        }
    }
    // The settings file, then its spare copy: the copy tells where the register was should
    // the settings file itself be lost or emptied.
    void ment() const
    {
        ment(m_ut);
        ment(m_ut + ".bak");
    }

private:
    QString m_ut;
    bool m_hibas = false;
    QStringList m_sorrend;
    QMap<QString, QMap<QString, QPair<QString, QString>>> m_adat;
};

int egesz(const IniFajl &ini, const QString &sz, const QString &k, int alap)
{
    bool ok = false;
    const int v = ini.ertek(sz, k).trimmed().toInt(&ok);
    return ok ? v : alap;
}

bool letezoMappa(const QString &ut) { return !ut.isEmpty() && QFileInfo(ut).isDir(); }

} // namespace

QString IniFajlUt() { return QDir(ProgramMappa()).filePath("DorvPrg.ini"); }
QString AlapAdatbazisMappa() { return QDir(ProgramMappa()).filePath("Data"); }
QString AlapMentesMappa() { return QDir(ProgramMappa()).filePath("Archiv"); }
QString DorvidoFajlUt() { return QDir(ProgramMappa()).filePath("dorvido.ini"); }

QString ElozoAdatbazisMappa()
{
    const IniFajl tartalek(IniFajlUt() + ".bak");
    const QString m = tartalek.hibas() ? QString() : tartalek.ertek("Adatbazis", "Utvonal");
    return letezoMappa(m) ? m : QString();
}

QString RendszerIniFajlUt()
{
    // only the system folders: a user's own ~/.config is not an administrator's default
    const QStringList helyek = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation).mid(1);
    for (const QString &h : helyek)
        if (QFileInfo::exists(h + "/DorvPrg/DorvPrg.ini"))
            return h + "/DorvPrg/DorvPrg.ini";
    return QString();
}

QString OlvasottIniFajlUt() { return g_olvasottIni.isEmpty() ? IniFajlUt() : g_olvasottIni; }

IniAllapot BeallitasOlvas()
{
    // a user without settings starts from the administrator's default; the close writes the
    // user's own file
    g_olvasottIni = IniFajlUt();
    if (const QString r = RendszerIniFajlUt(); !QFileInfo::exists(g_olvasottIni) && !r.isEmpty())
        g_olvasottIni = r;
    const IniFajl ini(g_olvasottIni);
    bool ok = false;
    const int tk = ini.ertek("Alapertek", "TeljesKep").trimmed().toInt(&ok);
    Beall.TeljesKep = ok ? tk != 0 : true;
    Beall.Bal = egesz(ini, "Alapertek", "Bal", 5);
    Beall.Felul = egesz(ini, "Alapertek", "Felul", 5);
    Beall.Magas = egesz(ini, "Alapertek", "Magas", 400);
    Beall.Szeles = egesz(ini, "Alapertek", "Szeles", 640);
    // a missing key takes the default folder; a key naming no folder falls back with a message
    bool van = false;
    Beall.AdatbazisUtvonal = ini.ertek("Adatbazis", "Utvonal", &van);
    if (!van)
        Beall.AdatbazisUtvonal = AlapAdatbazisMappa();
    Beall.AdatbazisKapcsolat = ini.ertek("Adatbazis", "Kapcsolat").trimmed();
    Beall.MentesUtvonal = ini.ertek("Archiv", "MentesUtvonal");
    const QString d = ini.ertek("Archiv", "MentesDatum").trimmed();
    Beall.MentesDatum = QDate::fromString(d, HuSzoveg::ROVID_DATUM);
    if (!Beall.MentesDatum.isValid())
        Beall.MentesDatum = QDate::fromString(d, Qt::ISODate);
    if (!Beall.MentesDatum.isValid())
        Beall.MentesDatum = QDate::currentDate().addDays(-10);

    if (!letezoMappa(Beall.MentesUtvonal))
        Beall.MentesUtvonal = AlapMentesMappa();
    if (ini.hibas())
        return IniAllapot::Hibas;
    if (!letezoMappa(Beall.AdatbazisUtvonal)) {
        Beall.AdatbazisUtvonal = AlapAdatbazisMappa();
        return IniAllapot::MappaVisszaallitva;
    }
    return IniAllapot::Rendben;
}

void BeallitasIr(const QRect &foablak)
{
    IniFajl ini(IniFajlUt());
    ini.beir("Adatbazis", "Utvonal", Beall.AdatbazisUtvonal);
    ini.beir("Adatbazis", "Kapcsolat", Beall.AdatbazisKapcsolat.trimmed());
    ini.beir("Alapertek", "TeljesKep", Beall.TeljesKep ? "1" : "0");
    ini.beir("Archiv", "MentesUtvonal", Beall.MentesUtvonal);
    ini.beir("Archiv", "MentesDatum", Beall.MentesDatum.toString(HuSzoveg::ROVID_DATUM));
    ini.beir("Alapertek", "Bal", QString::number(foablak.x()));
    ini.beir("Alapertek", "Felul", QString::number(foablak.y()));
    ini.beir("Alapertek", "Magas", QString::number(foablak.height()));
    ini.beir("Alapertek", "Szeles", QString::number(foablak.width()));
    ini.ment();
}

void MentesDatumIr(const QDate &d)
{
    IniFajl ini(IniFajlUt());
    ini.beir("Archiv", "MentesDatum", d.toString(HuSzoveg::ROVID_DATUM));
    ini.ment();
}

bool KapcsolatbanJelszo(const QString &kapcsolat) { return KapcsolatLeiras::vanJelszo(kapcsolat); }

QString IniKapcsolat()
{
    const QString k = Beall.AdatbazisKapcsolat.trimmed();
    if (k.isEmpty())
        return k;
    const QString hol = QString("A(z) %1 fájl [Adatbazis] szakaszának Kapcsolat= kulcsa")
                            .arg(QDir::toNativeSeparators(OlvasottIniFajlUt()));
    if (KapcsolatLeiras::vanJelszo(k))
        throw StoreHiba(hol + " jelszót tartalmaz; a program ezt a kapcsolatot nem használja. Törölje belőle a "
                              "jelszót, és írja a ~/.pgpass fájlba (vagy a PGPASSFILE fájlba) vagy a "
                              "szolgáltatásfájlba (pg_service.conf).");
    try {
        KapcsolatLeiras::elemez(k);
    } catch (const StoreHiba &h) {
        throw StoreHiba(hol + " hibás.\r\n" + h.uzenet());
    }
    return k;
}

bool ArchivKerdesKell(const QDate &ma)
{
    return ma.addDays(-5) >= Beall.MentesDatum;
}
