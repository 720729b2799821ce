// The details of one category after a scan: its findings with a check box each, ticked for the
// next fix, and an Ignore button that keeps the selected ones out of every later scan.
#pragma once

#include <vector>

#include "fix/ScanState.h"
#include "platform/registry.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

class FindingsWindow : public ui::Form {
 public:
  FindingsWindow(ui::FormHost& host, ScanState& state, Registry& registry, ui::Messages& messages,
                 Category category);
  void CreateForm() override;
  void Button1Click() { Close(); }
  // Ignore: the selected findings go to the ignore list and leave the scan's results.
  void Button2Click();

  ui::Label ActionLabel{*this, "ActionLabel", {24, 56}, "Details"};
  ui::CheckList InfoList{*this, "InfoList", {24, 80, 350, 281}};
  ui::Picture Button2A{*this, "Button2A", {150, 370, 100, 30}};
  ui::Picture Button2B{*this, "Button2B", {150, 370, 100, 30}};
  ui::Label Button2Label{*this, "Button2Label", {165, 377, 70, 16}, "Ignore"};
  ui::ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  ui::Picture Button1A{*this, "Button1A", {270, 370, 100, 30}};
  ui::Picture Button1B{*this, "Button1B", {270, 370, 100, 30}};
  ui::Label Button1Label{*this, "Button1Label", {300, 377}, "Close"};
  ui::ImageButton Button1{*this, Button1A, Button1B, &Button1Label};

 private:
  // The list's lines from the category's findings, in the order found.
  void Fill();
  void TicksChanged();

  ScanState& state_;
  Registry& registry_;
  ui::Messages& messages_;
  Category category_;
  std::vector<std::size_t> rows_;  // each line's place in the state's Fixes
};

// Creates the window for the category, shows it modally and releases it once it has closed.
void ShowFindings(ui::FormHost& host, ScanState& state, Registry& registry, ui::Messages& messages,
                  Category category);

}  // namespace ql
