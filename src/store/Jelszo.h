#pragma once

#include <QString>

// Stored passwords: libsodium's Argon2id string (salt and limits inside), never the text typed.
namespace Jelszo {
// characters a typed password may have
constexpr int MAX_HOSSZ = 10;
// Argon2id with 2 passes over 19 MiB: the smallest setting the usual guidance accepts, so a
// login stays well under a tenth of a second. Throws StoreHiba when libsodium fails.
QString hash(const QString &jelszo);
// constant-time check of a typed text against a stored hash; an empty or unknown stored
// value matches nothing
bool egyezik(const QString &jelszo, const QString &tarolt);
// whether a stored value is already a hash of ours (a clear one is not)
bool hashe(const QString &tarolt);
}
