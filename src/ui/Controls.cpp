// The control model: setters that tell the form's view, and what user actions do.
#include "ui/Controls.h"

#include <algorithm>
#include <utility>

#include "ui/Bitmap.h"
#include "ui/Form.h"

namespace ql::ui {
namespace {

constexpr int kFirstControlId = 0x1000;
constexpr int kControlIdCount = 0x6000;

// Stores a new value; true when it differs from the old one.
template <typename T>
bool Update(T& field, const T& value) {
  if (field == value)
    return false;
  field = value;
  return true;
}

bool operator==(const Font& a, const Font& b) {
  return a.face == b.face && a.height == b.height && a.bold == b.bold &&
         a.underline == b.underline && a.color == b.color;
}

}  // namespace

Font MakeFont(const AnsiString& face, int height, bool bold, Color color, bool underline) {
  return Font{face, height, bold, underline, color};
}

int ControlIdFor(const std::string& name) {
  std::uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : name) {
    hash ^= static_cast<std::uint8_t>(c);
    hash *= 16777619u;
  }
  return kFirstControlId + static_cast<int>(hash % kControlIdCount);
}

Control::Control(Form& form, std::string name, ControlKind kind, Rect bounds)
    : form_(form),
      name_(std::move(name)),
      kind_(kind),
      bounds_(bounds),
      autoSize_(bounds.width == 0 && bounds.height == 0) {
  id_ = form_.Register(*this);
}

void Control::Changed(Change what) {
  if (FormView* view = form_.View())
    view->ControlChanged(*this, what);
}

Control& Control::SetCaption(const AnsiString& caption) {
  if (Update(caption_, caption))
    Changed(Change::Caption);
  return *this;
}

const Font& Control::GetFont() const {
  return ownFont_ ? font_ : form_.GetFont();
}

Control& Control::SetFont(const Font& font) {
  const bool changed = !ownFont_ || !(font_ == font);
  ownFont_ = true;
  font_ = font;
  if (changed)
    Changed(Change::Font);
  return *this;
}

Control& Control::SetTextColor(Color color) {
  Font font = GetFont();
  font.color = color;
  return SetFont(font);
}

int Control::TextWidth(const AnsiString& text) const {
  return form_.TextWidth(GetFont(), text);
}

Control& Control::SetBounds(const Rect& bounds) {
  if (bounds.width != bounds_.width || bounds.height != bounds_.height)
    autoSize_ = false;
  if (Update(bounds_, bounds))
    Changed(Change::Bounds);
  return *this;
}

Control& Control::SetPosition(int left, int top) {
  return SetBounds({left, top, bounds_.width, bounds_.height});
}

Control& Control::SetSize(int width, int height) {
  return SetBounds({bounds_.left, bounds_.top, width, height});
}

Control& Control::SetAlignment(Alignment alignment) {
  if (Update(alignment_, alignment))
    Changed(Change::Alignment);
  return *this;
}

Control& Control::SetWordWrap(bool wrap) {
  if (Update(wordWrap_, wrap))
    Changed(Change::Alignment);
  return *this;
}

Control& Control::SetCenteredVertically(bool centered) {
  if (Update(centeredVertically_, centered))
    Changed(Change::Alignment);
  return *this;
}

Control& Control::SetEnabled(bool enabled) {
  if (Update(enabled_, enabled))
    Changed(Change::Enabled);
  return *this;
}

Control& Control::SetVisible(bool visible) {
  if (Update(visible_, visible))
    Changed(Change::Visible);
  return *this;
}

Control& Control::SetCursor(Cursor cursor) {
  if (Update(cursor_, cursor))
    Changed(Change::Cursor);
  return *this;
}

Control& Control::SetHint(const AnsiString& hint) {
  if (Update(hint_, hint))
    Changed(Change::Hint);
  return *this;
}

Control& Control::SetBackColor(Color color) {
  const bool changed = transparent_ || backColor_ != color;
  transparent_ = false;
  backColor_ = color;
  if (changed)
    Changed(Change::BackColor);
  return *this;
}

void Control::Click() {
  if (enabled_ && visible_ && OnClick)
    OnClick();
}

void Control::MouseMove() {
  if (enabled_ && OnMouseMove)
    OnMouseMove();
}

void Control::KeyDown(int key) {
  if (OnKeyDown)
    OnKeyDown(key);
  else
    form_.KeyDown(key);
}

Label::Label(Form& form, std::string name, Rect bounds, const AnsiString& caption)
    : Control(form, std::move(name), ControlKind::Label, bounds) {
  SetCaption(caption);
}

Picture::Picture(Form& form, std::string name, Rect bounds)
    : Control(form, std::move(name), ControlKind::Picture, bounds) {}

