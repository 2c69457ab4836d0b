// A letter posted through the main window's cursor is on disk the moment the post returns:
// a child process posts, says so, and is killed with SIGKILL; the row must be there.
#include "Adatbazis.h"
#include "Beall.h"
#include "Seged.h"
#include "Tabla.h"
#include "TesztKornyezet.h"
#include "Tfrm_Main.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

// The child: the main window on the given program folder, one new letter posted, then it
// waits to be killed.
int gyerek(const QString &mappa)
{
    setProgramMappa(mappa);
    setValaszolo([](const UzenetKeres &k) {
        std::fprintf(stderr, "%s\n", qPrintable(k.szoveg));
        return false;
    });
    Tfrm_Main w;
    if (!w.inditas())
        return 3;
    w.Tbl().beszur();
    w.Tbl().setErtek("doksi_id", 4711);
    w.Tbl().setErtek("prntip", "J");
    w.Tbl().setErtek("rendszam", "KIL-009");
    w.Tbl().setErtek("datum", QDate(2026, 3, 1));
    w.Tbl().post();
    std::printf("postolva\n");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

} // namespace

class KillTeszt : public QObject {
    Q_OBJECT

private slots:
    void postTulelKilenc()
    {
        TesztKornyezet k(false);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DORVPRG_GYEREK", k.programMappa());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(p.waitForStarted());
        QByteArray ki;
        while (!ki.contains("postolva") && p.waitForReadyRead(30000))
            ki += p.readAllStandardOutput();
        QVERIFY2(ki.contains("postolva"), p.readAllStandardError().constData());
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished());
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        Tfrm_Main w;
        QVERIFY(w.inditas());
        QCOMPARE(w.statusPanel(0)->text(), QString("1/1"));
        QCOMPARE(w.Tbl().ertek("doksi_id").toInt(), 4711);
        QCOMPARE(w.Tbl().ertek("rendszam").toString(), QString("KIL-009"));
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("DORVPRG_GYEREK")) {
        QApplication app(argc, argv);
        return gyerek(qEnvironmentVariable("DORVPRG_GYEREK"));
    }
    QApplication app(argc, argv);
    KillTeszt t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_foablak_kill.moc"
