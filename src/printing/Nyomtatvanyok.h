#pragma once

#include "Lapozo.h"
#include "Nyomtatvany.h"

#include <QChar>
#include <QString>

#include <memory>

class Lekerdezes;
class Tabla;

// The six printouts: their layouts (the millimetre tables), master queries and text files.
enum class NyomtatvanyFajta { Jotallas, Szereles, Javitas, Szerelo, Lista, Megjegyzes };

extern const char *const KESZITO_HONLAP;   // the maker's web address in the footer lines

Elrendezes ElrendezesKeszit(NyomtatvanyFajta f);
// The letter's code as a QR code in the top right corner of a letter form's page header,
// KOD_SZELES mm wide, the code's text below it.
constexpr double KOD_SZELES = 19.0;
void LevelKodHozzaad(Elrendezes &e);
QString FoLekerdezesSql(NyomtatvanyFajta f);   // with :pdoksi; empty for the list
// "jotallas", "szereles", "javitas", "szerelo", "lista", "megjegyzes" or the class names
bool FajtaNevbol(const QString &nev, NyomtatvanyFajta &f);
QStringList FajtaNevek();

// The master rows of a query or of a table cursor, as the paginator reads them.
class LekerdezesForras : public Adatforras {
public:
    explicit LekerdezesForras(Lekerdezes &q) : m_q(q) {}
    bool elso() override;
    bool kovetkezo() override;
    QVariant ertek(const QString &mezo) const override;
    int sorokSzama() const override;

private:
    Lekerdezes &m_q;
};

class TablaForras : public Adatforras {
public:
    explicit TablaForras(Tabla &t) : m_t(t) {}
    bool elso() override;
    bool kovetkezo() override;
    QVariant ertek(const QString &mezo) const override;
    int sorokSzama() const override;
    // one ordered read of the view instead of moving the cursor row by row; the cursor is
    // left where the printing stopped (the last row when it went through)
    void bejar(const std::function<bool()> &f) override;

private:
    Tabla &m_t;
    const QVector<QVariant> *m_sor = nullptr;   // the row of the pass, while it runs
    mutable QHash<QString, int> m_oszlop;
};

// One printout with its datasets open, for the life of one entry call. Opening reads the
// owner row, the letter (or notes) and the text files; any failure throws StoreHiba before
// a page is made.
class NyomtatasiMunka {
public:
    static std::unique_ptr<NyomtatasiMunka> nyit(NyomtatvanyFajta f, int doksi);
    static std::unique_ptr<NyomtatasiMunka> lista(Tabla &tbl);
    // Any other layout over rows already read (the claims' printouts).
    static std::unique_ptr<NyomtatasiMunka> forrasbol(Elrendezes e, std::unique_ptr<Adatforras> fo);
    ~NyomtatasiMunka();

    const Elrendezes &elrendezes() const { return m_e; }
    Elrendezes &elrendezes() { return m_e; }
    // Makes the pages again from the open datasets (the preview prints this way).
    Oldalak lapoz(Lapozo::Haladas haladas = {}, bool *megszakitva = nullptr);

    NyomtatvanyFajta fajta() const { return m_fajta; }
    int doksi() const { return m_doksi; }              // 0 for the list
    QChar prntip() const { return m_prntip; }          // null without a letter
    int doksiId() const { return m_doksiId; }
    // "Jotallasi_tanusitvany_J00039.pdf"
    QString pdfNev() const;

private:
    NyomtatasiMunka() = default;
    Elrendezes m_e;
    NyomtatvanyFajta m_fajta = NyomtatvanyFajta::Lista;
    int m_doksi = 0;
    QChar m_prntip;
    int m_doksiId = 0;
    std::unique_ptr<Lekerdezes> m_q;
    std::unique_ptr<Adatforras> m_fo;
    SorForras m_tulaj;
};