Size Picture::DisplaySize() const {
  Size image;
  if (bitmap_)
    image = {bitmap_->Width(), bitmap_->Height()};
  else if (icon_ != 0)
    image = {32, 32};
  return AutoSize() ? image : Size{Width(), Height()};
}

Picture& Picture::SetBitmap(std::shared_ptr<const Bitmap> bitmap) {
  bitmap_ = std::move(bitmap);
  icon_ = 0;
  Changed(Change::Image);
  return *this;
}

bool Picture::LoadFromResource(const AnsiString& resource) {
  SetBitmap(Owner().Host().LoadImage(resource));
  return bitmap_ != nullptr;
}

Picture& Picture::CopyPicture(const Picture& other) {
  bitmap_ = other.bitmap_;
  icon_ = other.icon_;
  Changed(Change::Image);
  return *this;
}

Picture& Picture::SetIcon(IconRef icon) {
  bitmap_.reset();
  icon_ = icon;
  Changed(Change::Image);
  return *this;
}

Picture& Picture::SetTransparentImage(bool transparent) {
  if (Update(transparentImage_, transparent))
    Changed(Change::Image);
  return *this;
}

Picture& Picture::SetDrawnByForm(bool drawnByForm) {
  drawnByForm_ = drawnByForm;
  return *this;
}

CheckBox::CheckBox(Form& form, std::string name, Rect bounds, const AnsiString& caption)
    : Control(form, std::move(name), ControlKind::CheckBox, bounds) {
  SetCaption(caption);
}

CheckBox& CheckBox::SetChecked(bool checked) {
  if (Update(checked_, checked))
    Changed(Change::Checked);
  return *this;
}

void CheckBox::Click() {
  if (!Enabled() || !Visible())
    return;
  SetChecked(!checked_);
  Control::Click();
}

Grid::Grid(Form& form, std::string name, Rect bounds, int colCount)
    : Control(form, std::move(name), ControlKind::Grid, bounds),
      colWidths_(static_cast<std::size_t>(std::max(colCount, 1)), 64) {}

Grid& Grid::SetRowCount(int rows) {
  rows_.resize(static_cast<std::size_t>(std::max(rows, 0)),
               std::vector<AnsiString>(colWidths_.size()));
  Changed(Change::Cells);
  if (row_ >= RowCount())
    SetRow(std::max(RowCount() - 1, 0));
  return *this;
}

AnsiString Grid::Cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
    return {};
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
}

Grid& Grid::SetCell(int col, int row, const AnsiString& text) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
    return *this;
  if (Update(rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)], text))
    Changed(Change::Cells);
  return *this;
}

Grid& Grid::SetRow(int row) {
  if (row < 0 || (row >= RowCount() && row != 0))
    return *this;
  if (Update(row_, row))
    Changed(Change::Row);
  return *this;
}

int Grid::ColWidth(int col) const {
  if (col < 0 || col >= ColCount())
    return 0;
  return colWidths_[static_cast<std::size_t>(col)];
}

Grid& Grid::SetColWidth(int col, int width) {
  if (col >= 0 && col < ColCount() && Update(colWidths_[static_cast<std::size_t>(col)], width))
    Changed(Change::ColWidths);
  return *this;
}

Grid& Grid::SetRowHeight(int height) {
  if (Update(rowHeight_, height))
    Changed(Change::ColWidths);
  return *this;
}

void Grid::SelectRow(int row) {
  if (row < 0 || row >= RowCount())
    return;
  SetRow(row);
  if (OnChange)
    OnChange();
}

CheckList::CheckList(Form& form, std::string name, Rect bounds)
    : Control(form, std::move(name), ControlKind::CheckList, bounds) {}

CheckList& CheckList::SetItems(StringList items, bool checked) {
  items_ = std::move(items);
  checked_.assign(items_.size(), checked);
  selected_.assign(items_.size(), false);
  Changed(Change::Items);
  return *this;
}

bool CheckList::Checked(int index) const {
  return Inside(index) && checked_[static_cast<std::size_t>(index)];
}

CheckList& CheckList::SetChecked(int index, bool checked) {
  if (Inside(index) && checked_[static_cast<std::size_t>(index)] != checked) {
    checked_[static_cast<std::size_t>(index)] = checked;
    Changed(Change::Checked);
  }
  return *this;
}

bool CheckList::Selected(int index) const {
  return Inside(index) && selected_[static_cast<std::size_t>(index)];
}

std::vector<int> CheckList::SelectedIndices() const {
  std::vector<int> indices;
  for (int i = 0; i < Count(); ++i) {
    if (selected_[static_cast<std::size_t>(i)])
      indices.push_back(i);
  }
  return indices;
}

