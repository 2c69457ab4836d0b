#pragma once

#include "Jelszo.h"

// The earlier program's register written as Paradox tables for the import tests: every value
// kind, nulls, texts filled to the last character, short and long memos, file names in the
// letter case old folders show. Header only, shared by the import test programs.

#include "Adatbazis.h"
#include "Sema.h"
#include "tst_paradoxIro.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QTest>

namespace ParadoxMinta {

using Sorok = QList<QVariantList>;

const QString EKEZET = QStringLiteral("Árvíztűrő tükörfúrógép – őŐűŰ € ");
const qint64 MAGAS_KULCS = 2000000000;

inline QString hosszuSzoveg(int hossz, int mag)
{
    QString s = QString::number(mag) + ' ';
    while (s.size() < hossz)
        s += EKEZET + (s.size() % 3 ? "" : "\r\n");
    return s.left(hossz);
}

// Deterministic values for field f of row i; every fifth row holds nulls outside the key.
inline QVariant minta(const TablaLeiras &t, const MezoLeiras &f, int i)
{
    const bool kulcs = f.nev == t.kulcs;
    if (!kulcs && i % 5 == 4)
        return {};
    switch (f.tipus) {
    case MezoTipus::Autoinc: return i == 0 ? MAGAS_KULCS : qint64(i * 3 + 1);
    case MezoTipus::Egesz: {
        static const qint64 v[] = {0, 1, -1, 2147483647, -2147483647, 12345, -98765, 42};
        return v[i % 8];
    }
    case MezoTipus::Datum: {
        static const QDate d[] = {QDate(1, 1, 1), QDate(1899, 12, 31), QDate(2000, 2, 29),
                                  QDate(2024, 12, 31), QDate(2099, 12, 31), QDate(1970, 1, 1)};
        return d[i % 6];
    }
    case MezoTipus::Szoveg:
        if (kulcs)
            return QString("%1 ő%2").arg(t.nev.left(f.meret - 6)).arg(i);
        if (f.meret == 1)
            return QString(QStringLiteral("JSIŐ").at(i % 4));
        // odd rows fill the field to its last character
        return hosszuSzoveg(i % 2 ? f.meret : qMin(f.meret, 3 + i % 17), i);
    case MezoTipus::Memo: {
        // in the record (up to 20), in a shared block, in a block of its own
        static const int h[] = {5, 20, 21, 300, 2047, 2049, 6000, 1};
        return hosszuSzoveg(h[i % 8], i);
    }
    }
    return {};
}

inline Sorok mintaSorok(const TablaLeiras &t, int n)
{
    Sorok s;
    for (int i = 0; i < n; ++i) {
        QVariantList sor;
        for (const MezoLeiras &f : t.mezok)
            sor << minta(t, f, i);
        s << sor;
    }
    return s;
}

inline int mezoIndex(const TablaLeiras &t, const QString &nev)
{
    for (int i = 0; i < t.mezok.size(); ++i)
        if (t.mezok[i].nev == nev)
            return i;
    return -1;
}

struct RegiMappa {
    QHash<QString, Sorok> sorok;        // by our table name
    QHash<QString, QString> fajlnev;    // the .DB name written
};

inline void tablaIr(const QString &mappa, const QString &fajl, const QList<PxMezo> &mezok, const Sorok &sorok)
{
    bool memo = false;
    for (const PxMezo &m : mezok)
        memo = memo || m.tipus == pxfMemoBLOb;
    const QString ut = QDir(mappa).filePath(fajl);
    PxIro iro(ut, mezok, memo ? ut.left(ut.size() - 3) + ".MB" : QString());
    for (const QVariantList &s : sorok)
        iro.sor(s);
}

// All nine tables, with the file names in the letter case old folders show.
inline RegiMappa regiMappaIr(const QString &mappa, const QStringList &kihagy = {})
{
    static const QHash<QString, int> db = {{"doksi", 40},      {"marka", 9},   {"alkatresz", 9},
                                           {"ugyfel", 9},      {"doksi_megj", 24}, {"megj", 9},
                                           {"felhasznalo", 3}, {"beallit", 1}, {"tulajdonos", 1}};
    static const QHash<QString, QString> nevek = {{"doksi", "DOKSI.DB"}, {"doksi_megj", "Doksi_Megj.DB"}};
    RegiMappa r;
    for (const TablaLeiras &t : Sema::tablak()) {
        Sorok s = mintaSorok(t, db.value(t.nev));
        if (t.nev == "doksi_megj" || t.nev == "megj") {
            // notes point at real letters, one at a letter deleted long ago
            const Sorok &levelek = r.sorok["doksi"];
            const int k = mezoIndex(t, "doksi");
            for (int i = 0; i < s.size(); ++i)
                s[i][k] = levelek[i % levelek.size()][0];
            s[1][k] = MAGAS_KULCS + 5;
        }
        r.sorok[t.nev] = s;
        r.fajlnev[t.nev] = nevek.value(t.nev, t.nev + ".DB");
        if (!kihagy.contains(t.nev))
            tablaIr(mappa, r.fajlnev[t.nev], pxMezok(t), s);
    }
    return r;
}

inline void osszevet(const TablaLeiras &t, const Sorok &sorok)
{
    QCOMPARE(Adatbazis::ertek(QString("SELECT count(*) FROM %1").arg(t.nev)).toInt(), int(sorok.size()));
    QStringList mezok;
    for (const MezoLeiras &f : t.mezok)
        mezok << f.nev;
    const int k = mezoIndex(t, t.kulcs);
    for (const QVariantList &sor : sorok) {
        QSqlQuery q(Adatbazis::db());
        QVERIFY(q.prepare(QString("SELECT %1 FROM %2 WHERE %3 = ?").arg(mezok.join(", "), t.nev, t.kulcs)));
        q.addBindValue(sor[k]);
        QVERIFY(q.exec());
        QVERIFY2(q.next(), qPrintable(QString("%1: no row %2").arg(t.nev, sor[k].toString())));
        for (int j = 0; j < t.mezok.size(); ++j) {
            const QVariant v = q.value(j);
            const QVariant e = sor[j];
            const QString hol = QString("%1.%2, key %3").arg(t.nev, t.mezok[j].nev, sor[k].toString());
            if (!e.isValid())
                QVERIFY2(v.isNull(), qPrintable(hol + " should be null: " + v.toString()));
            else if (t.nev == "felhasznalo" && t.mezok[j].nev == "jelszo" && !e.toString().isEmpty())
                // only the hash of an old password comes over
                QVERIFY2(Jelszo::egyezik(e.toString(), v.toString()), qPrintable(hol + ": " + v.toString().left(60)));
            else if (e.typeId() == QMetaType::QDate)
                QCOMPARE(v.toString(), e.toDate().toString(Qt::ISODate));
            else if (e.typeId() == QMetaType::LongLong)
                QCOMPARE(v.toLongLong(), e.toLongLong());
            else
                QVERIFY2(v.toString() == e.toString(), qPrintable(hol + ": " + v.toString().left(60)));
        }
    }
}

inline QStringList mappaTartalom(const QString &mappa)
{
    QStringList l;
    for (const QFileInfo &fi : QDir(mappa).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        l << QString("%1 %2").arg(fi.fileName()).arg(fi.size());
    return l;
}

} // namespace ParadoxMinta
