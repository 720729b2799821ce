// The end-to-end driver: starts programs, finds windows, reads their texts, posts messages, reads
// priority classes and takes screenshots, all from outside the program under test.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace ql::e2e {

// A program started by the driver; ended (if still running) when the object goes.
class Program {
 public:
  Program() = default;
  Program(win32::UniqueHandleNull process, DWORD id) : process_(std::move(process)), id_(id) {}
  Program(Program&&) = default;
  Program& operator=(Program&&) = default;
  ~Program() { Kill(); }

  bool Started() const { return process_.is_valid(); }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_.get(); }
  bool Running() const;
  // Waits for the program to end; false on time-out.
  bool WaitForExit(DWORD milliseconds) const;
  void Kill();

 private:
  win32::UniqueHandleNull process_;
  DWORD id_ = 0;
};

// Starts a program with a command line (the program name first); it has not started when the
// returned object reports so.
Program Start(const std::string& commandLine);

// Polls the condition every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

// The folder of the running driver, without a trailing "\".
std::string DriverFolder();

// Top-level windows of a process, optionally only those with an exact title.
std::vector<HWND> ProcessWindows(DWORD processId, const std::string& title = std::string());
// A visible top-level window of the process with that title, waited for; null on time-out.
HWND WaitForVisibleWindow(DWORD processId, const std::string& title, DWORD milliseconds);
// The first top-level window of the process with that title; null when there is none.
HWND FindProcessWindow(DWORD processId, const std::string& title);
// Every top-level window with that exact title, of any process.
std::vector<HWND> WindowsTitled(const std::string& title);

std::string WindowText(HWND window);  // through WM_GETTEXT, as a screen reader reads it
std::string ChildText(HWND parent, int controlId);
bool ChildVisible(HWND parent, int controlId);

bool PostRegistered(HWND window, const char* messageName, WPARAM wParam);
bool BringToFront(HWND window);

// The priority class of a process, 0 when it cannot be read.
DWORD PriorityClassOf(DWORD processId);
bool SetPriorityClassOf(DWORD processId, DWORD priorityClass);

// Saves the window's on-screen pixels as a 24-bit bitmap file.
bool SaveWindowBitmap(HWND window, const std::string& path);

// Settings of Quillon in the current user's hive.
bool WriteQuillonSetting(const char* name, DWORD value);
// A string value in the native (64-bit) view, its key created when missing.
bool WriteRegistryText(HKEY root, const char* key, const char* name, const std::string& text);

}  // namespace ql::e2e
