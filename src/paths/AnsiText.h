// Small rules on the program's 8-bit text that the registry helpers and the path resolution share.
#pragma once

#include "platform/text.h"

namespace ql {

// Strips every leading and trailing character whose code is 32 or below.
AnsiString TrimControlsAndBlanks(const AnsiString& text);

// Converts a-z to A-Z and leaves every other byte as it is.
AnsiString UpperCaseAsciiLetters(AnsiString text);

// Replaces every occurrence of `token`, its letters a-z matched without regard to case; the text
// put in is never searched again.
AnsiString ReplaceAllIgnoringCase(const AnsiString& text, const AnsiString& token,
                                  const AnsiString& replacement);

}  // namespace ql
