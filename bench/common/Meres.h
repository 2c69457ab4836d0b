#pragma once

#include <QList>
#include <QString>

// What the benchmarks share for their figures.

double Median(QList<double> ertekek);

// The process's CPU time so far: beside the wall clock on a machine shared with others.
double CpuMs();

// The peak resident memory of the process so far (VmHWM), in MB; -1 when not known.
double CsucsMemoriaMb();

// One figure as one JSON line on standard output, for scripts that collect them:
// {"measure": "...", "median": N, "unit": "ms"}, with "ratio" when a peer ran beside it.
void JsonSor(const QString &meres, double median, const QString &egyseg, double arany = -1);
