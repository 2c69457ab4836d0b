#include "Beall.h"
#include "HuSzoveg.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStringList>

TBeall Beall;

namespace {

// A small ini file kept in code page 1250 (read as UTF-8 when it is valid UTF-8).
class IniFajl {
public:
    explicit IniFajl(const QString &ut) : m_ut(ut)
    {
        QFile f(ut);
        if (!f.open(QIODevice::ReadOnly))
            return;
        QString szakasz;
        for (QString sor : HuSzoveg::dekodol(f.readAll()).split('\n')) {
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
    }
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
    void ment() const
    {
        QString s;
        for (const QString &sz : m_sorrend) {
            s += '[' + sz + "]\r\n";
            for (const auto &kv : m_adat.value(sz.toLower()))
                s += kv.first + '=' + kv.second + "\r\n";
            s += "\r\n";
        }
        HuSzoveg::fajlIr(m_ut, s);
    }

private:
    QString m_ut;
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

bool BeallitasOlvas()
{
    const IniFajl ini(IniFajlUt());
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
    Beall.MentesUtvonal = ini.ertek("Archiv", "MentesUtvonal");
    const QString d = ini.ertek("Archiv", "MentesDatum").trimmed();
    Beall.MentesDatum = QDate::fromString(d, HuSzoveg::ROVID_DATUM);
    if (!Beall.MentesDatum.isValid())
        Beall.MentesDatum = QDate::fromString(d, Qt::ISODate);
    if (!Beall.MentesDatum.isValid())
        Beall.MentesDatum = QDate::currentDate().addDays(-10);

    if (!letezoMappa(Beall.MentesUtvonal))
        Beall.MentesUtvonal = AlapMentesMappa();
    if (!letezoMappa(Beall.AdatbazisUtvonal)) {
        Beall.AdatbazisUtvonal = AlapAdatbazisMappa();
        return false;
    }
    return true;
}

void BeallitasIr(const QRect &foablak)
{
    IniFajl ini(IniFajlUt());
    ini.beir("Adatbazis", "Utvonal", Beall.AdatbazisUtvonal);
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

bool ArchivKerdesKell(const QDate &ma)
{
    return ma.addDays(-5) >= Beall.MentesDatum;
}
