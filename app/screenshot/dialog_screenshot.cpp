// Saves a picture of the adjustment dialog: makes a real run over a small demo account set, and when
// the dialog of its first pair with differing totals is on screen, saves the window as a PNG and presses
// Cancel, so that nothing is written for that pair.
//
// Usage: dialog_screenshot OUTPUT.png

#include <QApplication>
#include <QDialog>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include <unistd.h>

#include "app/demo/demo_account_set.h"
#include "component/adjustment_presenter.h"
#include "component/messages.h"
#include "component/run_context.h"
#include "dialog/frmjustaccount.h"
#include "ledger/db/connection.h"
#include "ledger/engines.h"
#include "platform/qt/qt_dialog_window.h"
#include "platform/qt/qt_message_presenter.h"
#include "reconcile/run.h"

namespace tarvenish {
namespace {

// The window as a window manager would frame it: the client area under a title bar that the style draws
// with the window's caption (a bare display has no window manager to draw one).
QPixmap framedPicture(QDialog& dialog) {
    const QPixmap client = dialog.grab();
    QStyle* style = dialog.style();
    QStyleOptionTitleBar bar;
    bar.initFrom(&dialog);
    bar.text = dialog.windowTitle();
    bar.icon = dialog.windowIcon();
    bar.titleBarFlags =
        Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    bar.titleBarState = Qt::WindowActive;
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarCloseButton;
    bar.state |= QStyle::State_Active;
    const int titleHeight = style->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &dialog);
    const int border = 1;
    const int width = dialog.width() + 2 * border;
    bar.rect = QRect(border, border, dialog.width(), titleHeight);

    QPixmap picture(width, titleHeight + dialog.height() + 2 * border);
    picture.fill(dialog.palette().color(QPalette::Dark));
    QPainter painter(&picture);
    style->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &dialog);
    painter.drawPixmap(border, border + titleHeight, client);
    painter.end();
    return picture;
}

// Shows the dialog as the on-screen presenter does, photographs the first showing once it is active and
// cancels it; a later showing (there is none after a cancel) would be closed as by its close box.
class PhotographingPresenter final : public AdjustmentPresenter {
public:
    explicit PhotographingPresenter(QString path) : m_path(std::move(path)) {}

    [[nodiscard]] DialogResult showModal(PairMode mode, RunReport& report) override {
        QtDialogWindow window;
        Frmjustaccount form(window, report, mode);
        auto activate = std::move(window.Activate);
        window.Activate = [this, &window, activate] {
            if (activate) activate();
            // One more turn of the event loop, so that the grid's deferred layout has run.
            QTimer::singleShot(0, window.dialog(), [this, &window] {
                if (m_shots == 0) m_saved = framedPicture(*window.dialog()).save(m_path, "PNG");
                ++m_shots;
                window.controls().cmdOkCancel[1]->userClick();
            });
        };
        window.ShowModal();
        return form.result();
    }

    [[nodiscard]] bool saved() const noexcept { return m_saved; }
    [[nodiscard]] int shots() const noexcept { return m_shots; }

private:
    QString m_path;
    bool m_saved = false;
    int m_shots = 0;
};

bool displayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

int photograph(const std::string& output) {
    const std::filesystem::path database =
        std::filesystem::temp_directory_path() / ("tarvenish-dialog-" + std::to_string(::getpid()) + ".db");
    DemoOptions options;
    options.pairs = 2;
    options.linesPerPair = 3;
    options.mismatchPercent = 50;
    options.force = true;
    (void)createDemoAccountSet(database.string(), options);

    auto photographer = std::make_shared<PhotographingPresenter>(QString::fromStdString(output));
    setMessagePresenter(std::make_shared<QtMessagePresenter>());
    RunContext context;
    context.presenter = photographer;
    bool finished = false;
    {
        const ConnectionPtr connection = Connection::open(database.string());
        finished = executeRun(context, DialectChoice::fromHostFlag(1), connection);
    }
    setMessagePresenter(nullptr);
    ConnectionPool::clear();
    std::error_code ignored;
    std::filesystem::remove(database, ignored);

    if (photographer->shots() == 0) {
        std::fprintf(stderr, "dialog_screenshot: the run showed no dialog\n");
        return 1;
    }
    if (!photographer->saved()) {
        std::fprintf(stderr, "dialog_screenshot: cannot write %s\n", output.c_str());
        return 1;
    }
    if (finished) {
        std::fprintf(stderr, "dialog_screenshot: the run went on after Cancel\n");
        return 1;
    }
    std::printf("wrote %s\n", output.c_str());
    return 0;
}

}  // namespace
}  // namespace tarvenish

int main(int argc, char** argv) {
    tarvenish::registerEngines();
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    // Without any display the picture is still drawn, with the same fonts, by the offscreen platform.
    if (!tarvenish::displayAvailable()) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    try {
        return tarvenish::photograph(argv[1]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "dialog_screenshot: %s\n", error.what());
        return 1;
    }
}
