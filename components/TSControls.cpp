#include "TSControls.h"

#include "AscInputForm.h"
#include "EntrySwitches.h"
#include "ExtStaticText.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QScroller>
#include <QStringListModel>
#include <QStyledItemDelegate>

#include <functional>

namespace {

// Rows as high as the combo box, text in the box's font, the chosen row in the highlight colour.
class TComboRowDelegate : public QStyledItemDelegate {
public:
    TComboRowDelegate(int rowHeight, QObject* parent) : QStyledItemDelegate(parent), FRowHeight(rowHeight) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return QSize(option.rect.width(), FRowHeight);
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool chosen = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        p->fillRect(option.rect, chosen ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        p->setPen(pal.color(QPalette::Midlight));
        p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
        p->setPen(chosen ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        p->setFont(option.font);
        p->drawText(option.rect.adjusted(6, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft,
                    index.data(Qt::DisplayRole).toString());
    }

private:
    int FRowHeight;
};

// Sees every touch of the application while the list is open.
class TTouchWatch : public QObject {
public:
    TTouchWatch(std::function<void(QWidget*)> touched, QObject* parent)
        : QObject(parent), FTouched(std::move(touched)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::TouchBegin)
            if (auto* w = qobject_cast<QWidget*>(watched))
                FTouched(w);
        return false;
    }

private:
    std::function<void(QWidget*)> FTouched;
};

} // namespace

TTSComboBox::TTSComboBox(QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(1);
    setFocusPolicy(Qt::NoFocus);
    // Field and panel read as one white field around the text.
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);

    FField = new QLineEdit(this);
    FField->setObjectName(QStringLiteral("edText"));
    FField->setFrame(false);
    FField->installEventFilter(this);
    connect(FField, &QLineEdit::textEdited, this, &TTSComboBox::TextEdited);
    setFocusProxy(FField);

    FArrow = new TExtStaticText(this);
    FArrow->setObjectName(QStringLiteral("bnDropDown"));
    FArrow->SetCaption(QString(QChar(0x25BC))); // the down arrow of the key
    FArrow->SetCenterColor(true);
    connect(FArrow, &TExtStaticText::Click, this, &TTSComboBox::ArrowTouched);

    setGeometry(10, 10, 150, sizeHint().height());
}

TTSComboBox::~TTSComboBox() {
    // The list lives on the form, which may outlast the box.
    if (FList) {
        disconnect(FFocusWatch);
        delete FList;
    }
}

bool TTSComboBox::TouchEntry() const {
    return TEntrySwitches::TouchEntry;
}

bool TTntTSComboBox::TouchEntry() const {
    return TEntrySwitches::TouchEntryWide;
}

TTntAscInputForm* TTSComboBox::NewKeyboard() {
    return new TAscInputForm(this);
}

TTntAscInputForm* TTntTSComboBox::NewKeyboard() {
    return new TTntAscInputForm(this);
}

TTntAscInputForm* TTSComboBox::Keyboard() const {
    return FKeyboard;
}

void TTSComboBox::OpenKeyboard() {
    if (FKeyboard && FKeyboard->isVisible())
        return;
    TTntAscInputForm* kb = NewKeyboard();
    FKeyboard = kb;
    kb->setAttribute(Qt::WA_DeleteOnClose);
    kb->SetListFile(FListFile);
    kb->SetOperator(FOperator);
    kb->SetKovaBase(FKovaBase);
    kb->BindLine(FField->text(), toolTip(), false);
    connect(kb, &QDialog::accepted, this, [this, kb] { TakeKeyboardText(kb->Text()); });
    kb->open();
}

QSize TTSComboBox::sizeHint() const {
    return QSize(150, FField->sizeHint().height() + 6);
}

void TTSComboBox::SetItems(const QStringList& items) {
    CloseList(false); // its rows are the old ones
    FItems = items;
    if (FItemIndex >= FItems.size()) {
        FItemIndex = -1;
        FField->clear();
    } else if (FItemIndex >= 0) {
        FField->setText(FItems[FItemIndex]);
    }
}

void TTSComboBox::SetItemIndex(int i) {
    if (i >= 0 && i < FItems.size()) {
        FItemIndex = i;
        FField->setText(FItems[i]);
    } else {
        FItemIndex = -1;
        FField->clear();
    }
}

QString TTSComboBox::Caption() const {
    return FField->text();
}

void TTSComboBox::SetCaption(const QString& text) {
    FField->setText(text);
}

void TTSComboBox::SetDropDownList(bool on) {
    FDropDownList = on;
    FField->setReadOnly(on);
}

void TTSComboBox::SetDroppedDown(bool on) {
    if (on)
        OpenList();
    else
        CloseList(true);
}

QListView* TTSComboBox::DropDown() const {
    return FList;
}

void TTSComboBox::TakeKeyboardText(const QString& text) {
    if (text == FField->text())
        return;
    FField->setText(text);
    TextEdited(text);
}

void TTSComboBox::TextEdited(const QString& text) {
    // A typed text that is one of the items chooses it; any other text chooses none.
    const qsizetype at = FItems.indexOf(text);
    FItemIndex = at >= 0 ? int(at) : -1;
    Q_EMIT Change();
}

void TTSComboBox::LayoutParts() {
    const QRect r = contentsRect();
    FArrow->setGeometry(r.right() - ArrowWidth + 1, r.top(), ArrowWidth, r.height());
    const int fieldHeight = std::min(r.height(), FField->sizeHint().height());
    FField->setGeometry(r.left(), r.top() + (r.height() - fieldHeight) / 2,
                        std::max(0, r.width() - ArrowWidth), fieldHeight);
}

void TTSComboBox::resizeEvent(QResizeEvent* e) {
    QFrame::resizeEvent(e);
    LayoutParts();
}

