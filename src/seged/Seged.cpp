#include "Seged.h"
#include "Kozepre.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QUrl>

namespace {
Valaszolo g_valaszolo;
JelszoValaszolo g_jelszoValaszolo;
std::function<void(const QString &)> g_nyito;
QString g_programMappa;
bool g_atiranyitva = false;

// A question has no cancel: Esc and the close box leave it open until Yes or No.
class UzenetDoboz : public QMessageBox {
public:
    UzenetDoboz(bool kerdes, QWidget *szulo) : QMessageBox(szulo), m_kerdes(kerdes) {}

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if (m_kerdes && e->matches(QKeySequence::Cancel))
            return;
        QMessageBox::keyPressEvent(e);
    }
    // Qt sizes the box for its text and a bare caption, when shown and again at each layout
    // request; a window manager's frame also holds the icon and its buttons, which would cut
    // a long caption short.
    void showEvent(QShowEvent *e) override
    {
        QMessageBox::showEvent(e);
        cimFer();
    }
    bool event(QEvent *e) override
    {
        const bool r = QMessageBox::event(e);
        if (e->type() == QEvent::LayoutRequest)
            cimFer();
        return r;
    }
    void cimFer()
    {
        if (const int kell = CimSzelesseg(windowTitle()); width() < kell)
            setFixedWidth(kell);
    }
    void closeEvent(QCloseEvent *e) override
    {
        if (!m_kerdes)
            QMessageBox::closeEvent(e);
        else if (clickedButton())
            e->accept();   // answered already: keep that answer
        else
            e->ignore();
    }

private:
    bool m_kerdes;
};

bool doboz(UzenetKeres::Tipus t, const QString &szoveg, const QString &cim, QWidget *szulo,
           const QString &igen = "Igen", const QString &nem = "Nem")
{
    if (g_valaszolo)
        return g_valaszolo({t, szoveg, cim});
    UzenetDoboz b(t == UzenetKeres::Kerdes, szulo);
    b.setWindowTitle(cim);
    b.setText(QString(szoveg).replace("\r\n", "\n"));
    switch (t) {
    case UzenetKeres::Kerdes:
        b.setIcon(QMessageBox::Question);
        b.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        b.button(QMessageBox::Yes)->setText(igen);
        b.button(QMessageBox::No)->setText(nem);
        b.setDefaultButton(QMessageBox::Yes);
        return b.exec() == QMessageBox::Yes;
    case UzenetKeres::Hiba: b.setIcon(QMessageBox::Critical); break;
    case UzenetKeres::Info: b.setIcon(QMessageBox::Information); break;
    }
    b.setStandardButtons(QMessageBox::Ok);
    b.exec();
    return true;
}

int skala(int n, int u, int d) { return int(qRound(double(n) * u / d)); }
} // namespace

void setValaszolo(Valaszolo v) { g_valaszolo = std::move(v); }

bool Kerdes(const QString &szoveg, const QString &cim, QWidget *szulo)
{
    return doboz(UzenetKeres::Kerdes, szoveg, cim, szulo);
}

bool Kerdes(const QString &szoveg, const QString &cim, const QString &igen, const QString &nem, QWidget *szulo)
{
    return doboz(UzenetKeres::Kerdes, szoveg, cim, szulo, igen, nem);
}

void HibaUzenet(const QString &szoveg, QWidget *szulo) { doboz(UzenetKeres::Hiba, szoveg, "Hiba", szulo); }
void Uzenet(const QString &szoveg, QWidget *szulo) { doboz(UzenetKeres::Info, szoveg, "Üzenet", szulo); }

int CimSzelesseg(const QString &cim)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    f.setBold(true);
    return QFontMetrics(f).horizontalAdvance(cim) + 110;
}

void FelsoHiba(const QString &uzenet, QWidget *szulo)
{
    doboz(UzenetKeres::Hiba, uzenet, "DorvPrg - Garanciajegy nyilvántartás", szulo);
}

bool JogEllenoriz(bool jog, QWidget *szulo)
{
    if (!jog)
        HibaUzenet("Nincs jogosultság a művelethez.", szulo);
    return jog;
}

bool TorlesMegerosites(QWidget *szulo) { return Kerdes("Valóban töröljem a sort?", "Megerősítés", szulo); }

QString TelepitettMappa(const QString &programKonyvtar)
{
    const QString m = QDir::cleanPath(programKonyvtar + "/../share/dorvprg");
    return QFileInfo(programKonyvtar).fileName() == "bin" && QFileInfo(m).isDir() ? m : QString();
}

