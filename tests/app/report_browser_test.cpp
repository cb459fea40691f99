// The reconciliation report in a real browser: headless Chromium loads it from its file without a single
// console message, its document holds the pair rows, and it renders to a PNG.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {
namespace {

// The browser on PATH ("chromium"), or nullopt where none is installed.
std::optional<std::string> chromium() {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::filesystem::path program = std::filesystem::path(folder) / "chromium";
        if (std::filesystem::exists(program)) return program.string();
    }
    return std::nullopt;
}

// Runs the browser headless on `page` with a profile of its own and nothing fetched from the network.
CommandResult browse(const std::string& program, const ScratchDir& dir, const std::string& profile,
                     std::vector<std::string> what, const std::string& page) {
    std::filesystem::create_directory(dir.file(profile));
    std::vector<std::string> args{"--headless",
                                  "--no-sandbox",
                                  "--disable-gpu",
                                  "--disable-quic",
                                  "--no-first-run",
                                  "--disable-background-networking",
                                  "--disable-component-update",
                                  "--disable-sync",
                                  "--user-data-dir=" + dir.file(profile),
                                  "--enable-logging=stderr",
                                  "--v=0"};
    for (std::string& option : what) args.push_back(std::move(option));
    args.push_back("file://" + page);
    return runProgram(program, args);
}

TEST(ReportInABrowser, LoadsWithoutConsoleMessagesAndShowsThePairRows) {
    const auto program = chromium();
    if (!program) GTEST_SKIP() << "no chromium on PATH";
    const ScratchDir dir;
    const std::string path = makeDemo(dir, "set.db", PairMode::Warehouse, 24, 25);
    ASSERT_EQ(runCommand({"run", "--db", path, "--ui", "none", "--on-mismatch", "balance"}).exitCode, 0);
    const std::string page = std::filesystem::absolute(dir.file("report.html")).string();
    ASSERT_EQ(runCommand({"report", "--db", path, "--html", page}).exitCode, 0);

    const CommandResult dom = browse(*program, dir, "dom", {"--dump-dom"}, page);
    ASSERT_EQ(dom.exitCode, 0) << dom.err;
    EXPECT_EQ(dom.err.find(":CONSOLE"), std::string::npos) << dom.err;
    const std::string pairs = *LedgerFile(path).scalar("select count(*) from tarvenish_pair_facts");
    std::size_t rows = 0;
    for (std::size_t at = dom.out.find("<tr class=\"pair\">"); at != std::string::npos;
         at = dom.out.find("<tr class=\"pair\">", at + 1))
        ++rows;
    EXPECT_EQ(std::to_string(rows), pairs);
    EXPECT_NE(dom.out.find("<svg"), std::string::npos);

    const std::string png = dir.file("report.png");
    const CommandResult shot =
        browse(*program, dir, "shot", {"--window-size=1280,1400", "--screenshot=" + png}, page);
    ASSERT_EQ(shot.exitCode, 0) << shot.err;
    std::ifstream image(png, std::ios::binary);
    std::string signature(8, '\0');
    image.read(signature.data(), 8);
    EXPECT_EQ(signature, "\x89PNG\r\n\x1a\n");
}

}  // namespace
}  // namespace tarvenish::test
