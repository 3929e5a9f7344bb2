#pragma once
#include <QWidget>

class QListView;
class QStringListModel;

// The drop-down of earlier entries under a text box on a desk: a borderless window that stays
// on top, as wide as the box, its list filling it. It shows without taking the activation, so
// typing goes on in the box; Down in the box hands it the focus.
class TTntSelectionListForm : public QWidget {
    Q_OBJECT
public:
    explicit TTntSelectionListForm(QWidget* box);

    void SetItems(const QStringList& items);
    QStringList Items() const;
    void Select(int row);
    QString SelectedText() const;
    bool HasItems() const;
    // One pixel left of and one pixel above the box's bottom-left corner, as wide as the box.
    void Place();
    QListView* List() const { return FList; }

Q_SIGNALS:
    // An entry was taken (a click, or Enter on a selected row).
    void Taken(const QString& text);
    // Enter without a selected row.
    void Confirmed();
    void Dismissed();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QWidget* FBox;
    QListView* FList;
    QStringListModel* FModel;
};
