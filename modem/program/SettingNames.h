// The names settings have in the INI file, for a setting of a few values: one table of value
// and name, read both ways. A name not in the table reads as the table's first value.
#pragma once

#include <string>
#include <utility>

namespace engineio {

template <typename Value, std::size_t N>
Value valueNamed(const std::pair<Value, const char *> (&table)[N], const std::string &name)
{
    for (const auto &[value, text] : table)
        if (name == text)
            return value;
    return table[0].first;
}

template <typename Value, std::size_t N>
std::string nameOf(const std::pair<Value, const char *> (&table)[N], Value value)
{
    for (const auto &[v, text] : table)
        if (v == value)
            return text;
    return table[0].second;
}

} // namespace engineio
