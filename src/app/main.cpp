#include "Inditas.h"
#include "Parancssor.h"
#include "Seged.h"

int main(int argc, char *argv[])
{
    // the window-less forms run without a display
    if (ParancssorKell(argc, argv) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    DorvAlkalmazas app(argc, argv);
    ProgramMappa();
    int kod = 0;
    if (ParancssorFuttat(QApplication::arguments(), kod))
        return kod;
    return Inditas();
}
