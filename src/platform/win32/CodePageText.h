// Conversions between the system's ANSI code page and UTF-16, for the adapters that read wide
// text from the system and hand the program its 8-bit text.
#pragma once

#include <cstddef>
#include <string>

#include "platform/text.h"

namespace ql::win32 {

// The code page's text for UTF-16 units; false when it cannot carry them exactly (a character
// it lacks, which a best-fit or default character would stand in for). Works for every code
// page, UTF-8 (65001) included, by converting back and comparing. The code page is the system's
// ANSI one (CP_ACP, 0) unless another is named.
bool ToAnsiExactly(const wchar_t* text, std::size_t units, AnsiString& ansi, unsigned codePage = 0);

// The UTF-16 text of code-page text, as the ANSI calls see it.
std::wstring ToWideText(const AnsiString& text, unsigned codePage = 0);

}  // namespace ql::win32
