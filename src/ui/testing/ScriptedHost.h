// A window system for tests: forms are shown without windows, modal shows run scripted user
// actions, and a scripted pump runs actions at chosen "process messages" calls.
//
//   ScriptedHost host;
//   MessageWindows messages(host);                          // the two message windows
//   host.OnModal("Confirmation", [](Form& f) { f.FindControl("Button1Label")->Click(); });
//   EXPECT_TRUE(messages.AskConfirmation("Unload program?"));  // "Yes" was pressed
//   EXPECT_EQ(host.ModalShows().back().text, "Unload program?");
//
//   ScriptedPump pump;                                      // a Pump for the logic under test
//   pump.At(5, [&] { form->Button1Label.Click(); });        // on the 5th pump, press Stop
//
// A modal show with no scripted reaction presses Escape. A reaction that leaves the form open
// is an error of the test (ScriptError), so a test never hangs in a modal show. Declare the host
// before the forms it shows: it must outlive them.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "platform/shell.h"
#include "ui/Form.h"

namespace ql::ui {

class ScriptError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// What a test can see of one form's window.
struct ScriptedWindow {
  bool visible = false;
  int shows = 0;      // non-modal shows
  int modalRuns = 0;  // modal shows
  int hides = 0;
  std::vector<std::pair<std::string, Change>> changes;  // control name, what changed
};

class ScriptedHost : public FormHost {
 public:
  using Reaction = std::function<void(Form&)>;
  struct ModalShow {
    AnsiString caption;
    AnsiString text;  // the form's InfoLabel caption, where it has one
  };

  ScriptedHost();
  ~ScriptedHost() override;

  // The next modal show of a form with this caption runs the reaction (each reaction once, in
  // the order given).
  void OnModal(const AnsiString& caption, Reaction reaction);
  // The same, for the next modal show of a form of class F.
  template <typename F>
  void OnModal(std::function<void(F&)> reaction) {
    reactions_.push_back({{},
                          [](Form& f) { return dynamic_cast<F*>(&f) != nullptr; },
                          [reaction](Form& f) { reaction(dynamic_cast<F&>(f)); }});
  }
  // The next modal show of a form with this caption clicks the named control.
  void ClickOnModal(const AnsiString& caption, const std::string& controlName);
  // Every modal show so far, oldest first.
  const std::vector<ModalShow>& ModalShows() const { return modalShows_; }
  // Reactions not used yet.
  std::size_t PendingReactions() const { return reactions_.size(); }

  // Text is measured as `charWidth` pixels per character and font height + 2 pixels high,
  // unless a measure is set.
  void SetTextMeasure(std::function<Size(const Font&, const AnsiString&)> measure);
  void SetCharWidth(int width) { charWidth_ = width; }
  void SetScreenSize(Size size) { screen_ = size; }
  // The bitmap a resource gives; other resources come from the program's artwork generator.
  void SetImage(const AnsiString& resource, std::shared_ptr<const Bitmap> bitmap);

  // The window of a form (null before the form was created on this host).
  const ScriptedWindow* WindowOf(const Form& form) const;
  // Forms whose close reached the host, oldest first; the main form's close ends the "loop".
  const std::vector<const Form*>& Closed() const { return closed_; }
  bool QuitRequested() const { return quit_; }
  // Runs a timer's OnTimer as the system would when its interval passes: only while enabled.
  static void Fire(Timer& timer) { timer.Tick(); }

  std::unique_ptr<FormView> CreateView(Form& form) override;
  std::shared_ptr<const Bitmap> LoadImage(const AnsiString& resource) override;
  Size ScreenSize() override { return screen_; }
  Form* MainForm() override { return mainForm_; }
  void SetMainForm(Form* form) override { mainForm_ = form; }
  void FormClosed(Form& form) override;

 private:
  class View;
  friend class View;
  struct Pending {
    AnsiString caption;
    std::function<bool(Form&)> matches;
    Reaction reaction;
  };
  void RunModal(Form& form);
  Size Measure(const Font& font, const AnsiString& text) const;

  std::deque<Pending> reactions_;
  std::vector<ModalShow> modalShows_;
  std::map<const Form*, ScriptedWindow> windows_;
  std::map<AnsiString, std::shared_ptr<const Bitmap>> images_;
  std::vector<const Form*> closed_;
  std::function<Size(const Font&, const AnsiString&)> measure_;
  int charWidth_ = 6;
  Size screen_{1280, 1024};
  Form* mainForm_ = nullptr;
  bool quit_ = false;
};

// A Pump that counts its calls and runs the actions set for them.
class ScriptedPump : public Pump {
 public:
  void ProcessMessages() override;
  // Runs `action` during the n-th call (counted from 1).
  void At(int n, std::function<void()> action);
  // Runs `action` during every call, with the call's number.
  void Always(std::function<void(int n)> action) { always_ = std::move(action); }
  int Count() const { return count_; }

 private:
  int count_ = 0;
  std::multimap<int, std::function<void()>> actions_;
  std::function<void(int)> always_;
};

}  // namespace ql::ui
