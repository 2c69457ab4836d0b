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
// A question whose two buttons say what they do ("Újra" / "Kilépés"); true = the first.
bool Kerdes(const QString &szoveg, const QString &cim, const QString &igen, const QString &nem,
            QWidget *szulo = nullptr);
void HibaUzenet(const QString &szoveg, QWidget *szulo = nullptr);
void Uzenet(const QString &szoveg, QWidget *szulo = nullptr);

// "Nincs jogosultság a művelethez." when the right is missing; returns the right.
bool JogEllenoriz(bool jog, QWidget *szulo = nullptr);
// "Valóban töröljem a sort?" under "Megerősítés".
bool TorlesMegerosites(QWidget *szulo = nullptr);

// Folder of the running program (not lower-cased: Linux file names are case-sensitive).
// An installed program, or one whose folder cannot be written, keeps DorvPrg.ini, Data and
// Archiv in the user's data folder instead ($XDG_DATA_HOME/DorvPrg).
QString ProgramMappa();
bool ProgramMappaAtiranyitva();       // true when the stand-in is used
void setProgramMappa(const QString &mappa, bool atiranyitva = false);   // tests and --data use
// The choice for a program in the folder programKonyvtar (ProgramMappa decides once).
QString ProgramMappaValaszt(const QString &programKonyvtar, bool &atiranyitva);
// The shared files of an installed program (programKonyvtar/../share/dorvprg), or "" when
// the program runs from where it was built.
QString TelepitettMappa(const QString &programKonyvtar);
// A help page: in the program folder's Help, beside the program, or among the installed
// files; the first of these when none has it. Empty programKonyvtar: the running program's.
QString SugoFajl(const QString &nev, const QString &programKonyvtar = QString());

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
// The width a window needs for the window manager to show its caption whole, beside its
// icon and buttons (the title bar's bold face is wider than the window font).
int CimSzelesseg(const QString &cim);
