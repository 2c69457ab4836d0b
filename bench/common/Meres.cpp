#include "Meres.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <ctime>

double Median(QList<double> ertekek)
{
    if (ertekek.isEmpty())
        return 0;
    std::sort(ertekek.begin(), ertekek.end());
    const qsizetype n = ertekek.size();
    return n % 2 ? ertekek[n / 2] : (ertekek[n / 2 - 1] + ertekek[n / 2]) / 2;
}

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double CsucsMemoriaMb()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &sor : f.readAll().split('\n'))
        if (sor.startsWith("VmHWM:"))
            return sor.mid(6).trimmed().split(' ').first().toLong() / 1024.0;
    return -1;
}

void JsonSor(const QString &meres, double median, const QString &egyseg, double arany)
{
    if (arany >= 0)
        std::printf("{\"measure\": \"%s\", \"median\": %.3f, \"unit\": \"%s\", \"ratio\": %.3f}\n", qPrintable(meres),
                    median, qPrintable(egyseg), arany);
    else
        std::printf("{\"measure\": \"%s\", \"median\": %.3f, \"unit\": \"%s\"}\n", qPrintable(meres), median,
                    qPrintable(egyseg));
    std::fflush(stdout);
}
