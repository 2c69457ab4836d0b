#include "Beall.h"
#include "HuSzoveg.h"
#include "KapcsolatLeiras.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QStringList>

TBeall Beall;

namespace {

QString g_olvasottIni;

// A small ini file kept in code page 1250, or in UTF-8 when 1250 cannot hold its text (read
// as UTF-8 when it is valid UTF-8).
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
        elemez(HuSzoveg::dekodol(b));
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
    QString szoveg() const
    {
        QString s;
        for (const QString &sz : m_sorrend) {
            s += '[' + sz + "]\r\n";
            for (const auto &kv : m_adat.value(sz.toLower()))
                s += kv.first + '=' + kv.second + "\r\n";
            s += "\r\n";
        }
        return s;
    }
    // The settings file, then its spare copy: the copy tells where the register was should
    // the settings file itself be lost or emptied. A value the next start would read back
    // otherwise (a line break, blanks at its end) is refused before either is touched: the
    // next start must not take another folder for it.
    void ment() const
    {
        const QString s = szoveg();
        IniFajl vissza;
        vissza.elemez(s);
        for (auto sz = m_adat.cbegin(); sz != m_adat.cend(); ++sz)
            for (auto kv = sz->cbegin(); kv != sz->cend(); ++kv)
                if (vissza.ertek(sz.key(), kv.key()) != kv->second)
                    throw StoreHiba(QString("Unable to write to %1\r\nA beállítás értéke nem tárolható változatlanul "
                                            "(sortörés vagy szóköz a végén): %2=%3")
                                        .arg(m_ut, kv->first, kv->second));
        ment(m_ut, s);
        ment(m_ut + ".bak", s);
    }

private:
    IniFajl() = default;
    void elemez(const QString &szoveg)
    {
        QString szakasz;
        for (QString sor : szoveg.split('\n')) {
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
    static void ment(const QString &ut, const QString &s)
    {
        try {
            HuSzoveg::fajlIr(ut, s);
        } catch (const StoreHiba &h) {
            // the reason of the file's own message, without its first line naming the file again
            const QString &u = h.uzenet();
            const int sor = u.indexOf("\r\n");
            const QString ok = u.startsWith("Nem írható a fájl:") && sor >= 0 ? u.mid(sor + 2) : u;
            throw StoreHiba(QString("Unable to write to %1\r\n%2").arg(ut, ok));
        }
    }

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

QDate datum(const IniFajl &ini)
{
    const QString d = ini.ertek("Archiv", "MentesDatum").trimmed();
    const QDate r = QDate::fromString(d, HuSzoveg::ROVID_DATUM);
    return r.isValid() ? r : QDate::fromString(d, Qt::ISODate);
}

// An archive another program made meanwhile (a scheduled --archive) wrote a later date into
// the file than the one read at start: the later one stays.
QDate kesobbi(const IniFajl &ini, const QDate &d)
{
    const QDate f = datum(ini);
    return f.isValid() && (!d.isValid() || f > d) ? f : d;
}

bool letezoMappa(const QString &ut) { return !ut.isEmpty() && QFileInfo(ut).isDir(); }

// A text of several lines as one ini value: "\\n" for a line break, "\\\\" for a backslash.
QString egySorba(const QString &s)
{
    QString t = s;
    t.replace("\r\n", "\n").replace('\r', '\n');
    while (t.endsWith('\n') || t.endsWith(' ') || t.endsWith('\t'))
        t.chop(1);   // the ini would drop what stands at the end of the line
    QString ki;
    for (const QChar c : t)
        ki += c == '\\' ? QString("\\\\") : c == '\n' ? QString("\\n") : QString(c);
    return ki;
}

QString sorokra(const QString &s)
{
    QString ki;
    for (int i = 0; i < s.size(); ++i) {
        if (s.at(i) == '\\' && i + 1 < s.size()) {
            ++i;
            ki += s.at(i) == 'n' ? QChar('\n') : s.at(i);
        } else {
            ki += s.at(i);
        }
    }
    return ki;
}

} // namespace

QString AlapEmailTargy() { return "{fajta} - {szam}"; }
QString AlapEmailSzoveg()
{
    return "Tisztelt {ugyfel}!\n\nMellékelten küldjük a(z) {szam} számú levél nyomtatványát "
           "({fajta}).\n\nÜdvözlettel:\n{muhely}";
}

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
    Beall.MentesDatum = datum(ini);
    if (!Beall.MentesDatum.isValid())
        Beall.MentesDatum = QDate::currentDate().addDays(-10);

    if (!letezoMappa(Beall.MentesUtvonal))
        Beall.MentesUtvonal = AlapMentesMappa();
    Beall.ArchivDokumentumok = ini.ertek("Archiv", "Dokumentumok").trimmed() != "0";
    Beall.ArchivMegtart = std::max(0, egesz(ini, "Archiv", "Megtart", 0));
    // kept as written: a drive not plugged in now is still the one meant
    Beall.MasodikMentesUtvonal = ini.ertek("Archiv", "MasodikUtvonal").trimmed();
    Beall.QrKod = ini.ertek("Nyomtatas", "QrKod").trimmed() == "1";
    Beall.LejartSzurke = ini.ertek("Alapertek", "LejartSzurke").trimmed() != "0";   // on unless switched off
    bool vanTargy = false, vanSzoveg = false;
    Beall.EmailTargy = sorokra(ini.ertek("Email", "Targy", &vanTargy));
    Beall.EmailSzoveg = sorokra(ini.ertek("Email", "Szoveg", &vanSzoveg));
    if (!vanTargy)
        Beall.EmailTargy = AlapEmailTargy();
    if (!vanSzoveg)
        Beall.EmailSzoveg = AlapEmailSzoveg();
    if (ini.hibas())
        return IniAllapot::Hibas;
    if (van && !letezoMappa(Beall.AdatbazisUtvonal)) {
        Beall.AdatbazisUtvonal = AlapAdatbazisMappa();
        return IniAllapot::MappaVisszaallitva;
    }
    return IniAllapot::Rendben;
}

void BeallitasIr(const QRect &foablak)
{
    IniFajl ini(IniFajlUt());
    Beall.MentesDatum = kesobbi(ini, Beall.MentesDatum);
    ini.beir("Adatbazis", "Utvonal", Beall.AdatbazisUtvonal);
    ini.beir("Adatbazis", "Kapcsolat", Beall.AdatbazisKapcsolat.trimmed());
    ini.beir("Alapertek", "TeljesKep", Beall.TeljesKep ? "1" : "0");
    ini.beir("Archiv", "MentesUtvonal", Beall.MentesUtvonal);
    ini.beir("Archiv", "MentesDatum", Beall.MentesDatum.toString(HuSzoveg::ROVID_DATUM));
    ini.beir("Alapertek", "Bal", QString::number(foablak.x()));
    ini.beir("Alapertek", "Felul", QString::number(foablak.y()));
    ini.beir("Alapertek", "Magas", QString::number(foablak.height()));
    ini.beir("Alapertek", "Szeles", QString::number(foablak.width()));
    ini.beir("Archiv", "Dokumentumok", Beall.ArchivDokumentumok ? "1" : "0");
    ini.beir("Archiv", "Megtart", QString::number(Beall.ArchivMegtart));
    ini.beir("Archiv", "MasodikUtvonal", Beall.MasodikMentesUtvonal);
    ini.beir("Nyomtatas", "QrKod", Beall.QrKod ? "1" : "0");
    ini.beir("Alapertek", "LejartSzurke", Beall.LejartSzurke ? "1" : "0");
    // the templates as they come with the program stay out of the file (a later version's
    // own wording then applies); one changed before is overwritten, also with the default
    const auto sablon = [&ini](const char *kulcs, const QString &ertek, const QString &alap) {
        bool van = false;
        ini.ertek("Email", kulcs, &van);
        if (van || egySorba(ertek) != egySorba(alap))
            ini.beir("Email", kulcs, egySorba(ertek));
    };
    sablon("Targy", Beall.EmailTargy, AlapEmailTargy());
    sablon("Szoveg", Beall.EmailSzoveg, AlapEmailSzoveg());
    ini.ment();
}

void MentesDatumIr(const QDate &d)
{
    IniFajl ini(IniFajlUt());
    ini.beir("Archiv", "MentesDatum", kesobbi(ini, d).toString(HuSzoveg::ROVID_DATUM));
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

void MentesDatumFrissit()
{
    const IniFajl ini(IniFajlUt());
    if (!ini.hibas())
        Beall.MentesDatum = kesobbi(ini, Beall.MentesDatum);
}

bool ArchivKerdesKell(const QDate &ma)
{
    return ma.addDays(-5) >= Beall.MentesDatum;
}

QString KiszolgaloLeiras(const QString &kapcsolat)
{
    if (kapcsolat.trimmed().isEmpty())
        return {};
    KapcsolatLeiras::Kulcsok k;
    try {
        k = KapcsolatLeiras::elemez(kapcsolat);
    } catch (const StoreHiba &) {
        return "(a kapcsolat leírása hibás)";
    }
    QString gep = KapcsolatLeiras::ertek(k, "host");
    if (gep.isEmpty())
        gep = KapcsolatLeiras::ertek(k, "hostaddr");
    QString port = KapcsolatLeiras::ertek(k, "port");
    const QString db = KapcsolatLeiras::ertek(k, "dbname");
    const QString szolg = KapcsolatLeiras::ertek(k, "service");
    // what libpq takes when the string leaves them out
    if (gep.isEmpty() && szolg.isEmpty())
        gep = qEnvironmentVariable("PGHOST", "localhost");
    if (port.isEmpty() && szolg.isEmpty())
        port = qEnvironmentVariable("PGPORT", "5432");
    QStringList r;
    if (!gep.isEmpty())
        r << (port.isEmpty() ? gep : gep + ':' + port);
    if (!db.isEmpty())
        r << "adatbázis: " + db;
    if (!szolg.isEmpty())
        r << "szolgáltatás: " + szolg;
    return r.join(", ");
}

QString AdatbazisHelye()
{
    const QString mappa = QDir::toNativeSeparators(Beall.AdatbazisUtvonal);
    if (Beall.AdatbazisKapcsolat.trimmed().isEmpty())
        return "Az adatbázis mappája:\r\n" + mappa;
    return "Az adatbázis PostgreSQL kiszolgálón van:\r\n" + KiszolgaloLeiras(Beall.AdatbazisKapcsolat)
           + "\r\n\r\nA szövegfájlok és a dokumentumok mappája:\r\n" + mappa;
}
