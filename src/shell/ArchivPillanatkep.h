#pragma once

#include "ArchivBelso.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include "Epseg.h"

#include <QFile>

#include <atomic>
#include <functional>
#include <utility>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <sqlite3.h>

namespace ArchivBelso {

// Copies the database through SQLite's online backup inside one read transaction: the copy
// holds every committed transaction wholly or not at all, however long the packing takes
// and whatever another program commits meanwhile.
void pillanatkep(const QString &forras, const QString &cel, qint64 meret, Allapot &a);

// The same snapshot taken beside the packing: under the read transaction, which no commit can
// pass in a rollback journal, the database file holds exactly the committed state, so its pages
// are copied as they are through SQLite's own file handle (another descriptor of ours on the
// file would drop SQLite's locks when closed) on a thread of their own. The packing reads each
// piece of the copy as soon as it is there; the lock is let go when the copy is done, as before.
// A database in WAL mode, whose file alone is not the committed state, gets the backup.
// tranzakcioban reads what else the archive needs of the register from the same snapshot
// (only when the copy is made here: folyik()).
class FolyoPillanatkep {
public:
    FolyoPillanatkep(const QString &forras, const QString &cel, const std::function<void(sqlite3 *)> &tranzakcioban = {})
        : m_cel(cel)
    {
        const QByteArray f = QFile::encodeName(forras);
        if (sqlite3_open_v2(f.constData(), &m_be, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw hiba("Az adatbázis nem nyitható meg", forras, sqlite3_errmsg(m_be));
        sqlite3_busy_timeout(m_be, 30000);
        if (sqlite3_exec(m_be, "BEGIN; SELECT count(*) FROM sqlite_master;", nullptr, nullptr, nullptr) != SQLITE_OK)
            throw hiba("Az adatbázis nem olvasható", forras, sqlite3_errmsg(m_be));
        // a cut or empty file would be copied as it is and its archive called good
        if (const QString ok = Epseg::fejlec(m_be); !ok.isEmpty())
            throw StoreHiba(Epseg::uzenet(forras, ok));
        const qint64 lap = szam("PRAGMA page_size"), lapok = szam("PRAGMA page_count");
        if (szoveg("PRAGMA journal_mode") == "wal" || lap <= 0 || lapok < 0
            || sqlite3_file_control(m_be, "main", SQLITE_FCNTL_FILE_POINTER, &m_fajl) != SQLITE_OK || !m_fajl
            || !m_fajl->pMethods)
            return;
        m_meret = lap * lapok;
        if (tranzakcioban) {
            try {
                tranzakcioban(m_be);
            } catch (...) {
                sqlite3_close(std::exchange(m_be, nullptr));   // ends the read transaction
                throw;
            }
        }
        m_fd = ::open(QFile::encodeName(cel).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (m_fd < 0)
            throw hiba("Az adatbázis másolata nem hozható létre", cel, rendszerHiba(errno));
        m_szal = std::thread([this] { masol(); });
    }
    ~FolyoPillanatkep()
    {
        m_allj = true;
        if (m_szal.joinable())
            m_szal.join();
        if (m_fd >= 0)
            ::close(m_fd);
        sqlite3_close(m_be);
    }
    FolyoPillanatkep(const FolyoPillanatkep &) = delete;
    FolyoPillanatkep &operator=(const FolyoPillanatkep &) = delete;

    bool folyik() const { return m_szal.joinable(); }
    qint64 meret() const { return m_meret; }
    // Waits until the copy holds the bytes before ig (all of it for more); false with the
    // copy's error when it failed.
    bool var(qint64 ig, QString &h)
    {
        std::unique_lock l(m_zar);
        m_jel.wait(l, [&] { return m_vege || m_kesz >= std::min(ig, m_meret + 1); });
        if (!m_hiba.isEmpty())
            h = m_hiba;
        return m_hiba.isEmpty() && (m_kesz >= ig || m_vege);
    }

private:
    static StoreHiba hiba(const QString &mit, const QString &ut, const QString &ok)
    {
        return StoreHiba(QString("%1: %2\r\n%3").arg(mit, ut, ok));
    }
    // in SQLite's words, as the backup reported a failed write
    QString irasHiba(int e) const
    {
        const int rc = e == ENOSPC || e == EDQUOT ? SQLITE_FULL : SQLITE_IOERR;
        return hiba("Az adatbázis másolata nem írható", m_cel, sqlite3_errstr(rc)).uzenet();
    }
    qint64 szam(const char *sql) { return szoveg(sql).toLongLong(); }
    QString szoveg(const char *sql)
    {
        sqlite3_stmt *st = nullptr;
        QString v;
        if (sqlite3_prepare_v2(m_be, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))).toLower();
        sqlite3_finalize(st);
        return v;
    }
    void masol()
    {
        QString h;
        std::vector<char> b(size_t(1) << 20);
        for (qint64 hol = 0; h.isEmpty() && hol < m_meret && !m_allj;) {
            const int n = int(std::min<qint64>(qint64(b.size()), m_meret - hol));
            if (const int rc = m_fajl->pMethods->xRead(m_fajl, b.data(), n, hol); rc != SQLITE_OK) {
                h = hiba("Az adatbázis nem olvasható", m_cel, sqlite3_errstr(rc)).uzenet();
                break;
            }
            for (qint64 irt = 0; h.isEmpty() && irt < n;) {
                const ssize_t k = ::write(m_fd, b.data() + irt, size_t(n - irt));
                if (k < 0 && errno == EINTR)
                    continue;
                if (k <= 0)
                    h = irasHiba(k < 0 ? errno : ENOSPC);
                else
                    irt += k;
            }
            if (h.isEmpty())
                hol += n;
            {
                std::lock_guard l(m_zar);
                m_kesz = hol;
            }
            m_jel.notify_all();
        }
        if (h.isEmpty() && m_allj)
            h = "Az archiválás megszakítva.";
        if (h.isEmpty() && ::close(std::exchange(m_fd, -1)) != 0)
            h = irasHiba(errno);
        // the lock goes with the copy done: other programs may commit again
        sqlite3_exec(m_be, "COMMIT", nullptr, nullptr, nullptr);
        {
            std::lock_guard l(m_zar);
            m_hiba = h;
            m_vege = true;
        }
        m_jel.notify_all();
    }

    QString m_cel;
    sqlite3 *m_be = nullptr;
    sqlite3_file *m_fajl = nullptr;
    int m_fd = -1;
    qint64 m_meret = -1;
    std::thread m_szal;
    std::atomic<bool> m_allj{false};
    std::mutex m_zar;
    std::condition_variable m_jel;
    qint64 m_kesz = 0;
    bool m_vege = false;
    QString m_hiba;
};

} // namespace ArchivBelso
