// Form: the portable base of every window (caption, size, font, controls, handlers, modal show),
// and the host and view interfaces through which a window system (or a test) shows it.
//
// A window is a class derived from Form that declares its controls as members and overrides the
// handlers it needs:
//
//   class InformationWindow : public Form {
//    public:
//     explicit InformationWindow(FormHost& host) : Form(host) {
//       SetCaption("Information");
//       SetClientSize({300, 200});
//       Button1.OnClick = [this] { Close(); };
//     }
//     Label InfoLabel{*this, "InfoLabel", {30, 70, 240, 40}};
//     Picture Button1A{*this, "Button1A", {102, 122}};
//     Picture Button1B{*this, "Button1B", {102, 122}};
//     Label Button1Label{*this, "Button1Label", {144, 129}, "Ok"};
//     ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
//     void CreateForm() override { ApplySkin("FORM5", {&Button1}); }
//   };
//
//   auto form = MakeForm<InformationWindow>(host);  // makes the view, runs CreateForm
//   form->ShowModal();                              // returns once the form has closed
//
// Controls declared later lie above earlier ones. WndImage, the skin picture, is every form's
// first control and fills the client area; the renderer paints it as the window's background.
// Handlers never see the window system: the renderer calls Click, MouseMove and KeyDown on the
// controls, KeyDown and WMNCHitTest on the form.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Controls.h"
#include "ui/Region.h"

namespace ql::ui {

enum class FormPosition {
  Designed,        // where SetPosition put it
  DesktopCenter,   // centred on the screen at its first showing
  MainFormCenter,  // centred over the host's main form at its first showing
};

enum class FormChange { Caption, ClientSize, Color, Font, Position, Region, Cursor };

// The window system's side of one form: a real window, or a test double.
class FormView {
 public:
  virtual ~FormView() = default;
  // Called once the form holds its view: the view may now read the form, measure through itself
  // and create what it needs.
  virtual void Open() = 0;
  virtual void ControlChanged(Control& control, Change what) = 0;
  virtual void TimerChanged(Timer& timer) = 0;
  virtual void FormChanged(FormChange what) = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  // Shows the form modally and returns when Form::ModalEnded() is true.
  virtual void RunModal() = 0;
  // Width and height of one line of text in a font, as this window system draws it.
  virtual Size TextExtent(const Font& font, const AnsiString& text) = 0;
};

// Creates views for forms and offers what forms need from the window system.
class FormHost {
 public:
  virtual ~FormHost() = default;
  virtual std::unique_ptr<FormView> CreateView(Form& form) = 0;
  // A raw-data bitmap resource of the program, decoded; null when missing or not a bitmap.
  virtual std::shared_ptr<const Bitmap> LoadImage(const AnsiString& resource) = 0;
  virtual Size ScreenSize() = 0;
  // The window whose close ends the program, and over which MainFormCenter centres.
  virtual Form* MainForm() = 0;
  virtual void SetMainForm(Form* form) = 0;
  // A close went through; closing the main form ends the program's message loop.
  virtual void FormClosed(Form& form) = 0;
};

class Form {
 public:
  explicit Form(FormHost& host);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  // Creates the view and runs CreateForm; MakeForm calls it once.
  void Create();

  // Handlers, by the names the windows bind.
  virtual void CreateForm() {}
  virtual void ShowForm() {}
  virtual void CloseForm(bool& allow) { (void)allow; }
  // The frame's rule: Escape closes the window; no other key.
  virtual void FormKeyDown(int key);
  // True when a press at this offset from the window's top-left corner should drag the window:
  // the frame's rule is the top 40 pixels.
  virtual bool WMNCHitTest(Point offset) const;
  // Mouse over the body: every hovered button goes back to rest.
  virtual void WndImageMouseMove() { ResetButtons(); }
  // The Windows session is ending (asked, and again when it ends): the program may be stopped
  // without its windows closing, so what must not outlive it is put right here.
  virtual void SessionEnding() {}

