#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The desktop's mail program played by a stand-in: an xdg-email first on the PATH that records
// the arguments of its call and ends with the exit code given (or no xdg-email on the PATH at
// all), and a cache folder of the test's own (XDG_CACHE_HOME) that takes the attachments.
// The environment is restored when it is destroyed. Programs started meanwhile inherit both.
class LevelezoHelyettes {
public:
    enum Mod { Rendben, Hibas, Hianyzik };
    explicit LevelezoHelyettes(Mod mod = Rendben);
    ~LevelezoHelyettes();

    bool hivtak() const;
    QStringList argumentumok() const;   // of the last call
    // The value after an option (--attach, --subject, --body), empty when it is not there.
    QString opcio(const QString &nev) const;
    // What follows the last option's value: the addresses.
    QStringList cimek() const;
    QString mellekletMappa() const;     // where the program keeps the attachments
    QString cache() const { return m_dir.filePath("cache"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_path, m_cache;
    bool m_voltCache = false;
};
