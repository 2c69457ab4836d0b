#include "Inditas.h"
#include "Parancssor.h"
#include "Seged.h"

int main(int argc, char *argv[])
{
    // Any argument runs the window-less forms: they need no display, and Qt gets none of the
    // arguments, so none of them can make it look for one.
    const bool parancssor = ParancssorKell(argc, argv);
    if (parancssor)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = parancssor ? 1 : argc;
    DorvAlkalmazas app(qtArgc, argv, !parancssor);
    ProgramMappa();
    int kod = 0;
    if (ParancssorFuttat(argc, argv, kod))
        return kod;
    return Inditas();
}
