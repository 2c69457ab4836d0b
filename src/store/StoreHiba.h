#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the store or of a file it handles: carries the readable message
// that windows show behind a first line of their own.
class StoreHiba : public std::runtime_error {
public:
    explicit StoreHiba(const QString &uzenet);
    const QString &uzenet() const { return m_uzenet; }

private:
    QString m_uzenet;
};
