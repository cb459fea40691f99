#include "platform/qt/qt_controls.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <stdexcept>
#include <utility>

#include "platform/qt/qt_support.h"

namespace tarvenish {

using namespace qt_support;

struct QtLabel::Impl {
    QPointer<QLabel> label;
    bool fitting = false;

    void refit() {
        if (!fitting || label == nullptr) return;
        QFont font = label->parentWidget() != nullptr ? label->parentWidget()->font() : label->font();
        constexpr double kSmallest = 6.0;
        while (font.pointSizeF() > kSmallest &&
               QFontMetrics(font).horizontalAdvance(label->text()) > label->width()) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
        }
        label->setFont(font);
        label->setToolTip(label->text());
    }
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
    m_impl->refit();
}
void QtLabel::fitToWidth(bool on) {
    m_impl->fitting = on;
    m_impl->refit();
}
void QtLabel::Marked(bool marked) {
    KVLabel::Marked(marked);
    m_impl->label->setStyleSheet(marked ? QStringLiteral("color: #c00000;") : QString());
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

void QtCheckBox::userClick() {
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

void QtCommandButton::userClick() {
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
}  // namespace tarvenish
