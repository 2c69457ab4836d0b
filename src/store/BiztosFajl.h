#pragma once

#include <QIODevice>
#include <QString>

// Writes a file so that a failure never leaves a cut file behind: the bytes go to a
// temporary file beside the target, locked while it is written, every write() is checked, and veglegesit() syncs the
// data to disk and renames it over the target only when all of it arrived. A failed write
// is remembered, so a caller that ignores write()'s result (QPdfWriter does) still gets the
// failure from veglegesit(). A target that exists and is no regular file (/dev/full, a
// pipe) is written in place, with the same checks.
class BiztosFajl : public QIODevice {
public:
    explicit BiztosFajl(const QString &cel);
    ~BiztosFajl() override;   // drops the temporary file unless veglegesit() succeeded

    // Creates the temporary file; throws StoreHiba naming the target on failure.
    void megnyit();
    // Syncs, closes and renames over the target; throws StoreHiba naming the target on any
    // failure, including an earlier failed write. The earlier target stays as it was then.
    void veglegesit();
    // Writes all of b or throws StoreHiba.
    void irMind(const QByteArray &b);

    QString cel() const { return m_cel; }
    bool hibas() const { return m_hibaKod != 0; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *adat, qint64 hossz) override;

private:
    [[noreturn]] void hiba(int kod);
    void eldob();

    QString m_cel;        // the file the caller named
    QString m_vegleges;   // where it lands: links resolved
    QString m_ideiglenes; // empty when written in place
    int m_fd = -1;
    int m_hibaKod = 0;    // errno of the first failure
    qint64 m_irva = 0;          // bytes written
    qint64 m_kiirasIndult = 0;  // bytes whose write-out to the disk was started
};

// Removes the temporary files that writers killed or cut off by a power loss left in the
// folder (".NAME.dorvprg-XXXXXX"; of one target only when celNev is given). A writer holds a
// lock on its file while it writes, so one being written by a living program stays; nothing
// else is touched.
void BiztosFajlMaradekTorol(const QString &mappa, const QString &celNev = {});

// The system's message for errno, with a Hungarian sentence in front for the common cases.
QString RendszerHibaSzoveg(int kod);

// fsync of a file or a folder (a folder's entries: what was moved into it): 0 when done or
// refused as unsupported (some file systems cannot sync a folder), otherwise the error number.
int LemezreKod(const QString &ut);
