// The end-to-end driver: starts programs, finds windows, reads their texts, posts messages, reads
// priority classes and takes screenshots, all from outside the program under test.
#pragma once

#include <windows.h>

#include <commctrl.h>

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

// Everything left to read in a pipe or a file.
std::string ReadAll(HANDLE pipe);
// What a console program printed on both streams, and its exit code.
struct Outcome {
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;
  std::string err;
};
// Runs the command line (the program name first), waits up to two minutes for it to end and
// collects its output.
Outcome RunAndCapture(std::string commandLine);

// Polls the condition every 50 ms until it holds or the time is up.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 20000);

// The folder of the running driver, without a trailing "\".
std::string DriverFolder();
// Quillon.exe beside the driver.
std::string QuillonPath();
// The user's folder for temporary files, with a trailing "\".
std::string TempFolder();
// Where screenshots go: the folder the test command collects artifacts in, else "artifacts"
// beside the driver; made when missing.
std::string ArtifactFolder();

// Top-level windows of a process, optionally only those with an exact title.
std::vector<HWND> ProcessWindows(DWORD processId, const std::string& title = std::string());
// A visible top-level window of the process with that title, waited for; null on time-out.
HWND WaitForVisibleWindow(DWORD processId, const std::string& title, DWORD milliseconds);
// The first top-level window of the process with that title; null when there is none.
HWND FindProcessWindow(DWORD processId, const std::string& title);
// The same among the visible ones only, without waiting.
HWND FindVisibleWindow(DWORD processId, const std::string& title);
// Every top-level window with that exact title, of any process.
std::vector<HWND> WindowsTitled(const std::string& title);

std::string WindowText(HWND window);  // through WM_GETTEXT, as a screen reader reads it
std::string ChildText(HWND parent, int controlId);
std::string ChildText(HWND form, const char* controlName);  // by the control's name on the form
bool ChildVisible(HWND parent, int controlId);
// A click on a control of a form as the window system reports it to the form (BN_CLICKED, the
// same code as a label's STN_CLICKED), which is also what a screen reader asks for.
void Click(HWND form, const char* controlName);

// A real click of the left mouse button: the pointer moved to the point of the window's client
// area, the button pressed and released there, as a user does it.
void PointerClick(HWND window, POINT client);
// The same on the middle of a form's control, the form brought to the front first.
void PointerClick(HWND form, const char* controlName);

// A list view of another process, read, selected and clicked as an accessibility tool does:
// through memory lent in that process, since list-view messages carry pointers that are not
// carried across processes.
class RemoteList {
 public:
  explicit RemoteList(HWND list);
  RemoteList(const RemoteList&) = delete;
  RemoteList& operator=(const RemoteList&) = delete;
  ~RemoteList();

  bool Usable() const { return memory_ != nullptr; }
  int Count() const;
  std::string Text(int row, int column = 0) const;
  // The row whose first column reads the name; -1 when none does.
  int Find(const std::string& name) const;
  // The row whose text holds the part; -1 when none does.
  int FindContaining(const std::string& part) const;
  bool Checked(int row) const;
  bool Selected(int row) const;
  // As a user's click does: the row becomes selected and focused, and the form is told.
  bool Select(int row) const;
  // A pointer click on the row's check box, or on its text (which selects the row).
  bool ClickCheckBox(int row) const;
  bool ClickText(int row) const;

 private:
  static constexpr int kTextSize = 1024;
  static constexpr SIZE_T kSize = sizeof(LVITEMA) + kTextSize;
  template <typename T>
  bool Put(const T& value) const {
    return WriteProcessMemory(process_.get(), memory_, &value, sizeof(value), nullptr) != FALSE;
  }
  template <typename T>
  bool Get(T& value) const {
    return ReadProcessMemory(process_.get(), memory_, &value, sizeof(value), nullptr) != FALSE;
  }
  bool ItemRect(int row, int part, RECT& rect) const;
  bool HitsCheckBox(int row, POINT point) const;

  HWND list_;
  win32::UniqueHandleNull process_;
  char* memory_ = nullptr;
};

bool PostRegistered(HWND window, const char* messageName, WPARAM wParam);
// Sends a running Quillon the close request a later start sends ("QuillonClose") and waits for
// it to end; true when it has ended.
bool CloseQuillon(const Program& quillon, HWND main, DWORD milliseconds);
bool BringToFront(HWND window);

// The priority class of a process, 0 when it cannot be read.
DWORD PriorityClassOf(DWORD processId);
bool SetPriorityClassOf(DWORD processId, DWORD priorityClass);

// Saves the window's on-screen pixels as a 24-bit bitmap file.
bool SaveWindowBitmap(HWND window, const std::string& path);

// Settings of Quillon in the current user's hive.
bool WriteQuillonSetting(const char* name, DWORD value);
// A string value (REG_SZ unless another string type is given) in the native (64-bit) view, its
// key created when missing.
bool WriteRegistryText(HKEY root, const char* key, const char* name, const std::string& text,
                       DWORD type = REG_SZ);
// A REG_SZ value in the native view; "<missing>" when there is none of that type.
std::string ReadRegistryText(HKEY root, const char* key, const char* name);
bool RegistryKeyExists(HKEY root, const char* key);
bool RegistryValueExists(HKEY root, const char* key, const char* name);
// Deletes a key with its subtree, or one value, in the native view, where the writes above put
// them.
void DeleteRegistryTree(HKEY root, const char* key);
void DeleteRegistryValue(HKEY root, const char* key, const char* name);

}  // namespace ql::e2e
