#include "XMLGrid.h"

#include "GridTable.h"

#include <QStringEncoder>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

QByteArray XMLCellName(char prefix, int col) {
    char name[16];
    const int n = std::snprintf(name, sizeof name, "%c%03d", prefix, col);
    return QByteArray(name, n);
}

namespace {

int AttributeCount(pugi::xml_node node) {
    int n = 0;
    for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
        ++n;
    return n;
}

// Column of a text cell attribute, -1 for any other attribute. Only the exact padded name
// counts ("C" and at least three digits, no leading zero past three), so "C1" is not taken
// for "C001".
int CellColumn(const char* name) {
    if (name[0] != 'C')
        return -1;
    long col = 0;
    const char* p = name + 1;
    for (; *p >= '0' && *p <= '9'; ++p) {
        col = col * 10 + (*p - '0');
        if (col > 100000000)
            return -1;
    }
    const long digits = p - (name + 1);
    if (*p || digits < 3 || (digits > 3 && name[1] == '0'))
        return -1;
    return int(col);
}

// The cell names of a row, made once for a whole table.
std::vector<QByteArray> CellNames(int count) {
    std::vector<QByteArray> names;
    names.reserve(size_t(count));
    for (int c = 0; c < count; ++c)
        names.push_back(XMLCellName('C', c));
    return names;
}

// Writes the texts into "C000"...; attributes already in column order are found without a
// search, which keeps storing large tables linear. The UTF-8 of each text goes through one
// buffer instead of a new one per cell.
void WriteCells(pugi::xml_node row, const std::vector<QByteArray>& names, const auto& textOf) {
    pugi::xml_attribute a = row.first_attribute();
    QStringEncoder utf8(QStringConverter::Utf8);
    static thread_local std::vector<char> buffer;
    for (size_t c = 0; c < names.size(); ++c) {
        const char* name = names[c].constData();
        pugi::xml_attribute target = a && std::strcmp(a.name(), name) == 0 ? a : row.attribute(name);
        if (!target)
            target = row.append_attribute(name);
        const QString text = textOf(int(c));
        buffer.resize(size_t(utf8.requiredSpace(text.size())) + 1);
        char* end = utf8.appendToBuffer(buffer.data(), text);
        *end = '\0';
        target.set_value(buffer.data(), size_t(end - buffer.data()));
        a = target.next_attribute();
    }
}

void ResizeCells(pugi::xml_node row, int count) {
    if (AttributeCount(row) == count)
        return;
    while (pugi::xml_attribute a = row.first_attribute())
        row.remove_attribute(a);
    for (int c = 0; c < count; ++c)
        row.append_attribute(XMLCellName('C', c).constData());
}

// The size children a stored table always has; a missing or malformed one makes it unloadable.
bool ReadSize(pugi::xml_node grid, const char* name, int& value) {
    const pugi::xml_node child = grid.child(name);
    return child && ParseXMLInt(child.attribute("Value").value(), value) && value >= 0;
}

} // namespace

int TXMLCellsType::Count() const {
    return AttributeCount(FNode);
}

QString TXMLCellsType::Cell(int col) const {
    const pugi::xml_attribute a = FNode.attribute(XMLCellName('C', col).constData());
    return a ? QString::fromUtf8(a.value()) : QString();
}

void TXMLCellsType::SetCell(int col, const QString& text) const {
    if (col >= 0)
        SetTextAttr(XMLCellName('C', col).constData(), text);
}

void TXMLCellsType::Resize(int count) const {
    if (FNode)
        ResizeCells(FNode, std::max(0, count));
}

pugi::xml_node TXMLGridType::RowNode(int row) const {
    if (row < 0)
        return {};
    if (row == 0)
        return FNode.child("Headers");
    return R().Item(row - 1).Node();
}

QString TXMLGridType::Cell(int col, int row) const {
    if (col < 0 || (row == 0 && col >= ColCount()))
        return QString();
    const pugi::xml_attribute a = RowNode(row).attribute(XMLCellName('C', col).constData());
    return a ? QString::fromUtf8(a.value()) : QString();
}

void TXMLGridType::SetCell(int col, int row, const QString& text) const {
    // A title past the columns would add a header cell and so a column to the stored table.
    if (col < 0 || row < 0 || (row == 0 && col >= ColCount()))
        return;
    pugi::xml_node node = row == 0 ? Headers().Node() : RowNode(row);
    if (node)
        TXMLCellsType(node, FDom).SetCell(col, text);
}