CheckList& CheckList::SetSelected(int index, bool selected) {
  if (Inside(index) && selected_[static_cast<std::size_t>(index)] != selected) {
    selected_[static_cast<std::size_t>(index)] = selected;
    Changed(Change::Row);
  }
  return *this;
}

// The user's changes are already on screen: the model only follows them.
void CheckList::Toggle(int index) {
  if (!Inside(index) || !Enabled())
    return;
  checked_[static_cast<std::size_t>(index)] = !checked_[static_cast<std::size_t>(index)];
  if (OnChange)
    OnChange();
}

void CheckList::Select(int index, bool selected) {
  if (Inside(index))
    selected_[static_cast<std::size_t>(index)] = selected;
}

Memo::Memo(Form& form, std::string name, Rect bounds)
    : Control(form, std::move(name), ControlKind::Memo, bounds) {}

Memo& Memo::SetLines(StringList lines) {
  lines_ = std::move(lines);
  Changed(Change::Lines);
  return *this;
}

Memo& Memo::AddLine(const AnsiString& line) {
  lines_.push_back(line);
  Changed(Change::Lines);
  return *this;
}

Memo& Memo::ClearLines() {
  return SetLines({});
}

AnsiString Memo::Text() const {
  AnsiString text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0)
      text += "\r\n";
    text += lines_[i];
  }
  return text;
}

Memo& Memo::SetReadOnly(bool readOnly) {
  if (Update(readOnly_, readOnly))
    Changed(Change::Enabled);
  return *this;
}

ComboBox::ComboBox(Form& form, std::string name, Rect bounds)
    : Control(form, std::move(name), ControlKind::ComboBox, bounds) {}

ComboBox& ComboBox::SetItems(StringList items) {
  items_ = std::move(items);
  itemIndex_ = -1;
  Changed(Change::Items);
  return *this;
}

ComboBox& ComboBox::AddItem(const AnsiString& item) {
  items_.push_back(item);
  Changed(Change::Items);
  return *this;
}

ComboBox& ComboBox::ClearItems() {
  return SetItems({});
}

ComboBox& ComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size()))
    index = -1;
  if (Update(itemIndex_, index))
    Changed(Change::ItemIndex);
  return *this;
}

AnsiString ComboBox::Text() const {
  return itemIndex_ < 0 ? AnsiString{} : items_[static_cast<std::size_t>(itemIndex_)];
}

ComboBox& ComboBox::SetItemHeight(int height) {
  if (Update(itemHeight_, height))
    Changed(Change::Items);
  return *this;
}

void ComboBox::Select(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size()))
    return;
  SetItemIndex(index);
  if (OnChange)
    OnChange();
}

ImageButton::ImageButton(Form& form, Picture& a, Picture& b, Label* label)
    : A(a), B(b), Caption(label), form_(form) {
  form_.Register(*this);
  for (Control* part :
       {static_cast<Control*>(&A), static_cast<Control*>(&B), static_cast<Control*>(Caption)}) {
    if (part == nullptr)
      continue;
    part->OnClick = [this] { Click(); };
    part->OnMouseMove = [this] { MouseMove(); };
  }
  OnMouseMove = [this] { form_.HoverButton(*this); };
  B.SetVisible(false);
  SetCursor(Cursor::Hand);
  if (Caption != nullptr) {
    Caption->SetFont(MakeFont("Verdana", 12, true));
    Caption->SetAlignment(Alignment::Center);
  }
}

void ImageButton::ShowHover() {
  B.SetVisible(true);
  A.SetVisible(false);
  if (Caption != nullptr)
    Caption->SetTextColor(colors::kBlue);
}

void ImageButton::ShowRest() {
  A.SetVisible(true);
  B.SetVisible(false);
  if (Caption != nullptr)
    Caption->SetTextColor(colors::kBlack);
}

void ImageButton::SetCursor(Cursor cursor) {
  A.SetCursor(cursor);
  B.SetCursor(cursor);
  if (Caption != nullptr)
    Caption->SetCursor(cursor);
}

void ImageButton::Click() {
  if (OnClick)
    OnClick();
}

void ImageButton::MouseMove() {
  if (OnMouseMove)
    OnMouseMove();
}

Timer::Timer(Form& form, std::string name, unsigned interval, bool enabled)
    : form_(form), name_(std::move(name)), interval_(interval), enabled_(enabled) {
  id_ = form_.Register(*this);
}

void Timer::Changed() {
  if (FormView* view = form_.View())
    view->TimerChanged(*this);
}

Timer& Timer::SetInterval(unsigned interval) {
  if (Update(interval_, interval))
    Changed();
  return *this;
}

Timer& Timer::SetEnabled(bool enabled) {
  if (Update(enabled_, enabled))
    Changed();
  return *this;
}

void Timer::Tick() {
  if (enabled_ && OnTimer)
    OnTimer();
}

}  // namespace ql::ui
