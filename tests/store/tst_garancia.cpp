#include "Garancia.h"

#include <QTest>

using namespace Garancia;
using F = Idotartam::Fajta;

Q_DECLARE_METATYPE(Garancia::Idotartam)
Q_DECLARE_METATYPE(Garancia::Allapot::Fajta)

class GaranciaTeszt : public QObject {
    Q_OBJECT

    static Idotartam nap(int n, std::optional<qint64> km = {}) { return {F::Napok, n, km}; }
    static Idotartam ho(int n, std::optional<qint64> km = {}) { return {F::Honapok, n, km}; }
    static Idotartam korlatlan(std::optional<qint64> km = {}) { return {F::Korlatlan, 0, km}; }
    static Idotartam rossz() { return {}; }

private slots:
    void formak_data()
    {
        QTest::addColumn<QString>("szoveg");
        QTest::addColumn<Idotartam>("vart");
        const auto sor = [](const char *s, Idotartam i) { QTest::newRow(s) << QString::fromUtf8(s) << i; };
        // units, with and without blanks, any case and accents
        sor("1 nap", nap(1));
        sor("30 nap", nap(30));
        sor("90nap", nap(90));
        sor("8 napos", nap(8));
        sor("1 hét", nap(7));
        sor("2 het", nap(14));
        sor("6 HÉT", nap(42));
        sor("3 hetes", nap(21));
        sor("1 hó", ho(1));
        sor("6 hó", ho(6));
        sor("12 HO", ho(12));
        sor("6 hó.", ho(6));
        sor("1 hónap", ho(1));
        sor("3 honap", ho(3));
        sor("6 Hónap", ho(6));
        sor("24 HÓNAP", ho(24));
        sor("6hónap", ho(6));
        sor("6 hónapos", ho(6));
        sor("12 honapos", ho(12));
        sor("1 év", ho(12));
        sor("2 ÉV", ho(24));
        sor("3 ev", ho(36));
        sor("1év", ho(12));
        sor("1 éves", ho(12));
        sor("2 eves", ho(24));
        sor("  1   év  ", ho(12));
        sor("1\u00a0év", ho(12));
        sor("1 e\u0301v", ho(12)); // decomposed accent
        // decimals
        sor("1,5 év", ho(18));
        sor("1.5 év", ho(18));
        sor("0,5 év", ho(6));
        sor("2,25 év", ho(27));
        sor("1,5 hét", rossz()); // 10.5 days
        sor("1,5 hónap", rossz());
        sor("0,1 év", rossz());
        sor("1,0 év", ho(12));
        // kilometres
        sor("20000 km", korlatlan(20000));
        sor("20.000 km", korlatlan(20000));
        sor("20 000 km", korlatlan(20000));
        sor("20000km", korlatlan(20000));
        sor("100.000 KM", korlatlan(100000));
        sor("1 000 000 km", korlatlan(1000000));
        sor("20.00 km", rossz());
        // joined, whichever comes first
        sor("1 év vagy 20000 km", ho(12, 20000));
        sor("1 év / 20000 km", ho(12, 20000));
        sor("1 év/20.000 km", ho(12, 20000));
        sor("1 év, 20 000 km", ho(12, 20000));
        sor("1 év,20000 km", ho(12, 20000));
        sor("1 év és 20000 km", ho(12, 20000));
        sor("1 ÉV ÉS 20000 KM", ho(12, 20000));
        sor("20000 km vagy 1 év", ho(12, 20000));
        sor("1,5 év vagy 30.000 km", ho(18, 30000));
        sor("1,5 év, 30 000 km", ho(18, 30000));
        sor("6 hónap / 10000 km", ho(6, 10000));
        sor("90 nap vagy 5000 km", nap(90, 5000));
        sor("élettartam", korlatlan());
        sor("ÉLETTARTAM", korlatlan());
        sor("Korlátlan", korlatlan());
        sor("korlatlan", korlatlan());
        sor("élettartam vagy 100000 km", korlatlan(100000));
        // not understood: never guessed
        sor("", rossz());
        sor("   ", rossz());
        sor("év", rossz());
        sor("1", rossz());
        sor("0 nap", rossz());
        sor("0 év", rossz());
        sor("-1 év", rossz());
        sor("egy év", rossz());
        sor("1 év garancia", rossz());
        sor("kb. 1 év", rossz());
        sor("1 évig", rossz());
        sor("1 perc", rossz());
        sor("1 év vagy 2 év", rossz());
        sor("1 év vagy", rossz());
        sor("vagy 1 év", rossz());
        sor("1 év és élettartam", rossz());
        sor("20000 km vagy 30000 km", rossz());
        sor("1 év 20000 km", rossz());
        sor("1,5,5 év", rossz());
        sor("1 év // 20000 km", rossz());
        sor("nincs", rossz());
        sor("garancia nélkül", rossz());
    }
    void formak()
    {
        QFETCH(QString, szoveg);
        QFETCH(Idotartam, vart);
        const Idotartam i = ertelmez(szoveg);
        QCOMPARE(int(i.fajta), int(vart.fajta));
        QCOMPARE(i.mennyiseg, vart.mennyiseg);
        QCOMPARE(i.km, vart.km);
    }

