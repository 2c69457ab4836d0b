#pragma once

#include <QFont>
#include <QString>

// The windows are laid out in pixels for Tahoma at 96 dpi (8 point = 11 pixels). Debian has
// no Tahoma; fonts-wine carries a metric twin that fontconfig does not look for, so it is
// loaded here once.
QString TahomaCsalad();   // family of the loaded twin (or "Tahoma" when installed); empty when none
QFont AblakBetu(int pont = 8, bool felkover = false);

// The Tahoma twin's bold face is hardly heavier than its regular one: bold window text is set
// in the Arial twin's bold, which is visibly bold and no wider than Tahoma Bold. Other faces
// are only made bold.
QFont Felkover(QFont f);
