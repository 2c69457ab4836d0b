#pragma once

class QWidget;

// Places a window of fixed size in the middle of the screen it will show on.
void kepernyoKozepre(QWidget *ablak);