QString ProgramMappaValaszt(const QString &programKonyvtar, bool &atiranyitva)
{
    QString m = QDir::cleanPath(programKonyvtar);
    // an installed program's folder is shared by every user (and writable by root)
    atiranyitva = !TelepitettMappa(m).isEmpty() || !QFileInfo(m).isWritable();
    if (atiranyitva) {
        m = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/DorvPrg");
        // a folder that cannot be made shows up at the first write with its path
        QDir().mkpath(m);
    }
    if (m.size() > 1 && m.endsWith('/'))
        m.chop(1);
    return m;
}

QString ProgramMappa()
{
    if (g_programMappa.isEmpty())
        g_programMappa = ProgramMappaValaszt(QCoreApplication::applicationDirPath(), g_atiranyitva);
    return g_programMappa;
}

bool ProgramMappaAtiranyitva()
{
    ProgramMappa();
    return g_atiranyitva;
}

void setProgramMappa(const QString &mappa, bool atiranyitva)
{
    g_programMappa = QDir::cleanPath(mappa);
    g_atiranyitva = atiranyitva;
}

QString SugoFajl(const QString &nev, const QString &programKonyvtar)
{
    const QString konyvtar = programKonyvtar.isEmpty() ? QCoreApplication::applicationDirPath() : programKonyvtar;
    QStringList helyek{QDir(ProgramMappa()).filePath("Help"), QDir(konyvtar).filePath("Help")};
    if (const QString t = TelepitettMappa(konyvtar); !t.isEmpty())
        helyek << QDir(t).filePath("Help");
    for (const QString &h : helyek)
        if (QFileInfo::exists(QDir(h).filePath(nev)))
            return QDir(h).filePath(nev);
    return QDir(helyek.first()).filePath(nev);
}

QSize AtlagKarakter(const QFont &f)
{
    const QFontMetrics fm(f);
    const QString abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    return QSize(fm.horizontalAdvance(abc) / 52, fm.height());
}

void setJelszoValaszolo(JelszoValaszolo v) { g_jelszoValaszolo = std::move(v); }

bool JelszoBekeres(const QString &cim, const QString &kerdes, const QString &maszk, QString &szoveg,
                   QWidget *szulo)
{
    if (g_jelszoValaszolo)
        return g_jelszoValaszolo(cim, kerdes, szoveg);
    QDialog d(szulo, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    d.setWindowTitle(cim);
    const QSize c = AtlagKarakter(d.font());
    const int cx = c.width(), cy = c.height();
    auto *l = new QLabel(kerdes, &d);
    l->setWordWrap(true);
    l->setFixedWidth(skala(164, cx, 4));
    l->adjustSize();
    l->move(skala(8, cx, 4), skala(8, cy, 8));
    auto *e = new QLineEdit(szoveg, &d);
    e->setMaxLength(255);
    if (!maszk.isEmpty())
        e->setInputMask(maszk);
    e->setGeometry(l->x(), l->y() + l->height() + 5, skala(164, cx, 4), e->sizeHint().height());
    e->selectAll();
    const int gombY = e->y() + e->height() + 15;
    auto *ok = new QPushButton("OK", &d);
    ok->setDefault(true);
    ok->setGeometry(skala(38, cx, 4), gombY, skala(50, cx, 4), skala(14, cy, 8));
    auto *megse = new QPushButton("Mégsem", &d);
    megse->setGeometry(skala(92, cx, 4), gombY, skala(50, cx, 4), skala(14, cy, 8));
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(megse, &QPushButton::clicked, &d, &QDialog::reject);
    d.setFixedSize(skala(180, cx, 4), megse->y() + megse->height() + 13);
    kepernyoKozepre(&d);
    e->setFocus();
    if (d.exec() != QDialog::Accepted)
        return false;
    szoveg = e->text();
    return true;
}

void setDokumentumNyito(std::function<void(const QString &)> nyito) { g_nyito = std::move(nyito); }

void DokumentumNyit(const QString &utVagyCim)
{
    if (g_nyito) {
        g_nyito(utVagyCim);
        return;
    }
    const QString s = utVagyCim.trimmed();
    if (s.isEmpty())
        return;
    QUrl url;
    if (s.startsWith("mailto:", Qt::CaseInsensitive) || s.contains("://"))
        url = QUrl(s);
    else if (s.startsWith("www.", Qt::CaseInsensitive))
        url = QUrl("http://" + s);
    else
        url = QUrl::fromLocalFile(QDir(ProgramMappa()).absoluteFilePath(s));
    QDesktopServices::openUrl(url);   // failures are not reported
}
