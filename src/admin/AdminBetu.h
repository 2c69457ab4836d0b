#pragma once

#include <QFont>

// The windows of this folder are laid out in pixels for Tahoma 8 point (11 pixels);
// the Tahoma twin of fonts-wine is loaded once when fontconfig does not know it.
QFont AdminBetu();
