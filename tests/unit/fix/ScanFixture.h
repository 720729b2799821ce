// The fixture of the scanner tests: fakes, a recording registry editor, the scan objects.
#pragma once

#include <gtest/gtest.h>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "platform/fake/FakePlatform.h"
#include "unit/fix/KeyDeletionBackups.h"
#include "unit/fix/ScriptedRegEdit.h"

namespace ql {

class ScanFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.files.AddFolder("C:\\Undo");
    fake.files.AddFolder("C:\\WINDOWS\\System32");
    fake.files.AddFolder("C:\\WINDOWS\\Fonts");
    pipeline.RefreshFolders();
    pipeline.PrepareFixScripts();
    state.Scanning = true;
    scanner.SetStatusSink([this](const AnsiString& text, StatusForm form) {
      shown.push_back({text, form});
    });
  }
  void TearDown() override {
    EXPECT_EQ(fake.registry.OpenHandleCount(), 0u);
    EXPECT_TRUE(KeyDeletionsAreBackedUp(state, fake.codePage));
  }

  // The fix lines after the script's header.
  StringList FixLines() const {
    return StringList(state.FixScript.begin() + 2, state.FixScript.end());
  }
  // The keys handed to the registry editor for export, as "ROOT\path".
  StringList ExportedKeys() const {
    StringList keys;
    for (const AnsiString& line : regedit.commandLines) {
      const std::size_t last = line.rfind('"', line.size() - 2);
      keys.push_back(line.substr(last + 1, line.size() - last - 2));
    }
    return keys;
  }
  // The undo script after its header, in the code page.
  StringList UndoLines() const {
    StringList lines;
    for (std::size_t i = 2; i < state.UndoScript.size(); ++i)
      lines.push_back(const_cast<FakeCodePage&>(fake.codePage).FromWide(state.UndoScript[i]));
    return lines;
  }
  const StringList& Errors(Category category) { return state.ErrorsOf(category); }

  struct Shown {
    AnsiString text;
    StatusForm form;
  };

  FakePlatform fake;
  ScriptedRegEdit regedit{fake};
  Platform platform = fake.platform(regedit);
  AnsiString undoFolder = "C:\\Undo\\";
  ScanState state;
  FixPipeline pipeline{platform, state, undoFolder};
  RegistryScanner scanner{platform, state, pipeline};
  std::vector<Shown> shown;
};

}  // namespace ql
