#include "controls/BitListBox.h"

#include "controls/Skin.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace zolt {

namespace {

constexpr ColorRef kHighlight = Rgb(38, 120, 215);
constexpr int kTextGap = 5;

class CBitListDelegate : public QStyledItemDelegate {
public:
    explicit CBitListDelegate(CBitListBox* pList) : QStyledItemDelegate(pList), m_pList(pList) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver)) {
            p->fillRect(option.rect, QColorOf(kHighlight));
        }
        p->setPen(QColorOf(m_pList->TextColour()));
        const QRect text = option.rect.adjusted(m_pList->TextIndent(), 0, 0, 0);
        p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                    index.data(Qt::DisplayRole).toString());
    }

private:
    CBitListBox* m_pList;
};

} // namespace

CBitListBox::CBitListBox(QWidget* pParent) : QListView(pParent) {
    setItemDelegate(new CBitListDelegate(this));
    setMouseTracking(true);
    SetColours(kFieldColour, kWhite);
}

void CBitListBox::SetBorderPictures(int nLeft, int nRight, int nTop, int nBottom) {
    m_nLeft = nLeft;
    m_nRight = nRight;
    m_nTop = nTop;
    m_nBottom = nBottom;
    viewport()->update();
}

void CBitListBox::SetColours(ColorRef nBackground, ColorRef nText) {
    m_nText = nText;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, QColorOf(nBackground));
    palette.setColor(QPalette::Window, QColorOf(nBackground));
    setPalette(palette);
    viewport()->update();
}

int CBitListBox::TextIndent() const {
    return SkinSize(m_nLeft).width() + kTextGap;
}

void CBitListBox::paintEvent(QPaintEvent* e) {
    QListView::paintEvent(e);
    QPainter p(viewport());
    const QRect r = viewport()->rect();
    const QSize left = SkinSize(m_nLeft);
    const QSize right = SkinSize(m_nRight);
    const QSize top = SkinSize(m_nTop);
    const QSize bottom = SkinSize(m_nBottom);
    // Left and right keep their width over the full height; top and bottom span the width.
    if (!left.isEmpty()) {
        p.drawPixmap(0, 0, SkinPixmap(m_nLeft, QSize(left.width(), r.height())));
    }
    if (!right.isEmpty()) {
        p.drawPixmap(r.width() - right.width(), 0,
                     SkinPixmap(m_nRight, QSize(right.width(), r.height())));
    }
    if (!top.isEmpty()) {
        p.drawPixmap(0, 0, SkinPixmap(m_nTop, QSize(r.width(), top.height())));
    }
    if (!bottom.isEmpty()) {
        p.drawPixmap(0, r.height() - bottom.height(),
                     SkinPixmap(m_nBottom, QSize(r.width(), bottom.height())));
    }
}

} // namespace zolt
