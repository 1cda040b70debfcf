#pragma once

#include "Schema.h"
#include "TableStore.h"

#include "platform/core/FormatSettings.h"

#include <QString>
#include <memory>

// A table filter expression: field names in double quotes (or plain words), constants in
// single quotes ('' for a quote), numbers, True/False, = <> < > <= >=, and/or/not and
// parentheses; keywords in any letter case.
//
//   "Start date" >= '12/01/2026'and "Start date" <= '12/31/2026'
//
// parse() checks the syntax alone (it never looks at a table, so it can be fed any text);
// bind() resolves field names and converts constants to the types of the fields they are
// compared with; matches() evaluates a row. All errors are EDatabaseError.
//
// Comparisons with an empty field: = is true only when both sides are empty, <> when exactly
// one is, and the ordering operators are false (an event without a start date lies in no range).
class FilterExpression
{
public:
    struct Node;

    FilterExpression();
    FilterExpression(FilterExpression&&) noexcept;
    FilterExpression& operator=(FilterExpression&&) noexcept;
    ~FilterExpression();

    // Throws EDatabaseError naming the position of a syntax error. Blank text gives an
    // expression that every row passes.
    static FilterExpression parse(const QString& text);

    // Throws EDatabaseError for an unknown field ("Field '%s' not found"), a constant that is not
    // a value of the field's type (a date not in the short date format), or a comparison that
    // is not a condition.
    void bind(const TableSchema& schema, const FormatSettings& fs = formatSettings());

    // REQUIRES: bind() has succeeded. values: one per schema field, as the store holds them.
    bool matches(const RowValues& values) const;

    bool isEmpty() const { return !m_root; }
    // The parsed tree written back in a canonical form (tests and diagnostics).
    QString toString() const;

private:
    QString m_text;
    std::unique_ptr<Node> m_root;
};
