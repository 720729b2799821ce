// The about window with the version, the logo and the maker's two links.
#pragma once

#include "platform/shell.h"
#include "ui/Form.h"
#include "ui/Version.h"

namespace ql {

// The maker's addresses (on a reserved example domain until the real ones are settled).
constexpr char kHomePageAddress[] = "http://kestrelworks.example/";
constexpr char kSupportAddress[] = "support@kestrelworks.example";
// "mailto:" + the support address + the subject, with the blank left as it is.
AnsiString SupportMailLink();

class AboutWindow : public ui::Form {
 public:
  AboutWindow(ui::FormHost& host, Shell& shell);

  ui::Label ActionLabel{*this, "ActionLabel", {32, 40}, "Quillon"};
  // "\xA9" is the copyright sign in the ANSI code page.
  ui::Label CopyrightLabel{*this, "CopyrightLabel", {96, 72}, "Copyright \xA9 2026 Kestrelworks"};
  ui::Label VersionLabel{*this, "VersionLabel", {232, 92}, "Version: " QUILLON_VERSION_TEXT};
  ui::Picture LogoImage{*this, "LogoImage", {32, 104, 100, 100}};
  ui::Label HomePageLabel1{*this, "HomePageLabel1", {152, 152}, "Homepage:"};
  ui::Label HomePageLabel2{*this, "HomePageLabel2", {212, 152}, kHomePageAddress};
  ui::Label SupportLabel1{*this, "SupportLabel1", {164, 172}, "Support:"};
  ui::Label SupportLabel2{*this, "SupportLabel2", {212, 172}, kSupportAddress};
  ui::Picture Button1A{*this, "Button1A", {150, 222}};
  ui::Picture Button1B{*this, "Button1B", {150, 222}};
  ui::Label Button1Label{*this, "Button1Label", {182, 229}, "Close"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};

  void CreateForm() override;
  void HomePageLabel2Click();
  void SupportLabel2Click();
  void Button1Click();

 private:
  Shell& shell_;
};

}  // namespace ql
