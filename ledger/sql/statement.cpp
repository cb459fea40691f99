#include "ledger/sql/statement.h"

#include <utility>

namespace tarvenish {

Statement Statement::asText(std::string text, StatementKind kind) {
    Statement statement;
    statement.m_kind = kind;
    statement.m_text = std::move(text);
    return statement;
}

Statement Statement::fixed(std::string text, StatementKind kind) {
    Statement statement;
    statement.m_kind = kind;
    statement.m_shape = text;
    statement.m_text = std::move(text);
    return statement;
}

void StatementBuilder::reserve(std::size_t size) {
    m_statement.m_text.reserve(size);
    m_statement.m_shape.reserve(size);
}

StatementBuilder& StatementBuilder::operator+=(std::string_view fixed) {
    m_statement.m_text += fixed;
    m_statement.m_shape += fixed;
    return *this;
}

StatementBuilder& StatementBuilder::operator+=(char fixed) {
    m_statement.m_text += fixed;
    m_statement.m_shape += fixed;
    return *this;
}

void StatementBuilder::addParameter() {
    m_statement.m_shape += '?';
    m_statement.m_shape += std::to_string(m_statement.m_values.size());
}

StatementBuilder& StatementBuilder::text(std::string_view value) {
    std::string& text = m_statement.m_text;
    text += "N'";
    for (const char c : value) {
        text += c;
        if (c == '\'') text += '\'';
    }
    text += '\'';
    m_statement.m_values.push_back({StatementValue::Kind::Text, 0, std::string(value)});
    addParameter();
    return *this;
}

StatementBuilder& StatementBuilder::integer(std::int64_t value) {
    m_statement.m_text += std::to_string(value);
    m_statement.m_values.push_back({StatementValue::Kind::Integer, value, {}});
    addParameter();
    return *this;
}

Statement StatementBuilder::build() {
    // A statement without values still has its shape: the text itself.
    if (m_statement.m_shape.empty()) m_statement.m_shape = m_statement.m_text;
    Statement next;
    next.m_kind = m_statement.m_kind;
    return std::exchange(m_statement, std::move(next));
}

}  // namespace tarvenish
