// Small rules on the program's 8-bit text that the registry helpers and the path resolution share.
#include "paths/AnsiText.h"

namespace ql {

namespace {

bool IsControlOrBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

AnsiString TrimControlsAndBlanks(const AnsiString& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsControlOrBlank(text[first]))
    ++first;
  while (last > first && IsControlOrBlank(text[last - 1]))
    --last;
  return text.substr(first, last - first);
}

AnsiString UpperCaseAsciiLetters(AnsiString text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Replaces every occurrence of `token` (letters matched without regard to case), scanning on
// after each replacement so a replacement is never searched again.
AnsiString ReplaceAllIgnoringCase(const AnsiString& text, const AnsiString& token,
                                  const AnsiString& replacement) {
  const AnsiString upperText = UpperCaseAsciiLetters(text);
  const AnsiString upperToken = UpperCaseAsciiLetters(token);
  AnsiString result;
  std::size_t from = 0;
  for (std::size_t hit = upperText.find(upperToken); hit != AnsiString::npos;
       hit = upperText.find(upperToken, from)) {
    result.append(text, from, hit - from);
    result += replacement;
    from = hit + token.size();
  }
  result.append(text, from, AnsiString::npos);
  return result;
}

}  // namespace ql
