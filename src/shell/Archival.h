#pragma once

#include <QDate>

class QWidget;

// Archives the database folder into a ZIP file chosen in a save dialog; the store stays
// open (the database is packed from a snapshot). Returns true when an archive was written.
bool Archival(QWidget *szulo = nullptr);

// The question at close: when the last archive is five or more days old, asks and, on Yes,
// runs Archival. Returns true when an archive was written.
bool ArchivalZaraskor(QWidget *szulo = nullptr, const QDate &ma = QDate::currentDate());
