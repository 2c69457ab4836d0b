#pragma once

class QWidget;

// "Archívum ellenőrzése": an archive chosen in a dialog is checked as --verify checks it and
// the result told. Needs no right; changes nothing. Returns true when the archive is sound.
bool ArchivEllenorzesAblak(QWidget *szulo = nullptr);
