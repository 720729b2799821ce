// The undo manager, which lists the logs of earlier fixes, shows one, applies its undo script
// through the registry editor, deletes it, or cleans the undo folder.
#pragma once

#include <functional>

#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

// The undo script that belongs to a log: every "txt" becomes "reg", then every "Log" becomes
// "Undo", both without regard to letter case ("QUILLON_LOG_7.TXT" gives "QUILLON_Undo_7.reg").
AnsiString UndoScriptNameFor(const AnsiString& logName);

// True for the files the program itself writes into the undo folder: undo scripts, logs, the fix
// script and the export file.
bool IsProgramFile(const AnsiString& name);

class UndoManagerWindow : public ui::Form {
 public:
  // The program folder (without a trailing "\") and the undo folder (ending with "\") must
  // outlive the window.
  UndoManagerWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                    const AnsiString& programFolder, const AnsiString& undoFolder);

  void CreateForm() override;
  // Lists the logs; also the refresh after Delete and Clean.
  void ShowForm() override;
  void CloseForm(bool& allow) override;
  void FileBoxChange();
  // Open undo folder.
  void Label2Click();
  // Clean undo folder.
  void Label3Click();
  // Apply.
  void Button1Click();
  // Delete.
  void Button2Click();
  // Close.
  void Button3Click() { Close(); }

  bool Undoing() const { return undoing_; }

  ui::Label ActionLabel{*this, "ActionLabel", {32, 56}, "Undo manager"};
  ui::Label Label1{*this, "Label1", {32, 88}, "Select undo file"};
  ui::ComboBox FileBox{*this, "FileBox", {128, 80, 201, 0}};
  ui::Memo InfoList{*this, "InfoList", {24, 112, 350, 220}};
  ui::Label Label2{*this, "Label2", {32, 340}, "Open undo folder"};
  ui::Label Label3{*this, "Label3", {136, 340}, "Clean undo folder"};
  ui::Picture Button1A{*this, "Button1A", {30, 364, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {30, 364, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {30, 371, 100, 16}, "Apply"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  ui::Picture Button2A{*this, "Button2A", {152, 364, 100, 30}};
  ui::Picture Button2B{*this, "Button2B", {152, 364, 100, 30}};
  ui::Label Button2Label{*this, "Button2Label", {152, 371, 100, 16}, "Delete"};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  ui::Picture Button3A{*this, "Button3A", {272, 364, 100, 30}};
  ui::Picture Button3B{*this, "Button3B", {272, 364, 100, 30}};
  ui::Label Button3Label{*this, "Button3Label", {272, 371, 100, 16}, "Close"};
  ui::ImageButton Button3{*this, Button3A, Button3B, &Button3Label};

 private:
  bool FolderExists() const;
  bool FolderHasEntries() const;
  // Visits the undo folder's entries that match the pattern, letting messages run before each;
  // the window is busy meanwhile and cannot be closed.
  void ForEachEntry(const AnsiString& pattern, const std::function<void(const FindEntry&)>& visit);
  // True in the fallback to the program's own folder, where other files lie beside the
  // program's: only its logs are listed and only its own files may go.
  bool InProgramFolder() const;
  bool MayList(const FindEntry& entry) const;
  bool MayDelete(const AnsiString& name) const;
  void DisableActions();

  Platform& platform_;
  ui::Messages& messages_;
  const AnsiString& programFolder_;
  const AnsiString& undoFolder_;
  bool undoing_ = false;
};

// Creates the undo manager, shows it modally and releases it once it has closed.
void ShowUndoManager(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                     const AnsiString& programFolder, const AnsiString& undoFolder);

}  // namespace ql
