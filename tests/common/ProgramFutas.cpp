#include "ProgramFutas.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
int parancs(const QString &prog, const QStringList &arg)
{
    QProcess p;
    p.start(prog, arg);
    if (!p.waitForFinished(30000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
}

void ProgramIndit(QProcess &p, const QString &programMappa, const QStringList &arg)
{
    const QString prog = QDir(programMappa).filePath("dorvprg");
    if (!QFile::exists(prog))
        QFile::copy(qEnvironmentVariable("DORVPRG_TEST_BIN"), prog);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", programMappa);
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(programMappa);
    p.start(prog, arg);
}

ProgramFutas ProgramFuttat(const QString &programMappa, const QStringList &arg, int ido)
{
    QProcess p;
    ProgramIndit(p, programMappa, arg);
    ProgramFutas f;
    if (!p.waitForFinished(ido)) {
        p.kill();
        p.waitForFinished();
        return f;
    }
    f.kod = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    f.ki = QString::fromUtf8(p.readAllStandardOutput());
    f.hiba = QString::fromUtf8(p.readAllStandardError());
    return f;
}

KisLemez::KisLemez(const QString &mappa, const QString &meret) : m_mappa(mappa)
{
    QDir().mkpath(mappa);
    m_rendben = parancs("mount", {"-t", "tmpfs", "-o", "size=" + meret + ",mode=0755", "tmpfs", mappa}) == 0;
}

KisLemez::~KisLemez()
{
    if (m_rendben)
        parancs("umount", {"-l", m_mappa});
}

bool KisLemez::tele()
{
    const int fd = ::open(QFile::encodeName(m_mappa + "/.kitolto").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    const QByteArray b(4096, 'x');
    ssize_t r;
    while ((r = ::write(fd, b.constData(), size_t(b.size()))) > 0) {
    }
    const bool tele = r < 0 && errno == ENOSPC;
    // the last bytes that still fit a partial block
    while (::write(fd, "x", 1) == 1) {
    }
    ::close(fd);
    return tele;
}

bool KisLemez::csakOlvashato()
{
    return parancs("mount", {"-o", "remount,ro", m_mappa}) == 0;
}
