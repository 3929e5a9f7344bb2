#include "CaptionItems.h"

namespace CaptionItem {

namespace {
QString LeftTrimmed(const QString& line) {
    qsizetype i = 0;
    while (i < line.size() && line.at(i).isSpace())
        ++i;
    return line.mid(i);
}
} // namespace

QString Caption(const QString& line) {
    const QString s = LeftTrimmed(line);
    if (!s.startsWith(u'"'))
        return QString();
    const qsizetype close = s.indexOf(u'"', 1);
    return close < 0 ? s.mid(1) : s.mid(1, close - 1);
}

int Picture(const QString& line) {
    const QString s = LeftTrimmed(line);
    if (!s.startsWith(u'"'))
        return NoPicture;
    const qsizetype close = s.indexOf(u'"', 1);
    if (close < 0)
        return NoPicture;
    const qsizetype comma = s.indexOf(u',', close + 1);
    if (comma < 0)
        return NoPicture;
    const qsizetype next = s.indexOf(u',', comma + 1);
    const QString number = (next < 0 ? s.mid(comma + 1) : s.mid(comma + 1, next - comma - 1)).trimmed();
    bool ok = false;
    const int value = number.toInt(&ok, 10);
    return ok ? value : NoPicture;
}

bool IsLegal(const QString& line) {
    const QString s = LeftTrimmed(line);
    return !s.startsWith(u'"') || s.indexOf(u'"', 1) >= 0;
}

QString Make(const QString& caption, int picture) {
    return u'"' + caption + u'"' + u',' + QString::number(picture);
}

QString IllegalInputText(const QString& className, const QString& line) {
    return QStringLiteral("\n\rIllegal Input in %1.CaptionsItems: %2\n\rValid Format : <\"Caption\">,<State>")
        .arg(className, line);
}

} // namespace CaptionItem

void TCaptionItemList::SetItems(const QStringList& items, bool keepFlags) {
    const bool countChanged = items.size() != FItems.size();
    FItems = items;
    if (countChanged && !keepFlags)
        FChecked.assign(FItems.size(), false);
}

QString TCaptionItemList::Caption(int k) const {
    return k >= 0 && k < Count() ? CaptionItem::Caption(FItems.at(k)) : QString();
}

int TCaptionItemList::Picture(int k) const {
    return k >= 0 && k < Count() ? CaptionItem::Picture(FItems.at(k)) : CaptionItem::NoPicture;
}

bool TCaptionItemList::Checked(int k) const {
    return k >= 0 && size_t(k) < FChecked.size() && FChecked[size_t(k)];
}

void TCaptionItemList::SetChecked(int k, bool on) {
    if (k < 0)
        return;
    if (size_t(k) >= FChecked.size()) {
        if (!on)
            return;
        FChecked.resize(size_t(k) + 1, false);
    }
    FChecked[size_t(k)] = on;
}

void TCaptionItemList::ClearChecked() {
    FChecked.assign(FChecked.size(), false);
}

QString TCaptionItemList::CompositeCaption() const {
    if (Checked(0))
        return Caption(0);
    QStringList picked;
    for (int k = 1; k < Count(); ++k)
        if (Checked(k))
            picked << Caption(k);
    return picked.isEmpty() ? QStringLiteral("[..]") : picked.join(QStringLiteral(", "));
}
