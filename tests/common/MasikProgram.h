#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// The second program of the two-program tests: the test program itself, started again with
// DORVPRG_MASIK set, doing one thing on the database folder it is given.
//   modosit MAPPA TABLA ROWID MEZO ERTEK  reads the row for editing, says "olvasva", waits for a
//                                         line, sets the field and posts
//   torol MAPPA TABLA ROWID               deletes the row
//   beszur MAPPA TABLA MEZO ERTEK         posts a new row with the field set
//   uj MAPPA TIPUS DB                     says "varok", waits for a line, then posts DB new letters
//                                         of the kind the way the letter editor does
//   zarol MAPPA                           takes the write lock, says "zarolva", holds it until a line
//   asztal MAPPA TIPUS DB                 says "varok", waits for a line, then posts DB new letters of the
//                                         kind and edits each once, saving again after every failure as a
//                                         user would; says "mentve DOKSI SZAM RENDSZAM" and "modositva DOKSI
//                                         SOROZATSZAM" after each reported save, "idegen sor: ..." when the
//                                         cursor stands on another row after it, "utkozes: ..." when its own
//                                         change is refused as another's, "kapcsolat=N hibak=M" at the end
// It ends with "kesz" (exit 0) or "elutasitva: MESSAGE" (exit 2; "szerkesztesben" follows when
// the row stayed in edit state); anything else exits with 3.

// Call first in main(): when this process is the second program, runs its command and returns
// the exit code; otherwise returns -1.
int MasikProgramFuttat(int argc, char *argv[]);

class MasikProgram {
public:
    explicit MasikProgram(const QStringList &parancs);
    ~MasikProgram();   // kills it when still running
    MasikProgram(const MasikProgram &) = delete;
    MasikProgram &operator=(const MasikProgram &) = delete;

    bool var(const QByteArray &jel);   // until its output holds jel; false when it ended without
    void tovabb();                     // the line it waits for
    int vege(int ezredmp = 120000);    // its exit code, -1 when it crashed or did not end
    QByteArray kimenet() const { return m_ki; }

private:
    QProcess m_p;
    QByteArray m_ki;
};
