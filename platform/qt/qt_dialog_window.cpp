#include "platform/qt/qt_dialog_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QStringList>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/headless/headless_controls.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_grid.h"

namespace tarvenish {

namespace {

constexpr const char* kWindowCaption = "升级调整个别计价期初结存记录";
constexpr int kClientWidthTwips = 8130;
constexpr int kClientHeightTwips = 4950;
// The row under the totals that holds the pair's position and the difference line, beside the design: the
// check boxes and buttons below it move down by its height.
constexpr int kAddedRowTwips = 300;

int px(int twips) {
    return twips / kTwipsPerPixel;
}

// The design font first, then CJK fonts that other systems carry; the first one installed wins.
QFont designFont() {
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : {"宋体", "SimSun", "NSimSun", "WenQuanYi Micro Hei", "Noto Sans CJK SC",
                                  "Noto Serif CJK SC", "AR PL UMing CN", "Droid Sans Fallback"}) {
        const QString name = QString::fromUtf8(candidate);
        if (families.contains(name, Qt::CaseInsensitive)) return QFont(name, 9);
    }
    QFont fallback;
    fallback.setPointSize(9);
    return fallback;
}

class FrmDialog final : public QDialog {
public:
    explicit FrmDialog(QWidget* parent) : QDialog(parent) {}

    std::function<void()> onShown;
    std::function<void()> onCloseBox;
    std::function<void(QSize)> onResized;

protected:
    void showEvent(QShowEvent* event) override {
        QDialog::showEvent(event);
        if (m_shown) return;
        m_shown = true;
        // Activation follows the show, once the widgets are on screen and can take the focus.
        QTimer::singleShot(0, this, [this] {
            if (onShown) onShown();
        });
    }

    void resizeEvent(QResizeEvent* event) override {
        QDialog::resizeEvent(event);
        if (onResized) onResized(event->size());
    }

    void closeEvent(QCloseEvent* event) override {
        // The window unloads itself (Close ends the modal loop); the event has nothing more to do.
        event->ignore();
        if (onCloseBox) onCloseBox();
    }

    void keyPressEvent(QKeyEvent* event) override {
        // Escape would leave the dialog without confirming or cancelling, and the run would go on unnoticed.
        if (event->key() == Qt::Key_Escape) {
            event->accept();
            return;
        }
        QDialog::keyPressEvent(event);
    }

private:
    bool m_shown = false;
};

}  // namespace

// One showing's dialog and controls. The dialog is declared first so that it goes last, and Frame1 before the
// controls inside it, so every control deletes its own widget before its parent would.
struct Form {
    explicit Form(QWidget* parent);

    std::unique_ptr<FrmDialog> dialog;
    QtFrame Frame1;
    QtLabel Label1, Label2;
    QtCommandButton Command1, Command2;
    QtLabel Label3, Label4, Label8, Label5, Label6, Label7;
    QtEdit TxtWhare, TxtInv, TxtStyle, TxtQuan, TxtPrice, TxtMoney;
    QtGrid Grid;
    QtLabel Label9, Label10;
    QtCheckBox ChkAver, ChKAuto;
    QtCommandButton cmdOkCancel0, cmdOkCancel1;
    HeadlessKeyHookCtrl KVKeyHookCtrlPre;
    HeadlessFrmCaption KVFrmCaptionMgr{kWindowCaption};
    QtLabel LabelPair, LabelDiff;

    // Where a control sits at the design size, its tab index, and its share of a larger window.
    struct Growth {
        int right = 0, down = 0, wider = 0, taller = 0;  // halves of the growth
    };
    struct Placement {
        QWidget* widget;
        int left, top, width, height, tab;
        Growth grow;
    };
    std::vector<Placement> placements;

    [[nodiscard]] FrmjustaccountControls view();
    void layOut();
    // Places every control for a client area of `size`, the design's layout grown by what it exceeds it.
    void place(QSize size);
    void failuresGoTo(const HandlerFailureSink& sink);
};

