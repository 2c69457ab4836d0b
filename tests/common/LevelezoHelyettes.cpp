#include "LevelezoHelyettes.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

LevelezoHelyettes::LevelezoHelyettes(Mod mod)
{
    m_path = qgetenv("PATH");
    m_voltCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    m_cache = qgetenv("XDG_CACHE_HOME");
    const QString bin = m_dir.filePath("bin");
    QDir().mkpath(bin);
    QDir().mkpath(cache());
    if (mod != Hianyzik) {
        QFile f(QDir(bin).filePath("xdg-email"));
        f.open(QIODevice::WriteOnly);
        // NUL between the arguments: the body holds line breaks
        QString sh = QString("#!/bin/sh\nprintf '%s\\0' \"$@\" > '%1'\n").arg(m_dir.filePath("hivas"));
        sh += mod == Hibas ? "echo 'xdg-email: no method available for opening mail' >&2\nexit 3\n" : "exit 0\n";
        f.write(sh.toUtf8());
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    // without the stand-in nothing of the system's may answer for it either; the tools the
    // tests read the output with stay at hand
    if (mod == Hianyzik)
        for (const char *eszkoz : {"pdftotext", "pdfinfo", "pdftoppm", "zbarimg"})
            if (const QString ut = QStandardPaths::findExecutable(eszkoz); !ut.isEmpty())
                QFile::link(ut, QDir(bin).filePath(eszkoz));
    qputenv("PATH", mod == Hianyzik ? bin.toUtf8() : bin.toUtf8() + ':' + m_path);
    qputenv("XDG_CACHE_HOME", cache().toUtf8());
}

LevelezoHelyettes::~LevelezoHelyettes()
{
    qputenv("PATH", m_path);
    if (m_voltCache)
        qputenv("XDG_CACHE_HOME", m_cache);
    else
        qunsetenv("XDG_CACHE_HOME");
}

bool LevelezoHelyettes::hivtak() const { return QFile::exists(m_dir.filePath("hivas")); }

QStringList LevelezoHelyettes::argumentumok() const
{
    QFile f(m_dir.filePath("hivas"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList a = QString::fromUtf8(f.readAll()).split(QChar(0));
    if (!a.isEmpty() && a.last().isEmpty())
        a.removeLast();
    return a;
}

QString LevelezoHelyettes::opcio(const QString &nev) const
{
    const QStringList a = argumentumok();
    const int i = a.indexOf(nev);
    return i >= 0 && i + 1 < a.size() ? a.at(i + 1) : QString();
}

QStringList LevelezoHelyettes::cimek() const
{
    const QStringList a = argumentumok();
    int utolso = -1;
    for (int i = 0; i < a.size(); ++i)
        if (a.at(i).startsWith("--"))
            utolso = a.at(i) == "--utf8" ? i : i + 1;
    return a.mid(utolso + 1);
}

QString LevelezoHelyettes::mellekletMappa() const { return QDir(cache()).filePath("DorvPrg/email"); }
