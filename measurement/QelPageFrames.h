#pragma once
#include <QFrame>

class QLabel;

// Stands in the place of a page frame whose content is not part of the application yet: it
// names the page and what will be shown there, so an operator is never left with an empty
// page. It is registered like the real frame and ignores the window messages.
class TQelPlaceholderFrame : public QFrame {
    Q_OBJECT
public:
    TQelPlaceholderFrame(const QString& title, const QString& content, QWidget* parent = nullptr);
    QString Title() const;
    QString Content() const;

private:
    QLabel* FTitle;
    QLabel* FContent;
};
