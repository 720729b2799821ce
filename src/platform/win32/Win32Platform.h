// The Win32 adapters of the platform ports, and Win32Platform, which owns one of each.
#pragma once

#include "platform/platform.h"

namespace ql::win32 {

class Win32Registry final : public Registry {
 public:
  bool OpenKey(RegRoot root, const AnsiString& path, std::uint32_t access, RegHandle& key) override;
  bool CreateKey(RegRoot root, const AnsiString& path, std::uint32_t access,
                 RegHandle& key) override;
  void CloseKey(RegHandle key) override;
  bool QueryInfoKey(RegHandle key, RegKeyInfo& info) override;
  bool EnumKey(RegHandle key, std::uint32_t index, AnsiString& name) override;
  bool EnumValue(RegHandle key, std::uint32_t index, AnsiString& name) override;
  bool EnumValueData(RegHandle key, std::uint32_t index, AnsiString& name, std::uint32_t& type,
                     Bytes& data) override;
  bool QueryValue(RegHandle key, const AnsiString& name, std::uint32_t& type, Bytes* data) override;
  bool EnumKeyExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override;
  bool EnumValueExact(RegHandle key, std::uint32_t index, AnsiString& name, bool& exact) override;
  bool QueryValueExact(RegHandle key, const AnsiString& name, std::uint32_t& type, Bytes* data,
                       bool& exact) override;
  bool QueryValueWide(RegHandle key, const AnsiString& name, std::uint32_t& type,
                      Bytes& data) override;
  bool SetValue(RegHandle key, const AnsiString& name, std::uint32_t type,
                const Bytes& data) override;
  bool DeleteValue(RegHandle key, const AnsiString& name) override;
};

// Every call runs with the file-system redirection of a 32-bit process on 64-bit Windows turned
// off, so that paths in System32 name the native folder, as the registry means them.
class Win32Files final : public Files {
 public:
  bool FindFirst(const AnsiString& pattern, std::uint32_t attributeMask, FindHandle& search,
                 FindEntry& entry) override;
  bool FindNext(FindHandle search, FindEntry& entry) override;
  void FindClose(FindHandle search) override;
  bool GetAttributes(const AnsiString& path, std::uint32_t& attributes) override;
  std::uint32_t QueryAttributes(const AnsiString& path, std::uint32_t& attributes) override;
  bool RemoveFile(const AnsiString& path) override;
  bool MakeDirectory(const AnsiString& path) override;
  bool ReadWholeFile(const AnsiString& path, Bytes& bytes) override;
  bool WriteWholeFile(const AnsiString& path, const Bytes& bytes) override;
  std::unique_ptr<HeldFile> HoldForReading(const AnsiString& path) override;
  std::uint32_t OpenForDeletion(const AnsiString& path, std::unique_ptr<OpenedFile>& file) override;
  std::uint64_t CurrentFileTime() override;
  AnsiString TemporaryFolder() override;
};

class Win32Processes final : public Processes {
 public:
  WindowId ForegroundWindow() override;
  std::uint32_t WindowProcessId(WindowId window) override;
  AnsiString WindowTitle(WindowId window) override;
  ProcessHandle OpenProcess(std::uint32_t processId, std::uint32_t access) override;
  void CloseProcess(ProcessHandle process) override;
  std::uint32_t PriorityClassOf(ProcessHandle process) override;
  bool SetPriorityClassOf(ProcessHandle process, std::uint32_t priorityClass) override;
  bool TerminateWithCode(ProcessHandle process, std::uint32_t exitCode) override;
  bool FirstModulePath(ProcessHandle process, AnsiString& path) override;
  bool ImagePath(ProcessHandle process, AnsiString& path) override;
  bool Snapshot(std::vector<ProcessEntry>& entries) override;
  bool CountProcesses(std::size_t& count) override;
  std::uint32_t CurrentProcessId() override;
};

class Win32System final : public System {
 public:
  VersionInfo Version() override;
  bool ReadMemoryStatus(MemoryStatus& status) override;
  std::int32_t QuerySystemInformation(std::uint32_t infoClass, void* buffer,
                                      std::uint32_t size) override;
  std::uint32_t ProcessorCount() override;
  void* HeapAllocate(std::size_t bytes) override;
  void HeapRelease(void* block) override;
  void* CommitBlock(std::size_t bytes) override;
  void ReleaseBlock(void* block) override;
  void SleepMs(std::uint32_t milliseconds) override;
  AnsiString WindowsDirectory() override;
  AnsiString ShellFolderPath(int csidl) override;
  AnsiString NativeProgramFiles() override;
  AnsiString NativeCommonFiles() override;
  bool ExpandEnvironment(const AnsiString& text, AnsiString& expanded) override;
  AnsiString ExecutablePath() override;
  bool AvailableCommit(std::uint64_t& bytes) override;
};

class Win32Clock final : public Clock {
 public:
  double TimeOfDay() override;
  AnsiString LongTimeText() override;
};

class Win32CodePage final : public CodePage {
 public:
  AnsiString UpperCase(const AnsiString& text) override;
  WideString ToWide(const AnsiString& text) override;
  AnsiString FromWide(const WideString& text) override;
  bool IsLeadByte(char byte) override;
};

class Win32Shell final : public Shell {
 public:
  void Open(const AnsiString& target, WindowId owner) override;
};

class Win32Launcher final : public Launcher {
 public:
  LaunchResult Run(const AnsiString& program, const AnsiString& commandLine,
                   const LaunchOptions& options) override;
};

// The Task Scheduler 2.0 interfaces (Windows Vista and later), through COM.
class Win32TaskScheduler final : public TaskScheduler {
 public:
  AnsiString CurrentUser() override;
  bool RegisterTask(const AnsiString& name, const AnsiString& xml) override;
  bool DeleteTask(const AnsiString& name) override;
};

// The real system: one adapter per port. The message pump belongs to the user interface, so the
// caller supplies it.
class Win32Platform {
 public:
  Platform platform(Pump& pump) {
    return Platform{registry_, files_, processes_, system_, clock_,
                    codePage_, shell_, launcher_,  pump,    tasks_};
  }

 private:
  Win32Registry registry_;
  Win32Files files_;
  Win32Processes processes_;
  Win32System system_;
  Win32Clock clock_;
  Win32CodePage codePage_;
  Win32Shell shell_;
  Win32Launcher launcher_;
  Win32TaskScheduler tasks_;
};

}  // namespace ql::win32
