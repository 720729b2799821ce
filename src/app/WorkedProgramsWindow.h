// The worked-programs window, which lists the running programs every second and raises, lowers
// or ends the selected one.
#pragma once

#include "platform/platform.h"
#include "ui/Form.h"
#include "ui/Messages.h"

namespace ql {

class WorkedProgramsWindow : public ui::Form {
 public:
  WorkedProgramsWindow(ui::FormHost& host, const Platform& platform, ui::Messages& messages);

  ui::Label ActionLabel{*this, "ActionLabel", {28, 56}, "Worked programs"};
  ui::Grid InfoList{*this, "InfoList", {30, 84, 209, 293}, 2};
  ui::Label Button1Label{*this, "Button1Label", {255, 82, 110, 18}, "Set high priority"};
  ui::Label Button2Label{*this, "Button2Label", {255, 106, 110, 18}, "Set low priority"};
  ui::Label Button3Label{*this, "Button3Label", {255, 130, 110, 18}, "Unload program"};
  ui::CheckBox CheckBox1{*this, "CheckBox1", {64, 384, 145, 17}, "Include system programs"};
  ui::Picture Button4A{*this, "Button4A", {264, 368}};
  ui::Picture Button4B{*this, "Button4B", {264, 368}};
  ui::Label Button4Label{*this, "Button4Label", {295, 376}, "Close"};
  ui::ImageButton Button4{*this, Button4A, Button4B, &Button4Label};
  ui::Timer Timer{*this, "Timer", 1000, false};

  void CreateForm() override;
  void ShowForm() override;
  void CloseForm(bool& allow) override;
  // The window is dragged by the band above its title.
  bool WMNCHitTest(ui::Point offset) const override;

  // Rebuilds the list; run by the timer, the check box and after every action.
  void RefreshList();
  void Button1Click();  // "Set high priority"
  void Button2Click();  // "Set low priority"
  void Button3Click();  // "Unload program"
  void Button4Click();  // "Close"

  bool Refreshing() const { return refreshing_; }

 private:
  // The executable name of the selected row; empty when no action may run now (a refresh is
  // under way, the first row is current, or the row is empty).
  AnsiString SelectedProgram() const;
  void SetPriorityOfSelected(std::uint32_t priorityClass);

  Platform platform_;
  ui::Messages& messages_;
  bool refreshing_ = false;
};

}  // namespace ql
