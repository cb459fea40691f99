#include "component/message_resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

namespace tarvenish {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the length of a test and puts the old value back.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "messages-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    [[nodiscard]] const fs::path& path() const { return m_path; }
    fs::path write(const std::string& name, const std::string& content) const {
        std::ofstream(m_path / name, std::ios::binary) << content;
        return m_path / name;
    }

private:
    fs::path m_path;
};

TEST(MessageFileParsing, ReadsKeyTextLinesAndSkipsCommentsAndBlankLines) {
    const auto texts =
        parseMessages("# heading\n\nA.00001=first\n   # indented comment\nA.00002=second\n", "f");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts.at("A.00001"), "first");
    EXPECT_EQ(texts.at("A.00002"), "second");
}

TEST(MessageFileParsing, KeepsBlanksAndEqualSignsThatBelongToTheText) {
    const auto texts = parseMessages(" K1 =Total quantity: \nK2=a=b\nK3=\n", "f");
    EXPECT_EQ(texts.at("K1"), "Total quantity: ");
    EXPECT_EQ(texts.at("K2"), "a=b");
    EXPECT_EQ(texts.at("K3"), "");
}

TEST(MessageFileParsing, IgnoresByteOrderMarkAndWindowsLineEnds) {
    const auto texts = parseMessages("\xEF\xBB\xBFK1=仓库\r\nK2=部门\r\n", "f");
    EXPECT_EQ(texts.at("K1"), "仓库");
    EXPECT_EQ(texts.at("K2"), "部门");
}

TEST(MessageFileParsing, ReadsEscapedLineBreaksTabsAndBackslashes) {
    const auto texts = parseMessages("K=one\\ntwo\\tthree\\\\n\n", "f");
    EXPECT_EQ(texts.at("K"), "one\ntwo\tthree\\n");
}

TEST(MessageFileParsing, RejectsALineWithoutKeyNamingFileAndLine) {
    try {
        (void)parseMessages("K=ok\n\nthis line is broken\n", "messages.en.txt");
        FAIL() << "a line without '=' was accepted";
    } catch (const MessageResourceError& e) {
        EXPECT_NE(std::string(e.what()).find("messages.en.txt, line 3"), std::string::npos) << e.what();
    }
    EXPECT_THROW((void)parseMessages("=text without key\n", "f"), MessageResourceError);
}

TEST(MessageResourceTexts, ReturnsTheKeyItselfWhenTheFileLacksIt) {
    TempDir dir;
    MessageResource resource(dir.write("m.txt", "Q9.IA.TARVENISH.00019=仓库\n"));
    EXPECT_EQ(resource.GetText("Q9.IA.TARVENISH.00019"), "仓库");
    EXPECT_EQ(resource.GetText("Q9.IA.TARVENISH.00099"), "Q9.IA.TARVENISH.00099");
}

TEST(MessageResourceTexts, ThrowsNamingTheFileWhenItCannotBeRead) {
    TempDir dir;
    MessageResource resource(dir.path() / "absent.txt");
    try {
        (void)resource.GetText("K");
        FAIL() << "a missing file gave a text";
    } catch (const MessageResourceError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.txt"), std::string::npos) << e.what();
    }
}

TEST(MessageResourceTexts, KeepsTheTextsItReadUntilUnloadedThenReadsTheFileAfresh) {
    TempDir dir;
    const auto file = dir.write("m.txt", "K=before\n");
    MessageResource resource(file);
    EXPECT_EQ(resource.GetText("K"), "before");
    dir.write("m.txt", "K=after\n");
    EXPECT_EQ(resource.GetText("K"), "before");
    resource.Unload();
    EXPECT_FALSE(resource.loaded());
    EXPECT_EQ(resource.GetText("K"), "after");
}

TEST(MessageLanguageChoice, IsChineseWhenNothingAsksForEnglish) {
    EnvGuard lang("LANG", "zh_CN.UTF-8");
    EnvGuard own("TARVENISH_LANG", nullptr);
    EXPECT_EQ(messageLanguage(), MessageLanguage::Chinese);
    EnvGuard noLang("LANG", nullptr);
    EXPECT_EQ(messageLanguage(), MessageLanguage::Chinese);
}

TEST(MessageLanguageChoice, IsEnglishForAnEnglishLang) {
    EnvGuard lang("LANG", "en_US.UTF-8");
    EnvGuard own("TARVENISH_LANG", nullptr);
    EXPECT_EQ(messageLanguage(), MessageLanguage::English);
}

TEST(MessageLanguageChoice, FollowsTheComponentsOwnVariableBeforeLang) {
    EnvGuard lang("LANG", "en_US.UTF-8");
    {
        EnvGuard own("TARVENISH_LANG", "zh_CN");
        EXPECT_EQ(messageLanguage(), MessageLanguage::Chinese);
    }
    EnvGuard chineseLang("LANG", "zh_CN.UTF-8");
    EnvGuard own("TARVENISH_LANG", "en");
    EXPECT_EQ(messageLanguage(), MessageLanguage::English);
}

TEST(MessageFileChoice, TakesTheDirectoryFromTheEnvironmentFirst) {
    EnvGuard dir("TARVENISH_RESOURCES", "/somewhere/else");
    EXPECT_EQ(messageDirectory(), fs::path("/somewhere/else"));
    EXPECT_EQ(messageFile("/r", MessageLanguage::English), fs::path("/r/messages.en.txt"));
    EXPECT_EQ(messageFile("/r", MessageLanguage::Chinese), fs::path("/r/messages.zh_CN.txt"));
}

TEST(MessageFileChoice, FallsBackToTheChineseFileWhenTheEnglishOneIsMissing) {
    TempDir dir;
    dir.write("messages.zh_CN.txt", "K=中文\n");
    EnvGuard resources("TARVENISH_RESOURCES", dir.path().c_str());
    EnvGuard own("TARVENISH_LANG", "en");
    MessageResource resource;
    EXPECT_EQ(resource.GetText("K"), "中文");

    dir.write("messages.en.txt", "K=English\n");
    resource.Unload();
    EXPECT_EQ(resource.GetText("K"), "English");
}

TEST(MessageBoxes, GoThroughThePresenterAndReturnItsAnswer) {
    auto presenter = std::make_shared<HeadlessMessagePresenter>(std::initializer_list<int>{msgbox::kCancel});
    MessageResource resource(fs::path("unused.txt"));
    resource.setPresenter(presenter);

    EXPECT_EQ(resource.ShowMessage("delete?", 33, "title", 0, 0), msgbox::kCancel);
    EXPECT_EQ(resource.ShowMessage("stop", 16), msgbox::kOk);  // the script has run out
    ASSERT_EQ(presenter->shown().size(), 2u);
    EXPECT_EQ(presenter->shown()[0], (ShownMessage{"delete?", 33, "title"}));
    EXPECT_EQ(presenter->shown()[1], (ShownMessage{"stop", 16, ""}));
}

TEST(MessageBoxes, FailWithThePromptWhenNoPresenterIsInstalled) {
    MessageResource resource(fs::path("unused.txt"));
    try {
        (void)resource.ShowMessage("the totals differ", 16);
        FAIL() << "a box without a presenter reported an answer";
    } catch (const MessageResourceError& e) {
        EXPECT_NE(std::string(e.what()).find("the totals differ"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace tarvenish
