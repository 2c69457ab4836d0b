#pragma once

#include "ArchivBelso.h"
#include "ArchivDarab.h"

#include <QFile>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <zip.h>
#include <fcntl.h>
#include <unistd.h>

namespace ArchivBelso {

// The files are packed in pieces of their own, each a raw deflate stream that starts afresh
// and, but for a file's last, ends on a byte boundary without ending the stream (ArchivDarab):
// laid one after the other they are the file's one deflate stream, as any reader inflates it.
// The workers pack the pieces on every core ahead of libzip, which writes them as they are;
// for the check the workers inflate the pieces read back from the archive, side by side again.
constexpr qint64 DARAB_MERET = 1 << 20;

// Worker threads running what they are given, in order; stopping drops what has not started.
class Munkasok {
public:
    explicit Munkasok(int n)
    {
        for (int i = 0; i < n; ++i)
            m_szalak.emplace_back([this] { fut(); });
    }
    ~Munkasok()
    {
        {
            std::lock_guard l(m_zar);
            m_vege = true;
            m_sor.clear();
        }
        m_jel.notify_all();
        for (std::thread &t : m_szalak)
            t.join();
    }
    void ad(std::function<void()> f)
    {
        {
            std::lock_guard l(m_zar);
            m_sor.push_back(std::move(f));
        }
        m_jel.notify_one();
    }
    int szama() const { return int(m_szalak.size()); }
    Munkasok(const Munkasok &) = delete;
    Munkasok &operator=(const Munkasok &) = delete;

private:
    void fut()
    {
        for (;;) {
            std::function<void()> f;
            {
                std::unique_lock l(m_zar);
                m_jel.wait(l, [this] { return m_vege || !m_sor.empty(); });
                if (m_vege)
                    return;
                f = std::move(m_sor.front());
                m_sor.pop_front();
            }
            f();
        }
    }

    std::mutex m_zar;
    std::condition_variable m_jel;
    std::deque<std::function<void()>> m_sor;
    bool m_vege = false;
    std::vector<std::thread> m_szalak;
};

struct Darab {
    int fajl = 0;
    qint64 kezdet = 0, hossz = 0;
    bool utolso = false;      // the file's last: ends its deflate stream
    qint64 olvasott = 0;      // bytes read; more than hossz when the file grew past its size
    quint32 crc = 0;          // of the bytes read
    qint64 tomoritett = 0;
    QByteArray adat;          // the packed bytes until libzip has them
    bool kesz = false;        // packed, or checked
    QString hiba;
};

class Csomagolo {
public:
    explicit Csomagolo(QList<Bejegyzes> &fajlok)
        : m_fajlok(fajlok), m_fd(size_t(fajlok.size()), -1), m_hatra(size_t(fajlok.size()), 0),
          m_munkasok(std::make_unique<Munkasok>(int(std::clamp(std::thread::hardware_concurrency(), 2u, 8u))))
    {
        for (int i = 0; i < fajlok.size(); ++i) {
            elso.push_back(int(darabok.size()));
            const qint64 m = fajlok[i].meret;
            for (qint64 k = 0; k == 0 || k < m; k += DARAB_MERET) {
                Darab d;
                d.fajl = i;
                d.kezdet = k;
                d.hossz = std::min(DARAB_MERET, m - k);
                d.utolso = k + DARAB_MERET >= m;
                darabok.push_back(d);
                ++m_hatra[size_t(i)];
            }
        }
    }
    ~Csomagolo()
    {
        m_munkasok.reset();   // no worker may outlive the pieces and files it works on
        for (int fd : m_fd)
            if (fd >= 0)
                ::close(fd);
    }
    Csomagolo(const Csomagolo &) = delete;
    Csomagolo &operator=(const Csomagolo &) = delete;

