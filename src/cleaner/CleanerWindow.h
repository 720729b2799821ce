// The system cleaner window ("Clean your system"), which scans for and removes temporary files
// (the internet cache and the temporary folder), temporary values of the user's software keys and
// the browsers' caches.
#pragma once

#include "cleaner/CleanerPasses.h"
#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

// The window's states, by CleanerBusy and CleanerScanned:
//   Ready     false false  Scan starts a scan; Clean asks for a scan first; links give hints
//   Scanning  true  false  Scan asks "Cancel scanning?"; Clean does nothing; links disabled
//   Scanned   false true   Scan scans again; Clean cleans; links give the details
//   Cleaning  true  true   Scan and Clean ask "Cancel scanning?"; links disabled
// The window refuses to close while CleanerBusy is set.
class CleanerWindow : public ui::Form, private CleanerProgress {
 public:
  CleanerWindow(ui::FormHost& host, const Platform& platform, ui::Messages& messages);

  ui::Label ActionLabel{*this, "ActionLabel", {32, 48}, "Clean your system"};
  ui::Label Label1a{*this, "Label1a", {32, 96}, "Temporary files"};
  ui::Label Label1b{*this, "Label1b", {160, 96, 120, 15}, "0 items found"};
  ui::Label Label1c{*this, "Label1c", {296, 96, 80, 15}, "What is this?"};
  ui::Label Label2a{*this, "Label2a", {32, 128}, "Temporary values"};
  ui::Label Label2b{*this, "Label2b", {160, 128, 120, 15}, "0 items found"};
  ui::Label Label2c{*this, "Label2c", {296, 128, 80, 15}, "What is this?"};
  ui::Label Label3a{*this, "Label3a", {32, 160}, "Browser caches"};
  ui::Label Label3b{*this, "Label3b", {160, 160, 120, 15}, "0 items found"};
  ui::Label Label3c{*this, "Label3c", {296, 160, 80, 15}, "What is this?"};
  ui::Label InfoLabel{*this, "InfoLabel", {32, 213, 340, 15}, "Please click \"Scan\" button."};
  ui::Picture Button1A{*this, "Button1A", {30, 258, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {30, 258, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {46, 265, 70, 14}, "Scan"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  ui::Picture Button2A{*this, "Button2A", {152, 258, 100, 30}};
  ui::Picture Button2B{*this, "Button2B", {152, 258, 100, 30}};
  ui::Label Button2Label{*this, "Button2Label", {168, 265, 70, 14}, "Clean"};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  ui::Picture Button3A{*this, "Button3A", {272, 258, 100, 30}};
  ui::Picture Button3B{*this, "Button3B", {272, 258, 100, 30}};
  ui::Label Button3Label{*this, "Button3Label", {306, 265, 36, 14}, "Close"};
  ui::ImageButton Button3{*this, Button3A, Button3B, &Button3Label};

  void CreateForm() override;
  void ShowForm() override;
  void CloseForm(bool& allow) override;
  void WndImageMouseMove() override;
  void Button1Click();  // "Scan", or "Stop" while a scan runs
  void Button2Click();  // "Clean", or "Stop" while a clean runs
  void Button3Click();  // "Close"
  void LabelClick(const ui::Label& sender);
  void Button1MouseMove();
  void Button2MouseMove();
  void Button3MouseMove();

  bool CleanerBusy = false;
  bool CleanerScanned = false;
  FilesReport FilesList;  // the internet cache pass, then the temporary folder
  StringList ValuesList;
  FilesReport CachesList;
  AnsiString CacheFolder;

 private:
  void ShowFolder(const AnsiString& folder) override;
  void ShowKey(const AnsiString& path) override;
  void ResetWindow();
  void AskToStop();
  // Runs the three lines in order, each only when no Stop came during the one before.
  void RunPasses(bool deleteItems, const AnsiString& countSuffix);
  void CleanTemporaryFiles(bool deleteItems);
  void CleanBrowserCaches(bool deleteItems);
  // The internet cache folder when its pass walks it, else empty.
  AnsiString WalkedInternetCache() const;
  void ShowLink(const ui::Label& name, const StringList& lines, bool leftBehind, const char* hint);
  bool NothingFound() const;
  void BeginPass(ui::Label& runningButton, ui::Label& greyed1, ui::Label& greyed2);
  void EndPass(ui::Label& runningButton, const AnsiString& caption, ui::Label& other1,
               ui::Label& other2, const AnsiString& linkCaption);
  bool Scanning() const { return CleanerBusy && !CleanerScanned; }
  bool Cleaning() const { return CleanerBusy && CleanerScanned; }

  Platform platform_;
  ui::Messages& messages_;
  CleanerPasses passes_;
  AnsiString shownFolder_;
  AnsiString shortenedFolder_;
};

// The cache folder the files pass cleans: the user's internet cache folder with a trailing "\";
// empty when the system does not name one.
AnsiString InternetCacheFolder(System& system);

}  // namespace ql
