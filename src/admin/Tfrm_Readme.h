#pragma once

#include <QDialog>

class QPlainTextEdit;

// Important information: the default login, terms of use, requirements, the maker.
class Tfrm_Readme : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_Readme(QWidget *szulo = nullptr);
    static QString szoveg();

private:
    QPlainTextEdit *Memo1;
};
