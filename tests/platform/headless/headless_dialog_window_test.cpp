#include "platform/headless/headless_dialog_window.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tarvenish {
namespace {

TEST(DesignTimeControls, StartWithTheirDesignCaptionsAndTicks) {
    HeadlessDialogWindow window;
    const FrmjustaccountControls& c = window.controls();
    EXPECT_EQ(window.Caption(), "升级调整个别计价期初结存记录");
    EXPECT_EQ(c.Label1->Caption(), "存货明细账");
    EXPECT_EQ(c.Label2->Caption(), "库存单据");
    EXPECT_EQ(c.Command1->Caption(), "&A 增加");
    EXPECT_EQ(c.Command2->Caption(), "&D 删除");
    EXPECT_EQ(c.Label3->Caption(), "仓库");
    EXPECT_EQ(c.Label4->Caption(), "存货");
    EXPECT_EQ(c.Label8->Caption(), "规格");
    EXPECT_EQ(c.Label5->Caption(), "数量");
    EXPECT_EQ(c.Label6->Caption(), "单价");
    EXPECT_EQ(c.Label7->Caption(), "金额");
    EXPECT_EQ(c.Label9->Caption(), "数量合计：");
    EXPECT_EQ(c.Label10->Caption(), "金额合计：");
    EXPECT_EQ(c.ChkAver->Value(), 0);
    EXPECT_EQ(c.ChKAuto->Value(), 1);
    EXPECT_EQ(window.headlessControls().ChkAver.Caption(), "存货平均单价替换");
    EXPECT_EQ(window.headlessControls().ChKAuto.Caption(), "自动调整");
    EXPECT_EQ(c.cmdOkCancel[0]->Caption(), "确定");
    EXPECT_EQ(c.cmdOkCancel[1]->Caption(), "取消");
    EXPECT_EQ(c.KVFrmCaptionMgr->Caption(), "升级调整个别计价期初结存记录");
    EXPECT_EQ(c.TxtPrice->Text(), "");
    EXPECT_EQ(c.Grid->RowCount(), 0);
}

TEST(DesignTimeControls, OkAndCancelShareOneHandlerToldApartByIndex) {
    HeadlessDialogWindow window;
    std::vector<int> indexes;
    for (KVCommandButton* button : window.controls().cmdOkCancel) {
        button->Click = [&](std::int16_t index) { indexes.push_back(index); };
    }
    window.controls().cmdOkCancel[1]->userClick();
    window.controls().cmdOkCancel[0]->userClick();
    EXPECT_EQ(indexes, (std::vector<int>{1, 0}));
}

TEST(ShowModal, RaisesLoadActivateThenRunsTheDriverThenUnloads) {
    std::vector<std::string> events;
    HeadlessDialogWindow window(
        [&](DialogWindow& w) { events.push_back(w.isLoaded() ? "driver while loaded" : "driver unloaded"); });
    window.Load = [&] { events.push_back("load"); };
    window.Activate = [&] { events.push_back("activate"); };
    window.Unload = [&] { events.push_back("unload"); };
    window.ShowModal();
    EXPECT_EQ(events, (std::vector<std::string>{"load", "activate", "driver while loaded", "unload"}));
    EXPECT_FALSE(window.isLoaded());
}

TEST(ShowModal, DriverClosingTheWindowUnloadsOnce) {
    int unloads = 0;
    HeadlessDialogWindow window([](DialogWindow& w) {
        w.Close();
        w.Close();
    });
    window.Unload = [&] { ++unloads; };
    window.ShowModal();
    EXPECT_EQ(unloads, 1);
}

TEST(ShowModal, EveryShowingStartsFromFreshDesignTimeControls) {
    HeadlessDialogWindow window([](DialogWindow& w) {
        FrmjustaccountControls& c = w.controls();
        c.Label9->Caption("数量合计：12");
        c.ChKAuto->userClick();
        c.Grid->RowCount(3);
    });
    window.ShowModal();
    EXPECT_EQ(window.controls().Label9->Caption(), "数量合计：12");
    window.setDriver({});
    window.ShowModal();
    EXPECT_EQ(window.controls().Label9->Caption(), "数量合计：");
    EXPECT_EQ(window.controls().ChKAuto->Value(), 1);
    EXPECT_EQ(window.controls().Grid->RowCount(), 0);
    EXPECT_EQ(window.showCount(), 2);
}

TEST(ShowModal, LoadFailureIsRethrownAndLeavesTheWindowUnloaded) {
    bool driven = false;
    bool unloaded = false;
    HeadlessDialogWindow window([&](DialogWindow&) { driven = true; });
    window.Load = [] { throw std::runtime_error("receipt lines did not open"); };
    window.Unload = [&] { unloaded = true; };
    EXPECT_THROW(window.ShowModal(), std::runtime_error);
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(driven);
    EXPECT_FALSE(unloaded);
}

TEST(ShowModal, DriverFailureUnloadsTheWindowAndPassesTheErrorOn) {
    bool unloaded = false;
    HeadlessDialogWindow window([](DialogWindow&) { throw std::runtime_error("handler failed"); });
    window.Unload = [&] { unloaded = true; };
    EXPECT_THROW(window.ShowModal(), std::runtime_error);
    EXPECT_TRUE(unloaded);
    EXPECT_FALSE(window.isLoaded());
}

TEST(ShowModal, LoadThatClosesTheWindowSkipsActivateAndDriver) {
    bool activated = false;
    bool driven = false;
    HeadlessDialogWindow window([&](DialogWindow&) { driven = true; });
    window.Load = [&] { window.Close(); };
    window.Activate = [&] { activated = true; };
    window.ShowModal();
    EXPECT_FALSE(activated);
    EXPECT_FALSE(driven);
}

TEST(ShowModal, ActivateCanFocusTheGrid) {
    bool gridFocused = false;
    HeadlessDialogWindow window([&](DialogWindow& w) { gridFocused = w.controls().Grid->hasFocus(); });
    window.Activate = [&] { window.controls().Grid->SetFocus(); };
    window.ShowModal();
    EXPECT_TRUE(gridFocused);
}

TEST(ShowModal, ShowingAnAlreadyShownWindowIsRefused) {
    HeadlessDialogWindow window([](DialogWindow& w) { w.ShowModal(); });
    EXPECT_THROW(window.ShowModal(), std::logic_error);
    EXPECT_FALSE(window.isLoaded());
}

}  // namespace
}  // namespace tarvenish
