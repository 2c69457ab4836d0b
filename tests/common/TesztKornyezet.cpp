#include "TesztKornyezet.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "PgSzerver.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QTest>
#include <QWidget>

namespace {
bool g_motorok = false;   // the test program has the engines' global rows
}

TesztKornyezet::TesztKornyezet(bool adatbazisNyit)
{
    setProgramMappa(m_dir.path());
    QDir(m_dir.path()).mkpath("Data");
    Beall = TBeall();
    Beall.AdatbazisUtvonal = adatMappa();
    Beall.MentesUtvonal = QDir(m_dir.path()).filePath("Archiv");
    Beall.torzsszerkeszt = Beall.rendszergazda = true;
    Beall.MentesDatum = QDate::currentDate();
    setValaszolo([this](const UzenetKeres &k) {
        m_uzenetek << k;
        return m_valaszok.isEmpty() ? true : m_valaszok.takeFirst();
    });
    setDokumentumNyito([this](const QString &ut) { m_uzenetek << UzenetKeres{UzenetKeres::Info, ut, "DokumentumNyit"}; });
    if (szerveren()) {
        m_kapcsolat = ujSzerverAdatbazis();
        Beall.AdatbazisKapcsolat = m_kapcsolat;
    }
    if (adatbazisNyit)
        Adatbazis::megnyit(adatMappa(), m_kapcsolat);
}

void TesztKornyezet::motorok()
{
    g_motorok = true;
    QTest::addColumn<bool>("szerver");
    const QString m = qEnvironmentVariable("DORVPRG_MOTOR");
    if (m != "pg")
        QTest::newRow("sqlite") << false;
    if (m != "sqlite")
        QTest::newRow("pg") << true;
}

bool TesztKornyezet::szerveren()
{
    if (!g_motorok)
        return false;
    const void *p = QTest::qGlobalData("szerver", QMetaType::Bool);
    return p && *static_cast<const bool *>(p);
}

QString TesztKornyezet::szerverHiba()
{
    if (!szerveren() || PgSzerver::kozos())
        return {};
    return "Nincs PostgreSQL-kiszolgáló: " + PgSzerver::hibaSzoveg();
}

QString TesztKornyezet::ujSzerverAdatbazis()
{
    PgSzerver *sz = PgSzerver::kozos();
    const QString k = sz ? sz->ujAdatbazis() : QString();
    if (k.isEmpty())
        qFatal("No server database for the test: %s", qPrintable(sz ? sz->hiba() : PgSzerver::hibaSzoveg()));
    return k;
}

TesztKornyezet::~TesztKornyezet()
{
    Adatbazis::bezar();
    setValaszolo({});
    setDokumentumNyito({});
    setJelszoValaszolo({});
}

QString TesztKornyezet::adatMappa() const { return QDir(m_dir.path()).filePath("Data"); }

QStringList TesztKornyezet::szovegek() const
{
    QStringList s;
    for (const UzenetKeres &k : m_uzenetek)
        s << k.szoveg;
    return s;
}

void TesztKornyezet::modalisan(std::function<void(QWidget *)> f, int kesleltetes)
{
    QTimer::singleShot(kesleltetes, [f, kesleltetes]() {
        QWidget *w = QApplication::activeModalWidget();
        if (!w) {
            if (kesleltetes < 5000)
                modalisan(f, kesleltetes + 20);
            return;
        }
        f(w);
    });
}
