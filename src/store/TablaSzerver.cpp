// The cursor's reads of whole views on the server, straight through libpq: QSqlQuery costs
// too much per row for a million letters.
#include "Adatbazis.h"
#include "MotorSql.h"
#include "Sema.h"
#include "Tabla.h"

#include <QDate>
#include <QHash>
#include <optional>

namespace {

// A value of the server's text output as the cursor shows it (olvasottErtek of Tabla.cpp).
QVariant szovegbol(const QByteArray &b, bool null, const MezoLeiras *m)
{
    if (null)
        return QVariant();
    switch (m ? m->tipus : MezoTipus::Szoveg) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz: return QVariant(b.toInt());
    case MezoTipus::Datum: {
        const QDate d = QDate::fromString(QString::fromLatin1(b.left(10)), Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    default: return QVariant(QString::fromUtf8(b));
    }
}

} // namespace

void Tabla::pgKulcsokOlvas(const QString &sql, const QVariantList &ertekek)
{
    const Rendezes &r = m_rendezes.first();
    const MezoLeiras *m = m_leiras->mezo(r.mezo);
    const bool szam = !r.szoveg && (m->tipus == MezoTipus::Egesz || m->tipus == MezoTipus::Autoinc);
    EgeszTomb kulcsok;
    RendezoTomb rendezo;
    MotorSql::pgKulcsok(sql, ertekek, szam, kulcsok, rendezo);
    m_kulcsok = std::move(kulcsok);
    m_rendezoErtek = std::move(rendezo);
    m_cache.clear();
}

void Tabla::pgBejar(const std::function<bool(int, const QVector<QVariant> &)> &f) const
{
    const int n = int(m_oszlopok.size()), mezok = int(m_leiras->mezok.size());
    Sor s(n);
    int i = 0;
    const auto sorba = [&](const QVector<QByteArray> &ertek, const QVector<bool> &nullak) {
        for (int c = 0; c < n; ++c)
            s[c] = szovegbol(ertek[c + 1], nullak[c + 1], c < mezok ? &m_leiras->mezok[c] : nullptr);
    };
    if (!m_rendezes.first().szoveg) {
        QVariantList ertekek;
        const QString sql = selectResz() + whereResz(ertekek) + orderResz();
        MotorSql::pgBejar(sql, ertekek, [&](const QVector<QByteArray> &e, const QVector<bool> &nullak) {
            sorba(e, nullak);
            return f(i++, s);
        });
        return;
    }
    // The Hungarian order is the cursor's own: the rows follow its keys, a batch at a time,
    // in one snapshot.
    std::optional<Adatbazis::Tranzakcio> tr;
    if (!Adatbazis::tranzakcioban()) {
        tr.emplace();
        // the server's default gives each statement a snapshot of its own
        Adatbazis::vegrehajt("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ");
    }
    bool tovabb = true;
    for (qsizetype tol = 0; tovabb && tol < m_kulcsok.size(); tol += 4000) {
        QStringList lista;
        const qsizetype ig = std::min(m_kulcsok.size(), tol + 4000);
        for (qsizetype k = tol; k < ig; ++k)
            lista << QString::number(m_kulcsok[k]);
        QHash<qint64, Sor> sorok;
        MotorSql::pgBejar(selectResz() + " WHERE t." + m_azon + " = ANY (?::bigint[])", {'{' + lista.join(',') + '}'},
                          [&](const QVector<QByteArray> &e, const QVector<bool> &nullak) {
                              sorba(e, nullak);
                              sorok.insert(e[0].toLongLong(), s);
                              return true;
                          });
        for (qsizetype k = tol; tovabb && k < ig; ++k)
            if (const auto it = sorok.constFind(m_kulcsok[k]); it != sorok.constEnd())
                tovabb = f(i++, *it);
    }
    if (tr)
        tr->commit();
}
