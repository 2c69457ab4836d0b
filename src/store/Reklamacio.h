#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Claims ("Reklamáció"): a customer brings back a letter's part. One row of table
// reklamacio per claim, tied to the letter by its key (doksi). A claim is open until its state
// is one of the closing outcomes; a letter has at most one open claim.
namespace Reklamacio {
// every state in the order a claim goes through them: the open ones, then the closing outcomes
const QStringList &allapotok();
const QStringList &lezaroAllapotok();   // "Javítva", "Cserélve", "Visszatérítve", "Elutasítva"
bool lezart(const QString &allapot);
extern const char *const CSERELVE;      // the outcome that offers a replacement letter

struct Nyitott {
    int reklamacio = 0;
    QDate datum;
    QString allapot;
};
// The letter's open claim other than kiveve (the one being edited), if any. Throws StoreHiba.
std::optional<Nyitott> nyitott(int doksi, int kiveve = 0);
// "a 2026.12.01-i reklamáció (Beszállítónál, azonosító: 12)"
QString leiras(const Nyitott &n);
// The message refusing a second open claim, naming the open one.
QString masodikNyitottUzenet(const Nyitott &n);

// The number of open claims of a letter, and of each letter of a list (letters without an
// open claim are left out of the answer). Throws StoreHiba.
int nyitottSzam(int doksi);
QHash<int, int> nyitottSzamok(const QList<int> &doksik);

// Why a claim dated datum with the odometer reading kmora comes too late for the letter's
// warranty (after its end date, or past its kilometre limit), as the warning says it; empty
// when the warranty holds or its end cannot be told. Throws StoreHiba.
QString kesoi(int doksi, const QDate &datum, const QString &kmora);

// Within the caller's write transaction: no other program records a claim of the letter until
// it ends (the server's lock of the letter's claims; SQLite's write lock holds already).
void zarol(int doksi);

// A letter's number as the claims' texts name it: "J-00042".
QString levelNev(const QString &prntip, int doksiId);

// The replacement of a part changed under warranty: a new letter of the same kind with the
// same customer, brand, part and period, dated today (a fresh warranty), and a note in each of
// the two letters naming the other. Runs inside the caller's transaction if it has one, else
// in its own. Returns the new letter's key; throws StoreHiba (nothing written then).
int csereLevel(int doksi, int reklamacio = 0);
}
