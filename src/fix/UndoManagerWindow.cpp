// The undo manager.
#include "fix/UndoManagerWindow.h"

#include <cctype>

#include "fix/FixPipeline.h"
#include "fix/ScriptText.h"
#include "paths/AnsiText.h"
#include "paths/PathResolution.h"
#include "platform/ScopeGuard.h"

namespace ql {

namespace {

// The shell opens the folder in a window of its own.
constexpr WindowId kNoOwner = 0;

AnsiString Lower(AnsiString text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// "<prefix><decimal number><suffix>", letters compared without regard to case.
bool IsNumberedName(const AnsiString& name, const AnsiString& prefix, const AnsiString& suffix) {
  const AnsiString lower = Lower(name);
  if (lower.size() <= prefix.size() + suffix.size() || lower.rfind(Lower(prefix), 0) != 0 ||
      lower.compare(lower.size() - suffix.size(), suffix.size(), Lower(suffix)) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < lower.size() - suffix.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(lower[i])))
      return false;
  }
  return true;
}

}  // namespace

AnsiString UndoScriptNameFor(const AnsiString& logName) {
  return ReplaceAllIgnoringCase(ReplaceAllIgnoringCase(logName, "txt", "reg"), "Log", "Undo");
}

bool IsProgramFile(const AnsiString& name) {
  const AnsiString lower = Lower(name);
  return IsNumberedName(name, kUndoFilePrefix, ".reg") ||
         IsNumberedName(name, kLogFilePrefix, ".txt") || lower == Lower(kFixScriptFileName) ||
         lower == Lower(kExportFileName);
}

UndoManagerWindow::UndoManagerWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                                     const AnsiString& programFolder, const AnsiString& undoFolder)
    : Form(host),
      platform_(platform),
      messages_(messages),
      programFolder_(programFolder),
      undoFolder_(undoFolder) {
  SetCaption("Details");
  SetClientSize({399, 461});
  SetPositionRule(ui::FormPosition::DesktopCenter);
  SetFont(ui::MakeFont("Arial", 11, true));
  ActionLabel.SetFont(ui::MakeFont("Verdana", 16, true));
  FileBox.SetItemHeight(16);
  for (ui::Label* link : {&Label2, &Label3}) {
    link->SetFont(ui::MakeFont("Arial", 11, true, ui::colors::kBlue, true));
    link->SetCursor(ui::Cursor::Hand);
  }
  for (ui::ImageButton* button : {&Button1, &Button2, &Button3}) {
    button->Caption->SetFont(ui::MakeFont("Verdana", 12, true));
    button->Caption->SetAlignment(ui::Alignment::Center);
    button->SetCursor(ui::Cursor::Hand);
  }
  FileBox.OnChange = [this] { FileBoxChange(); };
  Label2.OnClick = [this] { Label2Click(); };
  Label3.OnClick = [this] { Label3Click(); };
  Button1.OnClick = [this] { Button1Click(); };
  Button2.OnClick = [this] { Button2Click(); };
  Button3.OnClick = [this] { Button3Click(); };
}

void UndoManagerWindow::CreateForm() {
  ApplySkin("FORM2", {&Button1, &Button2, &Button3});
}

bool UndoManagerWindow::FolderExists() const {
  return DirectoryExists(platform_.files, undoFolder_);
}

bool UndoManagerWindow::FolderHasEntries() const {
  FindSearch search(platform_.files);
  FindEntry entry;
  return search.First(undoFolder_ + "*.*", fileattr::kAnyEntry, entry);
}

void UndoManagerWindow::ForEachEntry(const AnsiString& pattern,
                                     const std::function<void(const FindEntry&)>& visit) {
  const BusyFlag undoing(undoing_);
  FindSearch search(platform_.files);
  FindEntry entry;
  for (bool found = search.First(undoFolder_ + pattern, fileattr::kAnyEntry, entry); found;
       found = search.Next(entry)) {
    platform_.pump.ProcessMessages();
    visit(entry);
  }
}

