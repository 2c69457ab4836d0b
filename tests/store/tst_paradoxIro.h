#pragma once

// Writes Paradox tables through pxlib, as the earlier program's folders hold them: for the
// import tests and the import benchmark. Header only, so both can include it.

extern "C" {
#include <paradox.h>
}

#include "HuSzoveg.h"
#include "Sema.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QList>
#include <QString>
#include <QVariant>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

struct PxMezo {
    QByteArray nev;
    int tipus;      // pxfAlpha, pxfLong, pxfAutoInc, pxfDate, pxfShort, pxfNumber, pxfMemoBLOb ...
    int hossz;      // bytes in the record; a memo's in-record part is hossz - 10
};

class PxIro {
public:
    // mb: the memo file to create beside the table (tables with a memo field need one)
    PxIro(const QString &ut, const QList<PxMezo> &mezok, const QString &mb = {}) : m_mezok(mezok)
    {
        m_doc = PX_new2(hibaKezelo, nullptr, nullptr, nullptr);
        // pxlib keeps the field array and frees it with its names
        auto *f = static_cast<pxfield_t *>(std::malloc(sizeof(pxfield_t) * size_t(mezok.size())));
        for (int i = 0; i < mezok.size(); ++i) {
            f[i].px_fname = strdup(mezok[i].nev.constData());
            f[i].px_ftype = char(mezok[i].tipus);
            f[i].px_flen = mezok[i].hossz;
            f[i].px_fdc = 0;
            m_hossz += mezok[i].hossz;
        }
        QFile::remove(ut);
        if (PX_create_file(m_doc, f, int(mezok.size()), QFile::encodeName(ut).constData(), pxfFileTypNonIndexDB) < 0)
            throw std::runtime_error("PX_create_file: " + ut.toStdString());
        if (!mb.isEmpty()) {
            QFile::remove(mb);
            if (PX_set_blob_file(m_doc, QFile::encodeName(mb).constData()) < 0)
                throw std::runtime_error("PX_set_blob_file: " + mb.toStdString());
        }
        m_rekord.resize(m_hossz);
    }

    ~PxIro() { bezar(); }

    // Values in field order: QString (1250 on disk), integers, QDate, double, bool; an
    // invalid QVariant is null.
    void sor(const QVariantList &e)
    {
        m_rekord.fill(0);
        char *p = m_rekord.data();
        for (int i = 0; i < m_mezok.size(); ++i) {
            const PxMezo &m = m_mezok[i];
            const QVariant v = i < e.size() ? e[i] : QVariant();
            const bool null = !v.isValid() || v.isNull();
            switch (m.tipus) {
            case pxfAlpha:
                if (!null) {
                    // pxlib has no bounds check here: cut to the field ourselves
                    const QByteArray b = HuSzoveg::kodol1250(v.toString()).left(m.hossz);
                    std::memcpy(p, b.constData(), size_t(b.size()));
                }
                break;
            case pxfDate:
                PX_put_data_long(m_doc, p, null ? 0 : 4, null ? 0 : int(v.toDate().toJulianDay() - 1721425));
                break;
            case pxfLong:
            case pxfAutoInc: PX_put_data_long(m_doc, p, null ? 0 : 4, null ? 0 : v.toInt()); break;
            case pxfShort: PX_put_data_short(m_doc, p, null ? 0 : 2, null ? 0 : short(v.toInt())); break;
            case pxfNumber:
            case pxfCurrency: PX_put_data_double(m_doc, p, null ? 0 : 8, null ? 0 : v.toDouble()); break;
            case pxfLogical: PX_put_data_byte(m_doc, p, null ? 0 : 1, null ? 0 : char(v.toBool() ? 1 : 0)); break;
            case pxfMemoBLOb:
            case pxfFmtMemoBLOb:
                if (!null) {
                    QByteArray b = HuSzoveg::kodol1250(v.toString());
                    PX_put_data_blob(m_doc, p, m.hossz, b.data(), int(b.size()));
                }
                break;
            default: throw std::runtime_error("unsupported field type");
            }
            p += m.hossz;
        }
        if (PX_put_recordn(m_doc, m_rekord.data(), m_pos++) < 0)
            throw std::runtime_error("PX_put_recordn");
    }

    void bezar()
    {
        if (m_doc) {
            PX_close(m_doc);
            PX_delete(m_doc);
            m_doc = nullptr;
        }
    }

private:
    // no exception may cross pxlib's C frames: report, and let the return codes fail
    static void hibaKezelo(pxdoc_t *, int, const char *uzenet, void *)
    {
        std::fprintf(stderr, "pxlib: %s\n", uzenet);
    }

    pxdoc_t *m_doc = nullptr;
    QList<PxMezo> m_mezok;
    int m_hossz = 0;
    int m_pos = 0;
    QByteArray m_rekord;
};

// The old program's field list of one of our tables: same names, the Paradox types.
inline QList<PxMezo> pxMezok(const TablaLeiras &t, int memoHossz = 30)
{
    QList<PxMezo> l;
    for (const MezoLeiras &m : t.mezok) {
        switch (m.tipus) {
        case MezoTipus::Autoinc: l << PxMezo{m.nev.toLatin1(), pxfAutoInc, 4}; break;
        case MezoTipus::Egesz: l << PxMezo{m.nev.toLatin1(), pxfLong, 4}; break;
        case MezoTipus::Datum: l << PxMezo{m.nev.toLatin1(), pxfDate, 4}; break;
        case MezoTipus::Szoveg: l << PxMezo{m.nev.toLatin1(), pxfAlpha, m.meret}; break;
        case MezoTipus::Memo: l << PxMezo{m.nev.toLatin1(), pxfMemoBLOb, memoHossz}; break;
        }
    }
    return l;
}
