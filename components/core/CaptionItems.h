#pragma once
#include <QString>
#include <QStringList>

#include <vector>

// Tick behaviour of the items of a pop-up (filter buttons tick one or several values).
enum TSGSelection { fsNone, fsMulti, fsSingle };
using TSelection = TSGSelection;

// Where a button's picture stands beside its caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// A caption item is one line: the caption in double quotes, a comma and a picture
// number, e.g. "\"Tools\", 100". Forms write these by hand, so reading is forgiving:
// a line without a leading quote is a blank item, an unreadable number means "no picture".
namespace CaptionItem {
constexpr int NoPicture = -1;
// In a pop-up grid an item with this picture number gets no cell.
constexpr int NoCell = -2;

QString Caption(const QString& line);
int Picture(const QString& line);
// A line that opens a quote and never closes it cannot be what the author meant.
bool IsLegal(const QString& line);
QString Make(const QString& caption, int picture = NoPicture);
// The text shown when a button meets an illegal line ("\n\r" is line feed, carriage return).
QString IllegalInputText(const QString& className, const QString& line);
} // namespace CaptionItem

// The caption items of one button with a checked flag per item (the ticks of a filter).
class TCaptionItemList {
public:
    const QStringList& Items() const { return FItems; }
    int Count() const { return int(FItems.size()); }
    // Replacing the items clears all ticks when their number changes, unless keepFlags
    // (a pop-up item, or a button whose pop-up is open, keeps its ticks).
    void SetItems(const QStringList& items, bool keepFlags);

    QString Caption(int k) const;
    int Picture(int k) const;
    bool Checked(int k) const;
    void SetChecked(int k, bool on);
    void ClearChecked();
    // The caption of ticked items: item 0 alone means "all"; none ticked shows "[..]".
    QString CompositeCaption() const;

private:
    QStringList FItems;
    std::vector<bool> FChecked;
};
