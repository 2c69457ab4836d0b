#pragma once

// Helpers of the printing tests: sample letters and reading PDFs back with poppler.

#include "Adatbazis.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTest>

struct PdfSzo {
    int lap;                       // 0-based
    double bal, fent, jobb, lent;  // millimetres from the paper's top-left corner
    QString szoveg;
};

inline QString pdfSzoveg(const QString &fajl, const QStringList &extra = {})
{
    QProcess p;
    p.start("pdftotext", QStringList{"-layout"} + extra + QStringList{fajl, "-"});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QList<PdfSzo> pdfSzavak(const QString &fajl)
{
    QProcess p;
    p.start("pdftotext", {"-bbox", fajl, "-"});
    p.waitForFinished(60000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    QList<PdfSzo> ki;
    static const QRegularExpression re(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>");
    int lap = -1;
    const double mm = 25.4 / 72.0;
    for (auto it = re.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith("<page")) {
            ++lap;
            continue;
        }
        QString s = m.captured(5);
        s.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
        ki << PdfSzo{lap, m.captured(1).toDouble() * mm, m.captured(2).toDouble() * mm,
                     m.captured(3).toDouble() * mm, m.captured(4).toDouble() * mm, s};
    }
    return ki;
}

inline int pdfLapok(const QString &fajl)
{
    QProcess p;
    p.start("pdfinfo", {fajl});
    p.waitForFinished(60000);
    const QRegularExpression re("Pages:\\s+(\\d+)");
    return re.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1).toInt();
}

// A phrase of consecutive words on one page: its box. Among several occurrences the one
// whose top is nearest to fentKozel is taken. Returns false when it is not there.
inline bool kifejezes(const QList<PdfSzo> &szavak, const QString &szoveg, int lap, double fentKozel,
                      PdfSzo &ki)
{
    const QStringList reszek = szoveg.split(' ', Qt::SkipEmptyParts);
    bool talalt = false;
    for (int i = 0; i + reszek.size() <= szavak.size(); ++i) {
        bool ok = true;
        for (int j = 0; j < reszek.size() && ok; ++j) {
            const PdfSzo &w = szavak.at(i + j);
            ok = w.lap == lap && w.szoveg == reszek.at(j) && std::abs(w.fent - szavak.at(i).fent) < 1.0;
        }
        if (!ok)
            continue;
        PdfSzo p = szavak.at(i);
        p.jobb = szavak.at(i + reszek.size() - 1).jobb;
        p.szoveg = szoveg;
        if (!talalt || std::abs(p.fent - fentKozel) < std::abs(ki.fent - fentKozel))
            ki = p;
        talalt = true;
    }
    return talalt;
}

// the sample register: one letter with every field filled, owner details with ő and ű
inline int mintaLevel(int id = 42, const QString &prntip = "J", const QString &marka = "Bosch")
{
    Adatbazis::vegrehajt("UPDATE tulajdonos SET tulajdonos='Őrség Autó Kft.', irsz='9021', varos='Győr',"
                         " cim='Űrhajós utca 5.', telefon='06-96-123456', emil='info@orseg.hu', honlap='www.orseg.hu'");
    Adatbazis::vegrehajt("INSERT INTO marka (marka_nev) VALUES (?)", {marka});
    const int m = Adatbazis::ertek("SELECT max(marka) FROM marka").toInt();
    Adatbazis::vegrehajt("INSERT INTO alkatresz (alkatresz_nev) VALUES ('Generátor')");
    const int a = Adatbazis::ertek("SELECT max(alkatresz) FROM alkatresz").toInt();
    Adatbazis::vegrehajt("INSERT INTO ugyfel (ugyfel_nev, cim_irsz, cim_varos, cim_cim)"
                         " VALUES ('Kovács Béla', '6720', 'Szeged', 'Fő tér 1.')");
    const int u = Adatbazis::ertek("SELECT max(ugyfel) FROM ugyfel").toInt();
    Adatbazis::vegrehajt(
        "INSERT INTO doksi (doksi_id, datum, dorvido, marka, alkatresz, rendszam, ugyfel, sorozatszam, prntip,"
        " kmora, egyebjav, ft_varhato, serulesek, hibajelenseg, dat_beerk, okmanyok, hiba1, hiba2, hiba3,"
        " dat_befejez, megjegyzes, elvjavitas) VALUES (?, '2024-03-15', '12 hónap', ?, ?, 'ABC-123', ?,"
        " 'SN98765', ?, '123456', 'Fékcsere', 45000, 'Karcos', 'Zörög', '2024-03-10', 'Forgalmi',"
        " 'Ékszíj', 'Szíjcsere', 'Nincs', '2024-03-20', 'Kopott ház', 'Tekercselés')",
        {id, m, a, u, prntip});
    return Adatbazis::ertek("SELECT max(doksi) FROM doksi").toInt();
}
