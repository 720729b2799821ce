// Registry-script text: parsing with regedit's rules, and regedit's 5.00 export layout.
#include "platform/fake/RegEditFiles.h"

#include <algorithm>
#include <cstdio>

namespace ql {
namespace {

const char* const kRegedit4 = "REGEDIT4";
const char* const kVersion5 = "Windows Registry Editor Version 5.00";
constexpr std::size_t kHexWrapColumn = 77;  // where regedit breaks a hex: line

WideString Widen(const char* ascii) {
  return WideString(ascii, ascii + std::char_traits<char>::length(ascii));
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

WideString TrimLeft(const WideString& text) {
  std::size_t start = 0;
  while (start < text.size() && IsBlank(text[start]))
    ++start;
  return text.substr(start);
}

WideString TrimRight(const WideString& text) {
  std::size_t end = text.size();
  while (end > 0 && IsBlank(text[end - 1]))
    --end;
  return text.substr(0, end);
}

char16_t UpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? c - (u'a' - u'A') : c;
}

// The type prefixes are matched exactly: regedit refuses "DWORD:" and "HEX:".
bool StartsWith(const WideString& text, std::size_t at, const char* prefix) {
  for (std::size_t i = 0; prefix[i] != 0; ++i) {
    if (at + i >= text.size() || text[at + i] != static_cast<char16_t>(prefix[i]))
      return false;
  }
  return true;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  const char16_t upper = UpperAscii(c);
  if (upper >= u'A' && upper <= u'F')
    return upper - u'A' + 10;
  return -1;
}

// True when the text from position at holds nothing but blanks and an optional ; comment.
bool OnlyCommentFrom(const WideString& text, std::size_t at) {
  while (at < text.size() && IsBlank(text[at]))
    ++at;
  return at == text.size() || text[at] == u';';
}

std::vector<WideString> SplitLines(const WideString& text) {
  std::vector<WideString> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n')
      continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  return lines;
}

// Reads a quoted text starting at the opening quote; at ends after the closing quote. \\, \",
// \r and \n are escapes; \0 makes the text unusable, and before any other character the
// backslash is dropped, as regedit does.
bool ReadQuoted(const WideString& line, std::size_t& at, WideString& text) {
  text.clear();
  for (std::size_t i = at + 1; i < line.size(); ++i) {
    const char16_t c = line[i];
    if (c == u'"') {
      at = i + 1;
      return true;
    }
    if (c != u'\\' || i + 1 >= line.size()) {
      text.push_back(c);
      continue;
    }
    const char16_t next = line[++i];
    if (next == u'\\' || next == u'"')
      text.push_back(next);
    else if (next == u'n')
      text.push_back(u'\n');
    else if (next == u'r')
      text.push_back(u'\r');
    else if (next == u'0')
      return false;
    else
      text.push_back(next);
  }
  return false;
}

enum class Format { kRegedit4, kVersion5 };

class Importer {
 public:
  Importer(FakeRegistry& registry, CodePage& codePage, Format format, std::uint32_t view)
      : registry_(registry), codePage_(codePage), format_(format), view_(view), key_(registry) {}

  void Run(const std::vector<WideString>& lines) {
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const WideString line = TrimLeft(lines[i]);
      if (line.empty())
        continue;
      if (line[0] == u'[')
        KeyLine(line);
      else if (line[0] == u'"' || line[0] == u'@')
        ValueLine(line, lines, i);
    }
  }

 private:
  void KeyLine(const WideString& line) {
    key_.Close();
    const std::size_t close = line.rfind(u']');
    if (close == WideString::npos || close < 1)
      return;
    WideString name = line.substr(1, close - 1);
    const bool remove = !name.empty() && name[0] == u'-';
    if (remove)
      name.erase(0, 1);
    RegRoot root = 0;
    AnsiString path;
    if (!ParseRegKeyName(codePage_.FromWide(name), root, path))
      return;
    if (remove)
      registry_.DeleteTreeAsUser(root, path, view_);
    else
      key_.Create(root, path, regaccess::kAllAccess | view_);
  }

