#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The files of the earlier program's Paradox tables, opened and checked by us before pxlib
// sees them: pxlib trusts a table's header and block chain, and a chain that comes back on
// itself makes it loop for ever. Every failure is a StoreHiba naming the file.
namespace ParadoxFajl {

// A file opened for reading that is sure to be a regular file: a FIFO would block the
// reader, a folder has no bytes. Closes itself.
class Fajl {
public:
    explicit Fajl(const QString &ut);
    ~Fajl();
    Fajl(const Fajl &) = delete;
    Fajl &operator=(const Fajl &) = delete;

    const QString &ut() const { return m_ut; }
    qint64 meret() const { return m_meret; }
    int fd() const { return m_fd; }
    // Exactly n bytes from the offset; a file shorter than that is reported as cut.
    void olvas(qint64 hely, void *cel, qint64 n) const;
    QByteArray olvas(qint64 hely, qint64 n) const;

private:
    QString m_ut;
    int m_fd = -1;
    qint64 m_meret = 0;
};

struct Mezo {
    QString nev;
    int tipus = 0;      // pxfAlpha ...
    int hossz = 0;      // bytes in the record
    int eltolas = 0;    // offset inside the record
};

struct Blokk {
    qint64 hely = 0;    // file offset of the block's first record
    int rekordok = 0;
};

struct Tabla {
    int rekordHossz = 0;
    int rekordSzam = 0;
    int autoinc = 0;
    int kodlap = 0;             // DOS code page named by the header, 0 when it names none
    QList<Mezo> mezok;
    QList<Blokk> blokkok;       // the data blocks in chain order
};

// Reads the header and walks the whole block chain: sizes sane and consistent with one
// another and with the file, every field type known with a length its type allows, block
// numbers inside the file, no block visited twice, the back links right, record counts
// within each block's room and adding up to the header's count.
Tabla ellenoriz(const Fajl &f);

// The memo file (.MB) of a table: every block offset and length checked against the file.
class Memo {
public:
    explicit Memo(const QString &ut);
    // The memo a record points at: `hely` holds the block's offset and, in its low byte,
    // the slot in a shared block (0xFF: the block holds this one memo).
    QByteArray olvas(quint32 hely, quint32 hossz) const;

private:
    Fajl m_f;
};

QString serultTabla(const QString &ut, const QString &ok);
QString tipusNev(int tipus);    // a Paradox field type in words, for messages

} // namespace ParadoxFajl
