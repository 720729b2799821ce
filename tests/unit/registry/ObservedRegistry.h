// A registry for tests that passes every call to an in-memory registry, records the access masks
// of the opens, can refuse value writes the way a locked-down key does, and can drop access bits
// the way code that forgets them would.
#pragma once

#include <functional>
#include <vector>

#include "platform/fake/FakeRegistry.h"

namespace ql::test {

class ObservedRegistry : public Registry {
 public:
  explicit ObservedRegistry(FakeRegistry& inner) : inner_(inner) {}

  bool OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access,
               RegHandle& key) override {
    openMasks.push_back(access);
    return inner_.OpenKey(root, path, access & ~droppedAccess, key);
  }
  bool CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                 RegHandle& key) override {
    createMasks.push_back(access);
    return inner_.CreateKey(root, path, access & ~droppedAccess, key);
  }
  void CloseKey(RegHandle key) override { inner_.CloseKey(key); }
  bool QueryInfoKey(RegHandle key, RegKeyInfo& info) override {
    const bool answered = inner_.QueryInfoKey(key, info);
    if (afterInfoQuery)
      afterInfoQuery();
    return answered;
  }
  bool EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) override {
    return inner_.EnumKey(key, index, name);
  }
  bool EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) override {
    return inner_.EnumValue(key, index, name);
  }
  bool QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type,
                  Bytes* data) override {
    return inner_.QueryValue(key, name, type, data);
  }
  bool EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override {
    return inner_.EnumKeyExact(key, index, name, exact);
  }
  bool EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override {
    return inner_.EnumValueExact(key, index, name, exact);
  }
  bool QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type, Bytes* data,
                       bool& exact) override {
    return inner_.QueryValueExact(key, name, type, data, exact);
  }
  bool QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                      Bytes& data) override {
    return !refuseWideQueries && inner_.QueryValueWide(key, name, type, data);
  }
  bool SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                const Bytes& data) override {
    return !refuseWrites && inner_.SetValue(key, name, type, data);
  }
  bool DeleteValue(RegHandle key, const AnsiString& name) override {
    return !refuseWrites && inner_.DeleteValue(key, name);
  }

  std::vector<std::uint32_t> openMasks;
  std::vector<std::uint32_t> createMasks;
  bool refuseWrites = false;
  bool refuseWideQueries = false;   // as when the value went away after it was read
  std::uint32_t droppedAccess = 0;  // bits taken out of every open and create
  // Runs after every information query: lets a test change the registry in the middle of a listing.
  std::function<void()> afterInfoQuery;

 private:
  FakeRegistry& inner_;
};

}  // namespace ql::test
