#pragma once

#include <QString>
#include <QStringList>

// The built program (DORVPRG_TEST_BIN) run as a real process from a copy placed in a
// program folder, so it takes DorvPrg.ini and Data from there.
struct ProgramFutas {
    int kod = -1;   // exit code; -1 when it crashed or did not finish
    QString ki, hiba;
};
ProgramFutas ProgramFuttat(const QString &programMappa, const QStringList &arg, int ido = 120000);
// The same started without waiting, for a test that watches it while it runs.
class QProcess;
void ProgramIndit(QProcess &p, const QString &programMappa, const QStringList &arg);

// A small tmpfs mounted for a test (tests run as root); unmounted when destroyed.
class KisLemez {
public:
    explicit KisLemez(const QString &mappa, const QString &meret = "512k");
    ~KisLemez();
    bool rendben() const { return m_rendben; }
    QString mappa() const { return m_mappa; }
    bool tele();            // fills the free room with a file of its own; true when full
    bool csakOlvashato();   // remounts it read-only
private:
    QString m_mappa;
    bool m_rendben = false;
};
