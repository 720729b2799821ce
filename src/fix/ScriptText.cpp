// Registry script text: line forms, escaping, line splitting and the three file encodings.
#include "fix/ScriptText.h"

#include <cstdio>

namespace ql {

namespace {

const char kHexDigits[] = "0123456789ABCDEF";

AnsiString QuotedName(const AnsiString& name) {
  return "\"" + EscapeScriptText(name) + "\"";
}

AnsiString HexBytes(const Bytes& bytes) {
  AnsiString text;
  text.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0)
      text += ',';
    text += kHexDigits[bytes[i] >> 4];
    text += kHexDigits[bytes[i] & 0x0F];
  }
  return text;
}

AnsiString HexType(std::uint32_t type) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(type));
  return buffer;
}

AnsiString DwordText(const Bytes& data) {
  const std::uint32_t value =
      data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
  return buffer;
}

// String data that the quoted form gives back exactly: text without NUL, CR or LF, followed by
// exactly one NUL.
bool IsPlainStringData(const Bytes& data) {
  if (data.empty() || data.back() != 0)
    return false;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
      return false;
  }
  return true;
}

// The same for data as the wide calls give it: UTF-16LE units, exactly one NUL at the end.
bool IsPlainWideStringData(const Bytes& data) {
  if (data.size() < 2 || data.size() % 2 != 0 || data[data.size() - 2] != 0 || data.back() != 0)
    return false;
  for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0 || unit == u'\r' || unit == u'\n')
      return false;
  }
  return true;
}

Bytes Utf16Bytes(const WideString& text) {
  Bytes bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

WideString Utf16FromBytes(const Bytes& bytes, std::size_t start, bool bigEndian) {
  WideString text;
  for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
    const unsigned first = bytes[i];
    const unsigned second = bytes[i + 1];
    text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

// Appends one code point as UTF-16; malformed input has already become U+FFFD.
void AppendCodePoint(WideString& text, std::uint32_t point) {
  if (point < 0x10000) {
    text += static_cast<char16_t>(point);
    return;
  }
  point -= 0x10000;
  text += static_cast<char16_t>(0xD800 + (point >> 10));
  text += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
}

WideString Utf16FromUtf8(const Bytes& bytes, std::size_t start) {
  WideString text;
  std::size_t i = start;
  while (i < bytes.size()) {
    const std::uint8_t lead = bytes[i];
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || i + length > bytes.size()) {
      text += u'\uFFFD';
      ++i;
      continue;
    }
    std::uint32_t point = length == 1 ? lead : lead & (0x7F >> length);
    bool valid = true;
    for (int k = 1; k < length; ++k) {
      valid = valid && (bytes[i + k] & 0xC0) == 0x80;
      point = (point << 6) | (bytes[i + k] & 0x3F);
    }
    AppendCodePoint(text, valid && point <= 0x10FFFF ? point : 0xFFFD);
    i += valid ? length : 1;
  }
  return text;
}

template <typename String>
std::vector<String> SplitAnyLines(const String& text) {
  std::vector<String> lines;
  String line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = text[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty())
    lines.push_back(line);
  return lines;
}

}  // namespace

AnsiString EscapeScriptText(const AnsiString& text) {
  AnsiString escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
    if (c == '\\' || c == '"')
      escaped += '\\';
    escaped += c;
  }
  return escaped;
}

// The registry editor reads back every other key name exactly as written: blanks and tabs at
// either end, brackets (it takes the last "]" of a key line), quotes, "=", "@", a leading "-",
// "." and "..", and bytes above 127 all survive an import.
bool ScriptCanCarryName(const AnsiString& name) {
  return name.find_first_of("\r\n") == AnsiString::npos;
}

AnsiString KeyLine(RegRoot root, const AnsiString& keyPath) {
  return "[" + RootName(root) + keyPath + "]";
}

AnsiString KeyDeletionLine(RegRoot root, const AnsiString& keyPath) {
  return "[-" + RootName(root) + keyPath + "]";
}

AnsiString ValueDeletionLine(const AnsiString& valueName) {
  return QuotedName(valueName) + "=-";
}

AnsiString DefaultValueLine(const AnsiString& data) {
  return "@=\"" + EscapeScriptText(data) + "\"";
}

AnsiString UndoValueLine(const AnsiString& valueName, std::uint32_t type, const Bytes& data,
                         CodePage& codePage) {
  if (type == regtype::kString && IsPlainStringData(data)) {
    const AnsiString text(data.begin(), data.end() - 1);
    if (text.empty() && valueName.empty())
      return "@=\"\"";
    return QuotedName(valueName) + "=\"" + EscapeScriptText(text) + "\"";
  }
  if (type == regtype::kDword && data.size() == 4)
    return QuotedName(valueName) + "=dword:" + DwordText(data);
  if (type == regtype::kBinary)
    return QuotedName(valueName) + "=hex:" + HexBytes(data);
  if (regtype::IsText(type)) {
    const Bytes wide = Utf16Bytes(codePage.ToWide(AnsiString(data.begin(), data.end())));
    return QuotedName(valueName) + "=" + HexType(type) + HexBytes(wide);
  }
  return QuotedName(valueName) + "=" + HexType(type) + HexBytes(data);
}

WideString UndoValueLineWide(const AnsiString& valueName, std::uint32_t type, const Bytes& data,
                             CodePage& codePage) {
  if (!regtype::IsText(type))
    return codePage.ToWide(UndoValueLine(valueName, type, data, codePage));
  if (type != regtype::kString || !IsPlainWideStringData(data))
    return codePage.ToWide(QuotedName(valueName) + "=" + HexType(type) + HexBytes(data));
  if (data.size() == 2 && valueName.empty())
    return u"@=\"\"";
  WideString line = codePage.ToWide(QuotedName(valueName)) + u"=\"";
  for (std::size_t i = 0; i + 2 < data.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == u'\\' || unit == u'"')
      line += u'\\';
    line += unit;
  }
  return line + u"\"";
}

WideStringList SplitLines(const WideString& text) {
  return SplitAnyLines(text);
}

StringList SplitLines(const AnsiString& text) {
  return SplitAnyLines(text);
}

WideString DecodeScriptFile(const Bytes& bytes, CodePage& codePage) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    return Utf16FromBytes(bytes, 2, false);
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
    return Utf16FromBytes(bytes, 2, true);
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return Utf16FromUtf8(bytes, 3);
  return codePage.ToWide(AnsiString(bytes.begin(), bytes.end()));
}

Bytes EncodeAnsiLines(const StringList& lines) {
  Bytes bytes;
  for (const AnsiString& line : lines) {
    bytes.insert(bytes.end(), line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
  }
  return bytes;
}

Bytes EncodeUtf16Lines(const WideStringList& lines) {
  Bytes bytes{0xFF, 0xFE};
  for (const WideString& line : lines) {
    const Bytes encoded = Utf16Bytes(line + u"\r\n");
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
  }
  return bytes;
}

}  // namespace ql
