// Registry-script text as the registry editor reads and writes it ("REGEDIT4" and "Windows
// Registry Editor Version 5.00").
#pragma once

#include "platform/fake/FakeRegistry.h"
#include "platform/system.h"

namespace ql {

// Splits "HKEY_CURRENT_USER\Software\X" (root names in any letter case; regedit refuses the short
// names HKCU and the like) into the root and the path below it, without trailing "\". False for
// other roots.
bool ParseRegKeyName(const AnsiString& keyName, RegRoot& root, AnsiString& path);

// The text of a script file: UTF-16LE after a FF FE byte-order mark, otherwise ANSI text in the
// code page.
WideString DecodeRegScriptFile(const Bytes& file, CodePage& codePage);
// UTF-16LE with the FF FE byte-order mark, the way the 5.00 format is saved.
Bytes EncodeUtf16File(const WideString& text);

// Applies a script the way regedit does: "[key]" creates and selects a key, "[-key]" deletes it
// with its subtree, "name"=... and @=... set values of the selected key, "name"=- and @=- delete
// them. Lines that do not parse, and values that follow a key that could not be opened, are
// skipped. The registry is changed as a user would change it: refused access leaves keys and
// values as they are. In the 5.00 format the bytes of hex(1), hex(2) and hex(7) are UTF-16LE text
// and are stored as the ANSI text the ANSI calls return; in REGEDIT4 they are stored as written.
// False when the text does not start with one of the two headers (nothing is changed then).
// The view is the registry view the editor works on: the native one (KEY_WOW64_64KEY), or the
// 32-bit one (KEY_WOW64_32KEY) for the 32-bit editor on 64-bit Windows.
bool ImportRegScript(FakeRegistry& registry, CodePage& codePage, const Bytes& file,
                     std::uint32_t view = regaccess::kWow64_64Key);

// The 5.00 text of a key and its subtree as regedit exports it: the header, an empty line, then
// for the key and each subkey (depth first, in enumeration order) the key line, its values sorted
// by name without regard to letter case (the default value first, as @=), and an empty line; CR LF
// after every line. Strings with exactly one terminating NUL are written as "data" (with \\, \",
// \r and \n escaped, in names too), DWORDs of four bytes as dword:, everything else as hex: or
// hex(n): with lower-case bytes wrapped as regedit wraps them. Keys whose names hold a line break
// cannot be written as a key line and are left out with their subtree. False (and nothing
// written) when the key cannot be opened for reading.
bool ExportRegScript(Registry& registry, CodePage& codePage, RegRoot root, const AnsiString& path,
                     WideString& text);
// The header line and empty line that open an export.
WideString RegScriptExportHeader();
// Appends the lines of one key and its subtree, as ExportRegScript writes them after the header,
// read in the given view (as for ImportRegScript).
bool AppendRegKeyText(Registry& registry, CodePage& codePage, RegRoot root, const AnsiString& path,
                      WideString& text, std::uint32_t view = regaccess::kWow64_64Key);

}  // namespace ql
