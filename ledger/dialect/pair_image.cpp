#include "ledger/dialect/pair_image.h"

#include <stdexcept>

#include "base/ascii_text.h"
#include "base/sql_tokenizer.h"
#include "ledger/db/sqlite_names.h"
#include "ledger/dialect/bridge.h"
#include "ledger/dialect/issued_beside.h"
#include "ledger/dialect/pair_lines.h"
#include "ledger/dialect/pair_plan.h"

namespace tarvenish {
namespace {

bool holdsWord(std::string_view text, std::string_view word) {
    try {
        for (const SqlToken& token : tokenizeSql(text))
            if (token.kind == TokenKind::Word &&
                equalsNoCase(text.substr(token.begin, token.end - token.begin), word))
                return true;
    } catch (const std::invalid_argument&) {
        return true;
    }
    return false;
}

// The writes of a run's pairs: none of them changes a line an image holds.
bool keepsImages(StatementKind kind) noexcept {
    switch (kind) {
        case StatementKind::StockTotals:
        case StatementKind::ReceiptLines:
        case StatementKind::RegenerationInsert:
        case StatementKind::RegenerationDelete:
        case StatementKind::CommitDelete:
        case StatementKind::JournalPairImage:
            return true;
        default:
            return false;
    }
}

// The declared type of the item's column; nullopt when the image cannot compare as the statement does:
// a table that is not a plain table of the file, or one whose columns carry their own collation (the image
// compares codes byte by byte).
std::optional<std::string> itemTypeFor(const PairLinesForm& form, PairImageSql& sql) {
    for (const std::string& table : form.tables) {
        const std::vector<std::string> definition =
            sql.firstColumn("SELECT sql FROM main.sqlite_master WHERE type='table' AND name=" +
                            quotedText(unquotedName(table)) + " COLLATE NOCASE");
        if (definition.size() != 1 || holdsWord(definition.front(), "collate")) return std::nullopt;
    }
    const std::vector<std::string> type =
        sql.firstColumn("SELECT type FROM pragma_table_info(" + quotedText(unquotedName(form.item.table)) +
                        ") WHERE name=" + quotedText(unquotedName(form.item.column)) + " COLLATE NOCASE");
    if (type.size() != 1) return std::nullopt;
    return type.front();
}

}  // namespace

bool pairImagesWanted(const ConnectionSettings& settings) noexcept {
    return !switchedOff(settings, "pair image");
}

std::optional<std::string> fixedPairText(const Statement& statement) {
    if (statement.runsAsText() || !hasFixedPairPlan(statement.kind())) return std::nullopt;
    try {
        return pairPlanForm(statement.kind(), translateStatement(statement.shape()).text);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
}

std::optional<PairImages::Answer> PairImages::answerOf(const Statement& statement, PairImageSql& sql) {
    const std::optional<std::string> fixed = fixedPairText(statement);
    if (!fixed) return std::nullopt;
    std::optional<PairLinesForm> form = pairLinesForm(statement.kind(), *fixed);
    if (!form) return std::nullopt;
    const std::string lines = form->lines();
    std::size_t index = 0;
    while (index < m_images.size() && m_images[index].lines != lines) ++index;
    if (index == m_images.size()) {
        Image image;
        image.lines = lines;
        image.name = "tarvenish_pair_lines_" + std::to_string(index + 1);
        image.tables = form->tables;
        std::optional<std::string> itemType;
        try {
            itemType = itemTypeFor(*form, sql);
        } catch (const std::exception&) {
            // Only a speed-up: the statements run as they are.
        }
        image.unusable = !itemType;
        image.create = pairImageCreate(*form, image.name, itemType.value_or(""));
        image.fill = pairImageFill(*form, image.name);
        m_images.push_back(std::move(image));
    }
    // The issued-quantity column kept beside the lines is read through a join on the line's row.
    std::string join;
    if (m_beside != nullptr) {
        if (std::optional<IssuedColumnBeside::JoinedRead> joined = m_beside->readingJoined(form->head, sql)) {
            form->head = std::move(joined->head);
            join = std::move(joined->join);
        }
    }
    return Answer{index, pairImageAnswer(*form, m_images[index].name, join)};
}

std::optional<std::string> PairImages::answerFor(const Statement& statement, PairImageSql& sql,
                                                 std::optional<std::uint64_t> version) {
    if (!m_on || statement.runsAsText() || !hasFixedPairPlan(statement.kind())) return std::nullopt;
    auto known = m_byShape.find(statement.shape());
    if (known == m_byShape.end())
        known = m_byShape.emplace(statement.shape(), answerOf(statement, sql)).first;
    if (!known->second) return std::nullopt;
    Image& image = m_images[known->second->image];
    if (image.unusable) return std::nullopt;
    // Read before a build: a commit of another connection while the image is filled shows at the next use.
    const std::optional<std::uint64_t> now = version ? version : sql.dataVersion();
    if (!now) return std::nullopt;
    if (image.version != now) {
        // One pair's lines for the dialog do not pay for an image of every pair: the run's totals build it.
        if (statement.kind() == StatementKind::ReceiptLines) return std::nullopt;
        if (!build(image, *now, sql)) return std::nullopt;
    }
    return known->second->text;
}

bool PairImages::build(Image& image, std::uint64_t version, PairImageSql& sql) noexcept {
    image.version.reset();
    try {
        sql.run("DROP TABLE IF EXISTS temp." + image.name);
        // Each answer reads a leaf of the image: up to 16 MB of it stay in memory instead of in the temporary
        // file (at 1,000,000 lines the image takes about 13 MB).
        sql.run("PRAGMA temp.cache_size=-16384");
        sql.run(image.create);
        sql.run(image.fill);
        image.version = version;
        ++m_builds;
        return true;
    } catch (const std::exception&) {
        // A schema the image cannot read (a view, a table without row ids): the statements run as they are.
        image.unusable = true;
        try {
            sql.run("DROP TABLE IF EXISTS temp." + image.name);
        } catch (const std::exception&) {
        }
        return false;
    }
}

void PairImages::ran(StatementKind kind, bool wrote, PairImageSql& sql) noexcept {
    if (wrote && !keepsImages(kind)) drop(sql);
}

void PairImages::appending(std::string_view table, PairImageSql& sql) noexcept {
    for (const Image& image : m_images) {
        if (!image.version) continue;
        for (const std::string& read : image.tables) {
            if (equalsNoCase(unquotedName(read), unquotedName(table))) {
                drop(sql);
                return;
            }
        }
    }
}

void PairImages::drop(PairImageSql& sql) noexcept {
    for (Image& image : m_images) {
        if (!image.version) continue;
        image.version.reset();
        try {
            sql.run("DROP TABLE IF EXISTS temp." + image.name);
        } catch (const std::exception&) {
            // Left to the connection's end, which takes every temporary table with it; rebuilt afresh.
        }
    }
}

void PairImages::answerFailed(PairImageSql& sql) noexcept {
    drop(sql);
    // A table lost with a rollback is built again once; an answer that keeps failing is not tried again.
    constexpr int kFailuresAllowed = 3;
    if (++m_failures >= kFailuresAllowed) m_on = false;
}

bool onlyReads(std::string_view sqliteText) noexcept {
    try {
        for (std::size_t at = 0; at < sqliteText.size();) {
            const SqlToken token = readSqlToken(sqliteText, at);
            at = token.end;
            if (token.kind == TokenKind::Blank) continue;
            return token.kind == TokenKind::Word &&
                   equalsNoCase(sqliteText.substr(token.begin, token.end - token.begin), "select");
        }
    } catch (const std::invalid_argument&) {
    }
    return false;
}

void PairImages::forget() noexcept {
    for (Image& image : m_images) image.version.reset();
}

}  // namespace tarvenish
