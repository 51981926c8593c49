// One row of a pupil's results: a label, a value and the value's kind.
#pragma once

#include <string>
#include <vector>

struct ResultRow {
    std::wstring label;
    std::wstring value;
    std::wstring kind; // "String" or "Number"

    bool operator==(const ResultRow& o) const
    {
        return label == o.label && value == o.value && kind == o.kind;
    }
};

typedef std::vector<ResultRow> ResultRows;
