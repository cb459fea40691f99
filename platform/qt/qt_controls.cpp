#include "platform/qt/qt_controls.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QFont>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QtGlobal>

#include <stdexcept>
#include <utility>

#include "platform/headless/headless_controls.h"

namespace tarvenish {

namespace {

QString toQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQt(const QString& text) {
    return text.toStdString();
}

// The window's focus widget is the control that last took the focus, even while the window is inactive.
bool holdsFocus(const QWidget* widget) {
    if (widget == nullptr) return false;
    return widget->hasFocus() || widget->window()->focusWidget() == widget;
}

void focus(QWidget* widget) {
    if (widget != nullptr) widget->setFocus(Qt::OtherFocusReason);
}

// Runs a handler raised from Qt's event loop; its exception goes to the sink, never through the loop.
template <typename F>
void raiseGuarded(const HandlerFailureSink& sink, F&& handler) {
    try {
        handler();
    } catch (...) {
        if (sink) {
            sink(std::current_exception());
        } else {
            try {
                throw;
            } catch (const std::exception& e) {
                qCritical("event handler failed: %s", e.what());
            } catch (...) {
                qCritical("event handler failed");
            }
        }
    }
}

template <typename W>
void deleteIfAlive(QPointer<W>& widget) {
    delete widget.data();
}

Qt::Alignment alignmentOf(std::int16_t code) {
    // Codes 0 to 8 read left/centre/right by threes, top/centre/bottom within each three; others are general.
    if (code < 0 || code > 8) return Qt::AlignLeft | Qt::AlignVCenter;
    static constexpr Qt::AlignmentFlag horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::AlignmentFlag vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    return horizontal[code / 3] | vertical[code % 3];
}

}  // namespace

struct QtLabel::Impl {
    QPointer<QLabel> label;
};

QtLabel::QtLabel(QWidget* parent, std::string_view caption) : m_impl(std::make_unique<Impl>()) {
    m_impl->label = new QLabel(parent);
    m_impl->label->setTextFormat(Qt::PlainText);
    m_impl->label->setText(toQt(caption));
}
QtLabel::~QtLabel() {
    deleteIfAlive(m_impl->label);
}
void QtLabel::SetFocus() {
    focus(m_impl->label);
}
bool QtLabel::hasFocus() const {
    return holdsFocus(m_impl->label);
}
std::string QtLabel::Caption() const {
    return fromQt(m_impl->label->text());
}
void QtLabel::Caption(std::string_view text) {
    m_impl->label->setText(toQt(text));
}
QLabel* QtLabel::widget() const {
    return m_impl->label;
}

struct QtFrame::Impl {
    QPointer<QGroupBox> box;
};

QtFrame::QtFrame(QWidget* parent, std::string_view caption) : m_impl(std::make_unique<Impl>()) {
    m_impl->box = new QGroupBox(toQt(caption), parent);
}
QtFrame::~QtFrame() {
    deleteIfAlive(m_impl->box);
}
void QtFrame::SetFocus() {
    focus(m_impl->box);
}
bool QtFrame::hasFocus() const {
    return holdsFocus(m_impl->box);
}
std::string QtFrame::Caption() const {
    return fromQt(m_impl->box->title());
}
void QtFrame::Caption(std::string_view text) {
    m_impl->box->setTitle(toQt(text));
}
QGroupBox* QtFrame::widget() const {
    return m_impl->box;
}

struct QtEdit::Impl {
    QPointer<QLineEdit> edit;
};

QtEdit::QtEdit(QWidget* parent) : m_impl(std::make_unique<Impl>()) {
    m_impl->edit = new QLineEdit(parent);
    // A validator only judges typed and pasted input; setText by code passes unchecked.
    const QRegularExpression allowed(QStringLiteral("[^<>'\"|&,]*"));
    m_impl->edit->setValidator(new QRegularExpressionValidator(allowed, m_impl->edit));
}
QtEdit::~QtEdit() {
    deleteIfAlive(m_impl->edit);
}
void QtEdit::SetFocus() {
    focus(m_impl->edit);
}
bool QtEdit::hasFocus() const {
    return holdsFocus(m_impl->edit);
}
std::string QtEdit::Text() const {
    return fromQt(m_impl->edit->text());
}
void QtEdit::Text(std::string_view text) {
    m_impl->edit->setText(toQt(text));
}
QLineEdit* QtEdit::widget() const {
    return m_impl->edit;
}

struct QtCheckBox::Impl {
    QPointer<QCheckBox> box;
    HandlerFailureSink sink;
};

QtCheckBox::QtCheckBox(QWidget* parent, std::string_view caption, int value)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->box = new QCheckBox(toQt(caption), parent);
    Value(value);
    // `clicked` comes only from the user (or click()), after the box has toggled; setChecked raises nothing.
    QObject::connect(m_impl->box, &QCheckBox::clicked, m_impl->box, [this] {
        raiseGuarded(m_impl->sink, [this] {
            if (Click) Click();
        });
    });
}
QtCheckBox::~QtCheckBox() {
    deleteIfAlive(m_impl->box);
}
void QtCheckBox::SetFocus() {
    focus(m_impl->box);
}
bool QtCheckBox::hasFocus() const {
    return holdsFocus(m_impl->box);
}
int QtCheckBox::Value() const {
    return m_impl->box->isChecked() ? 1 : 0;
}

