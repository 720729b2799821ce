// Process and window adapter: foreground window, process handles, priority classes, snapshots.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstring>

#include "platform/win32/SystemFunction.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

HWND ToWindow(WindowId window) {
  return reinterpret_cast<HWND>(window);
}
HANDLE ToHandle(ProcessHandle process) {
  return reinterpret_cast<HANDLE>(process);
}

using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// QueryFullProcessImageNameA exists from Windows Vista on; looked up once.
QueryImageName QueryFullProcessImageName() {
  static const QueryImageName function =
      LookUpFunction<QueryImageName>("kernel32.dll", "QueryFullProcessImageNameA");
  return function;
}

AnsiString ExeName(const PROCESSENTRY32& entry) {
  return AnsiString(entry.szExeFile, strnlen(entry.szExeFile, sizeof(entry.szExeFile)));
}

}  // namespace

WindowId Win32Processes::ForegroundWindow() {
  return reinterpret_cast<WindowId>(GetForegroundWindow());
}

std::uint32_t Win32Processes::WindowProcessId(WindowId window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(ToWindow(window), &processId);
  return processId;
}

// Wine answers GetWindowTextA for the null window with stray bytes, so "no window" is answered
// here, and the text is taken only up to its terminator.
AnsiString Win32Processes::WindowTitle(WindowId window) {
  if (window == 0)
    return AnsiString();
  char title[260] = {};
  if (GetWindowTextA(ToWindow(window), title, sizeof(title)) <= 0)
    return AnsiString();
  return AnsiString(title, strnlen(title, sizeof(title)));
}

ProcessHandle Win32Processes::OpenProcess(std::uint32_t processId, std::uint32_t access) {
  return reinterpret_cast<ProcessHandle>(::OpenProcess(access, FALSE, processId));
}

void Win32Processes::CloseProcess(ProcessHandle process) {
  CloseHandle(ToHandle(process));
}

std::uint32_t Win32Processes::PriorityClassOf(ProcessHandle process) {
  return GetPriorityClass(ToHandle(process));
}

bool Win32Processes::SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) {
  return SetPriorityClass(ToHandle(process), priorityClass) != FALSE;
}

bool Win32Processes::TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) {
  return TerminateProcess(ToHandle(process), exitCode) != FALSE;
}

// A 32-bit process cannot list the modules of a 64-bit one; ImagePath covers that case.
bool Win32Processes::FirstModulePath(ProcessHandle process, AnsiString& path) {
  HMODULE modules[1024 / sizeof(HMODULE)] = {};
  DWORD needed = 0;
  if (EnumProcessModules(ToHandle(process), modules, sizeof(modules), &needed) == FALSE ||
      needed < sizeof(HMODULE))
    return false;
  char name[256] = {};
  const DWORD length = GetModuleFileNameExA(ToHandle(process), modules[0], name, sizeof(name));
  if (length == 0)
    return false;
  path.assign(name, length < sizeof(name) ? length : sizeof(name) - 1);
  return true;
}

bool Win32Processes::ImagePath(ProcessHandle process, AnsiString& path) {
  const QueryImageName query = QueryFullProcessImageName();
  if (query == nullptr)
    return false;
  char name[MAX_PATH * 4] = {};
  DWORD length = sizeof(name);
  if (query(ToHandle(process), 0, name, &length) == FALSE)
    return false;
  path.assign(name, length < sizeof(name) ? length : sizeof(name) - 1);
  return true;
}

bool Win32Processes::Snapshot(std::vector<ProcessEntry>& entries) {
  entries.clear();
  const UniqueSnapshot snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot)
    return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot.get(), &entry); more != FALSE;
       more = Process32Next(snapshot.get(), &entry))
    entries.push_back(ProcessEntry{entry.th32ProcessID, ExeName(entry)});
  return true;
}

// The identifiers of every process, in one call to the system where a snapshot walk takes one per
// process; a full buffer may have cut the list, so it is asked again with room to spare.
bool Win32Processes::CountProcesses(std::size_t& count) {
  std::vector<DWORD> ids(256);
  for (;;) {
    DWORD bytes = 0;
    const auto capacity = static_cast<DWORD>(ids.size() * sizeof(DWORD));
    if (!EnumProcesses(ids.data(), capacity, &bytes))
      return false;
    if (bytes < capacity) {
      count = bytes / sizeof(DWORD);
      return true;
    }
    ids.resize(ids.size() * 2);
  }
}

std::uint32_t Win32Processes::CurrentProcessId() {
  return GetCurrentProcessId();
}

}  // namespace ql::win32
