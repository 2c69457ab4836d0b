#pragma once

#include <QList>
#include <QMargins>
#include <QRect>

class QWidget;

// Places a window of fixed size in the middle of the screen it will show on.
void kepernyoKozepre(QWidget *ablak);

// A stored window place (frame position, client size) made usable on the screens there are
// now: a window whose title bar would be above its screen's work area comes down to it, one
// whose title bar is on no screen (a screen removed, a damaged file) comes back onto the
// work area it overlaps most (else the first one), and one larger than that area shrinks
// to it. keret is the frame expected around the client, which must fit as well. A place
// that is already usable is kept as it is, even when part of the window hangs off the screen.
QRect KepernyoreHoz(const QRect &hely, const QList<QRect> &munkaTeruletek, const QMargins &keret = {});
