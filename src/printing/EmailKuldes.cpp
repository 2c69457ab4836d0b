#include "EmailKuldes.h"

#include "Adatbazis.h"
#include "Beall.h"
#include "LevelJel.h"
#include "NyomtatasPdf.h"
#include "Seged.h"
#include "StoreHiba.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString rendszerHiba(int kod) { return QString::fromLocal8Bit(std::strerror(kod)); }

// How long xdg-email may take before the mail is taken as handed over: some mail programs
// keep the script waiting until their window closes.
constexpr int XDG_EMAIL_VAR_MS = 20000;

} // namespace

namespace EmailKuldes {

QString mappa()
{
    const QString gyoker = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (gyoker.isEmpty())
        throw StoreHiba("Nincs ideiglenes mappa a levelek mellékleteinek.");
    const QString m = QDir(gyoker).filePath("DorvPrg/email");
    if (!QDir().mkpath(QFileInfo(m).absolutePath()))
        throw StoreHiba(QString("A mappa nem hozható létre: %1").arg(QFileInfo(m).absolutePath()));
    const QByteArray ut = QFile::encodeName(m);
    if (::mkdir(ut.constData(), 0700) != 0 && errno != EEXIST)
        throw StoreHiba(QString("A mappa nem hozható létre: %1\r\n%2").arg(m, rendszerHiba(errno)));
    // one that was there must be this user's own folder, not a link someone put in its place
    struct stat st {};
    if (::lstat(ut.constData(), &st) != 0)
        throw StoreHiba(QString("A mappa nem olvasható: %1\r\n%2").arg(m, rendszerHiba(errno)));
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        throw StoreHiba(QString("A levelek mellékleteinek mappája nem a felhasználó saját mappája: %1").arg(m));
    if ((st.st_mode & 0777) != 0700 && ::chmod(ut.constData(), 0700) != 0)
        throw StoreHiba(QString("A mappa jogai nem állíthatók be: %1\r\n%2").arg(m, rendszerHiba(errno)));
    return m;
}

int regiekTorlese(const QDateTime &most)
{
    const QString gyoker = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString m = QDir(gyoker).filePath("DorvPrg/email");
    if (gyoker.isEmpty() || !QFileInfo(m).isDir() || QFileInfo(m).isSymLink())
        return 0;
    int db = 0;
    const QDateTime hatar = most.addDays(-1);
    for (const QFileInfo &f : QDir(m).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks))
        if (f.lastModified() < hatar && QFile::remove(f.filePath()))
            ++db;
    return db;
}

QString kitolt(const QString &sablon, const QString &szam, const QString &fajta, const QString &ugyfel,
               const QString &muhely)
{
    static const QRegularExpression re("\\{(szam|fajta|ugyfel|muhely)\\}");
    QString ki;
    qsizetype i = 0;
    for (auto it = re.globalMatch(sablon); it.hasNext();) {
        const auto m = it.next();
        ki += sablon.mid(i, m.capturedStart() - i);
        const QString n = m.captured(1);
        ki += n == "szam" ? szam : n == "fajta" ? fajta : n == "ugyfel" ? ugyfel : muhely;
        i = m.capturedEnd();
    }
    return ki + sablon.mid(i);
}

QStringList cimek(const QString &mezo, QString *hibas)
{
    static const QRegularExpression elvalaszto("[;,\\s]+");
    static const QRegularExpression cim("^[A-Za-z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Za-z0-9](?:[A-Za-z0-9.-]*[A-Za-z0-9])?$");
    QStringList ki, rossz;
    for (const QString &s : mezo.split(elvalaszto, Qt::SkipEmptyParts)) {
        if (!s.startsWith('-') && !s.contains("..") && cim.match(s).hasMatch())
            ki << s;
        else
            rossz << s;
    }
    if (hibas)
        *hibas = rossz.join(' ');
    return ki;
}

