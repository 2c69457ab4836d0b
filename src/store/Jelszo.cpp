#include "Jelszo.h"

#include "StoreHiba.h"

#include <sodium.h>

namespace {
constexpr unsigned long long MUVELETEK = 2;
constexpr size_t MEMORIA = 19u * 1024 * 1024;

void indit()
{
    static const bool kesz = sodium_init() >= 0;
    if (!kesz)
        throw StoreHiba("A jelszókezelő könyvtár (libsodium) nem indult el.");
}
} // namespace

QString Jelszo::hash(const QString &jelszo)
{
    indit();
    const QByteArray b = jelszo.toUtf8();
    char ki[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(ki, b.constData(), static_cast<unsigned long long>(b.size()), MUVELETEK, MEMORIA) != 0)
        throw StoreHiba("A jelszó titkosítása nem sikerült (kevés a memória).");
    return QString::fromLatin1(ki);
}

bool Jelszo::hashe(const QString &tarolt)
{
    return tarolt.startsWith("$argon2id$");
}

bool Jelszo::egyezik(const QString &jelszo, const QString &tarolt)
{
    if (!hashe(tarolt))
        return false;
    indit();
    const QByteArray h = tarolt.toLatin1();
    const QByteArray b = jelszo.toUtf8();
    return crypto_pwhash_str_verify(h.constData(), b.constData(), static_cast<unsigned long long>(b.size())) == 0;
}
