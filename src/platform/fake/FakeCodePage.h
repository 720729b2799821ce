// In-memory code page: Windows-1252 upper-casing and conversion to and from UTF-16.
#pragma once

#include <cstdint>

#include "platform/system.h"

namespace ql {

// Upper case of one Windows-1252 character: a-z, the accented letters and the three letters of
// 0x9A/0x9C/0x9E; ß and µ have no upper case inside the code page and stay. ÿ stays too, although
// CharUpperBuffA under Wine (code page 1252) gives Ÿ (0x9F) for it.
unsigned char UpperCase1252(unsigned char c);
AnsiString UpperCase1252(const AnsiString& text);
char16_t Char1252ToWide(unsigned char c);
// The Windows-1252 byte for a UTF-16 unit; '?' for units outside the code page.
unsigned char WideToChar1252(char16_t c);

class FakeCodePage : public CodePage {
 public:
  AnsiString UpperCase(const AnsiString& text) override;
  WideString ToWide(const AnsiString& text) override;
  AnsiString FromWide(const WideString& text) override;
  bool IsLeadByte(char byte) override;

  // Plays code page 932's lead bytes (0x81-0x9F, 0xE0-0xFC); the rest stays Windows-1252.
  void PlayDoubleByteLeadBytes(bool play) { doubleByte_ = play; }

 private:
  bool doubleByte_ = false;
};

}  // namespace ql
