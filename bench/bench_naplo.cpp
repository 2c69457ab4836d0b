// The cost of the change history: a letter's post (one field changed, committed) with the
// history and without it, in turns on one register, and the size the history of letters each
// changed twice adds to the register file, measured on this register and extrapolated to a
// million letters (linear in the entries: one entry row and three index rows per change).
// Usage: bench_naplo [posts=300] [letters=20000]   (a new register in a temporary folder)
#include "Adatbazis.h"
#include "Meres.h"
#include "Naplo.h"
#include "Tabla.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

namespace {
qint64 meret()
{
    return Adatbazis::ertek("PRAGMA page_count").toLongLong() * Adatbazis::ertek("PRAGMA page_size").toLongLong()
         - Adatbazis::ertek("PRAGMA freelist_count").toLongLong() * Adatbazis::ertek("PRAGMA page_size").toLongLong();
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int postok = argc > 1 ? atoi(argv[1]) : 300;
    const int levelek = argc > 2 ? atoi(argv[2]) : 20000;
    QTemporaryDir d;
    Adatbazis::megnyit(d.path());
    {
        const Naplo::Szunet sz;
        Adatbazis::Tranzakcio t;
        for (int i = 1; i <= levelek; ++i)
            Adatbazis::vegrehajt("INSERT INTO doksi (doksi_id, prntip, datum, rendszam, kmora, sorozatszam) VALUES (?, 'J', '2026-01-05', ?, ?, ?)",
                                 {i, QString("ABC-%1").arg(i % 1000, 3, 10, QChar('0')), QString::number(10000 + i),
                                  QString("SN%1").arg(i * 7919)});
        t.commit();
    }
    Tabla t("doksi");
    t.megnyit();
    QList<double> vele, nelkule;
    for (int i = 0; i < postok; ++i) {
        for (bool naplo : {true, false}) {
            std::optional<Naplo::Szunet> sz;
            if (!naplo)
                sz.emplace();
            t.ugrik(i % t.rekordSzam());
            QElapsedTimer ido;
            ido.start();
            t.szerkeszt();
            t.setErtek("kmora", QString::number(20000 + i * 2 + naplo));
            t.post();
            (naplo ? vele : nelkule) << ido.nsecsElapsed() / 1e6;
        }
    }
    const double mv = Median(vele), mn = Median(nelkule);
    std::printf("post with history %.3f ms, without %.3f ms, ratio %.3f (%d posts each)\n", mv, mn, mv / mn, postok);
    JsonSor("post_naplo_vele", mv, "ms");
    JsonSor("post_naplo_nelkule", mn, "ms");
    JsonSor("post_naplo_arany", mv / mn, "x");

    // every letter changed twice (two fields of different kinds), through the history's triggers
    Adatbazis::vegrehajt("VACUUM");
    const qint64 elotte = meret();
    for (int kor = 0; kor < 2; ++kor) {
        Adatbazis::Tranzakcio tr;
        Adatbazis::vegrehajt(kor == 0 ? "UPDATE doksi SET kmora = kmora || '1'" : "UPDATE doksi SET rendszam = rendszam || 'X'");
        tr.commit();
    }
    Adatbazis::vegrehajt("VACUUM");
    const qint64 utana = meret();
    const qint64 bejegyzes = Adatbazis::ertek("SELECT count(*) FROM naplo").toLongLong();
    const double levelenkent = double(utana - elotte) / levelek;
    std::printf("history of %d letters changed twice: %lld entries, %.1f MB added, %.0f bytes a letter; "
                "a million letters: %.0f MB (extrapolated)\n",
                levelek, bejegyzes, (utana - elotte) / 1e6, levelenkent, levelenkent * 1e6 / 1e6);
    JsonSor("naplo_meret_levelenkent", levelenkent, "B");
    JsonSor("naplo_meret_millio_level", levelenkent, "MB");
    Adatbazis::bezar();
    return 0;
}
