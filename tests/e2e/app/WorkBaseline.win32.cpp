// The work baseline: the work Quillon must do while idle, done in the plainest Win32 way. Every
// 500 ms it reads the foreground window and its process, and moves a 7 x 7 dot on a circle with
// two blits (the background back over the old place, the dot at the new one); every 4 s it counts
// the running processes. "hidden" as the argument keeps the window hidden, as Quillon in the tray:
// the dot is then not drawn. What Quillon costs beyond this program is its own overhead.
#include <windows.h>

#include <psapi.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 500;
constexpr int kHeight = 410;
constexpr int kDot = 7;
constexpr int kCentreLeft = 416;
constexpr int kCentreTop = 70;
constexpr double kRadius = 44;
constexpr UINT_PTR kForegroundTimer = 1;
constexpr UINT_PTR kCountTimer = 2;

struct State {
  HDC background = nullptr;  // the window's picture
  HDC dot = nullptr;
  POINT at{kCentreLeft, kCentreTop + 44};
  int angle = 0;
  HWND lastForeground = nullptr;
  DWORD lastProcess = 0;
  std::size_t processCount = 0;
};

HDC MemoryPicture(HDC screen, int width, int height, COLORREF colour) {
  HDC dc = CreateCompatibleDC(screen);
  SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  return dc;
}

void ReadForeground(State& state) {
  HWND window = GetForegroundWindow();
  if (window == nullptr || window == state.lastForeground)
    return;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  state.lastForeground = window;
  state.lastProcess = processId;
}

void MoveDot(State& state, HWND window) {
  state.angle -= 20;
  const double a = state.angle * 3.14159265358979323846 / 180;
  const POINT next{kCentreLeft + static_cast<int>(std::lround(std::sin(a) * kRadius)),
                   kCentreTop + static_cast<int>(std::lround(std::cos(a) * kRadius))};
  if (state.angle == -360)
    state.angle = 0;
  if (IsWindowVisible(window)) {
    HDC dc = GetDC(window);
    BitBlt(dc, state.at.x, state.at.y, kDot, kDot, state.background, state.at.x, state.at.y,
           SRCCOPY);
    BitBlt(dc, next.x, next.y, kDot, kDot, state.dot, 0, 0, SRCCOPY);
    ReleaseDC(window, dc);
  }
  state.at = next;
}

void CountProcesses(State& state) {
  std::vector<DWORD> ids(1024);
  DWORD bytes = 0;
  if (EnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes))
    state.processCount = bytes / sizeof(DWORD);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE)
    SetWindowLongPtrA(
        window, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  auto* state = reinterpret_cast<State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (state == nullptr || state->background == nullptr)
    return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_TIMER:
      if (wParam == kForegroundTimer) {
        MoveDot(*state, window);
        ReadForeground(*state);
      } else if (wParam == kCountTimer) {
        CountProcesses(*state);
      }
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      BitBlt(dc, 0, 0, kWidth, kHeight, state->background, 0, 0, SRCCOPY);
      BitBlt(dc, state->at.x, state->at.y, kDot, kDot, state->dot, 0, 0, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const bool hidden = std::strstr(commandLine, "hidden") != nullptr;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "QuillonWorkBaseline";
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  RegisterClassA(&windowClass);
  State state;
  HWND window = CreateWindowExA(0, windowClass.lpszClassName, "Work baseline", WS_POPUP, 0, 0,
                                kWidth, kHeight, nullptr, nullptr, instance, &state);
  if (window == nullptr)
    return 1;
  HDC screen = GetDC(window);
  state.background = MemoryPicture(screen, kWidth, kHeight, RGB(112, 140, 144));
  state.dot = MemoryPicture(screen, kDot, kDot, RGB(255, 255, 0));
  ReleaseDC(window, screen);
  if (!hidden)
    ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, kForegroundTimer, 500, nullptr);
  SetTimer(window, kCountTimer, 4000, nullptr);
  CountProcesses(state);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
