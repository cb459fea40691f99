#include "platform/qt/qt_grid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

#include "base/number_format.h"
#include "platform/headless/headless_controls.h"
#include "platform/qt/qt_support.h"

namespace tarvenish {

using namespace qt_support;

namespace {

// The row headers' own margins, on either side of their text, in pixels.
constexpr int kRowHeaderMargins = 12;

// The grid's own cells as Qt's views read them. Every change of the cells is announced by the grid through
// the notifications below, before or after it as Qt wants.
class GridModel final : public QAbstractTableModel {
public:
    using Commit = std::function<void(int row, int col, const QString& text)>;

    GridModel(const HeadlessGrid& cells, Commit commit, QObject* parent)
        : QAbstractTableModel(parent), m_cells(cells), m_commit(std::move(commit)) {}

    [[nodiscard]] int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_cells.RowCount());
    }
    [[nodiscard]] int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_cells.ColCount());
    }

    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        const long row = index.row();
        const long col = index.column();
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return toQt(m_cells.CellText(row, col));
            case Qt::TextAlignmentRole: {
                // A cell left at the general alignment shows a number right-aligned, as the suite's grid
                // does.
                const std::int16_t align = m_cells.cellAlignAt(row, col);
                double number = 0.0;
                if (align == 0 && parseNumber(m_cells.CellText(row, col), number))
                    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
                return QVariant::fromValue(alignmentOf(align));
            }
            case Qt::FontRole: {
                QFont font;
                font.setBold(row < m_cells.FixedRowCount());
                return font;
            }
            default:
                return {};
        }
    }

    // The fixed row shows as the column headers and the visible fixed columns as the row headers, so that
    // they stay in view while the lines scroll.
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal) {
            if (m_cells.FixedRowCount() < 1 || section >= m_cells.ColCount()) return {};
            if (role == Qt::DisplayRole) return toQt(m_cells.CellText(0, section));
            if (role == Qt::TextAlignmentRole)
                return QVariant::fromValue(alignmentOf(m_cells.cellAlignAt(0, section)));
            return {};
        }
        if (section >= m_cells.RowCount()) return {};
        if (role == Qt::DisplayRole) return rowHeaderText(section);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        return {};
    }

    // The texts of the visible fixed columns of `row`, a blank between them.
    [[nodiscard]] QString rowHeaderText(long row) const {
        QString text;
        for (long col = 0; col < m_cells.FixedColCount() && col < m_cells.ColCount(); ++col) {
            if (m_cells.ColumnWidth(col) == 0) continue;
            if (!text.isEmpty()) text += QLatin1Char(' ');
            text += toQt(m_cells.CellText(row, col));
        }
        return text;
    }

    // A fixed cell may be made current (the load centres the headers that way) but never shows as selected.
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid()) return Qt::NoItemFlags;
        if (m_cells.isFixedCell(index.row(), index.column())) return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
    }

    // A user's entry: the grid's handler decides what the cell keeps, and the grid announces it.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (!index.isValid() || role != Qt::EditRole) return false;
        m_commit(index.row(), index.column(), value.toString());
        return true;
    }

    void cellChanged(long row, long col) {
        if (row < 0 || col < 0 || row >= m_cells.RowCount() || col >= m_cells.ColCount()) return;
        const QModelIndex at = index(static_cast<int>(row), static_cast<int>(col));
        emit dataChanged(at, at);
        if (row < m_cells.FixedRowCount()) emit headerDataChanged(Qt::Horizontal, at.column(), at.column());
        if (col < m_cells.FixedColCount()) emit headerDataChanged(Qt::Vertical, at.row(), at.row());
    }
    void headersChanged() {
        if (m_cells.ColCount() > 0)
            emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(m_cells.ColCount() - 1));
        if (m_cells.RowCount() > 0)
            emit headerDataChanged(Qt::Vertical, 0, static_cast<int>(m_cells.RowCount() - 1));
    }
    void rowsChanged(long from, long to) {
        if (m_cells.ColCount() == 0 || from > to) return;
        emit dataChanged(index(static_cast<int>(from), 0),
                         index(static_cast<int>(to), static_cast<int>(m_cells.ColCount() - 1)));
        headersChanged();
    }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }
    void beginInsert(long row) { beginInsertRows({}, static_cast<int>(row), static_cast<int>(row)); }
    void endInsert() { endInsertRows(); }
    void beginRemove(long row) { beginRemoveRows({}, static_cast<int>(row), static_cast<int>(row)); }
    void endRemove() { endRemoveRows(); }

