#pragma once

class QWidget;

// The master data browsers. kulcs: the row to position on (-1: the first by name);
// valaszt: pick mode. Returns the accepted key, or -1.
int MarkaLista(int kulcs, bool valaszt, QWidget *szulo = nullptr);
int AlkatreszLista(int kulcs, bool valaszt, QWidget *szulo = nullptr);
int UgyfelLista(int kulcs, bool valaszt, QWidget *szulo = nullptr);