  void ValueLine(const WideString& line, const std::vector<WideString>& lines, std::size_t& i) {
    std::size_t at = 1;
    WideString name;
    if (line[0] == u'"') {
      at = 0;
      if (!ReadQuoted(line, at, name))
        return;
    }
    while (at < line.size() && IsBlank(line[at]))
      ++at;
    if (at >= line.size() || line[at] != u'=')
      return;
    ++at;
    while (at < line.size() && IsBlank(line[at]))
      ++at;
    ValueData(codePage_.FromWide(name), line, at, lines, i);
  }

  void ValueData(const AnsiString& name, const WideString& line, std::size_t at,
                 const std::vector<WideString>& lines, std::size_t& i) {
    if (at < line.size() && line[at] == u'-') {
      if (OnlyCommentFrom(line, at + 1) && key_.IsOpen())
        registry_.DeleteValue(key_.Get(), name);
    } else if (at < line.size() && line[at] == u'"') {
      WideString text;
      if (ReadQuoted(line, at, text) && OnlyCommentFrom(line, at))
        StoreText(name, regtype::kString, text + u'\0');
    } else if (StartsWith(line, at, "dword:")) {
      DwordData(name, line, at + 6);
    } else if (StartsWith(line, at, "hex")) {
      HexData(name, line, at + 3, lines, i);
    }
  }

  void DwordData(const AnsiString& name, const WideString& line, std::size_t at) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (at < line.size() && IsBlank(line[at]))
      ++at;
    for (; at < line.size() && HexDigit(line[at]) >= 0; ++at, ++digits)
      value = value << 4 | static_cast<std::uint32_t>(HexDigit(line[at]));
    if (digits == 0 || digits > 8 || !OnlyCommentFrom(line, at))
      return;
    Store(name, regtype::kDword,
          Bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
  }

  // hex: or hex(n): with comma-separated bytes; a line ending in "\" continues on the next.
  void HexData(const AnsiString& name, const WideString& line, std::size_t at,
               const std::vector<WideString>& lines, std::size_t& i) {
    std::uint32_t type = regtype::kBinary;
    if (at < line.size() && line[at] == u'(' && !ReadHexType(line, ++at, type))
      return;
    if (at >= line.size() || line[at] != u':')
      return;
    WideString text = WithoutComment(line.substr(at + 1));
    while (!text.empty() && text.back() == u'\\' && i + 1 < lines.size()) {
      text.pop_back();
      text += WithoutComment(TrimLeft(lines[++i]));
    }
    Bytes bytes;
    if (!ParseHexBytes(text, bytes))
      return;
    const bool storedAsWide =
        type == regtype::kString || type == regtype::kExpandString || type == regtype::kMultiString;
    if (format_ == Format::kVersion5 && storedAsWide)
      StoreText(name, type, WideFromBytes(bytes));
    else
      Store(name, type, bytes);
  }

  static bool ReadHexType(const WideString& line, std::size_t& at, std::uint32_t& type) {
    std::size_t digits = 0;
    type = 0;
    for (; at < line.size() && HexDigit(line[at]) >= 0; ++at, ++digits)
      type = type << 4 | static_cast<std::uint32_t>(HexDigit(line[at]));
    if (digits == 0 || digits > 8 || at >= line.size() || line[at] != u')')
      return false;
    ++at;
    return true;
  }

  static WideString WithoutComment(const WideString& text) {
    return TrimRight(text.substr(0, text.find(u';')));
  }

  static bool ParseHexBytes(const WideString& text, Bytes& bytes) {
    bytes.clear();
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(u',', start);
      const bool last = end == WideString::npos;
      if (last)
        end = text.size();
      // Blanks may stand before a byte, not between a byte and its comma.
      const WideString token = TrimLeft(text.substr(start, end - start));
      if (token.empty() && last && !bytes.empty())
        return true;  // a trailing comma
      if (token.empty() || token.size() > 2 || HexDigit(token[0]) < 0 ||
          (token.size() == 2 && HexDigit(token[1]) < 0))
        return false;
      int value = HexDigit(token[0]);
      if (token.size() == 2)
        value = value * 16 + HexDigit(token[1]);
      bytes.push_back(static_cast<std::uint8_t>(value));
      start = end + 1;
    }
    return true;
  }

  static WideString WideFromBytes(const Bytes& bytes) {
    WideString wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      wide.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    return wide;
  }

