// The end-to-end driver: starts programs, finds windows, reads their texts, posts messages, reads
// priority classes and takes screenshots, all from outside the program under test.
#include "Driver.win32.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "ui/Controls.h"

namespace ql::e2e {

bool Program::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Program::WaitForExit(DWORD milliseconds) const {
  return !process_ || WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0;
}

void Program::Kill() {
  if (!Running())
    return;
  TerminateProcess(process_.get(), 1);
  WaitForSingleObject(process_.get(), 5000);
}

Program Start(const std::string& commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string line = commandLine;  // CreateProcessA may write into the command line
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &info))
    return Program();
  win32::UniqueHandleNull thread(info.hThread);
  return Program(win32::UniqueHandleNull(info.hProcess), info.dwProcessId);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    if (condition())
      return true;
    if (GetTickCount64() >= end)
      return false;
    Sleep(50);
  }
}

std::string DriverFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string QuillonPath() {
  return DriverFolder() + "\\Quillon.exe";
}

std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  return std::string(buffer, GetTempPathA(MAX_PATH, buffer));
}

std::string ArtifactFolder() {
  const char* folder = std::getenv("QUILLON_ARTIFACTS");
  const std::string path = folder != nullptr ? folder : DriverFolder() + "\\artifacts";
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

namespace {
struct WindowSearch {
  DWORD processId;  // 0: any process
  std::string title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->processId != 0 && owner != search->processId)
    return TRUE;
  if (search->title.empty() || WindowText(window) == search->title)
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const std::string& title) {
  WindowSearch search{processId, title, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}
}  // namespace

std::vector<HWND> ProcessWindows(DWORD processId, const std::string& title) {
  return TopLevelWindows(processId, title);
}

HWND WaitForVisibleWindow(DWORD processId, const std::string& title, DWORD milliseconds) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindVisibleWindow(processId, title)) != nullptr; }, milliseconds);
  return found;
}

HWND FindVisibleWindow(DWORD processId, const std::string& title) {
  HWND found = nullptr;
  for (HWND window : ProcessWindows(processId, title)) {
    if (IsWindowVisible(window))
      found = window;
  }
  return found;
}

HWND FindProcessWindow(DWORD processId, const std::string& title) {
  const std::vector<HWND> windows = TopLevelWindows(processId, title);
  return windows.empty() ? nullptr : windows.front();
}

std::vector<HWND> WindowsTitled(const std::string& title) {
  return TopLevelWindows(0, title);
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return std::string();
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied))
    return std::string();
  text.resize(copied);
  return text;
}

std::string ChildText(HWND parent, int controlId) {
  HWND child = GetDlgItem(parent, controlId);
  return child != nullptr ? WindowText(child) : std::string();
}

std::string ChildText(HWND form, const char* controlName) {
  return ChildText(form, ui::ControlIdFor(controlName));
}

void Click(HWND form, const char* controlName) {
  const int id = ui::ControlIdFor(controlName);
  PostMessageA(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(form, id)));
}

bool ChildVisible(HWND parent, int controlId) {
  HWND child = GetDlgItem(parent, controlId);
  return child != nullptr && IsWindowVisible(child);
}

bool PostRegistered(HWND window, const char* messageName, WPARAM wParam) {
  const UINT message = RegisterWindowMessageA(messageName);
  return message != 0 && PostMessageA(window, message, wParam, 0);
}

bool CloseQuillon(const Program& quillon, HWND main, DWORD milliseconds) {
  if (quillon.Running() && main != nullptr)
    PostRegistered(main, "QuillonClose", 1134);
  return quillon.WaitForExit(milliseconds);
}

// The window system takes the focus change asynchronously under Wine, so the driver asks again
// until the window is in front.
bool BringToFront(HWND window) {
  return WaitUntil(
      [&] {
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
      },
      3000);
}

DWORD PriorityClassOf(DWORD processId) {
  win32::UniqueHandleNull process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
  return process ? GetPriorityClass(process.get()) : 0;
}

bool SetPriorityClassOf(DWORD processId, DWORD priorityClass) {
  win32::UniqueHandleNull process(OpenProcess(PROCESS_SET_INFORMATION, FALSE, processId));
  return process && SetPriorityClass(process.get(), priorityClass);
}

namespace {
// Writes 24-bit pixel rows, bottom-up, as a bitmap file.
bool WriteBitmapFile(const std::string& path, int width, int height,
                     const std::vector<BYTE>& pixels) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(pixels.size());
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(reinterpret_cast<const char*>(pixels.data()),
            static_cast<std::streamsize>(pixels.size()));
  return static_cast<bool>(out);
}
}  // namespace

