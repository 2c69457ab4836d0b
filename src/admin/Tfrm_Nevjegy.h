#pragma once

#include <QDialog>

class QLabel;

// The about window: program name and version, the maker, terms of use, contact, and the
// database folder in use.
class Tfrm_Nevjegy : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Nevjegy(QWidget *szulo = nullptr);
    QString programNev() const { return m_programNev; }

private:
    QString m_programNev;
    QLabel *lblProgram;
    QLabel *lblAdatbazis;
};
