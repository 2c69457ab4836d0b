#pragma once

#include "Lapozo.h"
#include "Nyomtatvanyok.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

class QWidget;

// Sending a printout to the customer: the PDF goes into a folder of the program's own and the
// desktop's mail program gets it through xdg-email, with the customer's address, a subject
// and a text made from the templates of the settings. No mail server is set up here.
namespace EmailKuldes {

// The folder of the PDFs handed to the mail program (in the user's cache folder), made with
// permissions for the user only; throws StoreHiba when it cannot be made or is not safe
// (a link, another user's, not a folder).
QString mappa();
// Removes the PDFs older than a day (the mail program had time to take them); returns how
// many went. A folder that is not there yet is nothing to do.
int regiekTorlese(const QDateTime &most = QDateTime::currentDateTime());

struct Level {
    QString pdf;            // the attachment, on disk
    QString targy, szoveg;
    QStringList cimek;      // the customer's addresses; empty: the mail opens without one
    QString hibasCim;       // what stood in the customer's e-mail field but is no address
};

// The placeholders {szam} {fajta} {ugyfel} {muhely} of a template filled in one pass.
QString kitolt(const QString &sablon, const QString &szam, const QString &fajta, const QString &ugyfel,
               const QString &muhely);
// The addresses of a customer's e-mail field (several may stand in it, separated by ';' ',' or
// blanks); hibas gets what is no address. A text starting with '-' is never one.
QStringList cimek(const QString &mezo, QString *hibas = nullptr);

// Writes the pages as the printout's PDF into mappa() and fills in the mail. Throws StoreHiba.
Level keszit(const NyomtatasiMunka &m, const Oldalak &o);

// The arguments of xdg-email for the mail.
QStringList argumentumok(const Level &l);
// Hands the mail to xdg-email. False when there is no mail program that takes attachments
// (xdg-email missing or failing); ok then says why.
bool atad(const Level &l, QString &ok);

} // namespace EmailKuldes

// "Küldés e-mailben" of the preview and of the letter's context menu: makes the mail and hands
// it over; without a mail program says so and opens the folder with the PDF. Failures go to
// message boxes.
void EmailKuld(NyomtatasiMunka &m, const Oldalak &o, QWidget *szulo);
void EmailKuld(NyomtatvanyFajta f, int doksi, QWidget *szulo);
