// The portable control model: labels, pictures, image buttons, check boxes, grids, memos, combo
// boxes and timers that a form declares as members and a renderer draws.
//
// A control records what the user sees (text, font, colour, place, visibility, ...) and its
// handlers. Every setter tells the owning form's view what changed, so the Win32 renderer updates
// the real window and tests simply read the model back:
//
//   Label InfoLabel{*this, "InfoLabel", {30, 70, 240, 40}};       // a member of a form
//   InfoLabel.SetCaption("Options are saved!");
//   EXPECT_EQ(form.InfoLabel.Caption(), "Options are saved!");   // in a test
//   form.Button1Label.Click();                                    // what a click does
//
// Controls are neither copied nor moved: the form keeps their addresses.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"
#include "ui/Geometry.h"

namespace ql::ui {

class Bitmap;
class Form;

namespace keys {
constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kF1 = 112;
}  // namespace keys

enum class ControlKind { Label, Picture, CheckBox, Grid, Memo, ComboBox, CheckList };
enum class Cursor { Default, Hand, Hourglass };
enum class Alignment { Left, Center, Right };

// What changed in a control, so a view can update only that.
enum class Change {
  Caption,
  Font,
  Bounds,
  Visible,
  Enabled,
  Cursor,
  Hint,
  Alignment,
  BackColor,
  Image,
  Checked,
  Items,
  ItemIndex,
  Cells,
  Row,
  ColWidths,
  Lines,
};

struct Font {
  AnsiString face = "Arial";
  int height = 11;  // character height in pixels (a negative LOGFONT height)
  bool bold = false;
  bool underline = false;
  Color color = colors::kBlack;
};

Font MakeFont(const AnsiString& face, int height, bool bold, Color color = colors::kBlack,
              bool underline = false);

// An icon owned by whoever set it (on Windows an HICON); 0 is none. It must outlive its use.
using IconRef = std::uintptr_t;

// The control ID a control of this name gets (before any clash inside its form is resolved): a
// stable hash of the name, so a driver outside the process finds "Button1Label" by the same ID in
// every build and every window.
int ControlIdFor(const std::string& name);

class Control {
 public:
  Control(Form& form, std::string name, ControlKind kind, Rect bounds = {});
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  Form& Owner() const { return form_; }
  const std::string& Name() const { return name_; }
  ControlKind Kind() const { return kind_; }
  int Id() const { return id_; }

  const AnsiString& Caption() const { return caption_; }
  Control& SetCaption(const AnsiString& caption);

  // The control's own font, or the form's font until one is set.
  const Font& GetFont() const;
  Control& SetFont(const Font& font);
  Color TextColor() const { return GetFont().color; }
  Control& SetTextColor(Color color);
  // Text width in pixels in this control's font, as the renderer measures it.
  int TextWidth(const AnsiString& text) const;

  const Rect& Bounds() const { return bounds_; }
  // True while a label or picture declared without a size sizes itself to its content.
  bool AutoSize() const { return autoSize_; }
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.width; }
  int Height() const { return bounds_.height; }
  Control& SetBounds(const Rect& bounds);
  Control& SetPosition(int left, int top);
  Control& SetSize(int width, int height);

  Alignment GetAlignment() const { return alignment_; }
  bool WordWrap() const { return wordWrap_; }
  bool CenteredVertically() const { return centeredVertically_; }
  Control& SetAlignment(Alignment alignment);
  Control& SetWordWrap(bool wrap);
  Control& SetCenteredVertically(bool centered);

  bool Enabled() const { return enabled_; }
  bool Visible() const { return visible_; }
  Control& SetEnabled(bool enabled);
  Control& SetVisible(bool visible);

  Cursor GetCursor() const { return cursor_; }
  Control& SetCursor(Cursor cursor);
  const AnsiString& Hint() const { return hint_; }
  Control& SetHint(const AnsiString& hint);

  // Labels and pictures are transparent over the skin unless given a background colour.
  bool Transparent() const { return transparent_; }
  Color BackColor() const { return backColor_; }
  Control& SetBackColor(Color color);

  std::function<void()> OnClick;
  std::function<void()> OnMouseMove;
  std::function<void(int key)> OnKeyDown;
  std::function<void()> OnChange;

