#pragma once

class QWidget;

// Archives the database folder into a ZIP file chosen in a save dialog. The caller reopens
// the store and its cursors afterwards. Returns true when an archive was written.
bool Archival(QWidget *szulo = nullptr);