    // Packed piece i, waited for; the pieces after it are given to the workers meanwhile.
    Darab &tomoritett(int i)
    {
        elore(i, [this](Darab &d) { tomorit(d); });
        return var(i);
    }
    // Piece i inflated from the packed bytes read back (adat), compared with what was read.
    void ellenoriz(int i)
    {
        std::lock_guard l(m_zar);
        darabok[size_t(i)].kesz = false;
        m_munkasok->ad([this, i] { kicsomagol(darabok[size_t(i)]); });
    }
    Darab &var(int i)
    {
        std::unique_lock l(m_zar);
        m_jel.wait(l, [&] { return darabok[size_t(i)].kesz; });
        return darabok[size_t(i)];
    }
    // how many pieces may be packed or checked ahead of the one being written or read
    int ablak() const { return 4 * m_munkasok->szama(); }

    std::vector<Darab> darabok;
    std::vector<int> elso;    // first piece of each file
    // Set for a file written while it is packed: waits for the bytes before ig of the file,
    // false with the error when they will not come.
    std::function<bool(int fajl, qint64 ig, QString &hiba)> elerheto;

private:
    void elore(int i, const std::function<void(Darab &)> &munka)
    {
        const int ig = std::min(int(darabok.size()), i + 1 + ablak());
        for (; m_kiadva < ig; ++m_kiadva)
            m_munkasok->ad([this, munka, j = m_kiadva] { munka(darabok[size_t(j)]); });
    }

    void kesz(Darab &d)
    {
        {
            std::lock_guard l(m_zar);
            d.kesz = true;
        }
        m_jel.notify_all();
    }

    // the file of the piece, opened by the first of its pieces to be packed; a FIFO in the
    // folder must not hang the program
    int fajl(const Darab &d, QString &hiba)
    {
        std::lock_guard l(m_zar);
        int &fd = m_fd[size_t(d.fajl)];
        const Bejegyzes &b = m_fajlok[d.fajl];
        if (fd < 0 && m_hatra[size_t(d.fajl)] > 0) {
            fd = ::open(QFile::encodeName(b.ut).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat st;
            if (fd < 0) {
                hiba = QString("A fájl nem olvasható: %1\r\n%2").arg(b.nev, rendszerHiba(errno));
                m_hatra[size_t(d.fajl)] = 0;
            } else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
                hiba = QString("A fájl nem olvasható: %1\r\nNem közönséges fájl.").arg(b.nev);
                ::close(fd);
                fd = -1;
                m_hatra[size_t(d.fajl)] = 0;
            }
        } else if (fd < 0) {
            hiba = QString("A fájl nem olvasható: %1").arg(b.nev);
        }
        return fd;
    }

    void fajlKesz(const Darab &d)
    {
        std::lock_guard l(m_zar);
        int &fd = m_fd[size_t(d.fajl)];
        if (--m_hatra[size_t(d.fajl)] == 0 && fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }

    // reads and packs a piece; inflates a piece read back and compares it (ArchivCsomagolo.cpp)
    void tomorit(Darab &d);
    void kicsomagol(Darab &d);

    QList<Bejegyzes> &m_fajlok;
    std::mutex m_zar;
    std::condition_variable m_jel;
    std::vector<int> m_fd;
    std::vector<int> m_hatra;     // pieces of each file not yet read
    int m_kiadva = 0;             // pieces given to the workers so far
    std::unique_ptr<Munkasok> m_munkasok;
};

// The pieces of a file, in order.
std::pair<int, int> darabjai(const Csomagolo &cs, int fajl);

// CRC, size read and packed size of a file from its pieces.
void bejegyzesOsszegez(const Csomagolo &cs, int fajl, Bejegyzes &b);

// Writes the files into a new archive at ideiglenes, their pieces packed by the workers, and
// after them the program's description (ArchivLeiras.h), which leiras makes once every file is
// packed; a StoreHiba it throws fails the archive with its text.
void iras(const QString &ideiglenes, const QString &cel, QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a,
          const std::function<QByteArray()> &leiras);

// Reads the written archive back through libzip: every entry in order, its name, size, CRC and
// packed size against what was packed, and its data inflated again piece by piece on the
// workers and compared with the CRC of the bytes read from the file; the description last,
// holding exactly leiras.
void ellenorzes(const QString &ideiglenes, const QString &cel, const QList<Bejegyzes> &fajlok, Csomagolo &cs, Allapot &a,
                const QByteArray &leiras);

} // namespace ArchivBelso
