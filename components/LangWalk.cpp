#include "LangWalk.h"

#include "AscInput.h"
#include "AscInputForm.h"
#include "CaptionButton.h"
#include "CaptionItems.h"
#include "FilterGrid.h"
#include "IniFile.h"
#include "LangFiles.h"
#include "LangManager.h"
#include "NumInput.h"
#include "NumInputForm.h"
#include "TSControls.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

namespace {

QString Join(const QString& path, const QString& suffix) {
    return path.isEmpty() ? suffix : path + '.' + suffix;
}

QString ListSuffix(int i) {
    return QStringLiteral("List[%1]").arg(i);
}

QByteArray GuardName(const char* what) {
    return QByteArray("lang:") + what;
}

bool IsFrame(const QWidget* w) {
    const QString cls = QString::fromLatin1(w->metaObject()->className());
    return cls.startsWith('T') && cls.endsWith(QLatin1String("Frame"));
}

// Controls whose inner widgets are their own business.
bool IsLeaf(QWidget* w) {
    if (qobject_cast<QScrollArea*>(w))
        return false;
    return qobject_cast<TCaptionButton*>(w) || qobject_cast<TTSComboBox*>(w) ||
           qobject_cast<TFilterStringGrid*>(w) || qobject_cast<QAbstractScrollArea*>(w) ||
           qobject_cast<QAbstractButton*>(w) || qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QTabBar*>(w) ||
           qobject_cast<QAbstractSlider*>(w) || qobject_cast<QProgressBar*>(w);
}

// The page control a tab sheet is a page of.
QTabWidget* PageControlOf(QWidget* w) {
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(w) >= 0 ? tabs : nullptr;
}

} // namespace

TLangWalk::TLangWalk(TLangManager& manager, QWidget* form, bool useCommonFile, bool building)
    : FManager(manager), FForm(form), FUseCommon(useCommonFile), FBuilding(building),
      FFormSection(manager.FormSection(form)), FFile(manager.FileFor(false)), FCommon(manager.FileFor(true)) {
}

void TLangWalk::Run() {
    TOwner root{FFormSection, {}, {}};
    if (LangTag(FForm) != LangTagNever) {
        const TKey key{QString(), FFormSection, QString(), LangTag(FForm) == LangTagCommon};
        Text(FForm, key, "Caption", FForm->windowTitle(),
             [this](const QString& t) { FForm->setWindowTitle(t); });
        Text(FForm, key, "Hint", FForm->toolTip(), [this](const QString& t) { FForm->setToolTip(t); });
    }
    Walk(FForm, root, QString());
}

QString TLangWalk::NameOf(QWidget* w, TOwner& owner) const {
    QString name = w->objectName();
    if (name.isEmpty()) {
        QString cls = QString::fromLatin1(w->metaObject()->className());
        if (cls.size() > 1 && (cls[0] == 'Q' || cls[0] == 'T'))
            cls = cls.mid(1);
        name = cls + QString::number(++owner.Unnamed[cls]);
    }
    // Two widgets of one name in a frame would share their texts; the later ones are numbered.
    const int used = ++owner.Names[name];
    return used == 1 ? name : name + '_' + QString::number(used);
}

void TLangWalk::Walk(QWidget* parent, TOwner& owner, const QString& formPrefix) {
    const QObjectList children = parent->children();
    for (QObject* o : children) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w->isWindow())
            continue;
        if (w->objectName().startsWith(QLatin1String("qt_"))) {
            // Qt's own parts of a control: the pages of a page control are below them.
            if (!qobject_cast<QTabBar*>(w) && !qobject_cast<QAbstractSlider*>(w))
                Walk(w, owner, formPrefix);
            continue;
        }
        const QString name = NameOf(w, owner);
        const int tag = LangTag(w);
        if (tag != LangTagNever)
            Handle(w, TKey{formPrefix + name, owner.Section, name, tag == LangTagCommon});
        if (IsFrame(w)) {
            const QString cls = QString::fromLatin1(w->metaObject()->className());
            TOwner inner{FManager.Options() & lmClassNames ? cls : cls.mid(1), {}, {}};
            Walk(w, inner, formPrefix + name + '.');
        } else if (!IsLeaf(w)) {
            Walk(w, owner, formPrefix);
        }
    }
}

