#pragma once

class QWidget;

// The free SQL window, modal.
void SzabadLekerdezes(QWidget *szulo = nullptr);
