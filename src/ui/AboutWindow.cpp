// The about window with the version, the logo and the maker's two links.
#include "ui/AboutWindow.h"

namespace ql {

namespace {

// The browser and the mail program open their own windows; the shell needs no owner for them.
constexpr WindowId kNoOwner = 0;

void StyleLink(ui::Label& link, const AnsiString& hint) {
  link.SetFont(ui::MakeFont("MS Sans Serif", 11, false, ui::colors::kBlue, true));
  link.SetCursor(ui::Cursor::Hand);
  link.SetHint(hint);
}

}  // namespace

AnsiString SupportMailLink() {
  return AnsiString("mailto:") + kSupportAddress + "?subject=Quillon support";
}

AboutWindow::AboutWindow(ui::FormHost& host, Shell& shell) : Form(host), shell_(shell) {
  SetCaption("About");
  SetClientSize({398, 300});
  SetPositionRule(ui::FormPosition::MainFormCenter);
  SetFont(ui::MakeFont("Arial", 11, false, ui::colors::kGreyText));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  VersionLabel.SetAlignment(ui::Alignment::Center);
  StyleLink(HomePageLabel2, "Visit to homepage");
  StyleLink(SupportLabel2, "Send letter to support");
  HomePageLabel2.OnClick = [this] { HomePageLabel2Click(); };
  SupportLabel2.OnClick = [this] { SupportLabel2Click(); };
  Button1.OnClick = [this] { Button1Click(); };
}

void AboutWindow::CreateForm() {
  ApplySkin("FORM4", {&Button1});
  LogoImage.LoadFromResource("LOGOLARGE");
}

void AboutWindow::HomePageLabel2Click() {
  shell_.Open(kHomePageAddress, kNoOwner);
}

void AboutWindow::SupportLabel2Click() {
  shell_.Open(SupportMailLink(), kNoOwner);
}

void AboutWindow::Button1Click() {
  Close();
}

}  // namespace ql
