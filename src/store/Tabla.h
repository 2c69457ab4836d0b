#pragma once

#include "RendezoTomb.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <array>
#include <functional>

struct TablaLeiras;

// One value of a raw pass (Tabla::bejarNyers), the usual kinds without a QVariant: a pass
// over a whole view hands on tens of millions of them.
struct NyersErtek {
    enum class Fajta : quint8 { Ures, Egesz, Szoveg, Datum, Mas };
    Fajta fajta = Fajta::Ures;
    int egesz = 0;                 // Egesz
    int ev = 0, ho = 0, nap = 0;   // Datum: a valid date
    // Szoveg: the bytes as stored, valid during the call; QString::fromUtf8 of them is the
    // cursor's text (they need not be valid UTF-8)
    const char *utf8 = nullptr;
    int hossz = 0;
    QVariant mas;                  // Mas: the value as the cursor gives it
};

// A cursor on one table: ordered by an index or a field, filtered, with a current row
// and insert/edit/post/cancel/delete. It keeps only the keys of the visible rows in
// order (and the ordering values, for locate), and reads rows by position on demand,
// so a view of a million letters opens, counts and moves without loading the rows.
class Tabla : public QObject {
    Q_OBJECT
public:
    enum class Allapot { Zarva, Tallozas, Beszuras, Szerkesztes };
    enum class KeresMod { Pontos, ReszletesKisNagy };   // exact / leading part, case ignored

    explicit Tabla(const QString &tabla, QObject *szulo = nullptr);
    ~Tabla() override;

    const TablaLeiras &leiras() const { return *m_leiras; }

    // set-up; each re-reads an open cursor
    void setCsakOlvas(bool c) { m_csakOlvas = c; }
    bool csakOlvas() const { return m_csakOlvas; }
    void setIndex(const QString &indexVagyMezo);   // "idx_doksi_id_desc", "idx_datum_desc", a field name, or "" for the key
    QString index() const { return m_index; }
    void setSzuro(const QString &kifejezes);       // "prntip='J'" or "doksi=12"; throws on another form
    QString szuro() const { return m_szuroSzoveg; }
    void setSzurt(bool be);
    // A further condition on the fields (as t.field, values bound by position), kept with or
    // without the filter: windows that filter by several fields at once (the history).
    void setFeltetel(const QString &sql, const QVariantList &ertekek = {});
    bool szurt() const { return m_szurt; }
    // A field filled for each row from another table by key, cut to meret characters.
    void keresoMezo(const QString &nev, const QString &tabla, const QString &sajatMezo,
                    const QString &eredmenyMezo, int meret);

    void megnyit();
    void bezar();
    bool nyitva() const { return m_allapot != Allapot::Zarva; }
    void frissit();   // re-reads the rows, keeping the current row where it still shows
    // Another program changed the database: re-reads now, or when the edit in progress ends.
    void kulsoValtozas();

    // moving
    int rekordSzam() const { return int(m_kulcsok.size()); }
    int rekordSzamlalo() const { return m_sor + 1; }   // position number, 0 when empty
    int sor() const { return m_sor; }                  // 0-based, -1 when empty
    bool ures() const { return m_kulcsok.isEmpty(); }
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    void elso();
    void utolso();
    void kovetkezo();
    void elozo();
    bool ugrik(int sor);
    bool ugrikKulcsra(qint64 rowid);
    qint64 aktualisKulcs() const;                      // rowid of the current row, -1 when none
    // Makes the first row (in order) whose field equals the value current; honours the filter.
    bool keres(const QString &mezo, const QVariant &ertek, KeresMod mod = KeresMod::Pontos);

    // fields: names case-insensitive; in insert or edit state the row being edited
    QStringList mezoNevek() const { return m_oszlopok; }
    bool vanMezo(const QString &mezo) const { return oszlop(mezo) >= 0; }
    QVariant ertek(const QString &mezo) const;
    QVariant ertekSor(int sor, const QString &mezo) const;   // any visible row, for grids
    QVariant ertekSor(int sor, int oszlop) const;
    // Reads every visible row in order in one pass (exports, printouts of a whole view):
    // f gets the position and the row's values by column; returning false stops the pass.
    void bejar(const std::function<bool(int sor, const QVector<QVariant> &ertekek)> &f) const;
    // The same pass, each value as NyersErtek: the same rows in the same order, each value the
    // one bejar gives. On the server, outside a transaction of this connection, the rows of
    // a view in its key order stream through a connection of the pass's own (COPY), so this
    // one stays free meanwhile.
    void bejarNyers(const std::function<bool(int sor, const QVector<NyersErtek> &ertekek)> &f) const;
    // bejarNyers of a closed cursor without opening it: the keys of the view are not read (a
    // pass over a whole view needs none, only the server's Hungarian order goes by them) and
    // the cursor stays closed. On the server the rows stream through the store's own
    // connection, so f must not use the store. An open cursor is passed as bejarNyers does.
    void bejarNyersKulcsNelkul(const std::function<bool(int sor, const QVector<NyersErtek> &ertekek)> &f);
    int oszlop(const QString &mezo) const;
    void setErtek(const QString &mezo, const QVariant &ertek);

