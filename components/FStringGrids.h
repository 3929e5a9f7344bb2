#pragma once
#include "FilterGrid.h"

// The wide filter grid of every page: panel buttons over the titles; column 0 offers the first
// time of each measurement series and keeps a chosen series whole, and blank cells stay under
// the filters of the other columns. Its files are CSV in the locale's list format.
//
//   auto* sgMeasData = new TTntFStringGrid(this);
//   sgMeasData->setObjectName("sgMeasData");
//   sgMeasData->SetOnHasFilter([](int col, TSGSelection& f, bool& sorted) {
//       f = col < 3 ? fsMulti : fsNone;
//       sorted = false;
//   });
class TTntFStringGrid : public TFilterStringGrid {
    Q_OBJECT
public:
    using TFilterStringGrid::LoadFromFile;
    using TFilterStringGrid::TFilterStringGrid;

    bool SaveToFile(const QString& fileName, bool units = false, bool append = false) override;
    bool LoadFromFile(const QString& fileName, QChar separator) override;

    // The column dialog ("Define Columns"): confirmed with "Use As Default" ticked, the widths
    // are stored in the ini file under "ColWidths" in the section named like the grid.
    bool DefineColumns();
    void SetIniFileName(const QString& name) { FIniFileName = name; }
    // The widths as stored: "\"64;120;0\"".
    QString ColWidthsText() const;
    bool StoreColWidths() const; // false without an ini file or when it cannot be written

protected:
    TCaptionButton* NewFilterButton(QWidget* parent) override;
    bool SeriesRules() const override { return true; }

private:
    QString FIniFileName;
};

// The 8-bit twin: gradient state buttons over the titles, every column filtered by its plain
// values (blank cells go under a filter), files of comma texts.
class TFStringGrid : public TFilterStringGrid {
    Q_OBJECT
public:
    using TFilterStringGrid::LoadFromFile;
    using TFilterStringGrid::TFilterStringGrid;

    bool SaveToFile(const QString& fileName, bool units = false, bool append = false) override;
    bool LoadFromFile(const QString& fileName, QChar separator) override;

protected:
    TCaptionButton* NewFilterButton(QWidget* parent) override;
    bool SeriesRules() const override { return false; }
};
