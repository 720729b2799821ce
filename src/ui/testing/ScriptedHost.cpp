// The scripted window system and pump for tests.
#include "ui/testing/ScriptedHost.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "ui/Artwork.h"
#include "ui/Bitmap.h"

namespace ql::ui {

class ScriptedHost::View : public FormView {
 public:
  View(ScriptedHost& host, Form& form) : host_(host), form_(form) {
    host_.windows_[&form_] = ScriptedWindow{};
  }
  ~View() override { host_.windows_.erase(&form_); }
  void Open() override {}
  void ControlChanged(Control& control, Change what) override {
    Window().changes.emplace_back(control.Name(), what);
  }
  void TimerChanged(Timer&) override {}
  void FormChanged(FormChange) override {}
  void Show() override {
    Window().visible = true;
    ++Window().shows;
  }
  void Hide() override {
    Window().visible = false;
    ++Window().hides;
  }
  void RunModal() override {
    Window().visible = true;
    ++Window().modalRuns;
    host_.RunModal(form_);
  }
  Size TextExtent(const Font& font, const AnsiString& text) override {
    return host_.Measure(font, text);
  }

 private:
  ScriptedWindow& Window() { return host_.windows_[&form_]; }
  ScriptedHost& host_;
  Form& form_;
};

namespace {

// The program's own artwork, drawn once per test program.
std::shared_ptr<const Bitmap> Artwork(const AnsiString& resource) {
  static std::map<AnsiString, std::shared_ptr<const Bitmap>> drawn;
  const auto it = drawn.find(resource);
  if (it != drawn.end())
    return it->second;
  std::optional<Bitmap> bitmap = artwork::RenderBitmap(resource);
  auto shared = bitmap ? std::make_shared<const Bitmap>(std::move(*bitmap)) : nullptr;
  drawn.emplace(resource, shared);
  return shared;
}

}  // namespace

ScriptedHost::ScriptedHost() = default;
ScriptedHost::~ScriptedHost() = default;

void ScriptedHost::OnModal(const AnsiString& caption, Reaction reaction) {
  reactions_.push_back({caption, nullptr, std::move(reaction)});
}

void ScriptedHost::ClickOnModal(const AnsiString& caption, const std::string& controlName) {
  OnModal(caption, [controlName, caption](Form& form) {
    Control* control = form.FindControl(controlName);
    if (control == nullptr)
      throw ScriptError("no control \"" + controlName + "\" in the window \"" + caption + "\"");
    control->Click();
  });
}

void ScriptedHost::SetTextMeasure(std::function<Size(const Font&, const AnsiString&)> measure) {
  measure_ = std::move(measure);
}

void ScriptedHost::SetImage(const AnsiString& resource, std::shared_ptr<const Bitmap> bitmap) {
  images_[resource] = std::move(bitmap);
}

const ScriptedWindow* ScriptedHost::WindowOf(const Form& form) const {
  const auto it = windows_.find(&form);
  return it == windows_.end() ? nullptr : &it->second;
}

std::unique_ptr<FormView> ScriptedHost::CreateView(Form& form) {
  return std::make_unique<View>(*this, form);
}

std::shared_ptr<const Bitmap> ScriptedHost::LoadImage(const AnsiString& resource) {
  const auto it = images_.find(resource);
  return it != images_.end() ? it->second : Artwork(resource);
}

void ScriptedHost::FormClosed(Form& form) {
  closed_.push_back(&form);
  if (&form == mainForm_)
    quit_ = true;
}

void ScriptedHost::RunModal(Form& form) {
  const Control* info = form.FindControl("InfoLabel");
  modalShows_.push_back({form.Caption(), info != nullptr ? info->Caption() : AnsiString{}});
  const auto it = std::find_if(reactions_.begin(), reactions_.end(), [&form](const Pending& p) {
    return p.matches ? p.matches(form) : p.caption == form.Caption();
  });
  if (it == reactions_.end()) {
    form.KeyDown(keys::kEscape);
  } else {
    const Reaction reaction = std::move(it->reaction);
    reactions_.erase(it);
    reaction(form);
  }
  if (!form.ModalEnded())
    throw ScriptError("the window \"" + form.Caption() + "\" is still open after its script");
}

Size ScriptedHost::Measure(const Font& font, const AnsiString& text) const {
  if (measure_)
    return measure_(font, text);
  return {static_cast<int>(text.size()) * charWidth_, font.height + 2};
}

void ScriptedPump::ProcessMessages() {
  ++count_;
  if (always_)
    always_(count_);
  const auto range = actions_.equal_range(count_);
  std::vector<std::function<void()>> due;
  for (auto it = range.first; it != range.second; ++it)
    due.push_back(it->second);
  for (const auto& action : due)
    action();
}

void ScriptedPump::At(int n, std::function<void()> action) {
  actions_.emplace(n, std::move(action));
}

}  // namespace ql::ui
