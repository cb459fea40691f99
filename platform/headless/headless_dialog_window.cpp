#include "platform/headless/headless_dialog_window.h"

#include <stdexcept>
#include <utility>

namespace tarvenish {

namespace {
constexpr const char* kWindowCaption = "升级调整个别计价期初结存记录";
}  // namespace

HeadlessFrmjustaccount::HeadlessFrmjustaccount()
    : Label1("存货明细账", focus),
      Label2("库存单据", focus),
      Command1("&A 增加", 0, focus),
      Command2("&D 删除", 0, focus),
      Frame1("", focus),
      Label3("仓库", focus),
      Label4("存货", focus),
      Label8("规格", focus),
      Label5("数量", focus),
      Label6("单价", focus),
      Label7("金额", focus),
      TxtWhare(focus),
      TxtInv(focus),
      TxtStyle(focus),
      TxtQuan(focus),
      TxtPrice(focus),
      TxtMoney(focus),
      Grid(focus),
      Label9("数量合计：", focus),
      Label10("金额合计：", focus),
      ChkAver("存货平均单价替换", 0, focus),
      ChKAuto("自动调整", 1, focus),
      cmdOkCancel0("确定", 0, focus),
      cmdOkCancel1("取消", 1, focus),
      KVFrmCaptionMgr(kWindowCaption),
      LabelPair("", focus),
      LabelDiff("", focus) {}

FrmjustaccountControls HeadlessFrmjustaccount::view() {
    return controlsOf(*this);
}

HeadlessDialogWindow::HeadlessDialogWindow(Driver driver) : m_driver(std::move(driver)) {
    freshControls();
}

std::string HeadlessDialogWindow::Caption() const {
    return kWindowCaption;
}

void HeadlessDialogWindow::freshControls() {
    m_controls = std::make_unique<HeadlessFrmjustaccount>();
    m_view = m_controls->view();
}

void HeadlessDialogWindow::ShowModal() {
    if (m_loaded) throw std::logic_error("the adjustment dialog is already shown");
    freshControls();
    ++m_showCount;
    m_loaded = true;
    try {
        if (Load) Load();
    } catch (...) {
        // A window whose load fails never appears, so it has nothing to unload.
        m_loaded = false;
        throw;
    }
    try {
        if (m_loaded && Activate) Activate();
        if (m_loaded && m_driver) m_driver(*this);
    } catch (...) {
        try {
            Close();
        } catch (...) {
            // The first failure is the one worth reporting.
        }
        throw;
    }
    // The user left the window open: it goes as through its close box.
    Close();
}

void HeadlessDialogWindow::Close() {
    if (!m_loaded || m_closing) return;
    m_closing = true;
    try {
        if (Unload) Unload();
    } catch (...) {
        m_closing = false;
        m_loaded = false;
        throw;
    }
    m_closing = false;
    m_loaded = false;
}

}  // namespace tarvenish