private:
    const HeadlessGrid& m_cells;
    Commit m_commit;
};

// Paints the corner above the row headers as the fixed row's cell of the visible fixed columns ("单据号").
class CornerCaption final : public QObject {
public:
    CornerCaption(const HeadlessGrid& cells, QAbstractButton* corner) : QObject(corner), m_cells(cells) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint) return false;
        auto* corner = static_cast<QAbstractButton*>(watched);
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.textAlignment = Qt::AlignCenter;
        if (m_cells.FixedRowCount() > 0) {
            for (long col = 0; col < m_cells.FixedColCount() && col < m_cells.ColCount(); ++col) {
                if (m_cells.ColumnWidth(col) == 0) continue;
                option.text = toQt(m_cells.CellText(0, col));
                break;
            }
        }
        QStylePainter painter(corner);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }

private:
    const HeadlessGrid& m_cells;
};

}  // namespace

struct QtGrid::Impl {
    QtGrid* owner = nullptr;
    HeadlessGrid cells;
    GridModel* model = nullptr;  // owned by the view
    QPointer<QTableView> view;
    HandlerFailureSink sink;
    bool syncing = false;
    bool editing = false;
    bool fitPending = false;

    void showColumn(long col);
    void showColumns();
    void showFixedRows();
    void fitRowHeader();
    void requestFit();
    void showCurrent();
    // Runs a change of the grid's shape between a reset of the model's rows and columns.
    template <typename Change>
    void reshape(Change&& change);
    void commitFromView(int row, int col, const QString& text);
};

void QtGrid::Impl::showColumn(long col) {
    const long twips = cells.ColumnWidth(col);
    // A fixed column shows in the row headers instead.
    view->setColumnHidden(static_cast<int>(col), twips == 0 || col < cells.FixedColCount());
    if (twips > 0) view->setColumnWidth(static_cast<int>(col), static_cast<int>(twips / kTwipsPerPixel));
    if (col < cells.FixedColCount()) requestFit();
}

void QtGrid::Impl::showColumns() {
    for (long col = 0; col < cells.ColCount(); ++col) showColumn(col);
    requestFit();
}

void QtGrid::Impl::requestFit() {
    // Once, after the change in hand: a load sets the widths of dozens of fixed columns and every code.
    if (fitPending) return;
    fitPending = true;
    QTimer::singleShot(0, view, [this] {
        fitPending = false;
        fitRowHeader();
    });
}

void QtGrid::Impl::showFixedRows() {
    // The fixed rows show as the column headers instead.
    for (long row = 0; row < cells.RowCount(); ++row)
        view->setRowHidden(static_cast<int>(row), row < cells.FixedRowCount());
}

void QtGrid::Impl::fitRowHeader() {
    // As wide as the widest code it shows, the widths of its columns being the least.
    long twips = 0;
    for (long col = 0; col < cells.FixedColCount() && col < cells.ColCount(); ++col)
        twips += cells.ColumnWidth(col);
    QHeaderView* header = view->verticalHeader();
    header->setVisible(twips > 0);
    if (twips == 0) return;
    const QFontMetrics metrics(header->font());
    int widest = 0;
    for (long row = cells.FixedRowCount(); row < cells.RowCount(); ++row)
        widest = std::max(widest, metrics.horizontalAdvance(model->rowHeaderText(row)));
    header->setMinimumWidth(std::max(static_cast<int>(twips / kTwipsPerPixel), widest + kRowHeaderMargins));
}

