#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QSqlDatabase;

// A libpq connection string (keyword=value or a postgresql:// URI) read by libpq's own parser,
// so that the check for a password, Qt's driver and pg_dump all see the keywords libpq would.
namespace KapcsolatLeiras {

using Kulcsok = QList<QPair<QByteArray, QString>>;   // keyword, value; only those given

// Throws StoreHiba when libpq cannot read the string or it carries a password in any form
// (password, sslpassword, a URI's user:password, or one Qt's driver would find after turning
// ';' into blanks). Never repeats the password.
Kulcsok elemez(const QString &kapcsolat);
// Whether the string carries a password in any form elemez refuses.
bool vanJelszo(const QString &kapcsolat);

QString ertek(const Kulcsok &k, const char *kulcs);
// The keywords as one keyword=value string with quoted values, as libpq and pg_dump take it.
QString szoveg(const Kulcsok &k);

// What the server's activity view shows for this program's connections: program and desk.
QString alkalmazasNev(const QString &szerep = {});
// The keywords every connection of the program gets unless the string sets them: a connect
// timeout and the application name.
Kulcsok alapokkal(const Kulcsok &k, const QString &szerep = {});

// Gives Qt's driver the parsed keywords: host, database and user through its own quoted
// fields, the rest as options (the driver turns every ';' of those into a blank, so a value
// holding one is refused). Throws StoreHiba.
void beallit(QSqlDatabase &d, const QString &kapcsolat);

} // namespace KapcsolatLeiras
