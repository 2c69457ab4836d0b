// Checks and restores an archive of a register with the program (`dorvprg --verify`,
// `dorvprg --restore`, whole processes) and, in the same run and in turns, with `unzip -t`
// and `unzip` of the same archive; prints wall clock and CPU time (the child's) of every
// round, the medians and the ratios, each figure also as one JSON line.
//   bench_visszaallitas DATABASE_FOLDER DORVPRG [ROUNDS]
// The folder is only read: it is copied into a temporary folder, archived there, and the
// copy is what is restored into (its safety archive included, as a restore always makes one).
#include "Meres.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Ido {
    double fal = 0, cpu = 0;
    int kod = -1;
};

// One child process, its wall clock and its own CPU time (wait4's usage).
Ido futtat(const QString &prog, const QStringList &arg)
{
    QElapsedTimer t;
    t.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        QList<QByteArray> b;
        b << QFile::encodeName(prog);
        for (const QString &a : arg)
            b << QFile::encodeName(a);
        std::vector<char *> v;
        for (QByteArray &x : b)
            v.push_back(x.data());
        v.push_back(nullptr);
        const int nul = ::open("/dev/null", O_WRONLY);
        ::dup2(nul, 1);
        ::execvp(v[0], v.data());
        ::_exit(127);
    }
    int st = 0;
    rusage r{};
    ::wait4(pid, &st, 0, &r);
    Ido i;
    i.fal = t.elapsed();
    i.cpu = (r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000.0 + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1000.0;
    i.kod = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return i;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "bench_visszaallitas DATABASE_FOLDER DORVPRG [ROUNDS]\n");
        return 2;
    }
    const QString forras = QFileInfo(argv[1]).absoluteFilePath();
    const QString dorvprg = QFileInfo(argv[2]).absoluteFilePath();
    const int korok = argc > 3 ? qMax(1, atoi(argv[3])) : 3;
    QTemporaryDir tmp(QDir::temp().filePath("bench-visszaallitas-XXXXXX"));
    // a program folder of its own: DorvPrg.ini and Archiv (the safety archives) go there
    const QString prog = tmp.filePath("dorvprg");
    QFile::copy(dorvprg, prog);
    const QString adat = tmp.filePath("Data");
    if (futtat("cp", {"-a", forras, adat}).kod != 0) {
        std::fprintf(stderr, "the folder cannot be copied\n");
        return 1;
    }
    const QString zip = tmp.filePath("a.zip");
    const Ido a = futtat(prog, {"--data", adat, "--archive", zip});
    if (a.kod != 0) {
        std::fprintf(stderr, "the archive was not made\n");
        return 1;
    }
    std::printf("archive %.0f MB\n", QFileInfo(zip).size() / 1048576.0);
    QList<double> vf, vc, tf, tc, rf, rc, uf, uc;
    for (int k = 0; k < korok; ++k) {
        const Ido v = futtat(prog, {"--verify", zip});
        const Ido t = futtat("unzip", {"-t", "-q", zip});
        const Ido r = futtat(prog, {"--data", adat, "--restore", zip});
        const QString ki = tmp.filePath("unzip");
        const Ido u = futtat("unzip", {"-q", "-o", zip, "-d", ki});
        QDir(ki).removeRecursively();
        QDir(tmp.filePath("Archiv")).removeRecursively();   // the safety archives of the rounds
        if (v.kod != 0 || t.kod != 0 || r.kod != 0 || u.kod != 0) {
            std::fprintf(stderr, "a run failed: verify %d, unzip -t %d, restore %d, unzip %d\n", v.kod, t.kod, r.kod, u.kod);
            return 1;
        }
        std::printf("round %d: verify %.0f ms (CPU %.0f), unzip -t %.0f ms (CPU %.0f), restore %.0f ms (CPU %.0f), "
                    "unzip %.0f ms (CPU %.0f)\n", k + 1, v.fal, v.cpu, t.fal, t.cpu, r.fal, r.cpu, u.fal, u.cpu);
        std::fflush(stdout);
        vf << v.fal; vc << v.cpu; tf << t.fal; tc << t.cpu; rf << r.fal; rc << r.cpu; uf << u.fal; uc << u.cpu;
    }
    JsonSor("verify_dorvprg", Median(vf), "ms", Median(vf) / Median(tf));
    JsonSor("verify_dorvprg_cpu", Median(vc), "ms", Median(vc) / Median(tc));
    JsonSor("verify_unzip_t", Median(tf), "ms");
    JsonSor("restore_dorvprg", Median(rf), "ms", Median(rf) / Median(uf));
    JsonSor("restore_dorvprg_cpu", Median(rc), "ms", Median(rc) / Median(uc));
    JsonSor("restore_unzip", Median(uf), "ms");
    return 0;
}
