#include "StoreHiba.h"

StoreHiba::StoreHiba(const QString &uzenet)
    : std::runtime_error(uzenet.toStdString()), m_uzenet(uzenet)
{
}
