// Registry script text: the line forms of the fix and undo scripts, and their file encodings.
#pragma once

#include <cstdint>

#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text.h"

namespace ql {

using WideStringList = std::vector<WideString>;

// Backslashes doubled, then every double quote preceded by a backslash: how names and string
// data are written between double quotes.
AnsiString EscapeScriptText(const AnsiString& text);

// False for a key or value name that would break the line structure of a script (a carriage
// return or a line feed in it), so that a fix line could end up naming some other entry.
bool ScriptCanCarryName(const AnsiString& name);

// "[" + root name + key path + "]"; the key path begins with "\".
AnsiString KeyLine(RegRoot root, const AnsiString& keyPath);
// "[-" + root name + key path + "]".
AnsiString KeyDeletionLine(RegRoot root, const AnsiString& keyPath);
// The quoted, escaped value name followed by "=-".
AnsiString ValueDeletionLine(const AnsiString& valueName);
// "@=" and the quoted, escaped data: sets a key's default value to a string.
AnsiString DefaultValueLine(const AnsiString& data);

// The undo line that brings a value back with its type and bytes: the string, dword and hex
// forms where they carry the value exactly, regedit's hex(N) form otherwise (string types as
// UTF-16LE bytes, converted from the code page).
AnsiString UndoValueLine(const AnsiString& valueName, std::uint32_t type, const Bytes& data,
                         CodePage& codePage);

// The same line for a value as the wide calls give it (string data as UTF-16LE units), so that
// every character of a string comes back, whether the code page has it or not.
WideString UndoValueLineWide(const AnsiString& valueName, std::uint32_t type, const Bytes& data,
                             CodePage& codePage);

// Splits text into lines at CR LF, LF or CR; a final line break does not start another line.
WideStringList SplitLines(const WideString& text);
StringList SplitLines(const AnsiString& text);

// The text of a file written by regedit: UTF-16LE, UTF-16BE or UTF-8 after their byte-order
// marks, the code page without one.
WideString DecodeScriptFile(const Bytes& bytes, CodePage& codePage);

// Every line followed by CR LF: in the code page, or in UTF-16LE after the mark FF FE.
Bytes EncodeAnsiLines(const StringList& lines);
Bytes EncodeUtf16Lines(const WideStringList& lines);

}  // namespace ql