void TLangWalk::Handle(QWidget* w, const TKey& key) {
    const auto hint = [&] {
        Text(w, key, "Hint", w->toolTip(), [w](const QString& t) { w->setToolTip(t); });
    };
    if (auto* b = qobject_cast<TCaptionButton*>(w)) {
        const QStringList items = b->CaptionItems();
        if (items.isEmpty()) {
            Text(w, key, "Caption", b->Caption(), [b](const QString& t) { b->SetCaption(t); });
        } else if (FBuilding) {
            WriteList(key, items, true);
        } else {
            const QStringList translated = Translated(w, key, items, true);
            if (translated != items) {
                // The state and its range stay as the program set them.
                const int min = b->StateMin(), max = b->StateMax();
                b->SetCaptionItems(translated);
                if (min != b->StateMin())
                    b->SetStateMin(min);
                if (max != b->StateMax())
                    b->SetStateMax(max);
            }
        }
        hint();
    } else if (auto* cb = qobject_cast<TTSComboBox*>(w)) {
        const QStringList items = cb->Items();
        if (FBuilding) {
            WriteList(key, items);
        } else {
            const QStringList translated = Translated(w, key, items, false);
            if (translated != items) {
                const int index = cb->ItemIndex();
                const QString caption = cb->Caption();
                cb->SetItems(translated);
                cb->SetItemIndex(index);
                // A typed text that is no entry stays.
                if (index < 0 || index >= items.size() || caption != items[index])
                    cb->SetCaption(caption);
            }
        }
        hint();
    } else if (auto* num = qobject_cast<TTntNumEdit*>(w)) {
        if ((FManager.Options() & lmNumUnits) && num->WithUnit())
            Text(w, key, "Unit", num->UnitStr(), [num](const QString& t) {
                const double v = num->Value();
                num->SetUnitStr(t);
                num->SetValue(v);
            });
        Text(w, key, "Label", num->LabelStr(), [num](const QString& t) { num->SetLabelStr(t); });
    } else if (auto* asc = qobject_cast<TTntAscEdit*>(w)) {
        Text(w, key, "Hint", asc->Hint(), [asc](const QString& t) {
            const QString note = asc->toolTip().mid(asc->Hint().size());
            asc->setToolTip(t + note);
        });
        // An editable box holds what the operator typed: only a read-only box shows a text of the form.
        if (asc->isReadOnly())
            Text(w, key, "Text", asc->text(), [asc](const QString& t) { asc->setText(t); });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        if (FBuilding) {
            WriteList(key, items);
        } else {
            const QStringList translated = Translated(w, key, items, false);
            for (int i = 0; i < translated.size(); ++i)
                if (translated[i] != items[i])
                    combo->setItemText(i, translated[i]);
        }
        hint();
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        if (FBuilding) {
            WriteList(key, items);
        } else {
            const QStringList translated = Translated(w, key, items, false);
            for (int i = 0; i < translated.size(); ++i)
                list->item(i)->setText(translated[i]);
        }
        hint();
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        Text(w, key, "Caption", label->text(), [label](const QString& t) { label->setText(t); });
        hint();
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        Text(w, key, "Caption", button->text(), [button](const QString& t) { button->setText(t); });
        hint();
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        Text(w, key, "Caption", group->title(), [group](const QString& t) { group->setTitle(t); });
        hint();
    } else if (QTabWidget* tabs = PageControlOf(w)) {
        const int i = tabs->indexOf(w);
        Text(w, key, "Caption", tabs->tabText(i), [tabs, i](const QString& t) { tabs->setTabText(i, t); });
        Text(w, key, "Hint", tabs->tabToolTip(i), [tabs, i](const QString& t) { tabs->setTabToolTip(i, t); });
    } else {
        // Memos show data of the test (notes, the document's text): their hint only.
        hint();
    }
}