  // What the user does, as the renderer (or a test) reports it. A disabled or hidden control
  // ignores clicks. A key goes to the control's OnKeyDown, else to the form's FormKeyDown.
  virtual void Click();
  void MouseMove();
  void KeyDown(int key);

 protected:
  void Changed(Change what);

 private:
  friend class Form;
  Form& form_;
  std::string name_;
  ControlKind kind_;
  int id_ = 0;
  AnsiString caption_;
  bool ownFont_ = false;
  Font font_;
  Rect bounds_;
  bool autoSize_;
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
  bool centeredVertically_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  Cursor cursor_ = Cursor::Default;
  AnsiString hint_;
  bool transparent_ = true;
  Color backColor_ = colors::kSkin;
};

// Static text drawn transparently over the skin. Declared without a size, it sizes itself to its
// text (one line); once given a size, it keeps it.
class Label : public Control {
 public:
  Label(Form& form, std::string name, Rect bounds = {}, const AnsiString& caption = {});
};

// A bitmap (or an icon) at a place. Declared without a size, it takes its bitmap's size; once
// given a size (even 0 wide), it keeps it, and a larger bitmap is cut at the right and bottom
// edges, not scaled.
class Picture : public Control {
 public:
  Picture(Form& form, std::string name, Rect bounds = {});

  const std::shared_ptr<const Bitmap>& GetBitmap() const { return bitmap_; }
  IconRef Icon() const { return icon_; }
  // The size the picture occupies: its bounds, or its bitmap's size while it sizes itself.
  Size DisplaySize() const;

  Picture& SetBitmap(std::shared_ptr<const Bitmap> bitmap);
  // Loads a raw-data bitmap resource of the program (through the form's host); false when the
  // resource is missing or not a bitmap, and the picture is then empty.
  bool LoadFromResource(const AnsiString& resource);
  Picture& CopyPicture(const Picture& other);
  Picture& SetIcon(IconRef icon);

  // Pixels of the bitmap's bottom-left colour are not drawn, so the skin shows through.
  bool TransparentImage() const { return transparentImage_; }
  Picture& SetTransparentImage(bool transparent);

  // Drawn straight onto the form instead of in a window of its own, so that moving it costs only
  // a repaint of the spots it leaves and enters; it then lies below every control with a window.
  // Set before the form's window is opened.
  bool DrawnByForm() const { return drawnByForm_; }
  Picture& SetDrawnByForm(bool drawnByForm);

 private:
  std::shared_ptr<const Bitmap> bitmap_;
  IconRef icon_ = 0;
  bool transparentImage_ = false;
  bool drawnByForm_ = false;
};

// A native check box. A user click toggles Checked, then runs OnClick; SetChecked does not.
class CheckBox : public Control {
 public:
  CheckBox(Form& form, std::string name, Rect bounds = {}, const AnsiString& caption = {});
  bool Checked() const { return checked_; }
  CheckBox& SetChecked(bool checked);
  void Click() override;

 private:
  bool checked_ = false;
};

// Rows of text cells with a current row (a native list in report mode, without headers).
class Grid : public Control {
 public:
  Grid(Form& form, std::string name, Rect bounds = {}, int colCount = 2);

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // Growing adds empty rows; shrinking drops rows from the end and keeps the current row inside.
  Grid& SetRowCount(int rows);
  // Cells outside the grid read as empty and ignore writes.
  AnsiString Cell(int col, int row) const;
  Grid& SetCell(int col, int row, const AnsiString& text);
  int Row() const { return row_; }
  // Rows outside the grid are ignored.
  Grid& SetRow(int row);
  int ColWidth(int col) const;
  Grid& SetColWidth(int col, int width);
  int RowHeight() const { return rowHeight_; }
  Grid& SetRowHeight(int height);
  // The user picks a row: it becomes current, then OnChange runs.
  void SelectRow(int row);

 private:
  std::vector<std::vector<AnsiString>> rows_;
  std::vector<int> colWidths_;
  int row_ = 0;
  int rowHeight_ = 16;
};