void QtCheckBox::Value(int value) {
    if (value != 0 && value != 1) {
        throw std::invalid_argument("check box value must be 0 or 1, not " + std::to_string(value));
    }
    m_impl->box->setChecked(value == 1);
}

void QtCheckBox::UserClick() {
    SetFocus();
    m_impl->box->setChecked(!m_impl->box->isChecked());
    if (Click) Click();
}

void QtCheckBox::onHandlerFailure(HandlerFailureSink sink) {
    m_impl->sink = std::move(sink);
}
QCheckBox* QtCheckBox::widget() const {
    return m_impl->box;
}

struct QtCommandButton::Impl {
    QPointer<QPushButton> button;
    std::string caption;
    std::int16_t index = 0;
    HandlerFailureSink sink;
};

QtCommandButton::QtCommandButton(QWidget* parent, std::string_view caption, std::int16_t index)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->caption = caption;
    m_impl->index = index;
    m_impl->button = new QPushButton(toQt(caption), parent);
    // In a dialog every push button would otherwise answer Enter pressed anywhere, confirming by accident.
    m_impl->button->setAutoDefault(false);
    QObject::connect(m_impl->button, &QPushButton::clicked, m_impl->button, [this] {
        raiseGuarded(m_impl->sink, [this] {
            if (Click) Click(m_impl->index);
        });
    });
}
QtCommandButton::~QtCommandButton() {
    deleteIfAlive(m_impl->button);
}
void QtCommandButton::SetFocus() {
    focus(m_impl->button);
}
bool QtCommandButton::hasFocus() const {
    return holdsFocus(m_impl->button);
}
std::string QtCommandButton::Caption() const {
    return m_impl->caption;
}

void QtCommandButton::UserClick() {
    SetFocus();
    if (Click) Click(m_impl->index);
}

void QtCommandButton::onHandlerFailure(HandlerFailureSink sink) {
    m_impl->sink = std::move(sink);
}
QPushButton* QtCommandButton::widget() const {
    return m_impl->button;
}

// The grid's texts, widths and current cell live in a HeadlessGrid; the table shows them.
struct QtGrid::Impl {
    QtGrid* owner = nullptr;
    HeadlessGrid model;
    QPointer<QTableWidget> table;
    HandlerFailureSink sink;
    bool syncing = false;
    bool editing = false;

