#pragma once
#include <QTabBar>
#include <QTabWidget>

// The page control of the main window: tabs on the right side whose length follows the
// window (a quarter of its height), so that the three page tabs are large touch targets.
class TQelTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TQelTabBar(QWidget* parent = nullptr) : QTabBar(parent) {}
    int TabLength() const { return FTabLength; }
    void SetTabLength(int length);

protected:
    QSize tabSizeHint(int index) const override;

private:
    int FTabLength = 0; // 0: as the style sizes it
};

class TQelPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TQelPageControl(QWidget* parent = nullptr);
    TQelTabBar* Tabs() const { return FTabs; }
    void SetTabWidth(int length) { FTabs->SetTabLength(length); }

private:
    TQelTabBar* FTabs;
};
