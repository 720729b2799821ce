// Unix symbolic links for tests under Wine. Wine's CreateSymbolicLinkA makes nothing and its
// DeleteFileA leaves a Unix link in place, but Wine shows a Unix link as a reparse point, so the
// tests make and remove links with /bin/ln and /bin/rm, which Wine can start.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace ql::test {

// The Unix path Wine keeps a Windows path at; empty outside Wine.
inline std::string UnixPathOf(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr)
    return std::string();
  const std::wstring wide(path.begin(), path.end());
  char* unixPath = toUnix(wide.c_str());
  if (unixPath == nullptr)
    return std::string();
  const std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

// The same for an entry that does not exist yet: its folder's Unix path and its name.
inline std::string UnixPathOfNewEntry(const std::string& path) {
  const std::size_t delimiter = path.find_last_of('\\');
  const std::string folder = UnixPathOf(path.substr(0, delimiter));
  return folder.empty() ? folder : folder + "/" + path.substr(delimiter + 1);
}

// Starts a Unix program and waits until done() holds, at most five seconds: the handle of a Unix
// process cannot be waited on.
inline bool RunUnixProgram(const char* program, std::string commandLine,
                           const std::function<bool()>& done) {
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  for (int attempt = 0; attempt < 100 && !done(); ++attempt)
    Sleep(50);
  return done();
}

// A Unix symbolic link at `link` to `target`; true once made() holds.
inline bool MakeUnixLink(const std::string& link, const std::string& target,
                         const std::function<bool()>& made) {
  const std::string unixTarget = UnixPathOf(target);
  const std::string unixLink = UnixPathOfNewEntry(link);
  return !unixTarget.empty() && !unixLink.empty() &&
         RunUnixProgram("Z:\\bin\\ln", "ln -s \"" + unixTarget + "\" \"" + unixLink + "\"", made);
}

// Removes a Unix link; true once gone() holds. Only while its target is there: Wine lists no
// link whose target is gone.
inline bool RemoveUnixLink(const std::string& link, const std::function<bool()>& gone) {
  return RunUnixProgram("Z:\\bin\\rm", "rm \"" + UnixPathOfNewEntry(link) + "\"", gone);
}

}  // namespace ql::test