bool SaveWindowBitmap(HWND window, const std::string& path) {
  RECT rect{};
  if (!GetWindowRect(window, &rect))
    return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0)
    return false;
  win32::ScopedWindowDc screen(nullptr);
  win32::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  win32::UniqueHBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  if (!memory || !bitmap)
    return false;
  {
    win32::ScopedSelectObject select(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const int stride = (width * 3 + 3) & ~3;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
  if (!GetDIBits(memory.get(), bitmap.get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS))
    return false;
  return WriteBitmapFile(path, width, height, pixels);
}

bool WriteQuillonSetting(const char* name, DWORD value) {
  win32::UniqueHKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Kestrelworks\\Quillon", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value) == ERROR_SUCCESS;
}

bool WriteRegistryText(HKEY root, const char* key, const char* name, const std::string& text,
                       DWORD type) {
  win32::UniqueHKey handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr,
                      handle.put(), nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(handle.get(), name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

namespace {
win32::UniqueHKey OpenForReading(HKEY root, const char* key) {
  win32::UniqueHKey handle;
  if (RegOpenKeyExA(root, key, 0, KEY_READ | KEY_WOW64_64KEY, handle.put()) != ERROR_SUCCESS)
    return win32::UniqueHKey();
  return handle;
}
}  // namespace

std::string ReadRegistryText(HKEY root, const char* key, const char* name) {
  const win32::UniqueHKey handle = OpenForReading(root, key);
  char data[512] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (!handle ||
      RegQueryValueExA(handle.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return "<missing>";
  return data;
}

bool RegistryKeyExists(HKEY root, const char* key) {
  return static_cast<bool>(OpenForReading(root, key));
}

bool RegistryValueExists(HKEY root, const char* key, const char* name) {
  const win32::UniqueHKey handle = OpenForReading(root, key);
  return handle &&
         RegQueryValueExA(handle.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void DeleteRegistryTree(HKEY root, const char* key) {
  win32::UniqueHKey handle;
  if (RegOpenKeyExA(root, key, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, handle.put()) != ERROR_SUCCESS)
    return;
  RegDeleteTreeA(handle.get(), nullptr);
  handle.reset();
  RegDeleteKeyExA(root, key, KEY_WOW64_64KEY, 0);
}

void DeleteRegistryValue(HKEY root, const char* key, const char* name) {
  win32::UniqueHKey handle;
  if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, handle.put()) == ERROR_SUCCESS)
    RegDeleteValueA(handle.get(), name);
}

namespace {}  // namespace

std::string ReadAll(HANDLE pipe) {
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  return text;
}

Outcome RunAndCapture(std::string commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  CreatePipe(&outRead, &outWrite, &inherit, 0);
  CreatePipe(&errRead, &errWrite, &inherit, 0);
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  Outcome outcome;
  const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (started) {
    outcome.out = ReadAll(outRead);
    outcome.err = ReadAll(errRead);
    WaitForSingleObject(process.hProcess, 120000);
    GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(outRead);
  CloseHandle(errRead);
  return outcome;
}

// Each event carries the point itself: a button event sent right after the pointer was moved
// could otherwise still be placed where the pointer was before.
void PointerClick(HWND window, POINT client) {
  ClientToScreen(window, &client);
  SetCursorPos(client.x, client.y);
  const LONG x = MulDiv(client.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  const LONG y = MulDiv(client.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  INPUT inputs[3] = {};
  const DWORD flags[3] = {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 3; ++i) {
    inputs[i].type = INPUT_MOUSE;
    inputs[i].mi.dx = x;
    inputs[i].mi.dy = y;
    inputs[i].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | flags[i];
  }
  SendInput(3, inputs, sizeof(INPUT));
}

// Another window may have come forward when a modal one closed, and would take the click.
void PointerClick(HWND form, const char* controlName) {
  BringToFront(form);
  RECT rect{};
  GetWindowRect(GetDlgItem(form, ui::ControlIdFor(controlName)), &rect);
  POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  ScreenToClient(form, &centre);
  PointerClick(form, centre);
}

RemoteList::RemoteList(HWND list) : list_(list) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  process_.reset(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
  if (process_)
    memory_ = static_cast<char*>(
        VirtualAllocEx(process_.get(), nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
}

RemoteList::~RemoteList() {
  if (memory_ != nullptr)
    VirtualFreeEx(process_.get(), memory_, 0, MEM_RELEASE);
}

int RemoteList::Count() const {
  return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteList::Text(int row, int column) const {
  char* remoteText = memory_ + sizeof(LVITEMA);
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = remoteText;
  item.cchTextMax = kTextSize;
  if (!Put(item))
    return "";
  SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
               reinterpret_cast<LPARAM>(memory_));
  char text[kTextSize] = {};
  if (!ReadProcessMemory(process_.get(), remoteText, text, sizeof(text) - 1, nullptr))
    return "";
  return text;
}

int RemoteList::Find(const std::string& name) const {
  for (int row = 0; row < Count(); ++row) {
    if (Text(row) == name)
      return row;
  }
  return -1;
}

int RemoteList::FindContaining(const std::string& part) const {
  for (int row = 0; row < Count(); ++row) {
    if (Text(row).find(part) != std::string::npos)
      return row;
  }
  return -1;
}

bool RemoteList::Checked(int row) const {
  return (SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK) >>
          12) == 2;
}

bool RemoteList::Selected(int row) const {
  return SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) != 0;
}

bool RemoteList::Select(int row) const {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  return Put(item) && SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(memory_)) != FALSE;
}

bool RemoteList::ItemRect(int row, int part, RECT& rect) const {
  rect = RECT{part, 0, 0, 0};
  return Put(rect) &&
         SendMessageA(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                      reinterpret_cast<LPARAM>(memory_)) != 0 &&
         Get(rect);
}

// The list's own hit test tells where on a row its check box lies.
bool RemoteList::HitsCheckBox(int row, POINT point) const {
  LVHITTESTINFO hit{};
  hit.pt = point;
  if (!Put(hit))
    return false;
  SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(memory_));
  return Get(hit) && hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON) != 0;
}

bool RemoteList::ClickCheckBox(int row) const {
  RECT bounds{};
  if (!ItemRect(row, LVIR_BOUNDS, bounds))
    return false;
  const int middle = (bounds.top + bounds.bottom) / 2;
  for (int x = std::max<int>(bounds.left, 0); x < bounds.left + 40; ++x) {
    if (HitsCheckBox(row, POINT{x, middle})) {
      PointerClick(list_, POINT{x + 3, middle});
      return true;
    }
  }
  return false;
}

bool RemoteList::ClickText(int row) const {
  RECT label{};
  if (!ItemRect(row, LVIR_LABEL, label))
    return false;
  PointerClick(list_, POINT{label.left + 10, (label.top + label.bottom) / 2});
  return true;
}

}  // namespace ql::e2e
