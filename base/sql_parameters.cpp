#include "base/sql_parameters.h"

#include <stdexcept>

#include "base/ascii_text.h"
#include "base/number_format.h"
#include "base/sql_tokenizer.h"

namespace tarvenish {
namespace {

// The words that decide which literals stay in a statement's text; every statement's every word is looked up,
// so each is classified once.
enum class Keyword : unsigned char {
    None,
    Select,
    Insert,
    Update,
    Delete,
    Over,
    Pragma,
    Into,
    From,
    Where,
    By,
    Order,
    Group,
    Having,
    Limit,
    Union,
    Except,
    Intersect,
    Window,
    As
};

Keyword keywordOf(std::string_view word) {
    struct Entry {
        std::string_view text;
        Keyword keyword;
    };
    static constexpr Entry kEntries[] = {
        {"select", Keyword::Select}, {"insert", Keyword::Insert},       {"update", Keyword::Update},
        {"delete", Keyword::Delete}, {"over", Keyword::Over},           {"pragma", Keyword::Pragma},
        {"into", Keyword::Into},     {"from", Keyword::From},           {"where", Keyword::Where},
        {"by", Keyword::By},         {"order", Keyword::Order},         {"group", Keyword::Group},
        {"having", Keyword::Having}, {"limit", Keyword::Limit},         {"union", Keyword::Union},
        {"except", Keyword::Except}, {"intersect", Keyword::Intersect}, {"window", Keyword::Window},
        {"as", Keyword::As}};
    if (word.size() < 2 || word.size() > 9) return Keyword::None;
    const char first = lowerAscii(word.front());
    for (const Entry& entry : kEntries) {
        if (entry.text.size() == word.size() && entry.text.front() == first && equalsNoCase(word, entry.text))
            return entry.keyword;
    }
    return Keyword::None;
}

// A numeric literal as SQLite reads it; nullopt for an integer too large for 64 bits (SQLite would make it
// a real, so it stays in the text).
std::optional<SqlLiteral> numberLiteral(std::string_view text) {
    SqlLiteral literal;
    if (text.find_first_of(".eE") == std::string_view::npos) {
        if (!parseWholeNumber(text, literal.integer)) return std::nullopt;
        literal.kind = SqlLiteral::Kind::Integer;
        return literal;
    }
    if (!parseNumber(text, literal.real)) return std::nullopt;
    literal.kind = SqlLiteral::Kind::Real;
    return literal;
}

// A '..' or N'..' literal's value.
SqlLiteral textLiteral(std::string_view raw, bool national) {
    if (national) raw.remove_prefix(1);
    raw = raw.substr(1, raw.size() - 2);
    SqlLiteral literal;
    literal.kind = SqlLiteral::Kind::Text;
    literal.text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        literal.text += raw[i];
        if (raw[i] == '\'' && i + 1 < raw.size() && raw[i + 1] == '\'') ++i;
    }
    return literal;
}

// What a bracket level says about the literals inside it.
struct Level {
    bool selectList = false;  // between SELECT and its FROM
    bool ordering = false;    // after ORDER BY or GROUP BY
    bool typeArguments = false;
};

}  // namespace

std::optional<ParameterizedSql> parameterizeSql(std::string_view statement) {
    std::vector<SqlToken> tokens;
    try {
        tokens = tokenizeSql(statement);
    } catch (const std::invalid_argument&) {
        return std::nullopt;
    }
    std::vector<std::size_t> significant;
    significant.reserve(tokens.size());
    std::vector<Keyword> keywords;
    keywords.reserve(tokens.size());
    const auto raw = [&](std::size_t token) {
        return statement.substr(tokens[token].begin, tokens[token].end - tokens[token].begin);
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind == TokenKind::Blank) continue;
        significant.push_back(i);
        keywords.push_back(tokens[i].kind == TokenKind::Word ? keywordOf(raw(i)) : Keyword::None);
    }
    if (significant.empty()) return std::nullopt;
    const auto keyword = [&](std::size_t n) { return n < keywords.size() ? keywords[n] : Keyword::None; };

    const Keyword first = keyword(0);
    if (first != Keyword::Select && first != Keyword::Insert && first != Keyword::Update &&
        first != Keyword::Delete)
        return std::nullopt;
    // The result columns of a query are named after their expressions, literals included.
    const bool query = first == Keyword::Select;

    ParameterizedSql result;
    result.shape.reserve(statement.size() + 16);
    std::vector<Level> levels(1);
    std::size_t copied = 0;  // statement offset up to which the shape has the text
    for (std::size_t n = 0; n < significant.size(); ++n) {
        const std::size_t t = significant[n];
        const SqlToken& token = tokens[t];
        const std::string_view text = raw(t);
        if (token.kind == TokenKind::Punct) {
            switch (text[0]) {
                case '?':
                case ':':
                case '@':
                case '$':
                    return std::nullopt;  // a parameter of its own
                case ';':
                    if (levels.size() == 1 && n + 1 < significant.size()) return std::nullopt;
                    break;
                case '(': {
                    Level inner;
                    inner.typeArguments = n >= 2 && tokens[significant[n - 1]].kind == TokenKind::Word &&
                                          keyword(n - 2) == Keyword::As;
                    levels.push_back(inner);
                    break;
                }
                case ')':
                    if (levels.size() > 1) levels.pop_back();
                    break;
                default:
                    break;
            }
            continue;
        }
        if (token.kind == TokenKind::Word) {
            Level& level = levels.back();
            switch (keywords[n]) {
                case Keyword::Over:
                case Keyword::Pragma:
                    return std::nullopt;
                case Keyword::Into:
                    // a select-into makes a table whose column types follow its expressions: literals must
                    // stay
                    if (query && levels.size() == 1) return std::nullopt;
                    break;
                case Keyword::Select:
                    level.selectList = true;
                    break;
                case Keyword::From:
                case Keyword::Where:
                    level.selectList = false;
                    break;
                case Keyword::By:
                    if (keyword(n - 1) == Keyword::Order || keyword(n - 1) == Keyword::Group)
                        level.ordering = true;
                    break;
                case Keyword::Having:
                case Keyword::Limit:
                case Keyword::Union:
                case Keyword::Except:
                case Keyword::Intersect:
                case Keyword::Window:
                    level.ordering = false;
                    break;
                default:
                    break;
            }
            continue;
        }
        if (token.kind != TokenKind::Text && token.kind != TokenKind::Number) continue;

        bool keep = (query && levels.front().selectList) || (n > 0 && keyword(n - 1) == Keyword::As);
        for (const Level& level : levels) keep = keep || level.ordering || level.typeArguments;
        // A literal glued to a word (x'0A', 1e) is not one SQLite reads as a plain value.
        if (t > 0 && tokens[t - 1].kind == TokenKind::Word && !token.national) keep = true;
        if (t + 1 < tokens.size() && tokens[t + 1].kind == TokenKind::Word) keep = true;
        if (keep) continue;

        std::optional<SqlLiteral> literal;
        if (token.kind == TokenKind::Number)
            literal = numberLiteral(text);
        else
            literal = textLiteral(text, token.national);
        if (!literal) continue;
        result.shape.append(statement.substr(copied, token.begin - copied));
        result.literals.push_back(std::move(*literal));
        result.shape += '?';
        result.shape += std::to_string(result.literals.size());
        copied = token.end;
    }
    result.shape.append(statement.substr(copied));
    return result;
}

}  // namespace tarvenish
