#pragma once
// A count with its noun in the right number, for messages: "1 number", "2 numbers".

#include <QString>

#include <cstdint>

namespace quorvan {

inline QString Counted(std::uint64_t count, const char* one, const char* many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

} // namespace quorvan
