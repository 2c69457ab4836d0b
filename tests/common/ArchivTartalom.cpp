#include "ArchivTartalom.h"
#include "Adatbazis.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>

namespace {
int unzip(const QStringList &arg, QByteArray &ki)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start("unzip", arg);
    if (!p.waitForFinished(120000))
        return -1;
    ki = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
} // namespace

QMap<QString, QByteArray> ZipTartalom(const QString &zip, QString *hiba)
{
    QByteArray ki;
    QTemporaryDir d;
    if (unzip({"-t", "-q", zip}, ki) != 0 || unzip({"-q", zip, "-d", d.path()}, ki) != 0) {
        if (hiba)
            *hiba = QString::fromLocal8Bit(ki);
        return {};
    }
    QMap<QString, QByteArray> m;
    QDirIterator it(d.path(), QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString ut = it.next();
        QFile f(ut);
        m[QDir(d.path()).relativeFilePath(ut)] = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<olvashatatlan>");
    }
    return m;
}

QJsonObject ZipLeiras(const QString &zip)
{
    QByteArray ki;
    QProcess p;
    p.start("unzip", {"-p", zip, ".dorvprg-archiv/leiras.json"});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

void DokumentumSor(qint64 megj, qint64 doksi, const QString &doknev)
{
    Adatbazis::vegrehajt("INSERT INTO megj (megj, doksi, doknev, doknev_rovid) VALUES (?, ?, ?, ?)",
                         {megj, doksi, doknev, QString("dokumentum %1").arg(megj)});
}
