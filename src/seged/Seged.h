#pragma once

#include <QSize>
#include <QString>
#include <functional>

class QWidget;
class QFont;

// Shared routines of every window: message boxes, the program folder, the one-line
// input dialog, opening documents through the desktop.

// All message boxes go through one answerer; tests replace it to script the answers and
// read the texts. The default shows a QMessageBox.
struct UzenetKeres {
    enum Tipus { Kerdes, Hiba, Info } tipus;
    QString szoveg;
    QString cim;
};
using Valaszolo = std::function<bool(const UzenetKeres &)>;   // true = Yes/OK
void setValaszolo(Valaszolo v);                                // empty: the real boxes again

bool Kerdes(const QString &szoveg, const QString &cim, QWidget *szulo = nullptr);
void HibaUzenet(const QString &szoveg, QWidget *szulo = nullptr);
void Uzenet(const QString &szoveg, QWidget *szulo = nullptr);

// "Nincs jogosultság a művelethez." when the right is missing; returns the right.
bool JogEllenoriz(bool jog, QWidget *szulo = nullptr);
// "Valóban töröljem a sort?" under "Megerősítés".
bool TorlesMegerosites(QWidget *szulo = nullptr);

// Folder of the running program (not lower-cased: Linux file names are case-sensitive).
// When that folder cannot be written, the user's application-data folder stands in.
QString ProgramMappa();
bool ProgramMappaAtiranyitva();       // true when the stand-in is used
void setProgramMappa(const QString &mappa);   // tests and --data use

// Width (average of A-Z a-z) and height of a line in the font.
QSize AtlagKarakter(const QFont &f);

// The input dialog; true on OK with szoveg set to what was typed.
// Tests may replace it: the function gets caption and prompt and returns the answer.
using JelszoValaszolo = std::function<bool(const QString &cim, const QString &kerdes, QString &szoveg)>;
void setJelszoValaszolo(JelszoValaszolo v);
bool JelszoBekeres(const QString &cim, const QString &kerdes, const QString &maszk, QString &szoveg,
                   QWidget *szulo = nullptr);

// Hands a file, web or mailto: address to the desktop; never waits, never reports.
// Relative paths are taken from the program folder. Tests may replace the opener.
void DokumentumNyit(const QString &utVagyCim);
void setDokumentumNyito(std::function<void(const QString &)> nyito);

// Shows a store failure that no window caught, in the application's top-level error box.
void FelsoHiba(const QString &uzenet, QWidget *szulo = nullptr);