    // editing
    Allapot allapot() const { return m_allapot; }
    bool szerkesztes() const { return m_allapot == Allapot::Beszuras || m_allapot == Allapot::Szerkesztes; }
    void beszur();
    // Reads the current row afresh: the post compares with these values.
    void szerkeszt();
    // Writes the fields this edit changed, in one write transaction. Throws StoreHiba and
    // stays in edit state when the store refuses; MasikProgramHiba when another program has
    // changed one of those fields or deleted the row since szerkeszt(), or holds the lock.
    void post();
    void megse();
    void torol();

    // Numbers kept per group (letters per kind): the highest stored plus one.
    int kovetkezoSzam(const QString &mezo, const QString &csoportMezo, const QVariant &csoport) const;
    // The row being inserted gets its number in the post, under the write lock: a number that
    // another program has taken meanwhile gives way to the next free one of its group.
    void sorszamoz(const QString &mezo, const QString &csoportMezo);

signals:
    void mozgasUtan();        // the current row changed (or the rows were re-read)
    void adatValtozott();     // rows re-read: positions may mean other rows now
    void postUtan();
    void allapotValtozott();

private:
    struct Rendezes { QString mezo; bool csokkeno; bool szoveg; };
    using Sor = QVector<QVariant>;

    void ellenoriz(bool nyitvaKell = true) const;
    void oszlopokBeallit();
    // ittIs: the server's COPY may take the store's own connection (f does not use the store)
    void nyersMenet(const std::function<bool(int sor, const QVector<NyersErtek> &ertekek)> &f, bool ittIs = false) const;
    void kulcsokOlvas();
    void aktualisra(int sor, bool jelez = true);
    const Sor *sorAdat(int sor) const;
    void lapOlvas(int sor) const;
    QString selectResz(const QList<bool> &memoriaban = {}) const;
    bool keresoMemoriaba(int kereso) const;
    QString whereResz(QVariantList &ertekek) const;
    QString rendezoKif() const;
    QString orderResz() const;
    QVariant tarolhato(const QString &mezo, const QVariant &v) const;
    QVariant olvasott(int oszlop, const QVariant &v) const;
    int pozicio(qint64 rowid) const;
    bool sorOlvas(qint64 rowid, Sor &olvasott, Sor &tarolt, bool zarol = false) const;
    // the server's key read and whole-view pass (TablaSzerver.cpp)
    void pgKulcsokOlvas(const QString &sql, const QVariantList &ertekek);
    void pgBejar(const std::function<bool(int sor, const QVector<QVariant> &ertekek)> &f) const;
    void pgBejarNyers(const std::function<bool(int sor, const QVector<NyersErtek> &ertekek)> &f, bool ittIs) const;
    // the SQLite pass both forms share: the statement, the lookups read into memory
    template <typename F> void sqliteBejar(bool nyers, F sorFv) const;
    qint64 beszuras();
    void modositas();
    void mentesAzonosit();

    const TablaLeiras *m_leiras;
    QString m_azon = "rowid";               // the row identity column on the open engine
    bool m_csakOlvas = false;
    QString m_index;
    QList<Rendezes> m_rendezes;
    QString m_szuroSzoveg;
    QString m_szuroMezo;
    QVariant m_szuroErtek;
    QString m_feltetel;
    QVariantList m_feltetelErtekek;
    bool m_szurt = false;
    struct Kereso { QString nev, tabla, sajat, eredmeny; int meret; };
    QList<Kereso> m_keresok;

    QStringList m_oszlopok;                 // table fields, then lookup fields
    QHash<QString, int> m_oszlopIndex;      // lower-case name -> column
    EgeszTomb m_kulcsok;                    // rowids of the visible rows, in order
    RendezoTomb m_rendezoErtek;             // first ordering value of each row (keys for text)
    // The rows of the read before (the main window's other view): a filter switched back to
    // while the register has not changed takes them again; otherwise their memory takes the
    // next read. Each read is known by its statement, its values and the register's state.
    struct KulcsOlvasas {
        QString sql;
        QVariantList ertekek;
        std::array<qint64, 3> allapot{-1, -1, -1};
        bool egyezik(const KulcsOlvasas &o) const { return sql == o.sql && ertekek == o.ertekek && allapot == o.allapot; }
    };
    KulcsOlvasas m_olvasas, m_elozoOlvasas;
    EgeszTomb m_elozoKulcsok;
    RendezoTomb m_elozoRendezo;
    mutable QHash<qint64, Sor> m_cache;
    int m_sor = -1;
    bool m_eof = true, m_bof = true;
    Allapot m_allapot = Allapot::Zarva;
    Sor m_puffer;                           // row being inserted or edited
    Sor m_eredeti;                          // the edited row's fields as stored when szerkeszt() read it
    QVector<bool> m_modositott;             // fields set during this edit
    qint64 m_szerkesztettKulcs = -1;
    QString m_sorszamMezo, m_sorszamCsoport;
    bool m_frissitKell = false;             // another program wrote while this cursor was being edited
    // On the server a post of its own carries an identity, the same in every attempt of one
    // edit; m_kuldott holds the fields as the last attempt wrote them, the row's state should
    // its commit turn out to have happened.
    QString m_mentesAzon;
    Sor m_kuldott;
};