Form::Form(QWidget* parent)
    : dialog(std::make_unique<FrmDialog>(parent)),
      Frame1(dialog.get(), ""),
      Label1(dialog.get(), "存货明细账"),
      Label2(dialog.get(), "库存单据"),
      Command1(dialog.get(), "&A 增加", 0),
      Command2(dialog.get(), "&D 删除", 0),
      Label3(Frame1.widget(), "仓库"),
      Label4(Frame1.widget(), "存货"),
      Label8(Frame1.widget(), "规格"),
      Label5(Frame1.widget(), "数量"),
      Label6(Frame1.widget(), "单价"),
      Label7(Frame1.widget(), "金额"),
      TxtWhare(Frame1.widget()),
      TxtInv(Frame1.widget()),
      TxtStyle(Frame1.widget()),
      TxtQuan(Frame1.widget()),
      TxtPrice(Frame1.widget()),
      TxtMoney(Frame1.widget()),
      Grid(dialog.get()),
      Label9(dialog.get(), "数量合计："),
      Label10(dialog.get(), "金额合计："),
      // On screen the check boxes and the two buttons below carry access keys, as 增加 and 删除 do.
      ChkAver(dialog.get(), "&V 存货平均单价替换", 0),
      ChKAuto(dialog.get(), "&U 自动调整", 1),
      cmdOkCancel0(dialog.get(), "&O 确定", 0),
      cmdOkCancel1(dialog.get(), "&C 取消", 1),
      LabelPair(dialog.get(), ""),
      LabelDiff(dialog.get(), "") {
    layOut();
}

void Form::layOut() {
    // The design's places in twips, and how much of the window's growth beyond its design size each control
    // takes: moving right or down, growing wider or taller (0, half or all of it).
    placements = {
        {Label1.widget(), 120, 240, 2295, 255, 10, {}},
        {Label2.widget(), 3360, 240, 1335, 255, 0, {}},
        {Command1.widget(), 5880, 120, 972, 372, 21, {2, 0, 0, 0}},
        {Command2.widget(), 6960, 120, 972, 372, 20, {2, 0, 0, 0}},
        {Frame1.widget(), 120, 480, 3135, 3735, 4, {}},
        {Label3.widget(), 120, 480, 615, 255, 5, {}},
        {TxtWhare.widget(), 840, 480, 1935, 270, 11, {}},
        {Label4.widget(), 120, 1056, 615, 255, 6, {}},
        {TxtInv.widget(), 840, 1032, 1935, 270, 12, {}},
        {Label8.widget(), 120, 1635, 615, 255, 16, {}},
        {TxtStyle.widget(), 840, 1584, 1935, 270, 17, {}},
        {Label5.widget(), 120, 2208, 615, 255, 7, {}},
        {TxtQuan.widget(), 840, 2136, 1935, 270, 13, {}},
        {Label6.widget(), 120, 2784, 615, 255, 8, {}},
        {TxtPrice.widget(), 840, 2688, 1935, 270, 14, {}},
        {Label7.widget(), 120, 3360, 615, 255, 9, {}},
        {TxtMoney.widget(), 840, 3240, 1935, 270, 15, {}},
        {Grid.widget(), 3360, 600, 4695, 3255, 3, {0, 0, 2, 2}},
        // 2400 wide, not 2415: the design's two totals overlapped by 15 twips.
        {Label9.widget(), 3360, 3960, 2400, 255, 18, {0, 2, 1, 0}},
        {Label10.widget(), 5760, 3960, 2295, 255, 19, {1, 2, 1, 0}},
        // The check boxes are wider than the design by their access keys.
        {ChkAver.widget(), 120, 4440 + kAddedRowTwips, 2055, 375, 1, {0, 2, 0, 0}},
        {ChKAuto.widget(), 2220, 4440 + kAddedRowTwips, 1335, 375, 2, {0, 2, 0, 0}},
        {cmdOkCancel0.widget(), 4560, 4440 + kAddedRowTwips, 972, 372, 22, {2, 2, 0, 0}},
        {cmdOkCancel1.widget(), 6000, 4440 + kAddedRowTwips, 972, 372, 23, {2, 2, 0, 0}},
        {LabelPair.widget(), 120, 4260, 3135, 255, 24, {0, 2, 0, 0}},
        {LabelDiff.widget(), 3360, 4260, 4695, 255, 25, {0, 2, 2, 0}},
    };
    place(QSize(px(kClientWidthTwips), px(kClientHeightTwips + kAddedRowTwips)));

    // Only controls that take the focus by Tab are chained: a label or the frame in the chain would let Qt
    // put the controls after it out of their order.
    std::vector<Placement> byTab;
    for (const Placement& p : placements) {
        if ((p.widget->focusPolicy() & Qt::TabFocus) != 0) byTab.push_back(p);
    }
    std::sort(byTab.begin(), byTab.end(),
              [](const Placement& a, const Placement& b) { return a.tab < b.tab; });
    for (std::size_t i = 1; i < byTab.size(); ++i) QWidget::setTabOrder(byTab[i - 1].widget, byTab[i].widget);

    dialog->setWindowTitle(QString::fromUtf8(kWindowCaption));
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                           Qt::WindowMaximizeButtonHint);
    dialog->setFont(designFont());
    dialog->setMinimumSize(px(kClientWidthTwips), px(kClientHeightTwips + kAddedRowTwips));
    dialog->resize(dialog->minimumSize());
    dialog->onResized = [this](QSize size) { place(size); };
    Label9.fitToWidth(true);
    Label10.fitToWidth(true);
    LabelDiff.fitToWidth(true);
    dialog->setModal(true);
}