void UndoManagerWindow::ShowForm() {
  FileBox.ClearItems();
  InfoList.ClearLines();
  if (FolderExists()) {
    ForEachEntry("*.txt", [this](const FindEntry& entry) {
      if (MayList(entry))
        FileBox.AddItem(entry.name);
    });
  }
  if (FileBox.Items().empty()) {
    DisableActions();
    return;
  }
  FileBox.SetItemIndex(0);
  FileBoxChange();
}

void UndoManagerWindow::DisableActions() {
  for (ui::Control* control :
       std::initializer_list<ui::Control*>{&FileBox, &Button1A, &Button1B, &Button1Label, &Button2A,
                                           &Button2B, &Button2Label, &Label2, &Label3})
    control->SetEnabled(false);
}

void UndoManagerWindow::CloseForm(bool& allow) {
  if (undoing_)
    allow = false;
}

void UndoManagerWindow::FileBoxChange() {
  InfoList.ClearLines();
  if (FileBox.Items().empty() || !FolderExists())
    return;
  const AnsiString path = undoFolder_ + FileBox.Text();
  Bytes bytes;
  if (!FileExists(platform_.files, path) || !platform_.files.ReadWholeFile(path, bytes)) {
    InfoList.SetLines({"File not found"});
    return;
  }
  InfoList.SetLines(SplitLines(AnsiString(bytes.begin(), bytes.end())));
}

void UndoManagerWindow::Label2Click() {
  if (FolderExists())
    platform_.shell.Open(undoFolder_, kNoOwner);
  else
    messages_.ShowInformation("Undo folder not found!");
}

bool UndoManagerWindow::InProgramFolder() const {
  return Lower(undoFolder_) == Lower(WithTrailingBackslash(programFolder_));
}

bool UndoManagerWindow::MayList(const FindEntry& entry) const {
  return !InProgramFolder() ||
         (!entry.IsDirectory() && IsNumberedName(entry.name, kLogFilePrefix, ".txt"));
}

bool UndoManagerWindow::MayDelete(const AnsiString& name) const {
  return !InProgramFolder() || IsProgramFile(name);
}

void UndoManagerWindow::Label3Click() {
  if (!FolderExists() || !FolderHasEntries() || !messages_.AskConfirmation("Clean undo folder?"))
    return;
  ForEachEntry("*.*", [this](const FindEntry& entry) {
    if (!entry.IsDirectory() && MayDelete(entry.name))
      platform_.files.RemoveFile(undoFolder_ + entry.name);
  });
  ShowForm();
  messages_.ShowInformation("Undo folder cleaned!");
}

void UndoManagerWindow::Button1Click() {
  if (undoing_ || FileBox.ItemIndex() < 0)
    return;
  const AnsiString script = undoFolder_ + UndoScriptNameFor(FileBox.Text());
  if (!FileExists(platform_.files, script)) {
    messages_.ShowInformation("File not found!");
    return;
  }
  const AnsiString windowsFolder = WithTrailingBackslash(platform_.system.WindowsDirectory());
  // The registry editor asks the user itself; only an editor that never started is ours to tell.
  if (RunRegEdit(platform_.launcher, windowsFolder, UndoImportArguments(script)) ==
      LaunchResult::kNotStarted)
    messages_.ShowInformation("Cannot start the registry editor \"" +
                              RegistryEditorPath(windowsFolder) + "\". Nothing was undone.");
}

void UndoManagerWindow::Button2Click() {
  if (undoing_ || FileBox.ItemIndex() < 0 || !messages_.AskConfirmation("Delete undo file?"))
    return;
  const AnsiString log = undoFolder_ + FileBox.Text();
  const AnsiString script = undoFolder_ + UndoScriptNameFor(FileBox.Text());
  for (const AnsiString& path : {log, script}) {
    if (FileExists(platform_.files, path))
      platform_.files.RemoveFile(path);
  }
  ShowForm();
  messages_.ShowInformation("Undo file deleted!");
}

void ShowUndoManager(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                     const AnsiString& programFolder, const AnsiString& undoFolder) {
  const auto form =
      ui::MakeForm<UndoManagerWindow>(host, platform, messages, programFolder, undoFolder);
  form->ShowModal();
}

}  // namespace ql
