// The form: registration of controls, showing and closing, placement, the frame's rules.
#include "ui/Form.h"

#include <algorithm>

#include "ui/Bitmap.h"
#include "ui/Skin.h"

namespace ql::ui {
namespace {

constexpr int kDragBand = 40;

Point CentredIn(Point origin, Size outer, Size inner) {
  return {origin.x + (outer.width - inner.width) / 2, origin.y + (outer.height - inner.height) / 2};
}

}  // namespace

Form::Form(FormHost& host) : host_(host), WndImage(*this, "WndImage") {
  WndImage.OnMouseMove = [this] { WndImageMouseMove(); };
  WndImage.SetBounds({0, 0, clientSize_.width, clientSize_.height});
}

Form::~Form() = default;

void Form::Create() {
  if (created_)
    return;
  created_ = true;
  view_ = host_.CreateView(*this);
  view_->Open();
  CreateForm();
}

void Form::FormKeyDown(int key) {
  if (key == keys::kEscape)
    Close();
}

bool Form::WMNCHitTest(Point offset) const {
  return offset.y < kDragBand;
}

void Form::BecomeVisible() {
  Create();
  visible_ = true;
  PlaceForFirstShow();
  ShowForm();
}

void Form::ShowModal() {
  if (visible_)
    return;
  modal_ = true;
  modalEnded_ = false;
  BecomeVisible();
  if (!modalEnded_ && view_)
    view_->RunModal();
  modal_ = false;
}

void Form::Show() {
  if (visible_)
    return;
  BecomeVisible();
  if (visible_ && view_)
    view_->Show();
}

void Form::Hide() {
  if (!visible_)
    return;
  visible_ = false;
  if (view_)
    view_->Hide();
}

void Form::Close() {
  bool allow = true;
  CloseForm(allow);
  if (!allow)
    return;
  if (modal_)
    modalEnded_ = true;
  Hide();
  host_.FormClosed(*this);
}

void Form::PlaceForFirstShow() {
  if (placed_)
    return;
  placed_ = true;
  const Form* main = host_.MainForm();
  if (positionRule_ == FormPosition::MainFormCenter && main != nullptr && main != this)
    SetPosition(CentredIn(main->Position(), main->ClientSize(), clientSize_));
  else if (positionRule_ != FormPosition::Designed)
    SetPosition(CentredIn({0, 0}, host_.ScreenSize(), clientSize_));
}

void Form::SetCaption(const AnsiString& caption) {
  caption_ = caption;
  if (view_)
    view_->FormChanged(FormChange::Caption);
}

void Form::SetClientSize(Size size) {
  clientSize_ = size;
  WndImage.SetBounds({0, 0, size.width, size.height});
  if (view_)
    view_->FormChanged(FormChange::ClientSize);
}

void Form::SetBackColor(Color color) {
  color_ = color;
  if (view_)
    view_->FormChanged(FormChange::Color);
}

void Form::SetFont(const Font& font) {
  font_ = font;
  if (view_)
    view_->FormChanged(FormChange::Font);
}

void Form::SetPosition(Point position) {
  position_ = position;
  placed_ = true;
  if (view_)
    view_->FormChanged(FormChange::Position);
}

void Form::SetCursor(Cursor cursor) {
  cursor_ = cursor;
  if (view_)
    view_->FormChanged(FormChange::Cursor);
}

void Form::SetWindowRegion(Region region) {
  region_ = std::move(region);
  if (view_)
    view_->FormChanged(FormChange::Region);
}

void Form::ApplySkin(const AnsiString& skinResource, std::initializer_list<ImageButton*> buttons) {
  WndImage.LoadFromResource(skinResource);
  const ImageButton* first = nullptr;
  for (ImageButton* button : buttons) {
    if (first == nullptr) {
      button->A.LoadFromResource("BUTTONA");
      button->B.LoadFromResource("BUTTONB");
      first = button;
    } else {
      button->A.CopyPicture(first->A);
      button->B.CopyPicture(first->B);
    }
  }
  if (const auto& skin = WndImage.GetBitmap())
    SetWindowRegion(CreateSkinRegion(*skin));
}

void Form::HoverButton(ImageButton& button) {
  if (button.Hovered())
    return;
  ResetButtons();
  button.ShowHover();
}

void Form::ResetButtons() {
  for (ImageButton* button : buttons_) {
    if (!button->A.Visible())
      button->ShowRest();
  }
}

Control* Form::FindControl(const std::string& name) const {
  const auto it = std::find_if(controls_.begin(), controls_.end(),
                               [&name](const Control* c) { return c->Name() == name; });
  return it == controls_.end() ? nullptr : *it;
}

Control* Form::FindControl(int id) const {
  const auto it = std::find_if(controls_.begin(), controls_.end(),
                               [id](const Control* c) { return c->Id() == id; });
  return it == controls_.end() ? nullptr : *it;
}

Timer* Form::FindTimer(int id) const {
  const auto it =
      std::find_if(timers_.begin(), timers_.end(), [id](const Timer* t) { return t->Id() == id; });
  return it == timers_.end() ? nullptr : *it;
}

Rect Form::DisplayBounds(const Control& control) const {
  Rect bounds = control.Bounds();
  if (control.Kind() == ControlKind::Picture) {
    const Size size = static_cast<const Picture&>(control).DisplaySize();
    bounds.width = size.width;
    bounds.height = size.height;
  } else if (control.Kind() == ControlKind::Label && control.AutoSize()) {
    const Size text = view_ ? view_->TextExtent(control.GetFont(), control.Caption()) : Size{};
    bounds.width = text.width;
    bounds.height = text.height;
  }
  return bounds;
}

Control* Form::ControlAt(Point point) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    Control* control = *it;
    if (control != &WndImage && control->Visible() && DisplayBounds(*control).Contains(point))
      return control;
  }
  return nullptr;
}

int Form::TextWidth(const Font& font, const AnsiString& text) const {
  return view_ ? view_->TextExtent(font, text).width : 0;
}

int Form::UniqueId(const std::string& name) const {
  int id = ControlIdFor(name);
  const auto taken = [this](int candidate) {
    return FindControl(candidate) != nullptr || FindTimer(candidate) != nullptr;
  };
  while (taken(id))
    id = id + 1 < 0x7000 ? id + 1 : 0x1000;
  return id;
}

int Form::Register(Control& control) {
  const int id = UniqueId(control.Name());
  controls_.push_back(&control);
  return id;
}

int Form::Register(Timer& timer) {
  const int id = UniqueId(timer.Name());
  timers_.push_back(&timer);
  return id;
}

}  // namespace ql::ui
