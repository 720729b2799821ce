// Helpers shared by the Wine tests of the platform adapters.
#include "WineTestSupport.h"

#include "platform/win32/UniqueHandle.h"

namespace ql::wintest {

AnsiString ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof(path));
  AnsiString folder(path);
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

ScratchFolder::ScratchFolder(const char* name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof(temp), temp);
  path_ = AnsiString(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "\\";
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
  RemoveTree(path_);
}

void RemoveTree(const AnsiString& folder) {
  WIN32_FIND_DATAA data{};
  win32::UniqueFind search(FindFirstFileA((folder + "*").c_str(), &data));
  for (bool more = search.is_valid(); more; more = FindNextFileA(search.get(), &data) != FALSE) {
    const AnsiString name = data.cFileName;
    if (name == "." || name == "..")
      continue;
    const AnsiString path = folder + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      RemoveTree(path + "\\");
    else
      DeleteFileA(path.c_str());
  }
  search.reset();
  RemoveDirectoryA(folder.c_str());
}

bool WriteTextFile(const AnsiString& path, const AnsiString& text) {
  const win32::UniqueHandleFile file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file &&
         WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace ql::wintest
