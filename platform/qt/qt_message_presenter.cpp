#include "platform/qt/qt_message_presenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <stdexcept>
#include <utility>
#include <vector>

#include "component/message_resource.h"
#include "component/messages.h"

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

// Qt's own captions of the standard buttons in the message language ("确定", "取消"): its Chinese
// translation installed while the messages are Chinese, removed while they are English.
void translateStandardButtons() {
    static QPointer<QTranslator> installed;
    const bool chinese = messageLanguage() == MessageLanguage::Chinese;
    if (chinese && installed == nullptr) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QStringLiteral("qtbase_zh_CN"),
                             QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(translator);
            installed = translator;
        } else {
            delete translator;
        }
    } else if (!chinese && installed != nullptr) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
}

// The message resource's own title; the application's name only when the resource cannot be read.
QString titleOf(std::string_view title) {
    std::string text(title);
    if (text.empty()) {
        try {
            text = messageText(msg::kBoxTitle);
        } catch (const std::exception&) {
            return QApplication::applicationDisplayName();
        }
    }
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Moves a box, once shown and sized, off the group boxes of its parent window (the ledger frame of the
// adjustment dialog): to their right, or to their left when the screen has no room there.
class KeepOffFrames final : public QObject {
public:
    explicit KeepOffFrames(QWidget* parent) : m_parent(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || m_parent == nullptr) return false;
        // Moved once the box has its final size and the dialog's own placement over its parent is done.
        QPointer<QWidget> box = static_cast<QWidget*>(watched);
        QTimer::singleShot(0, box, [box, parent = m_parent] {
            if (box != nullptr && parent != nullptr) keepOff(*box, *parent);
        });
        return false;
    }

    static void keepOff(QWidget& box, const QWidget& parent) {
        QRect frames;
        for (const QGroupBox* frame : parent.findChildren<QGroupBox*>()) {
            if (frame->isVisible()) frames |= QRect(frame->mapToGlobal(QPoint(0, 0)), frame->size());
        }
        QRect at = box.frameGeometry();
        if (frames.isNull() || !at.intersects(frames)) return;
        const QScreen* screen = parent.screen();
        const QRect area = screen != nullptr ? screen->availableGeometry() : QRect();
        constexpr int kGap = 8;
        at.moveLeft(frames.right() + kGap);
        if (!area.isNull() && at.right() > area.right()) at.moveRight(frames.left() - kGap);
        box.move(at.topLeft());
    }

private:
    QPointer<QWidget> m_parent;
};

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

    translateStandardButtons();
    QMessageBox box(parent);
    KeepOffFrames keepOff(parent);
    box.installEventFilter(&keepOff);
    box.setIcon(iconOf(style));
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())));
    box.setWindowTitle(titleOf(title));
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