void QtGrid::Impl::showCurrent() {
    if (cells.RowCount() == 0 || cells.ColCount() == 0) return;
    const bool was = std::exchange(syncing, true);
    const QModelIndex current =
        model->index(static_cast<int>(cells.CurrentRow()), static_cast<int>(cells.CurrentCol()));
    view->setCurrentIndex(current);
    if (!view->isRowHidden(current.row())) {
        view->scrollTo(current);
        // Rows just added are laid out by the view a moment later: scroll again once they are.
        QTimer::singleShot(0, view, [table = view, at = QPersistentModelIndex(current)] {
            if (table != nullptr && at.isValid() && !table->isRowHidden(at.row())) table->scrollTo(at);
        });
    }
    syncing = was;
}

template <typename Change>
void QtGrid::Impl::reshape(Change&& change) {
    const bool was = std::exchange(syncing, true);
    model->beginReset();
    try {
        change();
    } catch (...) {
        model->endReset();
        syncing = was;
        throw;
    }
    model->endReset();
    showColumns();
    showFixedRows();
    showCurrent();
    syncing = was;
}

void QtGrid::Impl::commitFromView(int row, int col, const QString& text) {
    // A message box opened by the handler takes the focus from the editor, which would commit a second time.
    if (editing) return;
    editing = true;
    raiseGuarded(sink, [&] {
        const long status = owner->userEdit(row, col, fromQt(text));
        if (status == 1) showCurrent();
    });
    editing = false;
}

QtGrid::QtGrid(QWidget* parent) : m_impl(std::make_unique<Impl>()) {
    m_impl->owner = this;
    auto* view = new QTableView(parent);
    m_impl->view = view;
    m_impl->model = new GridModel(
        m_impl->cells,
        [impl = m_impl.get()](int row, int col, const QString& text) {
            impl->commitFromView(row, col, text);
        },
        view);
    view->setModel(m_impl->model);
    // The user may widen or narrow the columns; Tab leaves the grid, the arrow keys move inside it.
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setHighlightSections(false);
    view->setTabKeyNavigation(false);
    if (auto* corner = view->findChild<QAbstractButton*>()) {
        corner->installEventFilter(new CornerCaption(m_impl->cells, corner));
    }
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Voucher codes are wider than their column; their distinguishing end stays in sight.
    view->setTextElideMode(Qt::ElideMiddle);
    view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::AnyKeyPressed);
    QObject::connect(
        view->selectionModel(), &QItemSelectionModel::currentChanged, view,
        [impl = m_impl.get()](const QModelIndex& current) {
            if (impl->syncing || !current.isValid()) return;
            if (current.row() >= impl->cells.RowCount() || current.column() >= impl->cells.ColCount()) return;
            impl->cells.CurrentRow(current.row());
            impl->cells.CurrentCol(current.column());
        });
    m_impl->cells.CellEdited = [this](std::string& text, long& status, long row, long col) {
        if (CellEdited) CellEdited(text, status, row, col);
    };
}

QtGrid::~QtGrid() {
    deleteIfAlive(m_impl->view);
}
void QtGrid::SetFocus() {
    focus(m_impl->view);
}
bool QtGrid::hasFocus() const {
    return holdsFocus(m_impl->view);
}

