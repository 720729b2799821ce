// FormWindow: drawing, child controls and user actions of one form's window.
#include "ui/FormWindow.win32.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "ui/Bitmap.h"

namespace ql::ui::win32 {
namespace {

constexpr int kComboListHeight = 200;

COLORREF ToColorRef(Color c) {
  return RGB(c.r, c.g, c.b);
}

RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.Right(), r.Bottom()};
}

bool IsDrawnByUs(const Control& control) {
  return control.Kind() == ControlKind::Label || control.Kind() == ControlKind::Picture;
}

bool IsDrawnByForm(const Control& control) {
  return control.Kind() == ControlKind::Picture &&
         static_cast<const Picture&>(control).DrawnByForm();
}

bool PartOf(const ImageButton& button, const Control* control) {
  return control == &button.A || control == &button.B || control == button.Caption;
}

HCURSOR SystemCursor(Cursor cursor) {
  switch (cursor) {
    case Cursor::Hand:
      return ::LoadCursor(nullptr, IDC_HAND);
    case Cursor::Hourglass:
      return ::LoadCursor(nullptr, IDC_WAIT);
    default:
      return ::LoadCursor(nullptr, IDC_ARROW);
  }
}

UINT DrawTextFlags(const Control& label) {
  UINT flags = DT_NOPREFIX;
  if (label.GetAlignment() == Alignment::Center)
    flags |= DT_CENTER;
  else if (label.GetAlignment() == Alignment::Right)
    flags |= DT_RIGHT;
  flags |= label.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE;
  return flags;
}

}  // namespace

FormWindow::FormWindow(Win32Host& host, Form& form) : host_(host), form_(form) {}

void FormWindow::Open() {
  const Size size = form_.ClientSize();
  const Point at = form_.Position();
  // Borderless popup; the children draw themselves, so the form never paints under them.
  Create(kFormClass, 0, WS_POPUP | WS_CLIPCHILDREN, form_.Caption().c_str(),
         {at.x, at.y, at.x + size.width, at.y + size.height}, nullptr);
  host_.windows_.push_back(this);
  tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(),
                               nullptr, ::GetModuleHandleA(nullptr), nullptr);
  CreateChildren();
  ApplyRegion();
  for (Timer* timer : form_.Timers())
    ApplyTimer(*timer);
}

FormWindow::~FormWindow() {
  EnableOthers();
  auto& windows = host_.windows_;
  windows.erase(std::remove(windows.begin(), windows.end(), this), windows.end());
  if (tooltip_ != nullptr)
    ::DestroyWindow(tooltip_);
}

HWND FormWindow::ChildOf(const Control& control) const {
  const auto it = children_.find(&control);
  return it == children_.end() ? nullptr : it->second;
}