bool TLangWalk::Lookup(const TKey& key, const QString& suffix, QString& value) const {
    const QString full = Join(key.FormPath, suffix);
    const QString own = Join(key.OwnPath, suffix);
    const auto find = [&](TIniFile* file, const QString& section, const QString& k) {
        if (!file || !file->ValueExists(section, k))
            return false;
        value = file->ReadString(section, k, QString());
        return true;
    };
    if (!key.Common && find(FFile, FFormSection, full))
        return true;
    if (find(key.Common ? FCommon : FFile, key.OwnSection, own))
        return true;
    return (FUseCommon || key.Common) &&
           (find(FCommon, FFormSection, full) || find(FCommon, key.OwnSection, own));
}

bool TLangWalk::ReadText(QObject* w, const TKey& key, const char* what, const QString& current,
                         QString& text) {
    const QByteArray guard = GuardName(what);
    const QVariant last = w->property(guard.constData());
    if (last.isValid() && last.toString() != current)
        return false;
    QString value;
    if (!Lookup(key, QString::fromLatin1(what), value))
        return false;
    text = LangText::FromFile(value);
    if (text.isEmpty())
        return false;
    w->setProperty(guard.constData(), text);
    return text != current;
}

void TLangWalk::Text(QObject* w, const TKey& key, const char* suffix, const QString& current,
                     const std::function<void(const QString&)>& set) {
    if (FBuilding) {
        WriteText(key, QString::fromLatin1(suffix), current);
        return;
    }
    QString text;
    if (ReadText(w, key, suffix, current, text))
        set(text);
}

void TLangWalk::WriteText(const TKey& key, const QString& suffix, const QString& text) {
    if (text.trimmed().isEmpty())
        return;
    TIniFile* file = key.Common ? FCommon : FFile;
    if (!file)
        return;
    const QString value = LangText::ToFile(text);
    const QString own = Join(key.OwnPath, suffix);
    // What the common file already says is not said again.
    if (!key.Common && FCommon && FCommon->ValueExists(key.OwnSection, own) &&
        FCommon->ReadString(key.OwnSection, own, QString()) == value)
        return;
    if (!file->ValueExists(key.OwnSection, own)) {
        file->WriteString(key.OwnSection, own, value);
        return;
    }
    if (file->ReadString(key.OwnSection, own, QString()) == value)
        return;
    const QString full = Join(key.FormPath, suffix);
    if (key.OwnSection != FFormSection || own != full)
        // Another instance of the frame says otherwise: this one's text stands in the form's section.
        FFile->WriteString(FFormSection, full, value);
    else
        file->WriteString(key.OwnSection, own, value);
}

QStringList TLangWalk::ReadList(const TKey& key) const {
    QStringList values;
    QString value;
    while (Lookup(key, ListSuffix(int(values.size())), value))
        values << value;
    return values;
}

void TLangWalk::WriteList(const TKey& key, const QStringList& items, bool captionItems) {
    // An empty entry is written too, as "": the list ends at the first missing number. A caption
    // item without a caption (a picture key, a recent file not yet known) has no text either.
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].trimmed().isEmpty() ||
            (captionItems && CaptionItem::Caption(items[i]).trimmed().isEmpty())) {
            TIniFile* file = key.Common ? FCommon : FFile;
            const QString own = Join(key.OwnPath, ListSuffix(i));
            if (file && !file->ValueExists(key.OwnSection, own))
                file->WriteString(key.OwnSection, own, QStringLiteral("\"\""));
            continue;
        }
        WriteText(key, ListSuffix(i), items[i]);
    }
}

QStringList TLangWalk::Translated(QObject* w, const TKey& key, const QStringList& items, bool captionItems) {
    const QByteArray guard = GuardName("List");
    const QVariant last = w->property(guard.constData());
    if (last.isValid() && last.toStringList() != items)
        return items;
    const QStringList values = ReadList(key);
    if (values.isEmpty())
        return items;
    QStringList out = items;
    for (int i = 0; i < out.size() && i < values.size(); ++i) {
        const QString t = LangText::FromFile(values[i]);
        if (t.isEmpty())
            continue;
        // A translated caption item that is none keeps the designed one.
        if (captionItems && !(t.startsWith('"') && CaptionItem::IsLegal(t)))
            continue;
        out[i] = t;
    }
    w->setProperty(guard.constData(), out);
    return out;
}
