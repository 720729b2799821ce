// Tests of the undo manager: listing, showing, Apply, Delete, Open and Clean undo folder.
#include "fix/UndoManagerWindow.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/FakePlatform.h"
#include "ui/MessageWindows.h"
#include "ui/testing/ScriptedHost.h"

namespace ql {
namespace {

class UndoManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { fake.files.AddFolder("C:\\Undo"); }

  void AddFix(int number, const AnsiString& log) {
    const AnsiString n = std::to_string(number);
    fake.files.AddTextFile("C:\\Undo\\Quillon_Log_" + n + ".txt", log);
    fake.files.AddTextFile("C:\\Undo\\Quillon_Undo_" + n + ".reg",
                           "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Restored" + n + "]\r\n");
  }
  void Open() {
    form = ui::MakeForm<UndoManagerWindow>(host, platform, messages, programFolder, undoFolder);
    form->ShowForm();
  }
  const AnsiString& LastMessage() const { return host.ModalShows().back().text; }

  ui::ScriptedHost host;
  ui::MessageWindows messages{host};
  FakePlatform fake;
  Platform platform = fake.platform();
  const AnsiString programFolder = "C:\\Program Files\\Quillon";
  AnsiString undoFolder = "C:\\Undo\\";
  std::unique_ptr<UndoManagerWindow> form;
};

struct NameCase {
  AnsiString log;
  AnsiString undo;
};

class UndoScriptNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(UndoScriptNameTest, IsDerivedFromTheLogName) {
  EXPECT_EQ(UndoScriptNameFor(GetParam().log), GetParam().undo);
}

INSTANTIATE_TEST_SUITE_P(Names, UndoScriptNameTest,
                         ::testing::Values(NameCase{"Quillon_Log_1.txt", "Quillon_Undo_1.reg"},
                                           NameCase{"QUILLON_LOG_7.TXT", "QUILLON_Undo_7.reg"},
                                           NameCase{"catalog.txt.txt", "cataUndo.reg.reg"},
                                           NameCase{"notes", "notes"}));

TEST(ProgramFileTest, KnowsTheProgramsOwnFiles) {
  for (const char* name : {"Quillon_Undo_12.reg", "quillon_log_3.TXT", "Quillon.reg", "TMP.REG"})
    EXPECT_TRUE(IsProgramFile(name)) << name;
  for (const char* name : {"Quillon_Undo_.reg", "Quillon_Undo_1x.reg", "Quillon.exe", "setup.reg",
                           "Quillon_Log_2.txt.bak"})
    EXPECT_FALSE(IsProgramFile(name)) << name;
}

TEST_F(UndoManagerTest, ListsTheLogsAndShowsTheFirst) {
  AddFix(1, "Quillon report file. 10:00:00\r\n\r\nInvalid handler .abc\r\n");
  AddFix(2, "second");
  Open();
  EXPECT_EQ(form->FileBox.Items(), (StringList{"Quillon_Log_1.txt", "Quillon_Log_2.txt"}));
  EXPECT_EQ(form->FileBox.ItemIndex(), 0);
  EXPECT_EQ(form->InfoList.Lines(),
            (StringList{"Quillon report file. 10:00:00", "", "Invalid handler .abc"}));
  form->FileBox.Select(1);
  EXPECT_EQ(form->InfoList.Lines(), (StringList{"second"}));
  EXPECT_EQ(form->Caption(), "Details");
}

TEST_F(UndoManagerTest, ALogThatVanishedShowsFileNotFound) {
  AddFix(1, "x");
  Open();
  fake.files.Erase("C:\\Undo\\Quillon_Log_1.txt");
  form->FileBoxChange();
  EXPECT_EQ(form->InfoList.Lines(), (StringList{"File not found"}));
}

TEST_F(UndoManagerTest, ApplyHandsTheUndoScriptToRegeditWhichAsksFirst) {
  AddFix(1, "x");
  Open();
  form->Button1Label.Click();
  ASSERT_EQ(fake.launcher.Calls().size(), 1u);
  EXPECT_EQ(fake.launcher.Calls()[0].commandLine, " \"C:\\Undo\\Quillon_Undo_1.reg\"");
  EXPECT_EQ(fake.launcher.Calls()[0].program, "C:\\WINDOWS\\regedit.exe");
  EXPECT_EQ(fake.launcher.Calls()[0].confirmationsAsked, 1u);
  EXPECT_FALSE(fake.registry.HasKey(kCurrentUser, "Restored1"));
  fake.launcher.SetConfirmationAnswer(true);
  form->Button1A.Click();
  EXPECT_TRUE(fake.registry.HasKey(kCurrentUser, "Restored1"));
  EXPECT_TRUE(host.ModalShows().empty());
}

TEST_F(UndoManagerTest, ApplyTellsWhenTheRegistryEditorCannotStart) {
  AddFix(1, "x");
  Open();
  fake.launcher.SetStartFails(true);
  form->Button1Label.Click();
  EXPECT_EQ(LastMessage(),
            "Cannot start the registry editor \"C:\\WINDOWS\\regedit.exe\". Nothing was undone.");
  EXPECT_FALSE(fake.registry.HasKey(kCurrentUser, "Restored1"));
}

TEST_F(UndoManagerTest, ApplyWithoutItsUndoScriptSaysFileNotFound) {
  fake.files.AddTextFile("C:\\Undo\\Quillon_Log_4.txt", "x");
  Open();
  form->Button1Label.Click();
  EXPECT_EQ(LastMessage(), "File not found!");
  EXPECT_TRUE(fake.launcher.Calls().empty());
}

TEST_F(UndoManagerTest, DeleteRemovesTheLogEvenWithoutItsUndoScript) {
  fake.files.AddTextFile("C:\\Undo\\Quillon_Log_4.txt", "x");
  AddFix(5, "y");
  Open();
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Button2Label.Click();
  EXPECT_EQ(LastMessage(), "Undo file deleted!");
  EXPECT_FALSE(fake.files.Exists("C:\\Undo\\Quillon_Log_4.txt"));
  EXPECT_EQ(form->FileBox.Items(), (StringList{"Quillon_Log_5.txt"}));
}

TEST_F(UndoManagerTest, DeleteAnsweredNoKeepsBothFiles) {
  AddFix(1, "x");
  Open();
  form->Button2Label.Click();
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon_Log_1.txt"));
  EXPECT_TRUE(fake.files.Exists("C:\\Undo\\Quillon_Undo_1.reg"));
}

TEST_F(UndoManagerTest, CleanRemovesEveryFileOfTheDataFolderAndDisablesTheControls) {
  AddFix(1, "x");
  fake.files.AddTextFile("C:\\Undo\\Quillon.reg", "x");
  fake.files.AddTextFile("C:\\Undo\\other.dat", "x");
  Open();
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Label3.Click();
  EXPECT_EQ(host.ModalShows()[0].text, "Clean undo folder?");
  EXPECT_EQ(LastMessage(), "Undo folder cleaned!");
  EXPECT_TRUE(fake.files.List("C:\\Undo").empty());
  EXPECT_TRUE(form->FileBox.Items().empty());
  for (const ui::Control* control : std::initializer_list<const ui::Control*>{
           &form->FileBox, &form->Button1Label, &form->Button2A, &form->Label2, &form->Label3})
    EXPECT_FALSE(control->Enabled()) << control->Name();
  EXPECT_TRUE(form->Button3Label.Enabled());
}

TEST_F(UndoManagerTest, CleanInTheProgramsOwnFolderRemovesOnlyItsOwnFiles) {
  undoFolder = "C:\\Program Files\\Quillon\\";
  const AnsiString folder = undoFolder;
  for (const char* name : {"Quillon_Log_1.txt", "Quillon_Undo_1.reg", "Quillon.reg", "tmp.reg",
                           "Quillon.exe", "holiday.jpg", "notes.txt"})
    fake.files.AddTextFile(folder + name, "x");
  Open();
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Label3.Click();
  EXPECT_EQ(fake.files.List("C:\\Program Files\\Quillon"),
            (StringList{"Quillon.exe", "holiday.jpg", "notes.txt"}));
}

struct ListingCase {
  const char* what;
  AnsiString undoFolder;
  StringList listed;
};

// Beside the program other text files may lie: in that fallback only the program's logs are
// listed (and so only they can be shown, applied or deleted); its own data folder lists every
// text file.
TEST_F(UndoManagerTest, TheProgramsOwnFolderListsOnlyItsLogs) {
  const ListingCase cases[] = {
      {"data folder",
       "C:\\Data\\Quillon\\",
       {"notes.txt", "Quillon_Log_1.txt", "Quillon_Log_x.txt", "Quillon_Log_3.txt"}},
      {"program folder", "C:\\Program Files\\Quillon\\", {"Quillon_Log_1.txt"}},
      {"program folder in other letters", "c:\\program files\\QUILLON\\", {"Quillon_Log_1.txt"}},
  };
  for (const ListingCase& c : cases) {
    const AnsiString folder = c.undoFolder;
    fake.files.AddFolder(folder);
    for (const char* name :
         {"notes.txt", "Quillon_Log_1.txt", "Quillon_Undo_1.reg", "Quillon_Log_x.txt"})
      fake.files.AddTextFile(folder + name, "x");
    fake.files.AddFolder(folder + "Quillon_Log_3.txt");
    undoFolder = folder;
    Open();
    StringList listed = form->FileBox.Items();
    std::sort(listed.begin(), listed.end());
    StringList expected = c.listed;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected) << c.what;
  }
}

