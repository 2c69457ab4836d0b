#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <functional>

class QComboBox;

// Typing into a drop-down of names that takes no free text picks the first name that
// begins with what was typed, spaces and accented letters included, letter case ignored
// (as the master lists' search box finds names), whether the list is open or not; after a
// pause the typing starts a new search, Backspace takes back a letter. A space never opens
// the list, and the open list shows at most 20 rows.
class LenyiloKereso : public QObject {
    Q_OBJECT
public:
    // A list too long to read whole gives the search its own finder: the row of the first
    // name that begins with the text, -1 when none does.
    using Kereso = std::function<int(const QString &eleje)>;
    static LenyiloKereso *bekot(QComboBox *c, Kereso kereso = {});
    QString keresett() const { return m_keresett; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    LenyiloKereso(QComboBox *c, Kereso kereso);
    int talalat(const QString &keresett);

    QComboBox *m_c;
    Kereso m_kereso;
    QString m_keresett;
    QElapsedTimer m_utolso;      // since the last letter typed
    QStringList m_kulcsok;       // the names' search keys, made at the first search
};