    void showCell(long row, long col);
    void showColumn(long col);
    void showCurrent();
    void showAll();
    void commitFromView(int row, int col, const QString& text);
};

namespace {

class GridDelegate final : public QStyledItemDelegate {
public:
    GridDelegate(QObject* parent, std::function<void(int, int, const QString&)> commit)
        : QStyledItemDelegate(parent), m_commit(std::move(commit)) {}

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line == nullptr || !index.isValid()) return;
        m_commit(index.row(), index.column(), line->text());
    }

private:
    std::function<void(int, int, const QString&)> m_commit;
};

}  // namespace

void QtGrid::Impl::showCell(long row, long col) {
    QTableWidgetItem* item = table->item(static_cast<int>(row), static_cast<int>(col));
    if (item == nullptr) {
        item = new QTableWidgetItem;
        table->setItem(static_cast<int>(row), static_cast<int>(col), item);
    }
    const bool fixed = model.isFixedCell(row, col);
    item->setText(toQt(model.CellText(row, col)));
    item->setTextAlignment(alignmentOf(model.CellAlignAt(row, col)));
    // A fixed cell may be made current (the load centres the headers that way) but never shows as selected.
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (!fixed) flags |= Qt::ItemIsSelectable | Qt::ItemIsEditable;
    item->setFlags(flags);
    QFont font = item->font();
    font.setBold(row < model.FixedRowCount());
    item->setFont(font);
}

void QtGrid::Impl::showColumn(long col) {
    const long twips = model.ColumnWidth(col);
    table->setColumnHidden(static_cast<int>(col), twips == 0);
    if (twips > 0) table->setColumnWidth(static_cast<int>(col), static_cast<int>(twips / kTwipsPerPixel));
}

void QtGrid::Impl::showCurrent() {
    if (model.RowCount() == 0 || model.ColCount() == 0) return;
    const bool was = std::exchange(syncing, true);
    table->setCurrentCell(static_cast<int>(model.CurrentRow()), static_cast<int>(model.CurrentCol()));
    syncing = was;
}

void QtGrid::Impl::showAll() {
    const bool was = std::exchange(syncing, true);
    table->setRowCount(static_cast<int>(model.RowCount()));
    table->setColumnCount(static_cast<int>(model.ColCount()));
    for (long col = 0; col < model.ColCount(); ++col) showColumn(col);
    for (long row = 0; row < model.RowCount(); ++row) {
        for (long col = 0; col < model.ColCount(); ++col) showCell(row, col);
    }
    showCurrent();
    syncing = was;
}

void QtGrid::Impl::commitFromView(int row, int col, const QString& text) {
    // A message box opened by the handler takes the focus from the editor, which would commit a second time.
    if (editing) return;
    editing = true;
    raiseGuarded(sink, [&] {
        const long status = owner->UserEdit(row, col, fromQt(text));
        if (status == 1) showCurrent();
    });
    editing = false;
}

QtGrid::QtGrid(QWidget* parent) : m_impl(std::make_unique<Impl>()) {
    m_impl->owner = this;
    QTableWidget* table = new QTableWidget(parent);
    m_impl->table = table;
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Voucher codes are wider than their column; their distinguishing end stays in sight.
    table->setTextElideMode(Qt::ElideMiddle);
    table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    table->setItemDelegate(
        new GridDelegate(table, [impl = m_impl.get()](int row, int col, const QString& text) {
            impl->commitFromView(row, col, text);
        }));
    QObject::connect(table, &QTableWidget::currentCellChanged, table,
                     [impl = m_impl.get()](int row, int col) {
                         if (impl->syncing || row < 0 || col < 0) return;
                         if (row >= impl->model.RowCount() || col >= impl->model.ColCount()) return;
                         impl->model.CurrentRow(row);
                         impl->model.CurrentCol(col);
                     });
    m_impl->model.CellEdited = [this](std::string& text, long& status, long row, long col) {
        if (CellEdited) CellEdited(text, status, row, col);
    };
}

