#include "Mezo.h"
#include "HuSzoveg.h"
#include "StoreHiba.h"

#include <QDate>

QString MezoSzoveg(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return {};
    if (v.typeId() == QMetaType::QDate)
        return v.toDate().toString(HuSzoveg::ROVID_DATUM);
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QString(HuSzoveg::ROVID_DATUM) + " hh:mm:ss");
    return v.toString();
}

int MezoEgesz(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return 0;
    bool ok = false;
    const int i = v.typeId() == QMetaType::QString ? v.toString().trimmed().toInt(&ok) : v.toInt(&ok);
    if (!ok)
        throw StoreHiba(QString("'%1' is not a valid integer value").arg(v.toString()));
    return i;
}