    // End dates, month ends and leap days; the last valid day and the first ended day.
    void vegek_data()
    {
        QTest::addColumn<QDate>("datum");
        QTest::addColumn<QString>("ido");
        QTest::addColumn<QDate>("veg");
        const auto sor = [](const char *n, QDate d, const char *i, QDate v) {
            QTest::newRow(n) << d << QString::fromUtf8(i) << v;
        };
        sor("jan31 +1ho szokoev", QDate(2024, 1, 31), "1 hónap", QDate(2024, 2, 29));
        sor("jan31 +1ho", QDate(2023, 1, 31), "1 hónap", QDate(2023, 2, 28));
        sor("jan30 +1ho", QDate(2023, 1, 30), "1 hó", QDate(2023, 2, 28));
        sor("jan28 +1ho", QDate(2023, 1, 28), "1 hó", QDate(2023, 2, 28));
        sor("feb29 +1ev", QDate(2024, 2, 29), "1 év", QDate(2025, 2, 28));
        sor("feb29 +4ev", QDate(2024, 2, 29), "4 év", QDate(2028, 2, 29));
        sor("feb28 +1ev", QDate(2023, 2, 28), "1 év", QDate(2024, 2, 28));
        sor("mar31 +1ho", QDate(2025, 3, 31), "1 hó", QDate(2025, 4, 30));
        sor("aug31 +6ho", QDate(2025, 8, 31), "6 hónap", QDate(2026, 2, 28));
        sor("aug31 +1.5ev", QDate(2024, 8, 31), "1,5 év", QDate(2026, 2, 28));
        sor("dec31 +2ho", QDate(2025, 12, 31), "2 hó", QDate(2026, 2, 28));
        sor("nov30 +3ho", QDate(2023, 11, 30), "3 hó", QDate(2024, 2, 29));
        sor("feb28 +1ho", QDate(2023, 2, 28), "1 hó", QDate(2023, 3, 28));
        sor("evvaltas +1ho", QDate(2025, 12, 15), "1 hó", QDate(2026, 1, 15));
        sor("30 nap", QDate(2025, 1, 1), "30 nap", QDate(2025, 1, 31));
        sor("30 nap szokonap", QDate(2024, 2, 1), "30 nap", QDate(2024, 3, 2));
        sor("30 nap feb", QDate(2023, 2, 1), "30 nap", QDate(2023, 3, 3));
        sor("2 het", QDate(2025, 12, 25), "2 hét", QDate(2026, 1, 8));
        sor("90 nap", QDate(2025, 11, 1), "90 nap vagy 5000 km", QDate(2026, 1, 30));
        sor("365 nap szokoev", QDate(2024, 1, 1), "365 nap", QDate(2024, 12, 31));
    }
    void vegek()
    {
        QFETCH(QDate, datum);
        QFETCH(QString, ido);
        QFETCH(QDate, veg);
        QCOMPARE(vege(datum, ertelmez(ido)), std::optional<QDate>(veg));
        // holds through the end date, ends the day after
        const Allapot utolso = allapot(datum, ido, veg);
        QCOMPARE(utolso.fajta, Allapot::Fajta::Ervenyes);
        QCOMPARE(utolso.napok, 0);
        const Allapot elso = allapot(datum, ido, veg.addDays(1));
        QCOMPARE(elso.fajta, Allapot::Fajta::Lejart);
        QCOMPARE(elso.napok, 1);
        QCOMPARE(allapot(datum, ido, datum).fajta, Allapot::Fajta::Ervenyes);
    }

