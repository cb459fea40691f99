#include "app/report_command.h"

#include <cstdio>
#include <exception>

#include "app/locked_account_set.h"
#include "app/report_html.h"
#include "component/output_file.h"
#include "component/output_paths.h"
#include "component/run_journal.h"
#include "ledger/db/connection_redaction.h"
#include "reconcile/run_record.h"

namespace tarvenish::app {

namespace {

// The account set as the page names it: its file, or its connection string without the password.
std::string accountSetName(const AccountSetOptions& accountSet, const Connection& connection) {
    if (!accountSet.path.empty()) return accountSet.path;
    return redactedConnectionString(connection.connectionString());
}

}  // namespace

int writeRunReport(const AccountSetOptions& accountSet, const ReportOptions& options) {
    const std::string connectionString =
        accountSetConnectionString(accountSet.path, accountSet.connectionString);
    // The page is opened before the journal is read: a path that would write over the account set is refused
    // with nothing read, as run's outputs are.
    std::optional<OutputFile> page;
    try {
        refuseUnsafeOutputs(connectionString, {.report = NamedOutput{"--html", options.htmlPath}});
        page.emplace("report", options.htmlPath, OpenMode::Truncate);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tarvenish: %s\n", error.what());
        return 2;
    }
    const LockedAccountSet locked(accountSet, RunLockUse::Read);
    if (locked.refusal() != 0) return locked.refusal();
    const RunRecordRead read = readRunRecord(locked.connection(), options.runId);
    const std::string name = accountSetName(accountSet, locked.connection());
    ConnectionPool::clear();
    switch (read.status) {
        case RunRecordStatus::NoJournal:
        case RunRecordStatus::NoRuns:
            std::fprintf(stderr, "tarvenish: no runs recorded\n");
            return 2;
        case RunRecordStatus::NoSuchRun:
            std::fprintf(stderr, "tarvenish: run %ld is not recorded\n", options.runId.value_or(0));
            return 2;
        case RunRecordStatus::Found:
            break;
    }
    const MessageLanguage language = options.language.value_or(messageLanguage());
    MessageResource texts(messageFile(messageDirectory(), language));
    page->write(reportPage(*read.record, name, texts, language, journalTimestamp()));
    if (!page->finish()) {
        std::fprintf(stderr, "tarvenish: %s\n", page->error().c_str());
        return 4;
    }
    if (!page->isStandardOutput())
        std::printf("report of run %ld written to %s\n", read.record->run.runId, options.htmlPath.c_str());
    return 0;
}

}  // namespace tarvenish::app
