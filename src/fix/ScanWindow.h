// The registry scan and fix window, which runs the scanner's checks row by row, shows the counts,
// lets the user stop a scan and hands the findings to the fix pipeline.
#pragma once

#include <array>

#include "fix/FixPipeline.h"
#include "fix/RegistryScanner.h"
#include "fix/ScanState.h"
#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

class ScanWindow : public ui::Form {
 public:
  // The undo folder ends with "\" and must outlive the window.
  ScanWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
             const AnsiString& undoFolder);

  void CreateForm() override;
  // The reset: empty texts and lists, "0 errors found", the prompt, no scan.
  void ShowForm() override;
  void CloseForm(bool& allow) override;
  void WndImageMouseMove() override;
  // Scan, or Stop while scanning.
  void Button1Click();
  // Fix: changes the ticked findings, then scans again to show what is left.
  void Button2Click();
  // Close.
  void Button3Click() { Close(); }
  void Button2MouseMove();
  void Button3MouseMove();
  // The link of a row (0 to 6): the details once scanned (where findings are ticked and ignored),
  // the hint before.
  void DetailsClick(std::size_t row);

  ScanState& State() { return state_; }

  ui::Label ActionLabel{*this, "ActionLabel", {32, 64}, "Fix registry problems"};
  ui::Picture Button1A{*this, "Button1A", {32, 362, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {32, 362, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {48, 369, 70, 16}, "Scan"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  ui::Picture Button2A{*this, "Button2A", {152, 362, 100, 30}};
  ui::Picture Button2B{*this, "Button2B", {152, 362, 100, 30}};
  ui::Label Button2Label{*this, "Button2Label", {192, 369}, "Fix"};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  ui::Picture Button3A{*this, "Button3A", {272, 362, 100, 30}};
  ui::Picture Button3B{*this, "Button3B", {272, 362, 100, 30}};
  ui::Label Button3Label{*this, "Button3Label", {306, 369}, "Close"};
  ui::ImageButton Button3{*this, Button3A, Button3B, &Button3Label};
  ui::Label Label1a{*this, "Label1a", {32, 96}, kCategoryCaptions[0]};
  ui::Label Label2a{*this, "Label2a", {32, 128}, kCategoryCaptions[1]};
  ui::Label Label3a{*this, "Label3a", {32, 160}, kCategoryCaptions[2]};
  ui::Label Label4a{*this, "Label4a", {32, 192}, kCategoryCaptions[3]};
  ui::Label Label5a{*this, "Label5a", {32, 224}, kCategoryCaptions[4]};
  ui::Label Label6a{*this, "Label6a", {32, 256}, kCategoryCaptions[5]};
  ui::Label Label7a{*this, "Label7a", {32, 288}, kCategoryCaptions[6]};
  ui::Label Label1b{*this, "Label1b", {160, 96, 120, 16}};
  ui::Label Label2b{*this, "Label2b", {160, 128, 120, 16}};
  ui::Label Label3b{*this, "Label3b", {160, 160, 120, 16}};
  ui::Label Label4b{*this, "Label4b", {160, 192, 120, 16}};
  ui::Label Label5b{*this, "Label5b", {160, 224, 120, 16}};
  ui::Label Label6b{*this, "Label6b", {160, 256, 120, 16}};
  ui::Label Label7b{*this, "Label7b", {160, 288, 120, 16}};
  ui::Label Label1c{*this, "Label1c", {296, 96, 80, 16}};
  ui::Label Label2c{*this, "Label2c", {296, 128, 80, 16}};
  ui::Label Label3c{*this, "Label3c", {296, 160, 80, 16}};
  ui::Label Label4c{*this, "Label4c", {296, 192, 80, 16}};
  ui::Label Label5c{*this, "Label5c", {296, 224, 80, 16}};
  ui::Label Label6c{*this, "Label6c", {296, 256, 80, 16}};
  ui::Label Label7c{*this, "Label7c", {296, 288, 80, 16}};
  ui::Label InfoLabel{*this, "InfoLabel", {32, 328, 340, 16}};

 private:
  struct Row {
    ui::Label* title;
    ui::Label* count;
    ui::Label* link;
  };

  void Scan();
  void RunStep(const ScanStep& step);
  void EndScan();
  void ShowCount(Category category);
  AnsiString EndOfScanText() const;
  void ShowStatus(const AnsiString& text, StatusForm form);
  void SetLinks(const AnsiString& caption, bool enabled);
  void SetOtherButtonsColor(ui::Color color);

  Platform& platform_;
  ui::Messages& messages_;
  const AnsiString& undoFolder_;
  ScanState state_;
  FixPipeline pipeline_{platform_, state_, undoFolder_};
  RegistryScanner scanner_{platform_, state_, pipeline_};
  std::array<Row, kCategoryCount> rows_;
};

// Creates the scan window, shows it modally and releases it once it has closed.
void ShowScanWindow(ui::FormHost& host, Platform& platform, ui::Messages& messages,
                    const AnsiString& undoFolder);

}  // namespace ql