  Bytes AnsiBytes(const WideString& text, bool terminate) {
    const AnsiString ansi = codePage_.FromWide(text);
    Bytes bytes(ansi.begin(), ansi.end());
    if (terminate)
      bytes.push_back(0);
    return bytes;
  }

  void Store(const AnsiString& name, std::uint32_t type, const Bytes& data) {
    if (key_.IsOpen())
      registry_.SetValue(key_.Get(), name, type, data);
  }

  // Text of a Unicode script is stored as the registry editor stores it, in UTF-16, whether the
  // code page can carry it or not.
  void StoreText(const AnsiString& name, std::uint32_t type, const WideString& units) {
    if (codePage_.ToWide(codePage_.FromWide(units)) == units)
      Store(name, type, AnsiBytes(units, false));
    else if (key_.IsOpen())
      registry_.SetValueWide(key_.Get(), name, type, units);
  }

  FakeRegistry& registry_;
  CodePage& codePage_;
  Format format_;
  std::uint32_t view_;
  RegKey key_;
};

// Export.

WideString Escape(const WideString& text) {
  WideString escaped;
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"')
      escaped += {u'\\', c};
    else if (c == u'\r')
      escaped += u"\\r";
    else if (c == u'\n')
      escaped += u"\\n";
    else
      escaped.push_back(c);
  }
  return escaped;
}

WideString HexNumber(std::uint32_t value, int width) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%0*x", width, static_cast<unsigned>(value));
  return Widen(digits);
}

bool IsPlainString(const RegValue& value) {
  if (value.type != regtype::kString || value.data.empty() || value.data.back() != 0)
    return false;
  return std::find(value.data.begin(), value.data.end() - 1, 0) == value.data.end() - 1;
}

class Exporter {
 public:
  Exporter(Registry& registry, CodePage& codePage, RegRoot root, std::uint32_t view)
      : registry_(registry), codePage_(codePage), root_(root), view_(view) {}

  // Writes the key at path below the root, then its subkeys; the port opens below roots only, so
  // each subkey is opened by its path from the root.
  void Key(RegHandle key, const AnsiString& path, WideString& text) {
    const AnsiString fullName = path.empty() ? RootName(root_) : RootName(root_) + "\\" + path;
    if (fullName.find_first_of("\r\n") != AnsiString::npos)
      return;
    text += u"[" + codePage_.ToWide(fullName) + u"]\r\n";
    for (const RegValue& value : SortedValues(key))
      text += ValueLine(value) + u"\r\n";
    text += u"\r\n";
    AnsiString name;
    for (std::uint32_t i = 0; registry_.EnumKey(key, i, name); ++i) {
      const AnsiString childPath = path.empty() ? name : path + "\\" + name;
      RegKey child(registry_);
      if (child.Open(root_, childPath, regaccess::kRead | view_))
        Key(child.Get(), childPath, text);
    }
  }

 private:
  std::vector<RegValue> SortedValues(RegHandle key) {
    std::vector<RegValue> values;
    AnsiString name;
    for (std::uint32_t i = 0; registry_.EnumValue(key, i, name); ++i) {
      RegValue value;
      value.name = name;
      if (!registry_.QueryValue(key, name, value.type, &value.data))
        continue;
      // Text is exported as the wide call gives it, so that every character survives.
      Bytes wide;
      if (regtype::IsText(value.type) && registry_.QueryValueWide(key, name, value.type, wide)) {
        for (std::size_t at = 0; at + 1 < wide.size(); at += 2)
          value.wideText.push_back(static_cast<char16_t>(wide[at] | wide[at + 1] << 8));
        value.storedWide = true;
      }
      values.push_back(value);
    }
    std::stable_sort(values.begin(), values.end(), [&](const RegValue& a, const RegValue& b) {
      return codePage_.ToWide(codePage_.UpperCase(a.name)) <
             codePage_.ToWide(codePage_.UpperCase(b.name));
    });
    return values;
  }

  WideString ValueLine(const RegValue& value) {
    const WideString name = value.name.empty()
                                ? WideString(u"@=")
                                : u"\"" + Escape(codePage_.ToWide(value.name)) + u"\"=";
    if (IsPlainString(value)) {
      const WideString text =
          value.storedWide ? value.wideText.substr(0, value.wideText.size() - 1)
                           : codePage_.ToWide(AnsiString(value.data.begin(), value.data.end() - 1));
      return name + u"\"" + Escape(text) + u"\"";
    }
    if (value.type == regtype::kDword && value.data.size() == 4) {
      const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                   static_cast<std::uint32_t>(value.data[3]) << 24;
      return name + u"dword:" + HexNumber(number, 8);
    }
    return HexLine(name, value);
  }

