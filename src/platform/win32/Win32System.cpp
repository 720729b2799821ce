// System, clock and code-page adapters: version, memory, load counters, folders, local time, ANSI.
#include <windows.h>

#include <shlobj.h>

#include "platform/win32/CodePageText.h"
#include "platform/win32/SystemFunction.h"
#include "platform/win32/Win32Platform.h"

namespace ql::win32 {
namespace {

using NtQuerySystemInformationFunction = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr std::int32_t kStatusNotImplemented = static_cast<std::int32_t>(0xC0000002u);

// Not part of the documented API, so it is looked up in ntdll once, at the first call.
NtQuerySystemInformationFunction NtQuerySystemInformation() {
  static const NtQuerySystemInformationFunction function =
      LookUpFunction<NtQuerySystemInformationFunction>("ntdll.dll", "NtQuerySystemInformation");
  return function;
}

// Calls fill(buffer, capacity) until the returned length fits; an empty text on failure.
template <typename Fill>
AnsiString GrowingText(Fill fill) {
  for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
    std::string buffer(capacity, '\0');
    const DWORD length = fill(&buffer[0], capacity);
    if (length == 0)
      return AnsiString();
    if (length < capacity) {
      buffer.resize(length);
      return buffer;
    }
  }
  return AnsiString();
}

}  // namespace

VersionInfo Win32System::Version() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  if (GetVersionExA(&version) == FALSE)
    return VersionInfo{};
  return VersionInfo{version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion};
}

bool Win32System::ReadMemoryStatus(MemoryStatus& status) {
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  if (GlobalMemoryStatusEx(&memory) == FALSE)
    return false;
  status = MemoryStatus{memory.ullTotalPhys, memory.ullAvailPhys};
  return true;
}

std::int32_t Win32System::QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                                 std::uint32_t size) {
  const NtQuerySystemInformationFunction query = NtQuerySystemInformation();
  if (query == nullptr)
    return kStatusNotImplemented;
  return query(infoClass, buffer, size, nullptr);
}

std::uint32_t Win32System::ProcessorCount() {
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

void* Win32System::HeapAllocate(std::size_t bytes) {
  return HeapAlloc(GetProcessHeap(), 0, bytes);
}

void Win32System::HeapRelease(void* block) {
  if (block != nullptr)
    HeapFree(GetProcessHeap(), 0, block);
}

void* Win32System::CommitBlock(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE | PAGE_NOCACHE);
}

void Win32System::ReleaseBlock(void* block) {
  if (block != nullptr)
    VirtualFree(block, 0, MEM_RELEASE);
}

void Win32System::SleepMs(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

AnsiString Win32System::WindowsDirectory() {
  return GrowingText(
      [](char* buffer, DWORD capacity) { return GetWindowsDirectoryA(buffer, capacity); });
}

namespace {

// The wide calls, so that a folder the code page cannot carry (a profile named "Gergő" on code
// page 1252) is never handed on as a best-fitted look-alike.
AnsiString ExactShellFolderPath(int csidl) {
  wchar_t path[MAX_PATH] = {};
  AnsiString ansi;
  if (SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK ||
      !ToAnsiExactly(path, wcsnlen(path, MAX_PATH), ansi))
    return AnsiString();
  return ansi;
}

// ExpandEnvironmentStringsW counts the terminating NUL in what it returns. False when it fails
// or the code page cannot carry the result.
bool ExpandExactly(const AnsiString& text, AnsiString& expanded) {
  const std::wstring wide = ToWideText(text);
  const DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (needed == 0)
    return false;
  std::wstring buffer(needed, L'\0');
  const DWORD written = ExpandEnvironmentStringsW(wide.c_str(), &buffer[0], needed);
  if (written == 0 || written > needed)
    return false;
  return ToAnsiExactly(buffer.c_str(), wcsnlen(buffer.c_str(), needed), expanded);
}

// A 32-bit process on 64-bit Windows gets the 32-bit folders from the shell; the variables
// ProgramW6432 and CommonProgramW6432, defined only on 64-bit Windows, name the native ones.
AnsiString NativeFolder(const char* nativeReference, int csidl) {
  AnsiString native;
  if (ExpandExactly(nativeReference, native) && !native.empty() && native[0] != '%')
    return native;
  return ExactShellFolderPath(csidl);
}

}  // namespace

bool ToAnsiExactly(const wchar_t* text, std::size_t units, AnsiString& ansi, unsigned codePage) {
  ansi.clear();
  if (units == 0)
    return true;
  const int size = static_cast<int>(units);
  const int length = WideCharToMultiByte(codePage, 0, text, size, nullptr, 0, nullptr, nullptr);
  if (length <= 0)
    return false;
  ansi.assign(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, text, size, &ansi[0], length, nullptr, nullptr);
  return ToWideText(ansi, codePage) == std::wstring(text, units);
}

std::wstring ToWideText(const AnsiString& text, unsigned codePage) {
  if (text.empty())
    return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 0, L'\0');
  if (length > 0)
    MultiByteToWideChar(codePage, 0, text.data(), size, &wide[0], length);
  return wide;
}

AnsiString Win32System::ShellFolderPath(int csidl) {
  return ExactShellFolderPath(csidl);
}

AnsiString Win32System::NativeProgramFiles() {
  return NativeFolder("%ProgramW6432%", CSIDL_PROGRAM_FILES);
}

AnsiString Win32System::NativeCommonFiles() {
  return NativeFolder("%CommonProgramW6432%", CSIDL_PROGRAM_FILES_COMMON);
}

bool Win32System::ExpandEnvironment(const AnsiString& text, AnsiString& expanded) {
  return ExpandExactly(text, expanded);
}

// GetModuleFileNameA returns the full capacity when it had to cut the path.
AnsiString Win32System::ExecutablePath() {
  return GrowingText(
      [](char* buffer, DWORD capacity) { return GetModuleFileNameA(nullptr, buffer, capacity); });
}

// The commit left over is what the page file and physical memory can still back; a 32-bit
// process runs out of address space first, so the smaller of the two is what it can commit.
bool Win32System::AvailableCommit(std::uint64_t& bytes) {
  MEMORYSTATUSEX memory{};
  memory.dwLength = sizeof(memory);
  if (GlobalMemoryStatusEx(&memory) == FALSE)
    return false;
  bytes = memory.ullAvailPageFile < memory.ullAvailVirtual ? memory.ullAvailPageFile
                                                           : memory.ullAvailVirtual;
  return true;
}

double Win32Clock::TimeOfDay() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const double seconds =
      now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
  return seconds / 86400.0;
}

AnsiString Win32Clock::LongTimeText() {
  char text[128] = {};
  const int length = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof(text));
  return length > 0 ? AnsiString(text, static_cast<std::size_t>(length - 1)) : AnsiString();
}

AnsiString Win32CodePage::UpperCase(const AnsiString& text) {
  AnsiString upper = text;
  if (!upper.empty())
    CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
  return upper;
}

bool Win32CodePage::IsLeadByte(char byte) {
  return IsDBCSLeadByte(static_cast<BYTE>(byte)) != FALSE;
}

WideString Win32CodePage::ToWide(const AnsiString& text) {
  const std::wstring wide = ToWideText(text);
  return WideString(wide.begin(), wide.end());
}

AnsiString Win32CodePage::FromWide(const WideString& text) {
  if (text.empty())
    return AnsiString();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  if (length <= 0)
    return AnsiString();
  AnsiString ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, &ansi[0], length, nullptr, nullptr);
  return ansi;
}

}  // namespace ql::win32