int TXMLGridType::RowCount() const {
    return R().Count() + 1;
}

void TXMLGridType::SetRowCount(int count) const {
    const TXMLRTypeList rows = R();
    int have = rows.Count();
    const int want = std::max(0, count - 1);
    pugi::xml_node last = rows.Last();
    for (; have < want; ++have)
        last = last ? FNode.insert_child_after("R", last) : FNode.append_child("R");
    for (; have > want; --have) {
        pugi::xml_node before = last.previous_sibling("R");
        FNode.remove_child(last);
        last = before;
    }
}

int TXMLGridType::ColCount() const {
    const int headers = AttributeCount(FNode.child("Headers"));
    const pugi::xml_node first = FNode.child("R");
    return first ? std::min(headers, AttributeCount(first)) : headers;
}

void TXMLGridType::SetColCount(int count) const {
    Headers().Resize(count);
    for (pugi::xml_node r = FNode.child("R"); r; r = r.next_sibling("R"))
        ResizeCells(r, std::max(0, count));
}

void TXMLGridType::Initialise() const {
    if (!FNode)
        return;
    R().Clear();
    pugi::xml_node headers = Headers().Node();
    while (pugi::xml_attribute a = headers.first_attribute())
        headers.remove_attribute(a);
    ResizeCells(headers, 5);
    ResizeCells(R().Add().Node(), 5);
    FixedRows().SetValue(1);
    FixedCols().SetValue(1);
}

void TXMLGridType::StoreFrom(const TGridTable& grid, int visibleCols) const {
    if (!FNode)
        return;
    SetName(grid.Name());
    if (visibleCols > 0)
        VisibleCols().SetValue(visibleCols);
    FixedRows().SetValue(grid.FixedRows());
    FixedCols().SetValue(grid.FixedCols());

    const int cols = std::max(0, grid.ColCount());
    const int rows = std::max(1, grid.RowCount());
    pugi::xml_node headers = Headers().Node();
    ResizeCells(headers, cols);
    const std::vector<QByteArray> names = CellNames(cols);
    WriteCells(headers, names, [&](int c) { return grid.Cell(c, 0); });

    for (pugi::xml_node r = FNode.child("R"); r; r = r.next_sibling("R"))
        ResizeCells(r, cols);
    SetRowCount(rows);

    // An empty table keeps no series information from the rows it had before.
    if (rows == 2 && grid.Cell(0, 1).trimmed().isEmpty()) {
        pugi::xml_node only = FNode.child("R");
        while (pugi::xml_node child =
                   only.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; }))
            only.remove_child(child);
    }

    int row = 1;
    for (pugi::xml_node r = FNode.child("R"); r && row < rows; r = r.next_sibling("R"), ++row)
        WriteCells(r, names, [&](int c) { return grid.Cell(c, row); });
}

bool TXMLGridType::LoadInto(TGridTable& grid) const {
    int fixedRows = 0, fixedCols = 0;
    if (!FNode || !FNode.child("Headers") || !ReadSize(FNode, "FixedRows", fixedRows) ||
        !ReadSize(FNode, "FixedCols", fixedCols)) {
        StoreFrom(grid, 0);
        return false;
    }
    const TGridTableUpdate update(grid);
    ReadCells(grid);
    grid.SetFixedRows(std::min(grid.RowCount() - 1, fixedRows));
    grid.SetFixedCols(std::min(grid.ColCount() - 1, fixedCols));
    return true;
}

void TXMLGridType::ReadCells(TGridTable& grid) const {
    const TGridTableUpdate update(grid);
    const pugi::xml_node headers = FNode.child("Headers");
    const int cols = std::max(1, AttributeCount(headers));
    const int rows = R().Count() + 1;
    grid.SetColCount(cols);
    grid.SetRowCount(rows);

    std::vector<QString> cells(static_cast<size_t>(cols));
    const auto loadRow = [&](pugi::xml_node r, int row) {
        std::fill(cells.begin(), cells.end(), QString());
        for (pugi::xml_attribute a = r.first_attribute(); a; a = a.next_attribute()) {
            const int c = CellColumn(a.name());
            if (c >= 0 && c < cols)
                cells[size_t(c)] = QString::fromUtf8(a.value());
        }
        for (int c = 0; c < cols; ++c)
            grid.SetCell(c, row, cells[size_t(c)]);
    };
    loadRow(headers, 0);
    int row = 1;
    for (pugi::xml_node r = FNode.child("R"); r; r = r.next_sibling("R"))
        loadRow(r, row++);
}
