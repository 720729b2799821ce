// The common frame of the information and confirmation windows.
#include "ui/MessageForm.h"

namespace ql::ui {

MessageForm::MessageForm(FormHost& host, const AnsiString& title) : Form(host) {
  SetCaption(title);
  SetClientSize({300, 200});
  SetPositionRule(FormPosition::DesktopCenter);
  SetFont(MakeFont("Arial", 16, true, colors::kGreyText));
  ActionLabel.SetCaption(title).SetFont(MakeFont("Verdana", 16, true));
  InfoLabel.SetFont(MakeFont("Arial", 13, true, colors::kGreyText))
      .SetAlignment(Alignment::Center)
      .SetCenteredVertically(true)
      .SetWordWrap(true);
}

}  // namespace ql::ui
