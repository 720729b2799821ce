// The program's text type: 8-bit text in the system's ANSI code page, converted at the edges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ql {

using AnsiString = std::string;
using WideString = std::u16string;
using Bytes = std::vector<std::uint8_t>;
using StringList = std::vector<AnsiString>;

}  // namespace ql
