#include "ArchivDarab.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <zlib.h>

namespace ArchivBelso {

namespace {

// Each worker's compressor, decompressor and buffers, kept for all its pieces: fresh ones
// would cost allocations and page faults for every piece.
struct Eszkozok {
    libdeflate_compressor *tomorito = libdeflate_alloc_compressor(1);
    libdeflate_decompressor *kibonto = libdeflate_alloc_decompressor();
    QByteArray proba, ki;
    Eszkozok() = default;
    Eszkozok(const Eszkozok &) = delete;
    Eszkozok &operator=(const Eszkozok &) = delete;
    ~Eszkozok()
    {
        libdeflate_free_compressor(tomorito);
        libdeflate_free_decompressor(kibonto);
    }
};

Eszkozok &eszkozok()
{
    thread_local Eszkozok e;
    return e;
}

// An empty stored block after a stream ending k bits before a byte boundary (the k bits being
// zero): when k >= 3 its header fits into them and the last four bytes bring it to the
// boundary, otherwise the header takes a byte of its own and all five are needed.
constexpr uchar URES_TAROLT[5] = {0x00, 0x00, 0x00, 0xFF, 0xFF};
// a final empty block with the fixed code: ends a stream that ends on a byte boundary
constexpr char URES_VEGSO[2] = {0x03, 0x00};

// The bits of a deflate stream, each byte's from its lowest.
struct Bitek {
    const uchar *p;
    qint64 n;          // bits
    qint64 hol = 0;
    int bit(qint64 i) const { return p[i >> 3] >> (i & 7) & 1; }
    // cnt bits, the first the lowest; -1 past the end
    int olvas(int cnt)
    {
        if (hol + cnt > n)
            return -1;
        int v = 0;
        for (int i = 0; i < cnt; ++i)
            v |= bit(hol + i) << i;
        hol += cnt;
        return v;
    }
};

// The code lengths' own canonical Huffman code (19 symbols), read a bit at a time.
struct HosszKod {
    int db[16] = {};   // codes of each length
    int jel[19] = {};  // the symbols by length, then by value
    int jelek = 0;
    explicit HosszKod(const int *hossz)
    {
        for (int h = 1; h < 16; ++h)
            for (int s = 0; s < 19; ++s)
                if (hossz[s] == h) {
                    ++db[h];
                    jel[jelek++] = s;
                }
    }
    int olvas(Bitek &b) const
    {
        int kod = 0, elso = 0, index = 0;
        for (int h = 1; h < 16; ++h) {
            const int v = b.olvas(1);
            if (v < 0)
                return -1;
            kod |= v;
            if (kod - db[h] < elso)
                return index + kod - elso < jelek ? jel[index + kod - elso] : -1;
            index += db[h];
            elso = (elso + db[h]) << 1;
            kod <<= 1;
        }
        return -1;
    }
};

// How many bytes of URES_TAROLT bring a one-block stream of libdeflate's (its final mark taken
// off) to a byte boundary, told from the block's header; 0 when the header does not tell.
// A block ends with its end-of-block code, then zero bits up to the boundary: the code is
// known from a dynamic block's header, and of the eight places it might end the one where it
// stands followed by zero bits is the end, when no other place fits as well. A stored block
// ends on the boundary. The fixed code's end-of-block is seven zero bits, which do not stand
// out from the zero bits after them.
int zaroHossz(const uchar *p, qint64 n)
{
    const int tipus = p[0] >> 1 & 3;
    if (tipus == 0) {
        const qint64 len = p[1] | p[2] << 8, nlen = p[3] | p[4] << 8;
        return n >= 5 && len == n - 5 && nlen == (~len & 0xFFFF) ? 5 : 0;
    }
    if (tipus != 2)
        return 0;
    Bitek b{p, 8 * n, 3};
    const int hlit = b.olvas(5), hdist = b.olvas(5), hclen = b.olvas(4);
    if (hlit < 0 || hdist < 0 || hclen < 0)
        return 0;
    const int kodok = hlit + 257 + hdist + 1;
    static constexpr int SORREND[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    int hkHossz[19] = {};
    for (int i = 0; i < hclen + 4; ++i)
        if ((hkHossz[SORREND[i]] = b.olvas(3)) < 0)
            return 0;
    const HosszKod hk(hkHossz);
    int hossz[288 + 32] = {};
    for (int i = 0; i < kodok;) {
        const int s = hk.olvas(b);
        if (s < 0)
            return 0;
        if (s < 16) {
            hossz[i++] = s;
            continue;
        }
        const int ism = b.olvas(s == 16 ? 2 : s == 17 ? 3 : 7);
        const int db = ism + (s == 18 ? 11 : 3);
        if (ism < 0 || (s == 16 && i == 0) || i + db > kodok)
            return 0;
        const int v = s == 16 ? hossz[i - 1] : 0;
        for (int j = 0; j < db; ++j)
            hossz[i++] = v;
    }
    // the end-of-block symbol's canonical code: after the shorter codes, then the literals of
    // its length
    const int h = hossz[256];
    if (h == 0)
        return 0;
    int db[16] = {};
    for (int s = 0; s < hlit + 257; ++s)
        ++db[hossz[s]];
    int kod = 0;
    for (int i = 1; i < h; ++i)
        kod = (kod + db[i]) << 1;
    for (int s = 0; s < 256; ++s)
        kod += hossz[s] == h;
    // sent from its highest bit
    int illik = 0, zaro = 0;
    for (int k = 0; k < 8 && 8 * n - k - h >= b.hol; ++k) {
        const qint64 vege = 8 * n - k;
        bool jo = true;
        for (qint64 i = vege; jo && i < 8 * n; ++i)
            jo = b.bit(i) == 0;
        for (int i = 0; jo && i < h; ++i)
            jo = b.bit(vege - h + i) == (kod >> (h - 1 - i) & 1);
        if (jo) {
            ++illik;
            zaro = k >= 3 ? 4 : 5;
        }
    }
    return illik == 1 ? zaro : 0;
}

// The same told by inflating the part with either stored block after it (exactly one reads
// back): 0 when neither does.
int zaroProbaval(Eszkozok &e, const uchar *p, qint64 n, const char *eredeti, qint64 m)
{
    for (const int zaro : {4, 5}) {
        e.proba.resize(qsizetype(n + zaro + 2));
        uchar *q = reinterpret_cast<uchar *>(e.proba.data());
        std::memcpy(q, p, size_t(n));
        q[0] &= ~1;
        std::memcpy(q + n, URES_TAROLT + 5 - zaro, size_t(zaro));
        std::memcpy(q + n + zaro, URES_VEGSO, 2);
        e.ki.resize(qsizetype(m + 1));
        size_t be = 0, ki = 0;
        if (libdeflate_deflate_decompress_ex(e.kibonto, q, size_t(e.proba.size()), e.ki.data(), size_t(m + 1), &be, &ki)
                == LIBDEFLATE_SUCCESS
            && be == size_t(e.proba.size()) && ki == size_t(m) && std::memcmp(e.ki.constData(), eredeti, size_t(m)) == 0)
            return zaro;
    }
    return 0;
}

// A part packed by zlib: ending the stream when vege, otherwise on a byte boundary (a sync
// flush). z is the packed size.
bool zlibbel(const char *be, qint64 m, bool vege, uchar *ki, qint64 hely, qint64 &z)
{
    z_stream s{};
    // level 1; the larger hash of memLevel 9 is both faster and tighter on database pages
    if (deflateInit2(&s, 1, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    s.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(be));
    s.avail_in = uInt(m);
    s.next_out = ki;
    s.avail_out = uInt(hely);
    const int r = deflate(&s, vege ? Z_FINISH : Z_SYNC_FLUSH);
    // a sync flush that filled the room may have held bytes back
    const bool jo = r == (vege ? Z_STREAM_END : Z_OK) && s.avail_in == 0 && s.avail_out > 0;
    z = qint64(s.total_out);
    deflateEnd(&s);
    return jo;
}

} // namespace

quint32 crcSzamol(quint32 crc, const char *p, qint64 n)
{
    return quint32(libdeflate_crc32(crc, p, size_t(n)));
}

bool darabTomorit(const char *be, qint64 n, bool utolso, QByteArray &ki, qint64 resz)
{
    Eszkozok &e = eszkozok();
    if (!e.tomorito || !e.kibonto)
        return false;
    const qint64 reszek = std::max<qint64>(1, (n + resz - 1) / resz);
    // room for a part packed either way, and the stored block after it
    const qint64 hely = qint64(std::max(libdeflate_deflate_compress_bound(e.tomorito, size_t(resz)),
                                        size_t(compressBound(uLong(resz)))))
                        + 16;
    ki.resize(qsizetype(reszek * hely));
    qint64 irt = 0;
    for (qint64 tol = 0; tol == 0 || tol < n; tol += resz) {
        const qint64 m = std::min(resz, n - tol);
        const bool vege = utolso && tol + m >= n;
        uchar *cel = reinterpret_cast<uchar *>(ki.data()) + irt;
        qint64 z = qint64(libdeflate_deflate_compress(e.tomorito, be + tol, size_t(m), cel, size_t(hely - 5)));
        if (z > 0 && !vege) {
            // one block: its first bit marks it final
            int zaro = cel[0] & 1 ? zaroHossz(cel, z) : 0;
            if (zaro == 0 && cel[0] & 1)
                zaro = zaroProbaval(e, cel, z, be + tol, m);
            if (zaro > 0) {
                cel[0] &= ~1;
                std::memcpy(cel + z, URES_TAROLT + 5 - zaro, size_t(zaro));
                z += zaro;
            } else {
                z = 0;
            }
        }
        if (z == 0 && !zlibbel(be + tol, m, vege, cel, hely, z))
            return false;
        irt += z;
    }
    ki.resize(qsizetype(irt));
    return true;
}

bool darabEgyezik(QByteArray &adat, bool utolso, qint64 vart, quint32 crc)
{
    Eszkozok &e = eszkozok();
    if (!e.kibonto)
        return false;
    // a piece but the last is made a whole stream by a final empty block after it; pieces
    // start afresh, so it inflates alone
    if (!utolso)
        adat.append(URES_VEGSO, 2);
    e.ki.resize(qsizetype(vart + 1));   // one byte more shows a piece that inflates longer
    size_t be = 0, ki = 0;
    // the whole of it is one stream: a piece but the last that ends the stream itself
    // leaves the final block unread
    return libdeflate_deflate_decompress_ex(e.kibonto, adat.constData(), size_t(adat.size()), e.ki.data(),
                                            size_t(vart + 1), &be, &ki)
               == LIBDEFLATE_SUCCESS
           && be == size_t(adat.size()) && ki == size_t(vart) && crcSzamol(0, e.ki.constData(), vart) == crc;
}

} // namespace ArchivBelso
