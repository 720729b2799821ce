// Stateless registry helpers; each call opens its own key, does one thing and closes it.
#pragma once

#include <cstdint>
#include <stdexcept>

#include "platform/registry.h"
#include "platform/text.h"

namespace ql {

// The only error the helpers let out: a write the registry refused after the key was opened.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The open mode of every helper that reads or writes: all access, in the native registry view.
constexpr std::uint32_t FullAccess64 = regaccess::kFullAccess64;

// The program's settings, under HKEY_CURRENT_USER.
constexpr char SettingsKey[] = "SOFTWARE\\Kestrelworks\\Quillon";

// The Run key below a root: the startup entries the scanner judges, and the one the startup
// option keeps.
constexpr char kRunPath[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

// Key paths may start and end with "\"; "\" alone (or the empty path) is the root itself.
AnsiString NormalizeKeyPath(const AnsiString& path);

// Fill `names` (cleared first) with the names of the key's subkeys or values in enumeration
// order; return the count (0 when the key does not open). Names the code page cannot carry
// exactly, and key names holding "\" once converted, are left out: no call could reach them by
// that name.
std::int32_t ReadKeyNames(Registry& registry, RegRoot root, const AnsiString& path,
                          StringList& names);
std::int32_t ReadValueNames(Registry& registry, RegRoot root, const AnsiString& path,
                            StringList& names);

// A string or expandable-string value up to its first NUL, stripped of leading and trailing
// characters with codes of 32 and below, with a-z upper-cased; empty in every other case.
AnsiString ReadStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                           const AnsiString& name);
// The same read, telling whether the code page carries the text exactly (names and data come
// through the wide calls); text is empty when it does not, and the result is false.
bool ReadExactStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                          const AnsiString& name, AnsiString& text);
// A REG_DWORD value of four bytes; 0 in every other case.
std::int32_t ReadDwordValue(Registry& registry, RegRoot root, const AnsiString& path,
                            const AnsiString& name);

// Open or create the key and store the value; nothing happens when the key cannot be opened or
// created. Throw RegistryError "Failed to set data for '<name>'" when the write is refused.
void WriteStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                      const AnsiString& name, const AnsiString& text);
void WriteBoolValue(Registry& registry, RegRoot root, const AnsiString& path,
                    const AnsiString& name, bool flag);

enum class WriteOutcome { Written, KeyNotOpened, Refused };

// The same writes for callers that must go on whatever happens (start-up): they report instead
// of throwing.
WriteOutcome TryWriteStringValue(Registry& registry, RegRoot root, const AnsiString& path,
                                 const AnsiString& name, const AnsiString& text);
WriteOutcome TryWriteBoolValue(Registry& registry, RegRoot root, const AnsiString& path,
                               const AnsiString& name, bool flag);

bool KeyExists(Registry& registry, RegRoot root, const AnsiString& path);
// In the native view or in the 32-bit one. For the class keys Windows keeps apart per view
// (CLSID, Interface ...): a 32-bit COM server registers its class only in the 32-bit view, while
// the program identifiers and extensions that name it are shared by both.
bool KeyExistsInEitherView(Registry& registry, RegRoot root, const AnsiString& path);
bool HasSubKeys(Registry& registry, RegRoot root, const AnsiString& path);
bool ValueExists(Registry& registry, RegRoot root, const AnsiString& path, const AnsiString& name);
// True at once under HKEY_CURRENT_USER; elsewhere whether the key opens with full access.
bool KeyIsWritable(Registry& registry, RegRoot root, const AnsiString& path);

// Value data as the helpers store it: text with its terminating NUL, a little-endian DWORD.
Bytes StringData(const AnsiString& text);
Bytes DwordData(std::uint32_t value);
// Text of string data up to its first NUL or its end.
AnsiString TextOfStringData(const Bytes& data);

}  // namespace ql
