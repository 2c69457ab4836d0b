#pragma once

#include <QList>
#include <QString>

// The tables of the register, described once: the schema is created from this,
// the cursors cut and convert values by it, grids and exports take labels from it.
enum class MezoTipus { Autoinc, Egesz, Datum, Szoveg, Memo };

struct MezoLeiras {
    QString nev;
    MezoTipus tipus;
    int meret = 0;          // characters, for Szoveg
    QString cimke;          // label in grids, editors and exports
};

struct TablaLeiras {
    QString nev;
    QString kulcs;          // primary key field
    QList<MezoLeiras> mezok;

    const MezoLeiras *mezo(const QString &nev) const;   // case-insensitive, nullptr when unknown
    bool autoinc() const;
};

namespace Sema {
const QList<TablaLeiras> &tablak();
const TablaLeiras *tabla(const QString &nev);   // also takes "doksi.DB"
int verzio();
QStringList letrehozo();                        // CREATE statements of a new database
QStringList keresoIndex();                      // the search index: tables, triggers, indexes
QStringList keresoFeltolt();                    // refills the search index from the register
QStringList keresoFrissit();                    // brings a whole search index of version 3 up to date
QStringList keresoUjraepit();                   // drops what is left of any search index, builds it filled
// names of the tables, indexes and triggers of the search index of that version (3 or later),
// to find a missing one
QStringList keresoObjektumok(int verzio = Sema::verzio());
QString nagybetusTabla(const QString &tabla);   // upper-cased searched texts of a table
QString keresoTabla(const QString &tabla);      // trigram table over those
}