void Form::place(QSize size) {
    const int grownWidth = std::max(0, size.width() - px(kClientWidthTwips));
    const int grownHeight = std::max(0, size.height() - px(kClientHeightTwips + kAddedRowTwips));
    // In halves of the growth: 0 none, 1 half, 2 all of it.
    const auto share = [](int grown, int halves) { return grown * halves / 2; };
    for (const Placement& p : placements) {
        p.widget->setGeometry(
            px(p.left) + share(grownWidth, p.grow.right), px(p.top) + share(grownHeight, p.grow.down),
            px(p.width) + share(grownWidth, p.grow.wider), px(p.height) + share(grownHeight, p.grow.taller));
    }
    Label9.fitToWidth(true);
    Label10.fitToWidth(true);
    LabelDiff.fitToWidth(true);
}

FrmjustaccountControls Form::view() {
    return controlsOf(*this);
}

void Form::failuresGoTo(const HandlerFailureSink& sink) {
    Command1.onHandlerFailure(sink);
    Command2.onHandlerFailure(sink);
    cmdOkCancel0.onHandlerFailure(sink);
    cmdOkCancel1.onHandlerFailure(sink);
    ChkAver.onHandlerFailure(sink);
    ChKAuto.onHandlerFailure(sink);
    Grid.onHandlerFailure(sink);
}

struct QtDialogWindow::Impl {
    QPointer<QWidget> parent;
    std::unique_ptr<Form> form;
    FrmjustaccountControls view;
    bool loaded = false;
    bool closing = false;
    std::exception_ptr failure;
};

QtDialogWindow::QtDialogWindow(QWidget* parent) : m_impl(std::make_unique<Impl>()) {
    m_impl->parent = parent;
    m_impl->form = std::make_unique<Form>(parent);
    m_impl->view = m_impl->form->view();
}

QtDialogWindow::~QtDialogWindow() = default;

FrmjustaccountControls& QtDialogWindow::controls() {
    return m_impl->view;
}
std::string QtDialogWindow::Caption() const {
    return kWindowCaption;
}
bool QtDialogWindow::isLoaded() const {
    return m_impl->loaded;
}
QDialog* QtDialogWindow::dialog() const {
    return m_impl->form->dialog.get();
}

void QtDialogWindow::ShowModal() {
    if (m_impl->loaded) throw std::logic_error("the adjustment dialog is already shown");
    m_impl->form = std::make_unique<Form>(m_impl->parent);
    m_impl->view = m_impl->form->view();
    m_impl->failure = nullptr;

    // A handler's failure inside the event loop unloads the window; ShowModal passes it on afterwards.
    const HandlerFailureSink sink = [this](std::exception_ptr failure) {
        if (!m_impl->failure) m_impl->failure = std::move(failure);
        try {
            Close();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
    };
    Form& form = *m_impl->form;
    form.failuresGoTo(sink);
    form.dialog->onCloseBox = [sink, this] {
        try {
            Close();
        } catch (...) {
            sink(std::current_exception());
        }
    };
    form.dialog->onShown = [sink, this] {
        if (!m_impl->loaded || !Activate) return;
        try {
            Activate();
        } catch (...) {
            sink(std::current_exception());
        }
    };

    m_impl->loaded = true;
    try {
        if (Load) Load();
    } catch (...) {
        // A window whose load fails never appears, so it has nothing to unload.
        m_impl->loaded = false;
        throw;
    }
    if (m_impl->loaded) {
        if (m_impl->parent == nullptr) {
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                const QRect area = screen->availableGeometry();
                form.dialog->move(area.center() -
                                  QPoint(form.dialog->width() / 2, form.dialog->height() / 2));
            }
        }
        form.dialog->exec();
    }
    if (m_impl->loaded) Close();
    if (m_impl->failure) std::rethrow_exception(std::exchange(m_impl->failure, nullptr));
}

void QtDialogWindow::Close() {
    if (!m_impl->loaded || m_impl->closing) return;
    m_impl->closing = true;
    const auto finish = [this] {
        m_impl->closing = false;
        m_impl->loaded = false;
        m_impl->form->dialog->done(QDialog::Rejected);
    };
    try {
        if (Unload) Unload();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

}  // namespace tarvenish