    void szovegek_data()
    {
        QTest::addColumn<QDate>("datum");
        QTest::addColumn<QString>("ido");
        QTest::addColumn<QString>("kmora");
        QTest::addColumn<QDate>("ma");
        QTest::addColumn<Allapot::Fajta>("fajta");
        QTest::addColumn<QString>("szo");
        QTest::addColumn<QString>("szoveg");
        using A = Allapot::Fajta;
        QTest::newRow("ervenyes") << QDate(2026, 3, 22) << "1 év" << "" << QDate(2026, 12, 9) << A::Ervenyes
                                  << "ervenyes" << QString::fromUtf8("Garancia vége: 2027.03.22. (még 103 nap)");
        QTest::newRow("lejart") << QDate(2024, 3, 22) << "12 hó" << "" << QDate(2025, 12, 8) << A::Lejart << "lejart"
                                << QString::fromUtf8("Lejárt: 2025.03.22. (261 napja)");
        QTest::newRow("ma") << QDate(2026, 1, 9) << "1 hó" << "" << QDate(2026, 2, 9) << A::Ervenyes << "ervenyes"
                            << QString::fromUtf8("Garancia vége: 2026.02.09. (ma jár le)");
        QTest::newRow("km hatar") << QDate(2026, 3, 22) << "1 év vagy 20.000 km" << "123 456 km" << QDate(2026, 12, 9)
                                  << A::Ervenyes << "ervenyes"
                                  << QString::fromUtf8("Garancia vége: 2027.03.22. vagy 143456 km (még 103 nap)");
        QTest::newRow("km ora nelkul") << QDate(2026, 3, 22) << "1 év/20000 km" << "" << QDate(2026, 12, 9)
                                       << A::Ervenyes << "ervenyes"
                                       << QString::fromUtf8("Garancia vége: 2027.03.22. vagy 20000 km futás (még 103 nap)");
        QTest::newRow("rossz") << QDate(2026, 3, 22) << "sokáig" << "" << QDate(2026, 12, 9) << A::NemErtelmezheto
                               << "ismeretlen" << QString::fromUtf8("Nem értelmezhető időtartam");
        QTest::newRow("rossz datum nelkul") << QDate() << "sokáig" << "" << QDate(2026, 12, 9) << A::NemErtelmezheto
                                            << "ismeretlen" << QString::fromUtf8("Nem értelmezhető időtartam");
        QTest::newRow("nincs datum") << QDate() << "1 év" << "" << QDate(2026, 12, 9) << A::NincsDatum << "ismeretlen"
                                     << QString::fromUtf8("Garancia vége: nincs dátum");
        QTest::newRow("korlatlan") << QDate() << "élettartam" << "" << QDate(2026, 12, 9) << A::Korlatlan
                                   << "ervenyes" << QString::fromUtf8("Korlátlan garancia");
        QTest::newRow("csak km") << QDate(2020, 1, 1) << "50000 km" << "km: 10000" << QDate(2026, 12, 9)
                                 << A::Korlatlan << "ervenyes"
                                 << QString::fromUtf8("Garancia: 60000 km-ig, időkorlát nélkül");
    }
    void szovegek()
    {
        QFETCH(QDate, datum);
        QFETCH(QString, ido);
        QFETCH(QString, kmora);
        QFETCH(QDate, ma);
        QFETCH(Allapot::Fajta, fajta);
        QFETCH(QString, szo);
        QFETCH(QString, szoveg);
        const Allapot a = allapot(datum, ido, ma, kmora);
        QCOMPARE(a.fajta, fajta);
        QCOMPARE(allapotSzo(a), szo);
        QCOMPARE(Garancia::szoveg(a), szoveg);
    }

    // The start-date range of an end-date range equals the plain day-by-day answer.
    void kezdetTartomanyok()
    {
        const QDate tol(2019, 1, 1), ig(2025, 12, 31);
        for (const char *ido : {"1 hó", "1 év", "6 hónap", "1,5 év", "3 hó", "30 nap", "2 hét", "4 év"}) {
            const Idotartam i = ertelmez(QString::fromUtf8(ido));
            for (QDate a = QDate(2024, 1, 25); a < QDate(2025, 4, 5); a = a.addDays(4)) {
                for (const int hossz : {0, 1, 2, 29, 90}) {
                    const QDate b = a.addDays(hossz);
                    std::optional<QDate> elso, utolso;
                    for (QDate k = tol; k <= ig; k = k.addDays(1)) {
                        const QDate v = *vege(k, i);
                        if (v >= a && v <= b) {
                            if (!elso)
                                elso = k;
                            utolso = k;
                        }
                    }
                    const auto t = kezdetTartomany(i, a, b);
                    const QByteArray hol = QByteArray(ido) + " " + a.toString().toUtf8() + " +" + QByteArray::number(hossz);
                    QVERIFY2(bool(t) == bool(elso), hol.constData());
                    if (t) {
                        QVERIFY2(t->first == *elso, hol.constData());
                        QVERIFY2(t->second == *utolso, hol.constData());
                    }
                }
            }
        }
        QVERIFY(!kezdetTartomany(ertelmez("élettartam"), QDate(2025, 1, 1), QDate(2025, 2, 1)));
        QVERIFY(!kezdetTartomany(ertelmez("1 év"), QDate(2025, 2, 1), QDate(2025, 1, 1)));
    }
};

QTEST_GUILESS_MAIN(GaranciaTeszt)
#include "tst_garancia.moc"
