#pragma once

#include <QDate>
#include <QRect>
#include <QString>

// The e-mail templates when the settings give none.
QString AlapEmailTargy();
QString AlapEmailSzoveg();

// The settings and state of the run: folders, window geometry, rights, user name.
struct TBeall {
    bool TeljesKep = true;
    QString AdatbazisUtvonal;
    // libpq connection string of the server holding the tables; empty: the local register
    // in AdatbazisUtvonal. Never a password (~/.pgpass, PGPASSFILE or a service file).
    QString AdatbazisKapcsolat;
    int Bal = 5;
    int Felul = 5;
    int Magas = 400;
    int Szeles = 640;
    bool torzsszerkeszt = false;
    bool rendszergazda = false;
    QString MentesUtvonal;
    QDate MentesDatum;
    // archives: the attached documents packed too; how many dated archives the archive
    // folder keeps (0: all); a second folder (a USB drive, a share) that gets a checked copy
    // of every new archive (empty: none)
    bool ArchivDokumentumok = true;
    int ArchivMegtart = 0;
    QString MasodikMentesUtvonal;
    QString FelhasznaloNev;
    bool VanBelep = false;
    int FulSzeles = 150;
    // the letter's code as a QR code on the certificates and the repair order form
    bool QrKod = false;
    // rows of letters whose warranty has ended drawn in grey in the letter lists
    bool LejartSzurke = true;
    // the e-mail a printout is sent with; placeholders {szam} {fajta} {ugyfel} {muhely}
    QString EmailTargy = AlapEmailTargy();
    QString EmailSzoveg = AlapEmailSzoveg();
};


extern TBeall Beall;

QString IniFajlUt();                 // ProgramMappa + "/DorvPrg.ini"
QString AlapAdatbazisMappa();        // ProgramMappa + "/Data"
QString AlapMentesMappa();           // ProgramMappa + "/Archiv"
QString DorvidoFajlUt();             // ProgramMappa + "/dorvido.ini"
// The default of every user, DorvPrg/DorvPrg.ini in the XDG configuration folders
// (/etc/xdg): the first that exists, or "".
QString RendszerIniFajlUt();
// The settings file BeallitasOlvas read last: IniFajlUt, or the default of every user when
// the user has none yet.
QString OlvasottIniFajlUt();

enum class IniAllapot {
    Rendben,
    MappaVisszaallitva,   // the database folder named is gone: the default is taken
    Hibas,                // the file is there but unreadable, empty or damaged
};
// Reads DorvPrg.ini into Beall (missing or unreadable values take their defaults).
// MappaVisszaallitva: the database folder fell back to the default (the caller shows the
// message); the archive folder falls back silently. Hibas: the defaults are in Beall, but
// the caller must not quietly take them for the register the user had: it asks.
IniAllapot BeallitasOlvas();
// The database folder of the spare copy of DorvPrg.ini kept beside it (when that folder
// exists), or an empty string.
QString ElozoAdatbazisMappa();
// Writes DorvPrg.ini (and its spare copy) with the main window's geometry, UTF-8 when code
// page 1250 cannot hold a value; keeps a later MentesDatum the file got meanwhile. Throws
// StoreHiba "Unable to write to <file>" and the reason on the next line when the file cannot
// be written or a value would not read back unchanged, leaving the old file whole.
void BeallitasIr(const QRect &foablak);
// Writes only Archiv/MentesDatum (archiving without a main window), a later one in the file kept.
void MentesDatumIr(const QDate &d);
// Takes into Beall a later MentesDatum than its own that another program wrote into the file.
void MentesDatumFrissit();

// Whether a libpq connection string (keyword=value or postgresql:// form) carries a
// password, which the settings file must never keep.
bool KapcsolatbanJelszo(const QString &kapcsolat);
// The server connection DorvPrg.ini names (empty: the local register); throws StoreHiba
// naming the key and the file when it holds a password or libpq cannot read it.
QString IniKapcsolat();

// Where the register is, for the user: the database folder, or on a server its host, port and
// database (never anything else of the connection string, so never a password); the texts'
// folder follows. One line per item: "Adatbázis mappája: ..." / "Kiszolgáló: ...".
QString AdatbazisHelye();
// The server part alone, "gep:5432, adatbázis: dorvprg" (empty for the local register).
QString KiszolgaloLeiras(const QString &kapcsolat);

// Whether the close should ask for an archive: the last one five or more days old.
bool ArchivKerdesKell(const QDate &ma = QDate::currentDate());