  // Shows the form modally; returns when it has closed. A visible form is not shown again.
  void ShowModal();
  void Show();
  void Hide();
  // Asks CloseForm; when allowed, hides the form and ends its modal show.
  void Close();
  bool Visible() const { return visible_; }
  bool IsModal() const { return modal_; }
  bool ModalEnded() const { return modalEnded_; }
  // A key pressed on the window or one of its controls.
  void KeyDown(int key) { FormKeyDown(key); }

  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& caption);
  Size ClientSize() const { return clientSize_; }
  void SetClientSize(Size size);
  Color BackColor() const { return color_; }
  void SetBackColor(Color color);
  const Font& GetFont() const { return font_; }
  void SetFont(const Font& font);
  FormPosition PositionRule() const { return positionRule_; }
  void SetPositionRule(FormPosition rule) { positionRule_ = rule; }
  // The window's top-left corner on the screen.
  Point Position() const { return position_; }
  void SetPosition(Point position);
  // The view reports where the user dragged the window; nothing is sent back to the view.
  void MovedTo(Point position) { position_ = position; }
  Cursor GetCursor() const { return cursor_; }
  void SetCursor(Cursor cursor);
  // The window's outline; an empty region means the whole client rectangle.
  const Region& WindowRegion() const { return region_; }
  void SetWindowRegion(Region region);

  // The frame's creation steps: loads the skin resource into WndImage, "BUTTONA" and "BUTTONB"
  // into the first button's pictures and copies them to the others, then cuts the window's
  // outline from the skin. A missing skin leaves the window rectangular.
  void ApplySkin(const AnsiString& skinResource, std::initializer_list<ImageButton*> buttons);
  // The hover rules: a button under the mouse takes its hovered look after every other button
  // went back to rest; nothing happens when it is already hovered.
  void HoverButton(ImageButton& button);
  void ResetButtons();

  const std::vector<Control*>& Controls() const { return controls_; }
  const std::vector<ImageButton*>& Buttons() const { return buttons_; }
  const std::vector<Timer*>& Timers() const { return timers_; }
  Control* FindControl(const std::string& name) const;
  Control* FindControl(int id) const;
  Timer* FindTimer(int id) const;
  // The topmost visible control at a client point other than WndImage; null over the body.
  Control* ControlAt(Point point) const;
  // Where a control is drawn: its bounds, with a picture's bitmap size where a bound is 0. Labels
  // sized to their text are measured through the view.
  Rect DisplayBounds(const Control& control) const;

  FormHost& Host() const { return host_; }
  FormView* View() const { return view_.get(); }
  int TextWidth(const Font& font, const AnsiString& text) const;

 private:
  friend class Control;
  friend class ImageButton;
  friend class Timer;
  int Register(Control& control);
  int Register(Timer& timer);
  void Register(ImageButton& button) { buttons_.push_back(&button); }
  int UniqueId(const std::string& name) const;
  void PlaceForFirstShow();
  void BecomeVisible();

  FormHost& host_;
  std::unique_ptr<FormView> view_;
  std::vector<Control*> controls_;
  std::vector<ImageButton*> buttons_;
  std::vector<Timer*> timers_;
  AnsiString caption_;
  Size clientSize_{300, 200};
  Color color_ = colors::kSkin;
  Font font_;
  FormPosition positionRule_ = FormPosition::DesktopCenter;
  Point position_;
  bool placed_ = false;
  Cursor cursor_ = Cursor::Default;
  Region region_;
  bool created_ = false;
  bool visible_ = false;
  bool modal_ = false;
  bool modalEnded_ = false;

 public:
  // Declared after the lists above, which it registers itself in.
  Picture WndImage;
};

// Constructs a form with the host and further arguments, creates its view and runs CreateForm.
template <typename F, typename... Args>
std::unique_ptr<F> MakeForm(FormHost& host, Args&&... args) {
  auto form = std::make_unique<F>(host, std::forward<Args>(args)...);
  form->Create();
  return form;
}

}  // namespace ql::ui