Level keszit(const NyomtatasiMunka &m, const Oldalak &o)
{
    Level l;
    l.pdf = QDir(mappa()).filePath(m.pdfNev());
    OldalakPdf(o, l.pdf);

    QString ugyfel, emil;
    if (m.doksi() > 0) {
        QSqlQuery q = Adatbazis::lekerdez("SELECT u.ugyfel_nev, u.emil FROM doksi d"
                                          " LEFT JOIN ugyfel u ON u.ugyfel = d.ugyfel WHERE d.doksi = ?",
                                          {m.doksi()});
        if (q.next()) {
            ugyfel = q.value(0).toString().trimmed();
            emil = q.value(1).toString();
        }
    }
    QSqlQuery t = Adatbazis::lekerdez("SELECT tulajdonos FROM tulajdonos ORDER BY tulajdonos");
    const QString muhely = t.next() ? t.value(0).toString().trimmed() : QString();
    const QString szam = m.prntip().isNull() ? QString() : LevelJel(m.prntip(), m.doksiId());
    const QString fajta = m.elrendezes().cim;
    l.targy = kitolt(Beall.EmailTargy, szam, fajta, ugyfel, muhely).simplified();
    l.szoveg = kitolt(Beall.EmailSzoveg, szam, fajta, ugyfel, muhely);
    l.cimek = cimek(emil, &l.hibasCim);
    return l;
}

QStringList argumentumok(const Level &l)
{
    QStringList a{"--utf8"};
    if (!l.targy.isEmpty())
        a << "--subject" << l.targy;
    if (!l.szoveg.isEmpty())
        a << "--body" << l.szoveg;
    a << "--attach" << l.pdf;
    return a + l.cimek;
}

bool atad(const Level &l, QString &ok)
{
    const QString program = QStandardPaths::findExecutable("xdg-email");
    if (program.isEmpty()) {
        ok = "Az xdg-email program nincs telepítve (xdg-utils csomag).";
        return false;
    }
    auto *p = new QProcess(QCoreApplication::instance());
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->setStandardInputFile(QProcess::nullDevice());
    p->start(program, argumentumok(l));
    if (!p->waitForStarted(10000)) {
        ok = "Az xdg-email nem indítható: " + p->errorString();
        delete p;
        return false;
    }
    if (!p->waitForFinished(XDG_EMAIL_VAR_MS)) {
        // the mail program has it and keeps the script waiting; it ends on its own
        QObject::connect(p, &QProcess::finished, p, &QObject::deleteLater);
        return true;
    }
    const bool rendben = p->exitStatus() == QProcess::NormalExit && p->exitCode() == 0;
    if (!rendben) {
        const QString hiba = QString::fromLocal8Bit(p->readAllStandardError()).trimmed();
        ok = p->exitStatus() != QProcess::NormalExit
                 ? QString("Az xdg-email futása megszakadt.")
                 : QString("Az xdg-email hibával állt le (kilépési kód: %1)%2")
                       .arg(p->exitCode())
                       .arg(hiba.isEmpty() ? QString(".") : ":\r\n" + hiba);
    }
    delete p;
    return rendben;
}

} // namespace EmailKuldes

void EmailKuld(NyomtatasiMunka &m, const Oldalak &o, QWidget *szulo)
{
    EmailKuldes::Level l;
    try {
        l = EmailKuldes::keszit(m, o);
    } catch (const StoreHiba &h) {
        HibaUzenet("A levél melléklete nem készült el.\r\n" + h.uzenet(), szulo);
        return;
    }
    if (!l.hibasCim.isEmpty())
        Uzenet(QString("Az ügyfél e-mail címe nem érvényes cím, a levél %1nyílik meg: %2")
                   .arg(l.cimek.isEmpty() ? "címzett nélkül " : "csak az érvényes címekkel ", l.hibasCim),
               szulo);
    QString ok;
    if (EmailKuldes::atad(l, ok))
        return;
    HibaUzenet(QString("Nem található levelezőprogram, amely mellékletet fogad.\r\n%1\r\n\r\n"
                       "A nyomtatvány PDF fájlja elkészült, a mappáját megnyitom; onnan csatolható a levélhez:\r\n%2")
                   .arg(ok, QDir::toNativeSeparators(l.pdf)),
               szulo);
    DokumentumNyit(QFileInfo(l.pdf).absolutePath());
}

void EmailKuld(NyomtatvanyFajta f, int doksi, QWidget *szulo)
{
    try {
        auto m = NyomtatasiMunka::nyit(f, doksi);
        const Oldalak o = m->lapoz();
        EmailKuld(*m, o, szulo);
    } catch (const StoreHiba &h) {
        FelsoHiba(h.uzenet(), szulo);
    }
}
