#pragma once
// The per-run images of the lines the per-pair statements read (pair_lines.h), kept for one SQLite
// connection: each built in a temporary table on first use, answered from while nothing could have changed
// the lines, dropped as soon as something might have.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/engine.h"
#include "ledger/sql/statement.h"

namespace tarvenish {

class IssuedColumnBeside;

// What a connection runs for its images. Statements are SQLite's SQL.
class PairImageSql {
public:
    virtual ~PairImageSql() = default;
    // Runs one statement. Throws DbError.
    virtual void run(const std::string& sqliteText) = 0;
    // The first column of every row of a query, each as text (a null as an empty text). Throws DbError.
    [[nodiscard]] virtual std::vector<std::string> firstColumn(const std::string& sqliteText) = 0;
    // SQLite's data version: it moves with every commit another connection makes; nullopt when unknown.
    [[nodiscard]] virtual std::optional<std::uint64_t> dataVersion() = 0;
};

// False when the connection string says "Pair Image=Off" (or No, 0, False): every per-pair statement then
// runs as it is, reading all the item's lines.
[[nodiscard]] bool pairImagesWanted(const ConnectionSettings& settings) noexcept;

// The fixed plan of a built per-pair statement in SQLite's SQL (pairPlanForm of its translated shape);
// nullopt when it has none.
[[nodiscard]] std::optional<std::string> fixedPairText(const Statement& statement);

class PairImages final {
public:
    // `on` false: every statement runs as it is.
    explicit PairImages(bool on) noexcept : m_on(on) {}

    // The SQLite text that answers `statement` from the image of its lines, its values bound as its shape
    // has them; the image is built first when there is none or it is no longer valid (never for the dialog's
    // receipt lines, which read one pair). nullopt: run the
    // statement as it is (not a per-pair kind, a form the image does not know, an image that cannot be built
    // on this schema).
    // `version`: the data version already read for this statement, if any (it is read otherwise).
    [[nodiscard]] std::optional<std::string> answerFor(const Statement& statement, PairImageSql& sql,
                                                       std::optional<std::uint64_t> version = std::nullopt);

    // After a statement of kind `kind` ran, `wrote` when it changed the database: any write but the run's
    // own per-pair ones (the opening rows and the journal) may have changed the lines, and drops the images.
    void ran(StatementKind kind, bool wrote, PairImageSql& sql) noexcept;
    // Rows are about to be appended to `table`: the images go when it is one of the tables they read.
    void appending(std::string_view table, PairImageSql& sql) noexcept;
    // Drops every image (at a rollback, at the end of a run).
    void drop(PairImageSql& sql) noexcept;
    // An answer failed or could not be prepared: the images are dropped, and after a few such failures
    // every statement of the connection runs as it is.
    void answerFailed(PairImageSql& sql) noexcept;
    // Forgets every image without touching the connection: its temporary tables went with a rollback or
    // with the connection.
    void forget() noexcept;

    // The per-pair statements read the issued-quantity pass's column through `beside` (which must outlive
    // this object) while it keeps one.
    void readThrough(IssuedColumnBeside* beside) noexcept { m_beside = beside; }
    // Forgets the answers made so far: the texts they were made from read otherwise now.
    void forgetAnswers() noexcept { m_byShape.clear(); }

    // Diagnostic: the images built so far, rebuilds included.
    [[nodiscard]] std::size_t builds() const noexcept { return m_builds; }

private:
    struct Image {
        std::string lines;  // PairLinesForm::lines
        std::string name;   // the temporary table
        std::vector<std::string> tables;
        std::string create;
        std::string fill;
        std::optional<std::uint64_t> version;  // set while the table holds the lines
        bool unusable = false;  // its build failed: this connection's statements run as they are
    };
    struct Answer {
        std::size_t image = 0;
        std::string text;
    };

    // The answer of a shape seen for the first time; nullopt for a shape the image cannot answer.
    [[nodiscard]] std::optional<Answer> answerOf(const Statement& statement, PairImageSql& sql);
    // Builds `image` afresh as of data version `version`; false when it cannot be built.
    bool build(Image& image, std::uint64_t version, PairImageSql& sql) noexcept;

    bool m_on;
    IssuedColumnBeside* m_beside = nullptr;
    std::vector<Image> m_images;
    std::map<std::string, std::optional<Answer>, std::less<>> m_byShape;
    std::size_t m_builds = 0;
    int m_failures = 0;
};

// True when `sqliteText` can only read: a select.
[[nodiscard]] bool onlyReads(std::string_view sqliteText) noexcept;

}  // namespace tarvenish
