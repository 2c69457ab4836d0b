#include "ArchivEllenorAblak.h"
#include "ArchivEllenor.h"
#include "Beall.h"
#include "Seged.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

bool ArchivEllenorzesAblak(QWidget *szulo)
{
    QFileDialog od(szulo, "Archívum ellenőrzése", Beall.MentesUtvonal, "ZIP archívumok (*.zip)");
    od.setObjectName("odEllenor");
    od.setAcceptMode(QFileDialog::AcceptOpen);
    od.setFileMode(QFileDialog::ExistingFile);
    if (od.exec() != QDialog::Accepted || od.selectedFiles().isEmpty())
        return false;
    const QString zip = od.selectedFiles().constFirst();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ArchivVizsgalat v = ArchivEllenoriz(zip);
    QApplication::restoreOverrideCursor();
    if (!v.rendben) {
        HibaUzenet(QString("Az archívum nem használható: %1\r\n%2").arg(QDir::toNativeSeparators(zip), v.ok), szulo);
        return false;
    }
    Uzenet(QString("Az archívum rendben: %1\r\n%2")
               .arg(QDir::toNativeSeparators(zip), QString(v.leirasSzoveg()).replace("\n", "\r\n")),
           szulo);
    return true;
}
