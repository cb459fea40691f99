#pragma once
// What one run did, pair by pair, and every step it skipped under its continue-on-error mode.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvenish {

struct StepFailure {
    std::string step;       // which step of the run, e.g. "regenerate pair 01/A001"
    std::string statement;  // the statement as built, empty where none
    std::string message;    // the engine's message or the error's text
    // The failure blocks every later statement too (disk full, I/O error, a lock that cannot be had): a step
    // that cannot tell the run otherwise, such as the dialog's commit, says so here.
    bool blocksRun = false;
};

// The step under which a run says that its row in the journal could not be completed.
inline constexpr std::string_view kJournalIncompleteStep = "the run's journal";

enum class PairOutcome { Regenerated, Confirmed, Skipped, Failed };

// A pair whose opening rows, read back after the run, do not total what the run compared or confirmed.
struct VerificationDifference {
    std::string code;     // warehouse or department code
    std::string invCode;  // item code
    double expectedQuantity = 0;
    double expectedMoney = 0;
    double foundQuantity = 0;
    double foundMoney = 0;
};

// The run's check of its own work: the pairs it rebuilt or that were confirmed, read back.
struct Verification {
    bool ran = false;
    int pairsChecked = 0;
    int pairsDiffering = 0;
    std::vector<VerificationDifference> differences;
};

// Why a run ended before its last pair, beyond a cancel in the dialog.
enum class RunStop {
    None,
    Locked,  // another run holds the account set: nothing was changed
    // The account set cannot be used for a run (no run lock can be made, a decimals setting that names no
    // decimals): nothing was changed.
    Refused,
    // A whole-run failure: a step without which no pair can be done right (mode, keep date, issued-quantity
    // pass, pair summary, removal of the temporary column) or a failure no later pair can escape (disk full,
    // I/O error, read-only or corrupt database, a write lock that cannot be had).
    Fatal,
    Interrupted,  // a stop was requested (SIGINT, SIGTERM in the command)
};

// The line a confirm added to take up what the grid lacked of the pair's totals.
struct BalancingLine {
    std::string voucherCode;
    double quantity = 0;
    double money = 0;
};

// What the dialog's confirm wrote for its pair, for the run to account without reading the rows again.
struct ConfirmedPair {
    // The grid totals written, which the pair's rows now hold.
    double quantity = 0;
    double money = 0;
    long rowsDeleted = 0;
    long rowsInserted = 0;
    std::optional<BalancingLine> balancing;
};

// What became of one pair, once final (a rebuilt pair once its batch is durable).
struct PairDetail {
    std::string code;     // warehouse or department code
    std::string invCode;  // item code
    PairOutcome outcome = PairOutcome::Skipped;
    // The pair's opening rows before and after; empty where the run did not count them.
    std::optional<long> rowsBefore;
    std::optional<long> rowsAfter;
    // The totals the run compared (the pair summary's), and those the pair now holds; empty when unreadable.
    std::optional<double> quantityBefore;
    std::optional<double> moneyBefore;
    std::optional<double> quantityAfter;
    std::optional<double> moneyAfter;
    // The balancing line a confirm added, if any.
    std::optional<BalancingLine> balancing;
    // The names of the warehouse (or department) and the item, as the pair summary gave them.
    std::string name;
    std::string invName;
    // The stock ledger's remaining totals of the pair; empty when the run did not read them or could not.
    std::optional<double> stockQuantity;
    std::optional<double> stockMoney;
};

// Where a run's time went, in seconds: steady-clock sums over its steps. Statements of a dialog's confirm
// are not among them.
struct RunTimings {
    double issuedQuantity = 0;  // the issued-quantity pass, the removal of its column at the end included
    double totalsQueries = 0;   // the pair loop's stock-totals queries
    double deletes = 0;         // the rebuilt pairs' deletes of their old opening rows
    double inserts = 0;         // their inserts of the new ones
    double commits = 0;         // the rebuilt pairs' commits and the batches made durable
    double check = 0;           // the post-run check reading the rebuilt and confirmed pairs back
    double journal = 0;         // the run's journal: its tables and run row, each pair's images, its end
    double total = 0;           // the whole run, the above and everything else
    // Of the total, SQLite's own running of the statements (on the embedded engine; 0 through ODBC): the rest
    // is the component's work around them.
    double inSqlite = 0;
};

struct RunReport {
    bool result = true;
    bool cancelled = false;
    // The figures are those of a run on a snapshot: the account set itself was not changed.
    bool dryRun = false;
    RunStop stop = RunStop::None;
    // The signal that interrupted the run, 0 when none did.
    int stopSignal = 0;
    int pairsTotal = 0;
    int pairsRegenerated = 0;
    int pairsConfirmed = 0;
    int pairsSkipped = 0;
    int pairsFailed = 0;
    // The pairs a cancel or a stop left unreached ("code/item", in the pairs' order): they keep their rows
    // and have no count above.
    std::vector<std::string> pairsNotReached;
    // The dialogs were answered at once by a policy, not shown to a person.
    bool dialogsByPolicy = false;
    // The policy that answers the dialogs when no person does ("skip", "balance", ...); empty when a person
    // answers them.
    std::string policy;
    long rowsDeleted = 0;
    long rowsInserted = 0;
    std::vector<StepFailure> failures;
    Verification verification;
    RunTimings timings;
    // The run's number in the account set's journal (tarvenish_runs; the report's journal_run), 0 while it
    // has none.
    long runId = 0;
    // The decimals the run compares and writes quantities at (iStrsQuanDecDgt), once it has read them.
    int quantityDigits = 0;
    // Where the run copied the account set before its first change (an absolute path), empty for no copy.
    std::string backupPath;
    // The run's row in the journal could not be completed at its end: its pairs' rows stand as reported.
    bool journalIncomplete = false;
    // Why the run was cancelled when nobody pressed Cancel (no window and no policy), empty otherwise.
    std::string cancelledBecause;

    // Called for every failure as it is recorded (the command line's log listens here).
    std::function<void(const StepFailure&)> onFailure;
    // Called for every pair as its outcome becomes final (the per-pair details listen here).
    std::function<void(const PairDetail&)> onPairDone;
    // Called after each pair with its position (1-based) and the pair count (progress display).
    std::function<void(int done, int total)> onProgress;
    // Called as the run enters each of its phases (the issued quantities, the pairs, the check, ...).
    std::function<void(std::string_view phase)> onPhase;

    void recordFailure(StepFailure failure);
    void count(PairOutcome outcome);
    // Tells the phase listener, if any, that the run enters `phase`.
    void phase(std::string_view name) const {
        if (onPhase) onPhase(name);
    }
    // Hands `detail` to the listener, if any.
    void pairDone(const PairDetail& detail) const;
    // Clears the figures and failures; the listeners stay.
    void reset();
};

}  // namespace tarvenish