void TTSComboBox::changeEvent(QEvent* e) {
    QFrame::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            CloseList(false);
        update();
    } else if (e->type() == QEvent::FontChange) {
        LayoutParts();
    }
}

void TTSComboBox::hideEvent(QHideEvent* e) {
    CloseList(false);
    QFrame::hideEvent(e);
}

void TTSComboBox::mouseReleaseEvent(QMouseEvent* e) {
    QFrame::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        FieldTouched();
}

void TTSComboBox::FieldTouched() {
    if (!isEnabled())
        return;
    if (TouchEntry() && !FDropDownList)
        OpenKeyboard();
    if (FDropDownList) {
        if (FList)
            CloseList(true);
        else
            OpenList();
    }
    Q_EMIT Click();
}

void TTSComboBox::ArrowTouched() {
    if (!isEnabled())
        return;
    if (FList || FItems.isEmpty())
        CloseList(true);
    else
        OpenList();
    Q_EMIT Click();
}

bool TTSComboBox::Inside(const QWidget* w) const {
    if (!w)
        return false;
    if (w == this || isAncestorOf(w))
        return true;
    return FList && (w == FList || FList->isAncestorOf(w));
}

void TTSComboBox::OpenList() {
    if (FList || FItems.isEmpty() || !isVisible())
        return;
    LayoutParts();
    QWidget* form = window();
    const int rowHeight = height();

    auto* list = new QListView(form);
    list->setObjectName(QStringLiteral("lbDropDown"));
    list->setFont(FField->font());
    list->setFrameShape(QFrame::Box);
    list->setLineWidth(1);
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->setItemDelegate(new TComboRowDelegate(rowHeight, list));
    list->setModel(new QStringListModel(FItems, list));
    // A finger drags the rows; a mouse uses the scroll bar.
    QScroller::grabGesture(list->viewport(), QScroller::TouchGesture);

    // Nine rows for a long list, else one row more than the items; below the box where that
    // fits, else above it, else on the side with more room and scrolling.
    const int items = int(FItems.size());
    const int wanted = (items > 7 ? 9 : items + 1) * rowHeight;
    const QPoint at = mapTo(form, QPoint(0, 0));
    const int below = form->height() - (at.y() + height());
    const int above = at.y();
    int listHeight = wanted;
    int top = at.y() + height();
    if (wanted <= below) {
        top = at.y() + height();
    } else if (wanted <= above) {
        top = at.y() - wanted;
    } else if (below >= above) {
        listHeight = below;
    } else {
        listHeight = above;
        top = 0;
    }
    list->setGeometry(at.x(), top, width(), listHeight);

    const qsizetype match = FItems.indexOf(FField->text());
    if (match >= 0) {
        const QModelIndex index = list->model()->index(int(match), 0);
        list->setCurrentIndex(index);
        list->scrollTo(index);
    }
    connect(list, &QListView::clicked, this, [this] { CloseList(true); });
    list->installEventFilter(this);
    FList = list;
    // While the list is open, a touch anywhere else dismisses it.
    qApp->installEventFilter(new TTouchWatch(
        [this](QWidget* w) {
            if (!Inside(w))
                CloseList(false);
        },
        list));
    FFocusWatch = connect(qApp, &QApplication::focusChanged, this, &TTSComboBox::FocusChanged);
    list->show();
    list->raise();
    list->setFocus(Qt::PopupFocusReason);
    // Taking the focus makes the first row current; with no match nothing is highlighted, and
    // the first arrow key lands on the first row.
    if (match < 0)
        list->selectionModel()->clearCurrentIndex();
}

void TTSComboBox::CloseList(bool asChoice) {
    if (!FList)
        return;
    QListView* list = FList;
    int row = -1;
    if (asChoice && list->selectionModel()) {
        const QModelIndexList chosen = list->selectionModel()->selectedIndexes();
        if (!chosen.isEmpty() && chosen.first().row() >= 0 && chosen.first().row() < FItems.size())
            row = chosen.first().row();
    }
    disconnect(FFocusWatch);
    for (TTouchWatch* watch : list->findChildren<TTouchWatch*>(Qt::FindDirectChildrenOnly))
        qApp->removeEventFilter(watch);
    FList = nullptr;
    // Closed from inside the list, the focus comes back to the box rather than wandering off.
    if (const QWidget* focus = QApplication::focusWidget();
        focus && (focus == list || list->isAncestorOf(focus)))
        FField->setFocus(Qt::PopupFocusReason);
    list->hide();
    list->deleteLater();
    // Without a highlighted row nothing was chosen: field, ItemIndex and Change stay.
    if (row < 0)
        return;
    FField->setText(FItems[row]);
    const int old = FItemIndex;
    FItemIndex = row;
    if (old != row)
        Q_EMIT Change();
}

void TTSComboBox::FocusChanged(QWidget*, QWidget* now) {
    if (FList && !Inside(now))
        CloseList(false);
}

bool TTSComboBox::eventFilter(QObject* watched, QEvent* e) {
    const QEvent::Type type = e->type();
    if (watched == FField) {
        if (type == QEvent::MouseButtonRelease) {
            const auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::LeftButton && FField->rect().contains(me->position().toPoint()))
                FieldTouched();
        } else if (type == QEvent::KeyPress) {
            const auto* ke = static_cast<QKeyEvent*>(e);
            if (ke->key() == Qt::Key_F4 ||
                (ke->key() == Qt::Key_Down && (ke->modifiers() & Qt::AltModifier))) {
                SetDroppedDown(!DroppedDown());
                return true;
            }
        }
        return false;
    }
    if (FList && watched == FList && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CloseList(true);
            return true;
        }
        if (key == Qt::Key_Escape) {
            CloseList(false);
            return true;
        }
        return false;
    }
    return false;
}
