#pragma once

// Packing one piece of a file and checking it read back. Not for use outside the archive's
// own code.

#include <QByteArray>
#include <QtGlobal>

namespace ArchivBelso {

// A piece is packed as a raw deflate stream that starts afresh and, unless it is the file's
// last, ends on a byte boundary without ending the stream: the pieces of a file laid end to
// end are the file's one deflate stream. libdeflate packs the piece in parts of this size,
// small enough for its fastest level to write each as one block, whose final mark is taken
// off and an empty stored block put after it for the byte boundary; a part it cannot join so
// is packed by zlib with a sync flush instead. The file's last part keeps its final block.
constexpr qint64 RESZ_MERET = 32 << 10;

// CRC-32 as zlib and ZIP count it, continued from crc.
quint32 crcSzamol(quint32 crc, const char *p, qint64 n);

// Packs the n bytes of a piece into ki; false when a compressor failed. resz is the size of
// the parts.
bool darabTomorit(const char *be, qint64 n, bool utolso, QByteArray &ki, qint64 resz = RESZ_MERET);

// Whether a piece's packed bytes read back (adat; two bytes are added to it) inflate to
// exactly vart bytes whose CRC is crc, ending the stream only when the piece is the file's
// last.
bool darabEgyezik(QByteArray &adat, bool utolso, qint64 vart, quint32 crc);

} // namespace ArchivBelso
