// The cursor's reads of whole views on the server, straight through libpq: QSqlQuery costs
// too much per row for a million letters.
#include "Adatbazis.h"
#include "IsoDatum.h"
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

// szovegbol as a raw value: the text's bytes as they came, a QVariant only for the unusual.
void szovegbolNyers(NyersErtek &e, const QByteArray &b, bool null, const MezoLeiras *m)
{
    if (null) {
        e.fajta = NyersErtek::Fajta::Ures;
        return;
    }
    switch (m ? m->tipus : MezoTipus::Szoveg) {
    case MezoTipus::Autoinc:
    case MezoTipus::Egesz:
        e.fajta = NyersErtek::Fajta::Egesz;
        e.egesz = b.toInt();
        return;
    case MezoTipus::Datum:
        if (IsoDatum(b.constData(), int(b.size()), e.ev, e.ho, e.nap)) {
            e.fajta = QDate(e.ev, e.ho, e.nap).isValid() ? NyersErtek::Fajta::Datum : NyersErtek::Fajta::Ures;
        } else {
            e.fajta = NyersErtek::Fajta::Mas;
            e.mas = szovegbol(b, false, m);
        }
        return;
    default:
        e.fajta = NyersErtek::Fajta::Szoveg;
        e.utf8 = b.constData();
        e.hossz = int(b.size());
        return;
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

void Tabla::pgBejarNyers(const std::function<bool(int, const QVector<NyersErtek> &)> &f, bool ittIs) const
{
    if (m_rendezes.first().szoveg) {
        // the cursor's own order goes by its keys: the values of that pass
        QVector<NyersErtek> s(m_oszlopok.size());
        QVector<QByteArray> bajtok(m_oszlopok.size());
        pgBejar([&](int i, const QVector<QVariant> &ertekek) {
            for (int c = 0; c < ertekek.size(); ++c) {
                const QVariant &v = ertekek[c];
                if (v.isNull()) {
                    s[c].fajta = NyersErtek::Fajta::Ures;
                } else if (v.typeId() == QMetaType::QString) {
                    bajtok[c] = v.toString().toUtf8();
                    s[c].fajta = NyersErtek::Fajta::Szoveg;
                    s[c].utf8 = bajtok[c].constData();
                    s[c].hossz = int(bajtok[c].size());
                } else {
                    s[c].fajta = NyersErtek::Fajta::Mas;
                    s[c].mas = v;
                }
            }
            return f(i, s);
        });
        return;
    }
    const int n = int(m_oszlopok.size()), mezok = int(m_leiras->mezok.size());
    QVector<NyersErtek> s(n);
    int i = 0;
    const auto sorFv = [&](const QVector<QByteArray> &e, const QVector<bool> &nullak) {
        for (int c = 0; c < n; ++c)
            szovegbolNyers(s[c], e[c + 1], nullak[c + 1], c < mezok ? &m_leiras->mezok[c] : nullptr);
        return f(i++, s);
    };
    QVariantList ertekek;
    const QString sql = selectResz() + whereResz(ertekek) + orderResz();
    // inside the caller's transaction only its own connection sees what it wrote
    if (Adatbazis::tranzakcioban())
        MotorSql::pgBejar(sql, ertekek, sorFv);
    else if (ittIs)
        MotorSql::pgMasolBejarItt(sql, ertekek, sorFv);
    else
        MotorSql::pgMasolBejar(sql, ertekek, sorFv);
}
