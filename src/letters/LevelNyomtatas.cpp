#include "LevelNyomtatas.h"
#include "Nyomtatas.h"

namespace {
LevelNyomtato &nyomtato()
{
    static LevelNyomtato n;
    return n;
}
} // namespace

void setLevelNyomtato(LevelNyomtato n) { nyomtato() = std::move(n); }

void LevelNyomtat(NyomtatoBelepes belepes, int doksi, bool nyomtat, QWidget *szulo)
{
    if (nyomtato())
        nyomtato()(belepes, doksi, nyomtat, szulo);
    else
        belepes(doksi, nyomtat, szulo);
}

NyomtatoBelepes LapNyomtatvanya(int lap)
{
    // page 0 is the plain certificate in both kinds; the other pages exist for 'S' letters only
    switch (lap) {
    case 1: return SzerelesNyomtat;
    case 2: return JavitasNyomtat;
    case 3: return SzereloNyomtat;
    default: return JotallasNyomtat;
    }
}
