#pragma once
#include "XMLKvBase.h"

#include <QByteArray>

class TGridTable;

// "C000", "C012", "C1000": the cell attribute of column col (prefix 'C' text, 'S' number).
QByteArray XMLCellName(char prefix, int col);

// A row of cells stored as attributes "C000", "C001", ... (the titles in Headers, data in R).
class TXMLCellsType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    // Number of attributes, which is the number of cells of a row this application wrote.
    int Count() const;
    // The text of cell col; a null string when the row has no such cell.
    QString Cell(int col) const;
    void SetCell(int col, const QString& text) const;
    // To n cells: unchanged when the attribute count is n already, else emptied to n cells.
    void Resize(int count) const;
};

class TXMLHeadersType : public TXMLCellsType {
public:
    using TXMLCellsType::TXMLCellsType;
};

// Test conditions of a measurement series, kept in the row that starts it.
class TXMLInfoType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Operator() const { return TextAttr("Operator"); }
    void SetOperator(const QString& v) const { SetTextAttr("Operator", v); }
    QString AmbientTemp() const { return TextAttr("AmbientTemp"); }
    void SetAmbientTemp(const QString& v) const { SetTextAttr("AmbientTemp", v); }
    // The attribute is spelled "RelHumitidy" in every document of the family.
    QString RelHumidity() const { return TextAttr("RelHumitidy"); }
    void SetRelHumidity(const QString& v) const { SetTextAttr("RelHumitidy", v); }
    QString Pressure() const { return TextAttr("Pressure"); }
    void SetPressure(const QString& v) const { SetTextAttr("Pressure", v); }
    QString Device() const { return TextAttr("Device"); }
    void SetDevice(const QString& v) const { SetTextAttr("Device", v); }
    QString SerialNr() const { return TextAttr("SerialNr"); }
    void SetSerialNr(const QString& v) const { SetTextAttr("SerialNr", v); }
    QString Firmware() const { return TextAttr("Firmware"); }
    void SetFirmware(const QString& v) const { SetTextAttr("Firmware", v); }
    QString APSW() const { return TextAttr("APSW"); }
    void SetAPSW(const QString& v) const { SetTextAttr("APSW", v); }
};

class TXMLRType : public TXMLCellsType {
public:
    using TXMLCellsType::TXMLCellsType;
    bool HasInfo() const { return HasChild("Info"); }
    TXMLInfoType Info() const { return Child<TXMLInfoType>("Info"); }
};

// Declared by the format for column formulas; this application neither reads nor writes it.
class TXMLFormulaType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;
    QString Title() const { return TextAttr("Title"); }
    void SetTitle(const QString& v) const { SetTextAttr("Title", v); }
    QString Formula() const { return TextAttr("Formula"); }
    void SetFormula(const QString& v) const { SetTextAttr("Formula", v); }
    QString Unit() const { return TextAttr("Unit"); }
    void SetUnit(const QString& v) const { SetTextAttr("Unit", v); }
};

using TXMLRTypeList = TXMLNodeList<TXMLRType>;

// The generic table element: titles in Headers, one R per data row.
class TXMLGridType : public TXMLNodeBinding {
public:
    using TXMLNodeBinding::TXMLNodeBinding;

    QString Name() const { return TextAttr("Name"); }
    void SetName(const QString& v) const { SetTextAttr("Name", v); }
    TXMLIntValueType VisibleCols() const { return Child<TXMLIntValueType>("VisibleCols"); }
    TXMLIntValueType FixedRows() const { return Child<TXMLIntValueType>("FixedRows"); }
    TXMLIntValueType FixedCols() const { return Child<TXMLIntValueType>("FixedCols"); }
    TXMLHeadersType Headers() const { return Child<TXMLHeadersType>("Headers"); }
    TXMLFormulaType Formula() const { return Child<TXMLFormulaType>("Formula"); }
    TXMLRTypeList R() const { return TXMLRTypeList(FNode, "R", FDom); }

    // Row 0 is the headers, row r the R number r - 1. A null string where there is no cell.
    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text) const;
    int RowCount() const;
    void SetRowCount(int count) const;
    int ColCount() const;
    void SetColCount(int count) const;
    // The empty table: 5 columns, one empty data row, one fixed row and column.
    void Initialise() const;

    // The table into this element; visibleCols is written only when greater than 0.
    void StoreFrom(const TGridTable& grid, int visibleCols) const;
    // This element into the table. An element that does not load (missing or malformed
    // sizes) is overwritten with the table's content instead, and false is returned.
    bool LoadInto(TGridTable& grid) const;
    // The titles and rows alone into the table, leaving this element as it is whatever it
    // holds (a missing element or title row reads as one empty title).
    void ReadCells(TGridTable& grid) const;

private:
    pugi::xml_node RowNode(int row) const;
};
