#include "component/messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include <unistd.h>

namespace tarvenish {
namespace {

namespace fs = std::filesystem;

// Runs `body` on a thread of its own, which starts with a fresh message resource.
template <typename Body>
void onFreshThread(Body body) {
    std::thread worker(body);
    worker.join();
}

const int kUsedNumbers[] = {msg::kQuantityTotal,   msg::kMoneyTotal,        msg::kTotalsDiffer,
                            msg::kBoxTitle,        msg::kConfirmDelete,     msg::kWarehouse,
                            msg::kDepartment,      msg::kVoucherCodeHeader, msg::kQuantityHeader,
                            msg::kUnitPriceHeader, msg::kMoneyHeader,       msg::kNotANumber,
                            msg::kNegativePrice,   msg::kCommitFailed};

TEST(MessageKeys, AreThePrefixFollowedByFiveDigits) {
    EXPECT_EQ(messageKey(1), "Q9.IA.TARVENISH.00001");
    EXPECT_EQ(messageKey(34), "Q9.IA.TARVENISH.00034");
    EXPECT_EQ(messageKey(99999), "Q9.IA.TARVENISH.99999");
}

TEST(MessageKeys, RefuseNumbersThatDoNotFitFiveDigits) {
    EXPECT_THROW((void)messageKey(100000), std::out_of_range);
    EXPECT_THROW((void)messageKey(-1), std::out_of_range);
}

TEST(ThreadMessageResource, KeepsItsPresenterToItsOwnThread) {
    auto presenter = std::make_shared<HeadlessMessagePresenter>();
    setMessagePresenter(presenter);
    EXPECT_EQ(showMessage("here", 16), msgbox::kOk);

    bool otherThreadFailed = false;
    onFreshThread([&] {
        try {
            (void)showMessage("there", 16);
        } catch (const MessageResourceError&) {
            otherThreadFailed = true;
        }
    });
    EXPECT_TRUE(otherThreadFailed);
    ASSERT_EQ(presenter->shown().size(), 1u);
    EXPECT_EQ(presenter->shown()[0].prompt, "here");
    setMessagePresenter(nullptr);
}

TEST(ThreadMessageResource, RereadsAnEditedFileAfterUnloadAndNeverThrowsOnUnload) {
    const fs::path dir = fs::temp_directory_path() / ("messages-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    onFreshThread([&] {
        ::setenv("TARVENISH_RESOURCES", dir.c_str(), 1);
        ::unsetenv("TARVENISH_LANG");
        std::ofstream(dir / "messages.zh_CN.txt") << "Q9.IA.TARVENISH.00019=库房\n";
        EXPECT_EQ(messageText(msg::kWarehouse), "库房");
        std::ofstream(dir / "messages.zh_CN.txt") << "Q9.IA.TARVENISH.00019=仓库\n";
        unloadMessages();
        EXPECT_EQ(messageText(msg::kWarehouse), "仓库");
        EXPECT_EQ(messageText(msg::kDepartment), messageKey(msg::kDepartment));

        fs::remove(dir / "messages.zh_CN.txt");
        unloadMessages();
        EXPECT_NO_THROW(unloadMessages());
        EXPECT_THROW((void)messageText(msg::kWarehouse), MessageResourceError);
        ::unsetenv("TARVENISH_RESOURCES");
    });
    fs::remove_all(dir);
}

class ShippedMessageFiles : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedMessageFiles, HoldATextForEveryMessageTheSystemUses) {
    MessageResource resource(fs::path(TARVENISH_RESOURCE_DIR) / GetParam());
    for (const int number : kUsedNumbers) {
        const std::string key = messageKey(number);
        const std::string text = resource.GetText(key);
        EXPECT_NE(text, key) << GetParam() << " has no text for " << key;
        EXPECT_FALSE(text.empty()) << key;
    }
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, ShippedMessageFiles,
                         ::testing::Values("messages.zh_CN.txt", "messages.en.txt"));

TEST(ShippedChineseTexts, NameTheFrameLabelsAndTotals) {
    MessageResource resource(fs::path(TARVENISH_RESOURCE_DIR) / "messages.zh_CN.txt");
    EXPECT_EQ(resource.GetText(messageKey(msg::kWarehouse)), "仓库");
    EXPECT_EQ(resource.GetText(messageKey(msg::kDepartment)), "部门");
    EXPECT_EQ(resource.GetText(messageKey(msg::kQuantityTotal)), "数量合计：");
    EXPECT_EQ(resource.GetText(messageKey(msg::kMoneyTotal)), "金额合计：");
}

}  // namespace
}  // namespace tarvenish