TEST_F(UndoManagerTest, DeleteInTheProgramsOwnFolderLeavesOtherFiles) {
  undoFolder = "C:\\Program Files\\Quillon\\";
  for (const char* name : {"notes.txt", "Quillon_Log_1.txt", "Quillon_Undo_1.reg"})
    fake.files.AddTextFile(undoFolder + name, "x");
  Open();
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Button2Label.Click();
  EXPECT_EQ(LastMessage(), "Undo file deleted!");
  EXPECT_EQ(fake.files.List("C:\\Program Files\\Quillon"), StringList{"notes.txt"});
  EXPECT_TRUE(form->FileBox.Items().empty());
}

TEST_F(UndoManagerTest, CleanOfAnEmptyFolderStillAsks) {
  Open();
  host.ClickOnModal("Confirmation", "Button1Label");
  form->Label3Click();
  ASSERT_EQ(host.ModalShows().size(), 2u);
  EXPECT_EQ(LastMessage(), "Undo folder cleaned!");
}

TEST_F(UndoManagerTest, AMissingFolderDisablesEverythingButClose) {
  undoFolder = "C:\\Missing\\";
  Open();
  EXPECT_FALSE(form->Button1A.Enabled());
  EXPECT_FALSE(form->Label3.Enabled());
  form->Label2Click();
  EXPECT_EQ(LastMessage(), "Undo folder not found!");
  form->Label3Click();
  EXPECT_EQ(host.ModalShows().size(), 1u);
}

TEST_F(UndoManagerTest, OpenUndoFolderAsksTheShell) {
  AddFix(1, "x");
  Open();
  form->Label2.Click();
  ASSERT_EQ(fake.shell.OpenedTargets().size(), 1u);
  EXPECT_EQ(fake.shell.OpenedTargets()[0].target, "C:\\Undo\\");
}

TEST_F(UndoManagerTest, ApplyDeleteAndCloseAreRefusedWhileListing) {
  AddFix(1, "x");
  AddFix(2, "y");
  form = ui::MakeForm<UndoManagerWindow>(host, platform, messages, programFolder, undoFolder);
  form->Show();
  fake.pump.OnCall(1, [&] {
    EXPECT_TRUE(form->Undoing());
    form->Button1Label.Click();
    form->Button2Label.Click();
    form->Button3Label.Click();
  });
  form->ShowForm();
  EXPECT_TRUE(fake.launcher.Calls().empty());
  EXPECT_TRUE(host.ModalShows().empty());
  EXPECT_TRUE(form->Visible());
  EXPECT_FALSE(form->Undoing());
}

}  // namespace
}  // namespace ql
