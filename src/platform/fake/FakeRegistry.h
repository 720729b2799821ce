// In-memory registry: three roots, case-insensitive names, typed values, access refusals, handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "platform/registry.h"

namespace ql {

struct RegValue {
  AnsiString name;  // as the ANSI calls give it
  std::uint32_t type = regtype::kNone;
  Bytes data;  // as the ANSI calls give it
  // Set by the wide helpers: the name and the text as stored (its NUL included), which the code
  // page may not be able to carry.
  WideString wideName;
  WideString wideText;
  bool storedWide = false;
};

// Key names hold any byte but "\" and NUL; a name is cut at its first NUL, as the ANSI calls
// would. Subkeys enumerate in case-insensitive sorted order and values in creation order, as
// Windows does. A key deleted while a handle to it is open leaves the handle usable only for
// closing: every other operation on it fails.
//
// Access: each key may refuse access bits (DenyAccess); an open whose mask, without the view
// bits KEY_WOW64_64KEY/KEY_WOW64_32KEY, shares a bit with the refused ones fails. A handle only
// allows what its mask granted: queries and enumeration need KEY_QUERY_VALUE (values and
// information) or KEY_ENUMERATE_SUB_KEYS (subkeys), changes need KEY_SET_VALUE.
//
// Views: playing a 32-bit process on 64-bit Windows (PlayWow64Process), an open without
// KEY_WOW64_64KEY, or any open with KEY_WOW64_32KEY, sees the 32-bit view: HKLM\SOFTWARE\X is
// HKLM\SOFTWARE\Wow6432Node\X (SOFTWARE\Classes is shared), and the class keys Windows keeps
// apart per view (CLSID, Interface, TypeLib ...) under the class root, HKLM\SOFTWARE\Classes and
// HKCU\Software\Classes live below their Wow6432Node. Otherwise there is one view, the native
// one. The test helpers always name native paths.
//
// Paths: "A\B\C" below the root; "" is the root. A single trailing "\" is accepted; a leading
// "\" or an empty component fails, as RegOpenKeyExA does.
class FakeRegistry : public Registry {
 public:
  FakeRegistry();
  ~FakeRegistry() override;
  FakeRegistry(const FakeRegistry&) = delete;
  FakeRegistry& operator=(const FakeRegistry&) = delete;

  // The port.
  bool OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access, RegHandle& key) override;
  bool CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                 RegHandle& key) override;
  void CloseKey(RegHandle key) override;
  bool QueryInfoKey(RegHandle key, RegKeyInfo& info) override;
  bool EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) override;
  bool EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) override;
  bool QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type, Bytes* data) override;
  bool SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                const Bytes& data) override;
  bool DeleteValue(RegHandle key, const AnsiString& name) override;
  bool EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override;
  bool EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override;
  bool QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type, Bytes* data,
                       bool& exact) override;
  bool QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                      Bytes& data) override;

  // Stores a value of a string type from its UTF-16 units, as RegSetValueExW would.
  bool SetValueWide(RegHandle key, const AnsiString& name, std::uint32_t type,
                    const WideString& units);

  // Deletes the key and its subtree as a user would (RegDeleteTree): a key that refuses DELETE
  // (0x10000) stays, and so do its ancestors in the subtree. Roots are never deleted. True when
  // the key is gone. The view bits (KEY_WOW64_64KEY or KEY_WOW64_32KEY) choose the view the path
  // names, as for an open.
  bool DeleteTreeAsUser(RegRoot root, const AnsiString& path,
                        std::uint32_t view = regaccess::kWow64_64Key);

  void PlayWow64Process(bool playing) { wow64Process_ = playing; }

  // Test helpers: they act on paths directly and ignore refused access.
  bool AddKey(RegRoot root, const AnsiString& path);  // creates missing parents too
  bool SetValue(RegRoot root, const AnsiString& path, const AnsiString& name, std::uint32_t type,
                const Bytes& data);  // creates the key when missing
  // A string value stored with its terminating NUL, as RegSetValueExA callers store it.
  bool SetString(RegRoot root, const AnsiString& path, const AnsiString& name,
                 const AnsiString& text, std::uint32_t type = regtype::kString);
  // A key, and a string value, whose names and text are stored as UTF-16, as Windows stores them:
  // the ANSI calls give '?' for a unit outside the code page, and find nothing by such a name.
  bool AddKeyWide(RegRoot root, const AnsiString& parentPath, const WideString& name);
  bool SetStringWide(RegRoot root, const AnsiString& path, const WideString& name,
                     const WideString& text, std::uint32_t type = regtype::kString);
  bool SetDword(RegRoot root, const AnsiString& path, const AnsiString& name, std::uint32_t value);
  bool SetQword(RegRoot root, const AnsiString& path, const AnsiString& name, std::uint64_t value);
  bool HasKey(RegRoot root, const AnsiString& path) const;
  bool HasValue(RegRoot root, const AnsiString& path, const AnsiString& name) const;
  std::optional<RegValue> GetValue(RegRoot root, const AnsiString& path,
                                   const AnsiString& name) const;
  // The data of a string value up to its first NUL; empty when missing or not a string type.
  AnsiString GetString(RegRoot root, const AnsiString& path, const AnsiString& name) const;
  StringList SubKeyNames(RegRoot root, const AnsiString& path) const;
  std::vector<RegValue> Values(RegRoot root, const AnsiString& path) const;
  bool DeleteTree(RegRoot root, const AnsiString& path);
  bool RemoveValue(RegRoot root, const AnsiString& path, const AnsiString& name);
  // Makes the key refuse every open whose access shares a bit with mask (0 allows everything).
  bool DenyAccess(RegRoot root, const AnsiString& path, std::uint32_t mask);
  // Number of keys below every root, roots not counted.
  std::size_t KeyCount() const;

  std::size_t OpenHandleCount() const { return handles_.size(); }
  std::size_t MaxOpenHandleCount() const { return maxOpenHandles_; }
  std::size_t TotalOpenCount() const { return totalOpens_; }
  // Closes of handles that were not open: each one is a fault of the caller.
  std::size_t InvalidCloseCount() const { return invalidCloses_; }

  struct Node;

 private:
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };

  // The native path an open with this access names.
  AnsiString SeenPath(RegRoot root, const AnsiString& path, std::uint32_t access) const;
  Node* Root(RegRoot root) const;
  Node* Find(RegRoot root, const AnsiString& path) const;
  Node* FindOrCreate(RegRoot root, const AnsiString& path, bool checkAccess);
  std::shared_ptr<Node> Shared(Node* node) const;
  RegHandle AddHandle(Node* node, std::uint32_t access);
  Node* Usable(RegHandle key, std::uint32_t neededAccess) const;

  std::map<RegRoot, std::shared_ptr<Node>> roots_;
  std::map<RegHandle, Handle> handles_;
  RegHandle nextHandle_ = 0x1000;
  std::size_t maxOpenHandles_ = 0;
  std::size_t totalOpens_ = 0;
  std::size_t invalidCloses_ = 0;
  bool wow64Process_ = false;
};

}  // namespace ql
