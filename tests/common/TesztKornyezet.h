#pragma once

#include "Seged.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A program folder of its own for one test: a temporary folder as ProgramMappa, its Data
// folder with a new database open, and scripted answers for every message box.
class TesztKornyezet {
public:
    explicit TesztKornyezet(bool adatbazisNyit = true);
    ~TesztKornyezet();

    QString programMappa() const { return m_dir.path(); }
    QString adatMappa() const;

    // Answers given to the next questions, in order (Yes when the list runs out).
    void valaszok(const QList<bool> &v) { m_valaszok = v; }
    const QList<UzenetKeres> &uzenetek() const { return m_uzenetek; }
    QStringList szovegek() const;       // the texts shown so far
    void uzenetekTorol() { m_uzenetek.clear(); }

    // Runs f on the next modal window that appears (QTimer driven), e.g. to click a button.
    static void modalisan(std::function<void(QWidget *)> f, int kesleltetes = 0);

private:
    QTemporaryDir m_dir;
    QList<bool> m_valaszok;
    QList<UzenetKeres> m_uzenetek;
};
