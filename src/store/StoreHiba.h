#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the store or of a file it handles: carries the readable message
// that windows show behind a first line of their own. The common store failures (disk full,
// locked, read-only, I/O error, more than one statement) get a Hungarian sentence in front
// of the store's own text.
class StoreHiba : public std::runtime_error {
public:
    explicit StoreHiba(const QString &uzenet);
    const QString &uzenet() const { return m_uzenet; }

private:
    QString m_uzenet;
};
