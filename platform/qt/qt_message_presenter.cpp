#include "platform/qt/qt_message_presenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <stdexcept>
#include <utility>
#include <vector>

namespace tarvenish {

namespace {

struct ButtonChoice {
    QMessageBox::StandardButton button;
    int code;
};

std::vector<ButtonChoice> buttonsOf(int style) {
    using B = QMessageBox::StandardButton;
    switch (style & 0x0F) {
        case 1:
            return {{B::Ok, 1}, {B::Cancel, 2}};
        case 2:
            return {{B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}};
        case 3:
            return {{B::Yes, 6}, {B::No, 7}, {B::Cancel, 2}};
        case 4:
            return {{B::Yes, 6}, {B::No, 7}};
        case 5:
            return {{B::Retry, 4}, {B::Cancel, 2}};
        default:
            return {{B::Ok, 1}};
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

struct QtMessagePresenter::Impl {
    QPointer<QWidget> parent;
};

QtMessagePresenter::QtMessagePresenter(QWidget* parent) : m_impl(std::make_unique<Impl>()) {
    m_impl->parent = parent;
}

QtMessagePresenter::~QtMessagePresenter() = default;

int QtMessagePresenter::show(std::string_view prompt, int style, std::string_view title) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw std::runtime_error("no Qt application is running to show the message box: " +
                                 std::string(prompt));
    }
    QWidget* parent = m_impl->parent;
    if (parent == nullptr) parent = QApplication::activeModalWidget();
    if (parent == nullptr) parent = QApplication::activeWindow();

    QMessageBox box(parent);
    box.setIcon(iconOf(style));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    box.setWindowTitle(title.empty() ? QApplication::applicationDisplayName()
                                     : QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    const std::vector<ButtonChoice> choices = buttonsOf(style);
    QMessageBox::StandardButtons buttons;
    for (const ButtonChoice& choice : choices) buttons |= choice.button;
    box.setStandardButtons(buttons);
    box.setDefaultButton(choices.front().button);

    const auto chosen = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const ButtonChoice& choice : choices) {
        if (choice.button == chosen) return choice.code;
    }
    // A box closed without a button answers as its escape button would.
    for (const ButtonChoice& choice : choices) {
        if (choice.button == QMessageBox::Cancel) return choice.code;
    }
    return choices.size() == 1 ? choices.front().code : choices.back().code;
}

}  // namespace tarvenish