long QtGrid::RowCount() const {
    return m_impl->cells.RowCount();
}
void QtGrid::RowCount(long rows) {
    m_impl->reshape([&] { m_impl->cells.RowCount(rows); });
}
long QtGrid::ColCount() const {
    return m_impl->cells.ColCount();
}
void QtGrid::ColCount(long cols) {
    m_impl->reshape([&] { m_impl->cells.ColCount(cols); });
}
std::string QtGrid::CellText(long row, long col) const {
    return m_impl->cells.CellText(row, col);
}
void QtGrid::CellText(long row, long col, std::string_view text) {
    m_impl->cells.CellText(row, col, text);
    m_impl->model->cellChanged(row, col);
    if (col < m_impl->cells.FixedColCount() && m_impl->cells.ColumnWidth(col) > 0) m_impl->requestFit();
}
long QtGrid::ColumnWidth(long col) const {
    return m_impl->cells.ColumnWidth(col);
}
void QtGrid::ColumnWidth(long col, long twips) {
    m_impl->cells.ColumnWidth(col, twips);
    m_impl->showColumn(col);
}
long QtGrid::FixedRowCount() const {
    return m_impl->cells.FixedRowCount();
}
void QtGrid::FixedRowCount(long rows) {
    m_impl->cells.FixedRowCount(rows);
    m_impl->model->rowsChanged(0, m_impl->cells.RowCount() - 1);
    m_impl->showFixedRows();
}
long QtGrid::FixedColCount() const {
    return m_impl->cells.FixedColCount();
}
void QtGrid::FixedColCount(long cols) {
    m_impl->cells.FixedColCount(cols);
    m_impl->model->rowsChanged(0, m_impl->cells.RowCount() - 1);
    m_impl->showColumns();
}
long QtGrid::CurrentRow() const {
    return m_impl->cells.CurrentRow();
}
void QtGrid::CurrentRow(long row) {
    m_impl->cells.CurrentRow(row);
    m_impl->showCurrent();
}
long QtGrid::CurrentCol() const {
    return m_impl->cells.CurrentCol();
}
void QtGrid::CurrentCol(long col) {
    m_impl->cells.CurrentCol(col);
    m_impl->showCurrent();
}
void QtGrid::SelEndRow(long row) {
    m_impl->cells.SelEndRow(row);
}
void QtGrid::SelEndCol(long col) {
    m_impl->cells.SelEndCol(col);
}
void QtGrid::BlockText(std::string_view text) {
    m_impl->cells.BlockText(text);
    m_impl->model->rowsChanged(0, m_impl->cells.RowCount() - 1);
    m_impl->requestFit();
}
void QtGrid::CellAlign(std::int16_t align) {
    m_impl->cells.CellAlign(align);
    m_impl->model->cellChanged(m_impl->cells.CurrentRow(), m_impl->cells.CurrentCol());
}
std::int16_t QtGrid::cellAlignAt(long row, long col) const {
    return m_impl->cells.cellAlignAt(row, col);
}
void QtGrid::AddRow(std::string_view text, long index) {
    // The grid refuses a row outside it before anything changes.
    if (index < 0 || index > m_impl->cells.RowCount()) {
        m_impl->cells.AddRow(text, index);
        return;
    }
    m_impl->model->beginInsert(index);
    try {
        m_impl->cells.AddRow(text, index);
    } catch (...) {
        m_impl->model->endInsert();
        throw;
    }
    m_impl->model->endInsert();
    m_impl->showFixedRows();
}
void QtGrid::RemoveRow(long index) {
    if (index < 0 || index >= m_impl->cells.RowCount()) {
        m_impl->cells.RemoveRow(index);
        return;
    }
    m_impl->model->beginRemove(index);
    m_impl->cells.RemoveRow(index);
    m_impl->model->endRemove();
    m_impl->showCurrent();
}
void QtGrid::ClearGrid() {
    m_impl->reshape([&] { m_impl->cells.ClearGrid(); });
}

long QtGrid::userEdit(long row, long col, std::string_view text) {
    // The handler's own writes show themselves; the edited cell and the current cell are left to show.
    const auto show = [&] {
        m_impl->model->cellChanged(row, col);
        m_impl->showCurrent();
    };
    long status = -1;
    try {
        status = m_impl->cells.userEdit(row, col, text);
    } catch (...) {
        show();
        throw;
    }
    show();
    if (status != -1) SetFocus();
    return status;
}

void QtGrid::onHandlerFailure(HandlerFailureSink sink) {
    m_impl->sink = std::move(sink);
}
QTableView* QtGrid::widget() const {
    return m_impl->view;
}

}  // namespace tarvenish