// Lines of text with a check box each, of which several may be selected (a native list in report
// mode with check boxes, one column as wide as the longest line, no header).
class CheckList : public Control {
 public:
  CheckList(Form& form, std::string name, Rect bounds = {});
  const StringList& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // New lines, ticked or not as given, none selected.
  CheckList& SetItems(StringList items, bool checked);
  // Lines outside the list read as unticked and unselected and ignore changes.
  bool Checked(int index) const;
  CheckList& SetChecked(int index, bool checked);
  bool Selected(int index) const;
  std::vector<int> SelectedIndices() const;
  CheckList& SetSelected(int index, bool selected);
  // What the user does, as the renderer (or a test) reports it: a click on a line's check box
  // flips it, then OnChange runs; a selection change runs nothing.
  void Toggle(int index);
  void Select(int index, bool selected);

 private:
  bool Inside(int index) const { return index >= 0 && index < Count(); }
  StringList items_;
  std::vector<bool> checked_;
  std::vector<bool> selected_;
};

// Multi-line text with both scroll bars, read-only unless told otherwise, no word wrap.
class Memo : public Control {
 public:
  Memo(Form& form, std::string name, Rect bounds = {});
  const StringList& Lines() const { return lines_; }
  Memo& SetLines(StringList lines);
  Memo& AddLine(const AnsiString& line);
  Memo& ClearLines();
  // The lines joined by CR LF, as the edit control holds them.
  AnsiString Text() const;
  bool ReadOnly() const { return readOnly_; }
  Memo& SetReadOnly(bool readOnly);

 private:
  StringList lines_;
  bool readOnly_ = true;
};

// A drop-down list without typing. ItemIndex is -1 when nothing is chosen.
class ComboBox : public Control {
 public:
  ComboBox(Form& form, std::string name, Rect bounds = {});
  const StringList& Items() const { return items_; }
  ComboBox& SetItems(StringList items);
  ComboBox& AddItem(const AnsiString& item);
  ComboBox& ClearItems();
  int ItemIndex() const { return itemIndex_; }
  // An index outside the list chooses nothing (-1). OnChange does not run.
  ComboBox& SetItemIndex(int index);
  // The chosen item's text, empty when nothing is chosen.
  AnsiString Text() const;
  int ItemHeight() const { return itemHeight_; }
  ComboBox& SetItemHeight(int height);
  // The user picks an item: it becomes the chosen one, then OnChange runs.
  void Select(int index);

 private:
  StringList items_;
  int itemIndex_ = -1;
  int itemHeight_ = 16;
};

// The A picture, B picture and label of one skinned button, bound to one click handler and one
// mouse-move handler. The pictures and the label stay members of the form under their own names
// (Button1A, Button1B, Button1Label); this binds them. OnMouseMove starts as the standard hover
// (Form::HoverButton); a window replaces it where its hover depends on its state.
class ImageButton {
 public:
  ImageButton(Form& form, Picture& a, Picture& b, Label* label);
  ImageButton(const ImageButton&) = delete;
  ImageButton& operator=(const ImageButton&) = delete;

  Picture& A;
  Picture& B;
  Label* const Caption;  // may be null (picture-only buttons)

  std::function<void()> OnClick;
  std::function<void()> OnMouseMove;

  bool Hovered() const { return B.Visible(); }
  // Hovered look: B shown, A hidden, label blue. At rest: A shown, B hidden, label black.
  void ShowHover();
  void ShowRest();
  // The cursor of all three controls.
  void SetCursor(Cursor cursor);
  void Click();
  void MouseMove();

 private:
  Form& form_;
};

// A window timer: while enabled, OnTimer runs every Interval milliseconds.
class Timer {
 public:
  Timer(Form& form, std::string name, unsigned interval = 1000, bool enabled = true);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& Name() const { return name_; }
  int Id() const { return id_; }
  unsigned Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  Timer& SetInterval(unsigned interval);
  Timer& SetEnabled(bool enabled);

  std::function<void()> OnTimer;
  // What the system does when the interval has passed: runs OnTimer if enabled.
  void Tick();

 private:
  friend class Form;
  void Changed();
  Form& form_;
  std::string name_;
  int id_ = 0;
  unsigned interval_;
  bool enabled_;
};

}  // namespace ql::ui