void FormWindow::CreateChildren() {
  for (Control* control : form_.Controls()) {
    if (IsDrawnByForm(*control)) {
      placed_[control] = form_.DisplayBounds(*control);
      UpdateTooltip(*control);
    } else if (control != &form_.WndImage)
      children_[control] = CreateChild(*control);
  }
  // Later controls lie above earlier ones: each goes to the top of the order in turn.
  for (Control* control : form_.Controls()) {
    if (HWND child = ChildOf(*control))
      ::SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND FormWindow::CreateChild(Control& control) {
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control.Visible() ? WS_VISIBLE : 0);
  DWORD exStyle = 0;
  const char* className = "STATIC";
  AnsiString text = control.Caption();
  switch (control.Kind()) {
    case ControlKind::Label:
    case ControlKind::Picture:
      // Owner-drawn statics without SS_NOTIFY: the mouse passes through them to the form, which
      // knows which control is under it.
      style |= SS_OWNERDRAW;
      break;
    case ControlKind::CheckBox:
      className = "BUTTON";
      style |= BS_CHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::Grid:       // one row chosen at a time
    case ControlKind::CheckList:  // several lines selected, long ones scrolled sideways
      className = WC_LISTVIEWA;
      style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | WS_VSCROLL | WS_TABSTOP |
               (control.Kind() == ControlKind::Grid ? LVS_SINGLESEL : WS_HSCROLL);
      exStyle = WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Memo:
      className = "EDIT";
      style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_VSCROLL | WS_HSCROLL |
               WS_TABSTOP | (static_cast<Memo&>(control).ReadOnly() ? ES_READONLY : 0);
      exStyle = WS_EX_CLIENTEDGE;
      text = static_cast<Memo&>(control).Text();
      break;
    case ControlKind::ComboBox:
      className = "COMBOBOX";
      style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      break;
  }
  HWND child = ::CreateWindowExA(exStyle, className, text.c_str(), style, 0, 0, 0, 0, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.Id())),
                                 ::GetModuleHandleA(nullptr), nullptr);
  if (child == nullptr)
    return nullptr;
  children_[&control] = child;
  if (control.Kind() == ControlKind::CheckBox) {
    // Themed check boxes ignore the text colour; this one keeps the window's colours.
    ::SetWindowTheme(child, L"", L"");
  }
  if (control.Kind() == ControlKind::Grid) {
    ListView_SetExtendedListViewStyle(child, LVS_EX_FULLROWSELECT);
    auto& grid = static_cast<Grid&>(control);
    for (int col = 0; col < grid.ColCount(); ++col) {
      LVCOLUMNA column{};
      column.mask = LVCF_WIDTH;
      column.cx = grid.ColWidth(col);
      ::SendMessageA(child, LVM_INSERTCOLUMNA, static_cast<WPARAM>(col),
                     reinterpret_cast<LPARAM>(&column));
    }
  }
  if (control.Kind() == ControlKind::CheckList) {
    ListView_SetExtendedListViewStyle(child, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    ::SendMessageA(child, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  }
  if (!IsDrawnByUs(control))
    ::SendMessageA(child, WM_SETFONT,
                   reinterpret_cast<WPARAM>(host_.Gdi().FontFor(control.GetFont())), FALSE);
  ApplyBounds(control);
  SyncNative(control, Change::Items);
  SyncNative(control, Change::Cells);
  SyncNative(control, Change::Checked);
  SyncNative(control, Change::Enabled);
  return child;
}

void FormWindow::ApplyBounds(Control& control) {
  HWND child = ChildOf(control);
  if (child == nullptr)
    return;
  const Rect bounds = form_.DisplayBounds(control);
  const auto placed = placed_.find(&control);
  if (placed != placed_.end() && placed->second == bounds)
    return;
  placed_[&control] = bounds;
  Rect r = bounds;
  if (control.Kind() == ControlKind::ComboBox)
    r.height += kComboListHeight;  // the height of a combo box includes its open list
  ::SetWindowPos(child, nullptr, r.left, r.top, r.width, r.height, SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateTooltip(control);
}

Rect FormWindow::PlacedBounds(const Control& control) const {
  const auto placed = placed_.find(&control);
  return placed == placed_.end() ? Rect{} : placed->second;
}

void FormWindow::Redraw(const Rect& area) {
  if (area.Empty())
    return;
  RECT r = ToRect(area);
  ::RedrawWindow(Handle(), &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// A picture drawn by the form has no window to move: the spots it leaves and enters are painted
// again, with every control above them.
void FormWindow::FormDrawnPictureChanged(Control& picture, Change what) {
  const Rect before = PlacedBounds(picture);
  const Rect after = form_.DisplayBounds(picture);
  placed_[&picture] = after;
  if (what == Change::Hint || !(before == after))
    UpdateTooltip(picture);
  if (what == Change::Cursor)
    RefreshCursor();
  const Rect area = Bounding(before, after);
  if ((what == Change::Bounds || what == Change::Visible || what == Change::Image) &&
      !area.Empty() && !PaintFormAreaNow(area))
    Redraw(area);
}

void FormWindow::ControlChanged(Control& control, Change what) {
  if (&control == &form_.WndImage) {
    ::InvalidateRect(Handle(), nullptr, FALSE);
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    return;
  }
  if (IsDrawnByForm(control)) {
    FormDrawnPictureChanged(control, what);
    return;
  }
  HWND child = ChildOf(control);
  if (child == nullptr)
    return;
  const Rect before = PlacedBounds(control);
  switch (what) {
    case Change::Caption:
      if (control.Kind() != ControlKind::Memo)
        ::SetWindowTextA(child, control.Caption().c_str());
      break;
    case Change::Font:
      if (!IsDrawnByUs(control))
        ::SendMessageA(child, WM_SETFONT,
                       reinterpret_cast<WPARAM>(host_.Gdi().FontFor(control.GetFont())), TRUE);
      break;
    case Change::Visible:
      ::ShowWindow(child, control.Visible() ? SW_SHOWNA : SW_HIDE);
      break;
    case Change::Hint:
      UpdateTooltip(control);
      break;
    case Change::Cursor:
      RefreshCursor();
      break;
    default:
      SyncNative(control, what);
      break;
  }
  // A change of text, font, bounds or picture can change the size of a control drawn by us.
  if (what == Change::Caption || what == Change::Font || what == Change::Bounds ||
      what == Change::Image)
    ApplyBounds(control);
  if (!IsDrawnByUs(control))
    return;
  const Rect after = PlacedBounds(control);
  if (control.Kind() == ControlKind::Label && after == before && what != Change::Visible) {
    PaintLabelNow(control);
    return;
  }
  Redraw(before);
  if (!(after == before))
    Redraw(after);
}

void FormWindow::SyncNative(Control& control, Change what) {
  HWND child = ChildOf(control);
  if (child == nullptr)
    return;
  syncing_ = true;
  switch (control.Kind()) {
    case ControlKind::CheckBox:
      if (what == Change::Checked)
        ::SendMessageA(child, BM_SETCHECK,
                       static_cast<CheckBox&>(control).Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
      break;
    case ControlKind::Grid:
      if (what == Change::ColWidths) {
        auto& grid = static_cast<Grid&>(control);
        for (int col = 0; col < grid.ColCount(); ++col)
          ::SendMessageA(child, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(col), grid.ColWidth(col));
      } else if (what == Change::Cells || what == Change::Row) {
        SyncGrid(static_cast<Grid&>(control));
      }
      break;
    case ControlKind::CheckList:
      if (what == Change::Items || what == Change::Checked || what == Change::Row)
        SyncCheckList(static_cast<CheckList&>(control), what == Change::Items);
      break;
    case ControlKind::Memo:
      if (what == Change::Lines)
        ::SetWindowTextA(child, static_cast<Memo&>(control).Text().c_str());
      break;
    case ControlKind::ComboBox:
      if (what == Change::Items || what == Change::ItemIndex)
        SyncCombo(static_cast<ComboBox&>(control), what == Change::Items);
      break;
    default:
      break;
  }
  if (what == Change::Enabled)
    ::EnableWindow(child, control.Enabled());
  if (what == Change::BackColor || what == Change::Font)
    ::InvalidateRect(child, nullptr, TRUE);
  syncing_ = false;
}

void FormWindow::SyncGrid(Grid& grid) {
  HWND list = ChildOf(grid);
  int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  while (count > grid.RowCount())
    ::SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(--count), 0);
  for (; count < grid.RowCount(); ++count) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = count;
    item.pszText = const_cast<char*>("");
    ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  char buffer[512];
  for (int row = 0; row < grid.RowCount(); ++row) {
    for (int col = 0; col < grid.ColCount(); ++col) {
      const AnsiString text = grid.Cell(col, row);
      LVITEMA item{};
      item.iSubItem = col;
      item.pszText = buffer;
      item.cchTextMax = sizeof(buffer);
      buffer[0] = '\0';
      ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
      if (text != buffer) {
        item.pszText = const_cast<char*>(text.c_str());
        ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                       reinterpret_cast<LPARAM>(&item));
      }
    }
  }
  if (grid.Row() < grid.RowCount()) {
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(grid.Row()),
                   reinterpret_cast<LPARAM>(&state));
  }
}

void FormWindow::SyncCheckList(CheckList& list, bool items) {
  HWND view = ChildOf(list);
  if (items) {
    ::SendMessageA(view, LVM_DELETEALLITEMS, 0, 0);
    for (int row = 0; row < list.Count(); ++row) {
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = const_cast<char*>(list.Items()[static_cast<std::size_t>(row)].c_str());
      ::SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    ::SendMessageA(view, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  }
  for (int row = 0; row < list.Count(); ++row) {
    LVITEMA state{};
    state.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
    state.state =
        INDEXTOSTATEIMAGEMASK(list.Checked(row) ? 2 : 1) | (list.Selected(row) ? LVIS_SELECTED : 0);
    ::SendMessageA(view, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&state));
  }
}

void FormWindow::SyncCombo(ComboBox& combo, bool items) {
  HWND box = ChildOf(combo);
  if (items) {
    ::SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (const AnsiString& item : combo.Items())
      ::SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    ::SendMessageA(box, CB_SETITEMHEIGHT, 0, combo.ItemHeight());
  }
  ::SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
}

void FormWindow::TimerChanged(Timer& timer) {
  ApplyTimer(timer);
}

void FormWindow::ApplyTimer(Timer& timer) {
  if (timer.Enabled() && timer.Interval() > 0)
    ::SetTimer(Handle(), static_cast<UINT_PTR>(timer.Id()), timer.Interval(), nullptr);
  else
    ::KillTimer(Handle(), static_cast<UINT_PTR>(timer.Id()));
}

void FormWindow::FormChanged(FormChange what) {
  switch (what) {
    case FormChange::Caption:
      ::SetWindowTextA(Handle(), form_.Caption().c_str());
      break;
    case FormChange::ClientSize:
    case FormChange::Position:
      PlaceWindow();
      break;
    case FormChange::Region:
      ApplyRegion();
      break;
    case FormChange::Cursor:
      RefreshCursor();
      break;
    case FormChange::Color:
    case FormChange::Font:
      ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      for (Control* control : form_.Controls())
        ApplyBounds(*control);
      break;
  }
}

void FormWindow::PlaceWindow() {
  const Size size = form_.ClientSize();
  const Point at = form_.Position();
  ::SetWindowPos(Handle(), nullptr, at.x, at.y, size.width, size.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::ApplyRegion() {
  if (form_.WindowRegion().Empty())
    ::SetWindowRgn(Handle(), nullptr, TRUE);
  else
    ::SetWindowRgn(Handle(), ToHrgn(form_.WindowRegion()).release(), TRUE);
}

void FormWindow::UpdateTooltip(Control& control) {
  TOOLINFOA tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = Handle();
  tool.uId = static_cast<UINT_PTR>(control.Id());
  ::SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  if (control.Hint().empty())
    return;
  tool.rect = ToRect(form_.DisplayBounds(control));
  tool.lpszText = const_cast<char*>(control.Hint().c_str());
  ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// The tooltip learns of the mouse from here rather than by subclassing the form, which would add
// a property lookup to every message the form receives, timers and paints included.
void FormWindow::RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam) {
  MSG relayed{};
  relayed.hwnd = Handle();
  relayed.message = message;
  relayed.wParam = wParam;
  relayed.lParam = lParam;
  ::SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

HCURSOR FormWindow::CursorAt(Point client) const {
  const Control* control = form_.ControlAt(client);
  if (control != nullptr && control->GetCursor() != Cursor::Default)
    return SystemCursor(control->GetCursor());
  return SystemCursor(form_.GetCursor());
}

void FormWindow::RefreshCursor() {
  POINT p;
  if (!::GetCursorPos(&p) || ::WindowFromPoint(p) != Handle())
    return;
  ::ScreenToClient(Handle(), &p);
  ::SetCursor(CursorAt({p.x, p.y}));
}

void FormWindow::SetOwnerToMainForm() {
  HWND owner = host_.MainForm() != &form_ ? host_.HandleOf(host_.MainForm()) : nullptr;
  ::SetWindowLongPtrA(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void FormWindow::FocusFirstControl() {
  for (Control* control : form_.Controls()) {
    HWND child = ChildOf(*control);
    if (child != nullptr && !IsDrawnByUs(*control) && control->Visible() && control->Enabled()) {
      ::SetFocus(child);
      return;
    }
  }
  ::SetFocus(Handle());
}

void FormWindow::Show() {
  SetOwnerToMainForm();
  PlaceWindow();
  // Shown without activation, then activated: the same on Windows, but Wine then leaves the
  // window unmanaged, and hiding it does not wait two seconds for a window manager that an X
  // server without one never answers. The main window stays a managed one.
  ::ShowWindow(Handle(), host_.MainForm() == &form_ ? SW_SHOW : SW_SHOWNA);
  ::SetForegroundWindow(Handle());
  FocusFirstControl();
}

void FormWindow::Hide() {
  // The windows disabled by a modal show come back first, so one of them takes the activation.
  EnableOthers();
  ::ShowWindow(Handle(), SW_HIDE);
}

void FormWindow::EnableOthers() {
  for (HWND window : disabled_)
    ::EnableWindow(window, TRUE);
  disabled_.clear();
}

void FormWindow::RunModal() {
  for (FormWindow* other : host_.Windows()) {
    HWND window = other->Handle();
    if (other != this && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
      ::EnableWindow(window, FALSE);
      disabled_.push_back(window);
    }
  }
  Show();
  host_.Loop().RunUntil([this] { return form_.ModalEnded(); });
  EnableOthers();
}

Size FormWindow::TextExtent(const Font& font, const AnsiString& text) {
  HDC dc = host_.Gdi().ScratchDc();
  ql::win32::ScopedSelectObject select(dc, host_.Gdi().FontFor(font));
  SIZE size{};
  const AnsiString measured = text.empty() ? AnsiString(" ") : text;
  ::GetTextExtentPoint32A(dc, measured.c_str(), static_cast<int>(measured.size()), &size);
  return {text.empty() ? 0 : static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

void FormWindow::KeyPressed(HWND target, int key) {
  for (const auto& [control, child] : children_) {
    if (child == target) {
      const_cast<Control*>(control)->KeyDown(key);
      return;
    }
  }
  form_.KeyDown(key);
}

LRESULT FormWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_DRAWITEM:
      OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_NCHITTEST:
      return OnHitTest(lParam);
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam)))
        return TRUE;
      break;
    case WM_MOUSEMOVE:
      RelayToTooltip(message, wParam, lParam);
      OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONDOWN:
      RelayToTooltip(message, wParam, lParam);
      OnButtonDown({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_LBUTTONDBLCLK:  // the second press of a double click is not a second click
      pressed_ = nullptr;
      return 0;
    case WM_LBUTTONUP:
      RelayToTooltip(message, wParam, lParam);
      OnButtonUp({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                            Default(message, wParam, lParam));
    case WM_TIMER:
      if (Timer* timer = form_.FindTimer(static_cast<int>(wParam)))
        timer->Tick();
      return 0;
    case WM_MOVE: {
      RECT r;
      ::GetWindowRect(Handle(), &r);
      form_.MovedTo({r.left, r.top});
      return 0;
    }
    case WM_CLOSE:  // Alt+F4 and the system's close requests go through the form's rules
      form_.Close();
      return 0;
    case WM_QUERYENDSESSION:
      form_.SessionEnding();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE)
        form_.SessionEnding();
      return 0;
    default:
      break;
  }
  return Default(message, wParam, lParam);
}

void FormWindow::OnPaint() {
  ql::win32::ScopedPaint paint(Handle());
  const RECT& r = paint.paint().rcPaint;
  const Rect area{r.left, r.top, r.right - r.left, r.bottom - r.top};
  if (area.width <= 0 || area.height <= 0)
    return;
  PaintForm(paint.get(), area);
}

// The form's own layer of the area: the skin and the pictures drawn by the form.
void FormWindow::PaintForm(HDC target, const Rect& area) {
  HDC memory = host_.Gdi().BufferDc({area.width, area.height});
  ::SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
  ComposeBackground(memory, area, nullptr);
  for (const Control* control : form_.Controls()) {
    if (IsDrawnByForm(*control) && control->Visible())
      DrawPicture(memory, static_cast<const Picture&>(*control), form_.DisplayBounds(*control),
                  area);
  }
  ::SetViewportOrgEx(memory, 0, 0, nullptr);
  ::BitBlt(target, area.left, area.top, area.width, area.height, memory, 0, 0, SRCCOPY);
  host_.Gdi().EndBuffer();
}

// Paints an area of the form at once, without a paint message, when no child window lies on it
// (those must paint the area under them themselves); false when that is not possible.
bool FormWindow::PaintFormAreaNow(const Rect& area) {
  for (const auto& [control, child] : children_) {
    if (control->Visible() && PlacedBounds(*control).Intersects(area))
      return false;
  }
  if (!::IsWindowVisible(Handle()) || ::IsIconic(Handle()))
    return true;  // showing the window paints all of it
  ql::win32::ScopedWindowDc dc(Handle());
  if (dc.get() == nullptr)
    return false;
  PaintForm(dc.get(), area);
  return true;
}

void FormWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (const Control* control = form_.FindControl(static_cast<int>(item.CtlID)))
    PaintControl(item.hDC, *control);
}

// Draws a label or picture into its own window's DC, in form coordinates through a buffer: the
// skin and the pictures below, then the control.
void FormWindow::PaintControl(HDC target, const Control& control) {
  const Rect bounds = form_.DisplayBounds(control);
  if (bounds.Empty())
    return;
  HDC memory = host_.Gdi().BufferDc({bounds.width, bounds.height});
  ::SetViewportOrgEx(memory, -bounds.left, -bounds.top, nullptr);
  ComposeBackground(memory, bounds, &control);
  if (control.Kind() == ControlKind::Picture)
    DrawPicture(memory, static_cast<const Picture&>(control), bounds, bounds);
  else
    DrawLabel(memory, control, bounds);
  ::SetViewportOrgEx(memory, 0, 0, nullptr);
  ::BitBlt(target, 0, 0, bounds.width, bounds.height, memory, 0, 0, SRCCOPY);
  host_.Gdi().EndBuffer();
}

// A label that keeps its place is painted again at once in its own window: nothing else shows
// its text, so neither the form nor its neighbours need a paint message.
void FormWindow::PaintLabelNow(const Control& label) {
  HWND child = ChildOf(label);
  if (!::IsWindowVisible(child))
    return;  // showing it paints it
  ql::win32::ScopedWindowDc dc(child);
  if (dc.get() != nullptr)
    PaintControl(dc.get(), label);
  else
    Redraw(PlacedBounds(label));
}

// The form's colour, the skin, and every visible picture declared before `upTo` (all of them
// when null) that overlaps the area.
void FormWindow::ComposeBackground(HDC dc, const Rect& area, const Control* upTo) {
  RECT r = ToRect(area);
  ::FillRect(dc, &r, host_.Gdi().BrushFor(form_.BackColor()));
  DrawPicture(dc, form_.WndImage, form_.DisplayBounds(form_.WndImage), area);
  if (upTo == nullptr)
    return;
  for (const Control* control : form_.Controls()) {
    if (control == upTo)
      break;
    if (control == &form_.WndImage || control->Kind() != ControlKind::Picture ||
        !control->Visible())
      continue;
    const Rect bounds = form_.DisplayBounds(*control);
    if (bounds.Intersects(area))
      DrawPicture(dc, static_cast<const Picture&>(*control), bounds, area);
  }
}

// Draws the part of the picture (placed at `bounds`) that lies inside `area`.
void FormWindow::DrawPicture(HDC dc, const Picture& picture, const Rect& bounds, const Rect& area) {
  const Rect part = Intersection(bounds, area);
  if (part.Empty())
    return;
  if (!picture.Transparent()) {
    RECT box = ToRect(part);
    ::FillRect(dc, &box, host_.Gdi().BrushFor(picture.BackColor()));
  }
  if (picture.Icon() != 0) {
    ::DrawIconEx(dc, bounds.left, bounds.top, reinterpret_cast<HICON>(picture.Icon()), 0, 0, 0,
                 nullptr, DI_NORMAL);
    return;
  }
  const auto& bitmap = picture.GetBitmap();
  if (!bitmap || bitmap->Empty())
    return;
  // The picture shows its bitmap from the top left corner, cut at its bounds.
  const Rect shown =
      Intersection(part, {bounds.left, bounds.top, bitmap->Width(), bitmap->Height()});
  if (shown.Empty())
    return;
  const int sourceX = shown.left - bounds.left;
  const int sourceY = shown.top - bounds.top;
  HDC source = host_.Gdi().ScratchDc();
  if (picture.TransparentImage()) {
    const Color key = bitmap->Pixel(0, bitmap->Height() - 1);
    ql::win32::ScopedSelectObject select(source, host_.Gdi().BitmapFor(bitmap, key));
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 0xFF, AC_SRC_ALPHA};
    ::AlphaBlend(dc, shown.left, shown.top, shown.width, shown.height, source, sourceX, sourceY,
                 shown.width, shown.height, blend);
  } else if (const Bitmap::FilePixels file = bitmap->InFile(); file.info != nullptr) {
    // A picture read in place from the program's resources is drawn from there, with no copy.
    BITMAPINFO info{};
    std::memcpy(&info.bmiHeader, file.info, sizeof(info.bmiHeader));
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biClrUsed = 0;
    ::SetDIBitsToDevice(dc, shown.left, shown.top, static_cast<DWORD>(shown.width),
                        static_cast<DWORD>(shown.height), sourceX,
                        bitmap->Height() - sourceY - shown.height, 0,
                        static_cast<UINT>(bitmap->Height()), file.rows, &info, DIB_RGB_COLORS);
  } else {
    ql::win32::ScopedSelectObject select(source, host_.Gdi().BitmapFor(bitmap));
    ::BitBlt(dc, shown.left, shown.top, shown.width, shown.height, source, sourceX, sourceY,
             SRCCOPY);
  }
}

void FormWindow::DrawLabel(HDC dc, const Control& label, const Rect& area) {
  RECT box = ToRect(area);
  if (!label.Transparent())
    ::FillRect(dc, &box, host_.Gdi().BrushFor(label.BackColor()));
  ql::win32::ScopedSelectObject select(dc, host_.Gdi().FontFor(label.GetFont()));
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, ToColorRef(label.TextColor()));
  const UINT flags = DrawTextFlags(label);
  if (label.CenteredVertically()) {
    // The text block is centred; when it is taller than the box it is cut at both edges.
    RECT measure = box;
    const int height = ::DrawTextA(dc, label.Caption().c_str(), -1, &measure, flags | DT_CALCRECT);
    box.top += (area.height - height) / 2;
    box.bottom = box.top + height;
  }
  RECT clip = ToRect(area);
  ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  ::DrawTextA(dc, label.Caption().c_str(), -1, &box, flags);
  ::SelectClipRgn(dc, nullptr);
}

LRESULT FormWindow::OnHitTest(LPARAM lParam) {
  RECT window;
  ::GetWindowRect(Handle(), &window);
  // Signed coordinates: a second monitor left of or above the first gives negative values.
  const Point offset{GET_X_LPARAM(lParam) - window.left, GET_Y_LPARAM(lParam) - window.top};
  return form_.WMNCHitTest(offset) ? HTCAPTION : HTCLIENT;
}

bool FormWindow::OnSetCursor(HWND target, int hitTest) {
  if (hitTest != HTCLIENT)
    return false;
  POINT p;
  ::GetCursorPos(&p);
  ::ScreenToClient(Handle(), &p);
  if (target == Handle()) {
    ::SetCursor(CursorAt({p.x, p.y}));
    return true;
  }
  const Control* control = form_.FindControl(::GetDlgCtrlID(target));
  const Cursor cursor = control != nullptr && control->GetCursor() != Cursor::Default
                            ? control->GetCursor()
                            : form_.GetCursor();
  if (cursor == Cursor::Default)
    return false;
  ::SetCursor(SystemCursor(cursor));
  return true;
}

void FormWindow::OnMouseMove(Point client) {
  if (Control* control = form_.ControlAt(client))
    control->MouseMove();
  else
    form_.WndImage.MouseMove();
}

void FormWindow::OnButtonDown(Point client) {
  pressed_ = form_.ControlAt(client);
  ::SetCapture(Handle());
}

bool FormWindow::SameTarget(const Control* pressed, const Control* released) const {
  if (released == nullptr)
    return false;
  if (pressed == released)
    return true;
  const auto& buttons = form_.Buttons();
  return std::any_of(buttons.begin(), buttons.end(), [&](const ImageButton* button) {
    return PartOf(*button, pressed) && PartOf(*button, released);
  });
}

void FormWindow::OnButtonUp(Point client) {
  Control* pressed = std::exchange(pressed_, nullptr);
  ::ReleaseCapture();
  // Released over the control it was pressed on, or another part of the same image button (the
  // hover may have swapped its pictures in between); a handler may open a modal window or close
  // this one, so nothing of this window is touched after the click.
  Control* released = form_.ControlAt(client);
  if (pressed != nullptr && SameTarget(pressed, released))
    released->Click();
}

void FormWindow::OnCommand(int id, int code) {
  Control* control = form_.FindControl(id);
  if (control == nullptr || syncing_)
    return;
  if (control->Kind() == ControlKind::ComboBox) {
    if (code == CBN_SELCHANGE) {
      const auto index = static_cast<int>(::SendMessageA(ChildOf(*control), CB_GETCURSEL, 0, 0));
      static_cast<ComboBox*>(control)->Select(index);
    }
    return;
  }
  // BN_CLICKED from a check box; STN_CLICKED (the same code) from a driver clicking a label or a
  // picture by its control ID.
  if (code == BN_CLICKED)
    control->Click();
}

LRESULT FormWindow::OnNotify(const NMHDR& header) {
  Control* control = form_.FindControl(static_cast<int>(header.idFrom));
  if (control == nullptr || syncing_)
    return 0;
  if (control->Kind() == ControlKind::CheckList && header.code == LVN_ITEMCHANGED) {
    CheckListChanged(static_cast<CheckList&>(*control),
                     reinterpret_cast<const NMLISTVIEW&>(header));
    return 0;
  }
  if (control->Kind() != ControlKind::Grid)
    return 0;
  if (header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0)
      static_cast<Grid*>(control)->SelectRow(change.iItem);
  }
  return 0;
}

// The list tells a line's new state; -1 stands for every line (a click beside the lines clears
// the selection that way).
void FormWindow::CheckListChanged(CheckList& list, const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0)
    return;
  const int first = change.iItem < 0 ? 0 : change.iItem;
  const int last = change.iItem < 0 ? list.Count() - 1 : change.iItem;
  for (int row = first; row <= last; ++row) {
    if ((change.uNewState & LVIS_STATEIMAGEMASK) != 0) {
      const bool checked = (change.uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
      if (checked != list.Checked(row))
        list.Toggle(row);
    }
    if (((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0)
      list.Select(row, (change.uNewState & LVIS_SELECTED) != 0);
  }
}

LRESULT FormWindow::OnControlColor(HDC dc, HWND child, LRESULT fallback) {
  const Control* control = form_.FindControl(::GetDlgCtrlID(child));
  if (control == nullptr || control->Kind() != ControlKind::CheckBox)
    return fallback;
  const Color back = control->Transparent() ? colors::kPanel : control->BackColor();
  ::SetTextColor(dc, ToColorRef(control->TextColor()));
  ::SetBkColor(dc, ToColorRef(back));
  return reinterpret_cast<LRESULT>(host_.Gdi().BrushFor(back));
}

}  // namespace ql::ui::win32
