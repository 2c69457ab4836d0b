#include "TesztKornyezet.h"
#include "Adatbazis.h"
#include "Beall.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

TesztKornyezet::TesztKornyezet(bool adatbazisNyit)
{
    setProgramMappa(m_dir.path());
    QDir(m_dir.path()).mkpath("Data");
    Beall = TBeall();
    Beall.AdatbazisUtvonal = adatMappa();
    Beall.MentesUtvonal = QDir(m_dir.path()).filePath("Archiv");
    Beall.torzsszerkeszt = Beall.rendszergazda = true;
    Beall.MentesDatum = QDate::currentDate();
    setValaszolo([this](const UzenetKeres &k) {
        m_uzenetek << k;
        return m_valaszok.isEmpty() ? true : m_valaszok.takeFirst();
    });
    setDokumentumNyito([this](const QString &ut) { m_uzenetek << UzenetKeres{UzenetKeres::Info, ut, "DokumentumNyit"}; });
    if (adatbazisNyit)
        Adatbazis::megnyit(adatMappa());
}

TesztKornyezet::~TesztKornyezet()
{
    Adatbazis::bezar();
    setValaszolo({});
    setDokumentumNyito({});
    setJelszoValaszolo({});
}

QString TesztKornyezet::adatMappa() const { return QDir(m_dir.path()).filePath("Data"); }

QStringList TesztKornyezet::szovegek() const
{
    QStringList s;
    for (const UzenetKeres &k : m_uzenetek)
        s << k.szoveg;
    return s;
}

void TesztKornyezet::modalisan(std::function<void(QWidget *)> f, int kesleltetes)
{
    QTimer::singleShot(kesleltetes, [f, kesleltetes]() {
        QWidget *w = QApplication::activeModalWidget();
        if (!w) {
            if (kesleltetes < 5000)
                modalisan(f, kesleltetes + 20);
            return;
        }
        f(w);
    });
}
