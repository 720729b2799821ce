// FormWindow: the real window of one form. It draws the skin and the pictures marked as drawn by
// the form, creates a child window for every other control (owner-drawn transparent labels and
// pictures, native check boxes, lists, edits and combo boxes), keeps them in step with the model
// and turns the user's actions into the model's Click, MouseMove and KeyDown calls.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <vector>

#include "ui/Form.h"
#include "ui/Win32Host.win32.h"
#include "ui/WindowBase.win32.h"

namespace ql::ui::win32 {

// The window class of every form; a second start finds the running main window by it.
constexpr char kFormClass[] = "QuillonForm";

class FormWindow final : public WindowBase, public FormView {
 public:
  FormWindow(Win32Host& host, Form& form);
  ~FormWindow() override;

  Form& GetForm() const { return form_; }
  HWND ChildOf(const Control& control) const;
  // A key pressed on this window or one of its children (from the message loop).
  void KeyPressed(HWND target, int key);

  void Open() override;
  void ControlChanged(Control& control, Change what) override;
  void TimerChanged(Timer& timer) override;
  void FormChanged(FormChange what) override;
  void Show() override;
  void Hide() override;
  void RunModal() override;
  Size TextExtent(const Font& font, const AnsiString& text) override;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateChildren();
  HWND CreateChild(Control& control);
  void ApplyBounds(Control& control);
  Rect PlacedBounds(const Control& control) const;
  void Redraw(const Rect& area);
  void FormDrawnPictureChanged(Control& picture, Change what);
  void SyncNative(Control& control, Change what);
  void SyncGrid(Grid& grid);
  void SyncCombo(ComboBox& combo, bool items);
  void SyncCheckList(CheckList& list, bool items);
  void CheckListChanged(CheckList& list, const NMLISTVIEW& change);
  void ApplyRegion();
  void PlaceWindow();
  void ApplyTimer(Timer& timer);
  void UpdateTooltip(Control& control);
  void RelayToTooltip(UINT message, WPARAM wParam, LPARAM lParam);
  void RefreshCursor();
  HCURSOR CursorAt(Point client) const;
  void FocusFirstControl();
  void SetOwnerToMainForm();
  void EnableOthers();

  void OnPaint();
  void PaintForm(HDC target, const Rect& area);
  bool PaintFormAreaNow(const Rect& area);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void PaintControl(HDC target, const Control& control);
  void PaintLabelNow(const Control& label);
  void ComposeBackground(HDC dc, const Rect& area, const Control* upTo);
  void DrawPicture(HDC dc, const Picture& picture, const Rect& bounds, const Rect& area);
  void DrawLabel(HDC dc, const Control& label, const Rect& area);
  void OnMouseMove(Point client);
  void OnButtonDown(Point client);
  void OnButtonUp(Point client);
  bool SameTarget(const Control* pressed, const Control* released) const;
  void OnCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  LRESULT OnControlColor(HDC dc, HWND child, LRESULT fallback);
  bool OnSetCursor(HWND target, int hitTest);
  LRESULT OnHitTest(LPARAM lParam);

  Win32Host& host_;
  Form& form_;
  std::map<const Control*, HWND> children_;
  std::map<const Control*, Rect> placed_;  // where each control was last put on the form
  HWND tooltip_ = nullptr;
  Control* pressed_ = nullptr;
  bool syncing_ = false;  // the model is being copied into a native control
  bool modalRunning_ = false;
  std::vector<HWND> disabled_;  // windows disabled for the modal show
};

}  // namespace ql::ui::win32