QtGrid::~QtGrid() {
    deleteIfAlive(m_impl->table);
}
void QtGrid::SetFocus() {
    focus(m_impl->table);
}
bool QtGrid::hasFocus() const {
    return holdsFocus(m_impl->table);
}

long QtGrid::RowCount() const {
    return m_impl->model.RowCount();
}
void QtGrid::RowCount(long rows) {
    m_impl->model.RowCount(rows);
    m_impl->showAll();
}
long QtGrid::ColCount() const {
    return m_impl->model.ColCount();
}
void QtGrid::ColCount(long cols) {
    m_impl->model.ColCount(cols);
    m_impl->showAll();
}
std::string QtGrid::CellText(long row, long col) const {
    return m_impl->model.CellText(row, col);
}
void QtGrid::CellText(long row, long col, std::string_view text) {
    m_impl->model.CellText(row, col, text);
    m_impl->showCell(row, col);
}
long QtGrid::ColumnWidth(long col) const {
    return m_impl->model.ColumnWidth(col);
}
void QtGrid::ColumnWidth(long col, long twips) {
    m_impl->model.ColumnWidth(col, twips);
    m_impl->showColumn(col);
}
long QtGrid::FixedRowCount() const {
    return m_impl->model.FixedRowCount();
}
void QtGrid::FixedRowCount(long rows) {
    m_impl->model.FixedRowCount(rows);
    m_impl->showAll();
}
long QtGrid::FixedColCount() const {
    return m_impl->model.FixedColCount();
}
void QtGrid::FixedColCount(long cols) {
    m_impl->model.FixedColCount(cols);
    m_impl->showAll();
}
long QtGrid::CurrentRow() const {
    return m_impl->model.CurrentRow();
}
void QtGrid::CurrentRow(long row) {
    m_impl->model.CurrentRow(row);
    m_impl->showCurrent();
}
long QtGrid::CurrentCol() const {
    return m_impl->model.CurrentCol();
}
void QtGrid::CurrentCol(long col) {
    m_impl->model.CurrentCol(col);
    m_impl->showCurrent();
}
void QtGrid::SelEndRow(long row) {
    m_impl->model.SelEndRow(row);
}
void QtGrid::SelEndCol(long col) {
    m_impl->model.SelEndCol(col);
}
void QtGrid::BlockText(std::string_view text) {
    m_impl->model.BlockText(text);
    m_impl->showAll();
}
void QtGrid::CellAlign(std::int16_t align) {
    m_impl->model.CellAlign(align);
    m_impl->showCell(m_impl->model.CurrentRow(), m_impl->model.CurrentCol());
}
std::int16_t QtGrid::CellAlignAt(long row, long col) const {
    return m_impl->model.CellAlignAt(row, col);
}
void QtGrid::AddRow(std::string_view text, long index) {
    m_impl->model.AddRow(text, index);
    m_impl->showAll();
}
void QtGrid::RemoveRow(long index) {
    m_impl->model.RemoveRow(index);
    m_impl->showAll();
}
void QtGrid::ClearGrid() {
    m_impl->model.ClearGrid();
    m_impl->showAll();
}

long QtGrid::UserEdit(long row, long col, std::string_view text) {
    const long rows = m_impl->model.RowCount();
    const long cols = m_impl->model.ColCount();
    // The handler's own writes show themselves; only the edited cell and the current cell are left to show.
    const auto show = [&] {
        if (m_impl->model.RowCount() != rows || m_impl->model.ColCount() != cols) {
            m_impl->showAll();
        } else if (row >= 0 && row < rows && col >= 0 && col < cols) {
            m_impl->showCell(row, col);
            m_impl->showCurrent();
        }
    };
    long status = -1;
    try {
        status = m_impl->model.UserEdit(row, col, text);
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
QTableWidget* QtGrid::widget() const {
    return m_impl->table;
}

}  // namespace tarvenish
