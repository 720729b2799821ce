// System port: version, memory, load counters, memory blocks, known folders, code page.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/text.h"

namespace ql {

struct VersionInfo {
  std::uint32_t platformId = 2;  // VER_PLATFORM_WIN32_NT
  std::uint32_t major = 6;
  std::uint32_t minor = 1;
};

struct MemoryStatus {
  std::uint64_t totalPhysical = 0;
  std::uint64_t availablePhysical = 0;
};

namespace csidl {
constexpr int kInternetCache = 0x20;
constexpr int kAppData = 0x1A;
constexpr int kLocalAppData = 0x1C;
constexpr int kProfile = 0x28;
constexpr int kProgramFilesX86 = 0x2A;
constexpr int kCommonFilesX86 = 0x2C;
}  // namespace csidl

class System {
 public:
  virtual ~System() = default;
  virtual VersionInfo Version() = 0;
  virtual bool ReadMemoryStatus(MemoryStatus& status) = 0;  // the extended status
  // NtQuerySystemInformation; returns its status (0 is success).
  virtual std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                              std::uint32_t size) = 0;
  virtual std::uint32_t ProcessorCount() = 0;
  virtual void* HeapAllocate(std::size_t bytes) = 0;  // null on failure
  virtual void HeapRelease(void* block) = 0;
  virtual void* CommitBlock(
      std::size_t bytes) = 0;  // VirtualAlloc commit, no caching; null on failure
  virtual void ReleaseBlock(void* block) = 0;
  virtual void SleepMs(std::uint32_t milliseconds) = 0;
  virtual AnsiString WindowsDirectory() = 0;  // as the system gives it, no trailing "\" added
  // The current path; empty on failure and when the code page cannot carry it exactly.
  virtual AnsiString ShellFolderPath(int csidl) = 0;
  // The program-files folder and its common-files folder of the native view (on 64-bit Windows
  // the 64-bit ones, whatever the bitness of the caller); empty on failure.
  virtual AnsiString NativeProgramFiles() = 0;
  virtual AnsiString NativeCommonFiles() = 0;
  // The text with the current user's environment expanded: references to names that are not
  // defined stay as they are written. False when the result holds characters the code page
  // cannot carry exactly (a profile named outside it): such text is never to be judged.
  virtual bool ExpandEnvironment(const AnsiString& text, AnsiString& expanded) = 0;
  virtual AnsiString ExecutablePath() = 0;  // full path of the running executable
  // Bytes this process can still commit: the system's commit limit left over, and for a 32-bit
  // process also its address space left over; false when it cannot be read.
  virtual bool AvailableCommit(std::uint64_t& bytes) = 0;
};

// Local time: a fraction of a day, and the time of day in the user's long time format.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual double TimeOfDay() = 0;
  virtual AnsiString LongTimeText() = 0;
};

// The system's ANSI code page: upper-casing by its rules and conversion to and from UTF-16.
class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual AnsiString UpperCase(const AnsiString& text) = 0;
  virtual WideString ToWide(const AnsiString& text) = 0;
  virtual AnsiString FromWide(const WideString& text) = 0;
  // True for a byte that begins a two-byte character (code pages 932, 936, 949, 950): the byte
  // after it may be 0x5C and is then no backslash.
  virtual bool IsLeadByte(char byte) = 0;
};

}  // namespace ql
