#include "platform/dll/library_just_account.h"

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "component/answer_reason.h"
#include "component/run_context.h"
#include "component/run_outputs.h"
#include "component/run_report.h"
#include "ledger/db/busy_timeout.h"
#include "platform/dll/library_presenters.h"
#include "platform/dll/library_settings.h"

namespace tarvenish {
namespace {
// The connection string of the account set a JustAccount call names, empty when it names none.
std::string accountSetOf(std::span<const Variant> args) {
    if (args.size() < 2) return {};
    const ConnectionPtr connection = args[1].toConnection();
    return connection ? connection->connectionString() : std::string();
}
}  // namespace

Variant LibraryJustAccount::call(DispId id, std::span<const Variant> args) {
    const LibrarySettings settings = readLibrarySettings();
    for (const std::string& problem : settings.problems)
        std::fprintf(stderr, "TARVENISH: %s\n", problem.c_str());
    // A setting removed between two calls takes the default again.
    setBusyTimeout(settings.busyTimeout.value_or(kDefaultBusyTimeout));
    const LibraryPresenters presenters(settings.onMismatch);
    if (id == kDispIdIFIAstart || id == kDispIdIFEnd) {
        const ConnectionPtr connection = args[1].toConnection();
        const CheckAnswer answer = id == kDispIdIFIAstart
                                       ? object().startCheck(args[0].toI2(), connection)
                                       : object().documentsCheck(args[0].toI2(), connection);
        // A host that hears false learns why when nothing was asked, in the words the command gives.
        if (!answer.refusal.empty()) std::fprintf(stderr, "TARVENISH: %s\n", answer.refusal.c_str());
        return Variant::boolean(answer.result);
    }
    if (id != kDispIdJustAccount) return JustAccountDispatch::call(id, args);

    // The report, the log and the details are opened before the run: one that cannot be written leaves the
    // account set as it was, and the host hears false as for any run that did not happen.
    std::optional<RunOutputs> outputs;
    try {
        // An empty variable is a setting not given, as for every other setting of the library.
        const auto named = [](const char* variable, const std::string& path) {
            return path.empty() ? std::nullopt : std::optional<NamedOutput>(NamedOutput{variable, path});
        };
        outputs.emplace(accountSetOf(args),
                        OutputPaths{.report = named(kReportVariable, settings.reportPath),
                                    .log = named(kLogVariable, settings.logPath),
                                    .details = named(kDetailsVariable, settings.detailsPath)});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "TARVENISH: %s; the run was not started\n", error.what());
        return Variant::boolean(false);
    }
    RunContext context;
    context.presenter = presenters.adjustment();
    context.dryRun = settings.dryRun;
    bool result = false;
    {
        const RunOutputs::Listening listening(*outputs, context);
        result = object().justAccount(context, args[0].toI2(), args[1].toConnection());
    }
    // The run is done and its answer stands; the host's log tells what of its record is missing.
    std::vector<std::string> problems = outputs->finish(context.report);
    if (std::string journal = incompleteRecord(context.report); !journal.empty())
        problems.push_back(std::move(journal));
    for (const std::string& problem : problems)
        std::fprintf(stderr, "TARVENISH: %s (the run itself is done)\n", problem.c_str());
    // A host that hears false learns why, in the words the command gives.
    if (!result) std::fprintf(stderr, "TARVENISH: %s\n", answerReason(context.report).c_str());
    return Variant::boolean(result);
}

}  // namespace tarvenish
