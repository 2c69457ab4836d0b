#pragma once

#include <QFont>
#include <QString>

// The windows are laid out in pixels for Tahoma at 96 dpi (8 point = 11 pixels). Debian has
// no Tahoma; fonts-wine carries a metric twin that fontconfig does not look for, so it is
// loaded here once.
QString TahomaCsalad();   // family of the loaded twin (or "Tahoma" when installed); empty when none
QFont AblakBetu(int pont = 8, bool felkover = false);