  WideString HexLine(const WideString& name, const RegValue& value) {
    WideString line =
        name + (value.type == regtype::kBinary ? WideString(u"hex:")
                                               : u"hex(" + HexNumber(value.type, 1) + u"):");
    Bytes bytes = value.data;
    if (value.storedWide) {
      bytes.clear();
      for (char16_t unit : value.wideText) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
      }
    } else if (regtype::IsText(value.type)) {
      bytes = WideBytes(value.data);
    }
    std::size_t column = line.size();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      line += HexNumber(bytes[i], 2);
      column += 2;
      if (i + 1 == bytes.size())
        break;
      line.push_back(u',');
      if (++column >= kHexWrapColumn) {
        line += u"\\\r\n  ";
        column = 2;
      }
    }
    return line;
  }

  Bytes WideBytes(const Bytes& ansi) {
    Bytes bytes;
    for (char16_t c : codePage_.ToWide(AnsiString(ansi.begin(), ansi.end()))) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return bytes;
  }

  Registry& registry_;
  CodePage& codePage_;
  RegRoot root_;
  std::uint32_t view_;
};

}  // namespace

bool ParseRegKeyName(const AnsiString& keyName, RegRoot& root, AnsiString& path) {
  const std::size_t slash = keyName.find('\\');
  AnsiString rootName = keyName.substr(0, slash);
  for (char& c : rootName)
    c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  for (RegRoot candidate : {kClassesRoot, kCurrentUser, kLocalMachine}) {
    if (rootName == RootName(candidate)) {
      root = candidate;
      path = slash == AnsiString::npos ? AnsiString() : keyName.substr(slash + 1);
      while (!path.empty() && path.back() == '\\')
        path.pop_back();
      return true;
    }
  }
  return false;
}

WideString DecodeRegScriptFile(const Bytes& file, CodePage& codePage) {
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
    WideString text;
    for (std::size_t i = 2; i + 1 < file.size(); i += 2)
      text.push_back(static_cast<char16_t>(file[i] | file[i + 1] << 8));
    return text;
  }
  return codePage.ToWide(AnsiString(file.begin(), file.end()));
}

Bytes EncodeUtf16File(const WideString& text) {
  Bytes file{0xFF, 0xFE};
  for (char16_t c : text) {
    file.push_back(static_cast<std::uint8_t>(c));
    file.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return file;
}

bool ImportRegScript(FakeRegistry& registry, CodePage& codePage, const Bytes& file,
                     std::uint32_t view) {
  const std::vector<WideString> lines = SplitLines(DecodeRegScriptFile(file, codePage));
  if (lines.empty())
    return false;
  const WideString header = TrimRight(TrimLeft(lines[0]));
  Format format;
  if (header == Widen(kRegedit4))
    format = Format::kRegedit4;
  else if (header == Widen(kVersion5))
    format = Format::kVersion5;
  else
    return false;
  Importer(registry, codePage, format, view).Run(lines);
  return true;
}

WideString RegScriptExportHeader() {
  return Widen(kVersion5) + u"\r\n\r\n";
}

bool AppendRegKeyText(Registry& registry, CodePage& codePage, RegRoot root, const AnsiString& path,
                      WideString& text, std::uint32_t view) {
  RegKey key(registry);
  const AnsiString rootName = RootName(root);
  if (rootName.empty() || !key.Open(root, path, regaccess::kRead | view))
    return false;
  AnsiString keyPath = path;
  while (!keyPath.empty() && keyPath.back() == '\\')
    keyPath.pop_back();
  Exporter(registry, codePage, root, view).Key(key.Get(), keyPath, text);
  return true;
}

bool ExportRegScript(Registry& registry, CodePage& codePage, RegRoot root, const AnsiString& path,
                     WideString& text) {
  WideString body;
  if (!AppendRegKeyText(registry, codePage, root, path, body))
    return false;
  text = RegScriptExportHeader() + body;
  return true;
}

}  // namespace ql
