// Arguments the command refuses before it touches anything (exit 2), and the one that only answers.

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "command_support.h"

namespace tarvenish::test {
namespace {

struct ArgumentCase {
    const char* name;
    std::vector<std::string> args;  // "{db}" an account set, "{new}" a path with no file, "{folder}" a folder
    int exitCode;
    std::string says;  // found in standard output or error
};

void PrintTo(const ArgumentCase& argumentCase, std::ostream* out) {
    *out << argumentCase.name;
}

class CommandArguments : public ::testing::TestWithParam<ArgumentCase> {
protected:
    ScratchDir m_dir;
    std::string m_db = makeDemo(m_dir, "ledger.db", PairMode::Warehouse);
    std::string m_new = m_dir.file("new.db");
    std::string m_folder = m_dir.file("folder");
};

TEST_P(CommandArguments, AreAnsweredWithoutTouchingAnything) {
    std::filesystem::create_directory(m_folder);
    const auto before = sortedRows(LedgerFile(m_db), "select * from IA_Subsidiary");
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args)
        args.push_back(arg == "{db}" ? m_db : arg == "{new}" ? m_new : arg == "{folder}" ? m_folder : arg);

    const auto result = runCommand(args);
    EXPECT_EQ(result.exitCode, GetParam().exitCode) << result.out << result.err;
    EXPECT_NE((result.out + result.err).find(GetParam().says), std::string::npos) << result.out << result.err;
    EXPECT_EQ(sortedRows(LedgerFile(m_db), "select * from IA_Subsidiary"), before);
    EXPECT_FALSE(std::filesystem::exists(m_new));
    EXPECT_TRUE(std::filesystem::is_directory(m_folder));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandArguments,
    ::testing::Values(
        ArgumentCase{"AccSqlOtherThanZeroOrOne", {"run", "--db", "{db}", "--acc-sql", "2"}, 2, "--acc-sql"},
        ArgumentCase{"DialectContradictingAccSql",
                     {"run", "--db", "{db}", "--acc-sql", "1", "--dialect", "desktop"},
                     2,
                     "contradicts"},
        ArgumentCase{
            "NegativeBusyTimeout", {"run", "--db", "{db}", "--busy-timeout", "-1"}, 2, "not in range"},
        ArgumentCase{
            "DemoWithTooManyPairs", {"demo", "--db", "{new}", "--pairs", "2147483647"}, 2, "--pairs"},
        ArgumentCase{"DemoWithTooManyLinesPerPair",
                     {"demo", "--db", "{new}", "--lines-per-pair", "100000"},
                     2,
                     "--lines-per-pair"},
        ArgumentCase{"DemoTooLargeAsAWhole",
                     {"demo", "--db", "{new}", "--pairs", "2000000", "--lines-per-pair", "1000"},
                     2,
                     "at most"},
        ArgumentCase{"UnknownCommand", {"runn", "--db", "{db}"}, 2, "unknown command 'runn'"},
        ArgumentCase{"UndoOfARunNumberTooLarge",
                     {"undo", "--db", "{db}", "--run", "99999999999999999999"},
                     2,
                     "is not the number of a run"},
        ArgumentCase{"ReportOntoTheAccountSet",
                     {"run", "--db", "{db}", "--ui", "none", "--report", "{db}"},
                     2,
                     "is the account set itself"},
        ArgumentCase{"DbNamingAFolder", {"run", "--db", "{folder}", "--ui", "none"}, 2, "names a folder"},
        ArgumentCase{"DemoForcedOntoAFolder", {"demo", "--db", "{folder}", "--force"}, 2, "left alone"},
        ArgumentCase{"Version", {"--version"}, 0, "tarvenish " TARVENISH_VERSION}),
    [](const ::testing::TestParamInfo<ArgumentCase>& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace tarvenish::test
