#include "TesztKornyezet.h"
#include "Adatbazis.h"
#include "Beall.h"
#include "PgSzerver.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QTest>
#include <QWidget>
#include <sqlite3.h>

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

void TesztKornyezet::iniIr() const
{
    Beall.AdatbazisUtvonal = adatMappa();
    Beall.AdatbazisKapcsolat = m_kapcsolat;
    BeallitasIr(QRect(0, 0, 640, 400));
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

bool RegiszterRongal(const QString &fajl, const QString &mod)
{
    QFile f(fajl);
    if (mod == "ures")
        return f.resize(0);
    int lap = 0, gyoker = 0;
    sqlite3 *h = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(fajl).constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h, "SELECT (SELECT page_size FROM pragma_page_size), rootpage FROM sqlite_master "
                               "WHERE type = 'table' AND name = 'doksi'", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW) {
            lap = sqlite3_column_int(st, 0);
            gyoker = sqlite3_column_int(st, 1);
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    if (lap <= 0 || gyoker <= 1 || !f.open(QIODevice::ReadWrite))
        return false;
    if (mod == "csonka")
        return f.size() > 3 * lap && f.resize(f.size() - 2 * lap);
    if (mod != "lap" || !f.seek(qint64(gyoker - 1) * lap) || f.write(QByteArray(lap, char(0xA5))) != lap)
        return false;
    // the change counter and the number it stays valid for, one on
    QByteArray fej(100, 0);
    if (!f.seek(0) || f.read(fej.data(), 100) != 100)
        return false;
    auto ir = [&](int hol) {
        const quint32 v = (quint32(uchar(fej[hol])) << 24 | quint32(uchar(fej[hol + 1])) << 16
                           | quint32(uchar(fej[hol + 2])) << 8 | uchar(fej[hol + 3])) + 1;
        const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        return f.seek(hol) && f.write(b, 4) == 4;
    };
    return ir(24) && ir(92) && f.flush();
}
