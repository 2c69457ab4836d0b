#include "MarkaKepValaszto.h"
#include "MarkaKepek.h"

#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace {

constexpr int SOR = 48;

// One entry: the selection colour or the window colour, the picture 5 pixels in.
class KepRajzolo : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        const bool kivalasztott = o.state & QStyle::State_Selected;
        p->fillRect(o.rect, o.palette.color(kivalasztott ? QPalette::Highlight : QPalette::Base));
        p->drawPixmap(o.rect.left() + 5, o.rect.top(), MarkaKep(i.row()));
    }

    QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &) const override
    {
        return QSize(o.rect.width() > 0 ? o.rect.width() : 5 + SOR, SOR);
    }
};

} // namespace

MarkaKepValaszto::MarkaKepValaszto(QWidget *szulo) : QComboBox(szulo)
{
    setItemDelegate(new KepRajzolo(this));
    for (int i = 0; i < MarkaKepSzam(); ++i)
        addItem(QString::number(i));
    setMaxVisibleItems(8);
}

QSize MarkaKepValaszto::sizeHint() const
{
    QStyleOptionComboBox o;
    initStyleOption(&o);
    const QSize belso(5 + SOR + 4, SOR);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &o, belso, this);
}

void MarkaKepValaszto::paintEvent(QPaintEvent *)
{
    QStylePainter p(this);
    QStyleOptionComboBox o;
    initStyleOption(&o);
    o.currentText.clear();
    o.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, o);
    const QRect mezo = style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0) {
        const QPixmap k = MarkaKep(currentIndex());
        p.drawPixmap(mezo.left() + 5 - 2, mezo.top() + (mezo.height() - k.height()) / 2, k);
    }
}
