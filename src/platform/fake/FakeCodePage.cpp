// In-memory code page: Windows-1252 tables.
#include "platform/fake/FakeCodePage.h"

#include <array>

namespace ql {
namespace {

// UTF-16 units of 0x80-0x9F; the five bytes the code page leaves undefined map to the C1 control
// of the same number, as Windows converts them, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

unsigned char UpperCase1252(unsigned char c) {
  if (c >= 'a' && c <= 'z')
    return static_cast<unsigned char>(c - 0x20);
  if (c == 0x9A || c == 0x9C || c == 0x9E)
    return static_cast<unsigned char>(c - 0x10);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
    return static_cast<unsigned char>(c - 0x20);
  return c;
}

AnsiString UpperCase1252(const AnsiString& text) {
  AnsiString upper = text;
  for (char& c : upper)
    c = static_cast<char>(UpperCase1252(static_cast<unsigned char>(c)));
  return upper;
}

char16_t Char1252ToWide(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F)
    return kHighControls[c - 0x80];
  return c;
}

unsigned char WideToChar1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c)
      return static_cast<unsigned char>(0x80 + i);
  }
  return '?';
}

AnsiString FakeCodePage::UpperCase(const AnsiString& text) {
  return UpperCase1252(text);
}

WideString FakeCodePage::ToWide(const AnsiString& text) {
  WideString wide;
  wide.reserve(text.size());
  for (char c : text)
    wide.push_back(Char1252ToWide(static_cast<unsigned char>(c)));
  return wide;
}

AnsiString FakeCodePage::FromWide(const WideString& text) {
  AnsiString ansi;
  ansi.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character outside the code page: one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
      ++i;
    ansi.push_back(static_cast<char>(WideToChar1252(c)));
  }
  return ansi;
}

bool FakeCodePage::IsLeadByte(char byte) {
  const auto c = static_cast<unsigned char>(byte);
  return doubleByte_ && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
}

}  // namespace ql
