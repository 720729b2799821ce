// Tests of the control model and the form: IDs, hover rules, showing, closing, placement.
#include <gtest/gtest.h>

#include "ui/Bitmap.h"
#include "ui/Form.h"
#include "ui/testing/ScriptedHost.h"

namespace ql::ui {
namespace {

class TwoButtonForm : public Form {
 public:
  explicit TwoButtonForm(FormHost& host) : Form(host) {
    SetCaption("Two buttons");
    SetClientSize({300, 200});
    Button1.OnClick = [this] { ++clicks1; };
  }
  void CloseForm(bool& allow) override { allow = !refuseClose; }
  void ShowForm() override { ++showings; }

  Picture Button1A{*this, "Button1A", {40, 122, 100, 30}};
  Picture Button1B{*this, "Button1B", {40, 122, 100, 30}};
  Label Button1Label{*this, "Button1Label", {76, 129}, "Yes"};
  ImageButton Button1{*this, Button1A, Button1B, &Button1Label};
  Picture Button2A{*this, "Button2A", {152, 122, 100, 30}};
  Picture Button2B{*this, "Button2B", {152, 122, 100, 30}};
  Label Button2Label{*this, "Button2Label", {194, 129}, "No"};
  ImageButton Button2{*this, Button2A, Button2B, &Button2Label};
  CheckBox CheckBox1{*this, "CheckBox1", {10, 10, 100, 15}, "Include"};
  Grid InfoList{*this, "InfoList", {0, 160, 60, 30}};
  ComboBox FileBox{*this, "FileBox", {128, 80, 201, 20}};
  Memo Lines{*this, "Lines", {60, 160, 60, 30}};
  Timer Ticker{*this, "Ticker", 1000, false};

  int clicks1 = 0;
  int showings = 0;
  bool refuseClose = false;
};

struct FormTest : ::testing::Test {
  ScriptedHost host;
  std::unique_ptr<TwoButtonForm> form = MakeForm<TwoButtonForm>(host);
};

TEST(ControlIdTest, IdsComeFromTheNameAndStayTheSameInEveryBuild) {
  EXPECT_EQ(ControlIdFor("Button1Label"), 20222);
  EXPECT_EQ(ControlIdFor("WndImage"), 15505);
}

TEST(ControlIdTest, NamesWhoseIdsClashStillGetDistinctIds) {
  ASSERT_EQ(ControlIdFor("LabelCG9"), ControlIdFor("LabelEL2"));
  ScriptedHost host;
  Form form(host);
  Label first(form, "LabelCG9");
  Label second(form, "LabelEL2");
  EXPECT_EQ(first.Id(), ControlIdFor("LabelCG9"));
  EXPECT_NE(second.Id(), first.Id());
  EXPECT_EQ(form.FindControl(second.Id()), &second);
}

TEST_F(FormTest, ButtonsStartAtRestWithHandCursorsAndVerdanaLabels) {
  EXPECT_TRUE(form->Button1A.Visible());
  EXPECT_FALSE(form->Button1B.Visible());
  EXPECT_EQ(form->Button1Label.GetCursor(), Cursor::Hand);
  EXPECT_EQ(form->Button1B.GetCursor(), Cursor::Hand);
  EXPECT_EQ(form->Button1Label.GetFont().face, "Verdana");
  EXPECT_EQ(form->Button1Label.GetFont().height, 12);
  EXPECT_TRUE(form->Button1Label.GetFont().bold);
}

TEST_F(FormTest, HoveringAButtonShowsItsBPictureAndBlueText) {
  form->Button1Label.MouseMove();
  EXPECT_TRUE(form->Button1.Hovered());
  EXPECT_FALSE(form->Button1A.Visible());
  EXPECT_EQ(form->Button1Label.TextColor(), colors::kBlue);
}

TEST_F(FormTest, MovingStraightOntoAnotherButtonResetsTheFirstBeforeTheSecondLightsUp) {
  form->Button1A.MouseMove();
  std::vector<std::string> order;
  const std::size_t before = host.WindowOf(*form)->changes.size();
  form->Button2A.MouseMove();
  const auto& changes = host.WindowOf(*form)->changes;
  for (std::size_t i = before; i < changes.size(); ++i)
    order.push_back(changes[i].first);
  EXPECT_EQ(order, (std::vector<std::string>{"Button1A", "Button1B", "Button1Label", "Button2B",
                                             "Button2A", "Button2Label"}));
  EXPECT_FALSE(form->Button1.Hovered());
  EXPECT_TRUE(form->Button2.Hovered());
}

TEST_F(FormTest, HoveringAnAlreadyHoveredButtonChangesNothing) {
  form->Button2Label.MouseMove();
  const std::size_t before = host.WindowOf(*form)->changes.size();
  form->Button2A.MouseMove();
  EXPECT_EQ(host.WindowOf(*form)->changes.size(), before);
}

TEST_F(FormTest, TheBodyPutsEveryButtonBackToRest) {
  form->Button2Label.MouseMove();
  form->WndImage.MouseMove();
  EXPECT_FALSE(form->Button1.Hovered());
  EXPECT_FALSE(form->Button2.Hovered());
  EXPECT_EQ(form->Button2Label.TextColor(), colors::kBlack);
}

TEST_F(FormTest, AnyOfTheThreePartsRunsTheButtonsClickHandler) {
  form->Button1A.Click();
  form->Button1Label.Click();
  form->Button1B.SetVisible(true);
  form->Button1B.Click();
  EXPECT_EQ(form->clicks1, 3);
}

TEST_F(FormTest, DisabledOrHiddenControlsIgnoreClicks) {
  form->Button1Label.SetEnabled(false);
  form->Button1Label.Click();
  form->Button1B.Click();  // hidden at rest
  EXPECT_EQ(form->clicks1, 0);
}

TEST_F(FormTest, UnscriptedModalShowIsClosedByEscapeAfterShowForm) {
  form->ShowModal();
  EXPECT_EQ(form->showings, 1);
  EXPECT_FALSE(form->Visible());
  ASSERT_EQ(host.ModalShows().size(), 1u);
  EXPECT_EQ(host.ModalShows()[0].caption, "Two buttons");
  EXPECT_EQ(host.WindowOf(*form)->modalRuns, 1);
}

TEST_F(FormTest, AScriptThatLeavesTheWindowOpenIsATestError) {
  form->refuseClose = true;
  EXPECT_THROW(form->ShowModal(), ScriptError);
}

TEST_F(FormTest, ARefusedCloseKeepsTheWindowShown) {
  form->Show();
  form->refuseClose = true;
  form->Close();
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(host.Closed().empty());
  form->refuseClose = false;
  form->KeyDown(keys::kEscape);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(host.Closed().size(), 1u);
}

TEST_F(FormTest, ScriptedReactionsRunInOrderAndOnlyForTheirWindow) {
  host.OnModal("Another window", [](Form&) { FAIL() << "wrong window"; });
  host.ClickOnModal("Two buttons", "Button1Label");
  host.OnModal<TwoButtonForm>([](TwoButtonForm& f) { f.Close(); });
  form->Button1.OnClick = [this] { form->Close(); };
  form->ShowModal();
  form->ShowModal();
  EXPECT_EQ(host.PendingReactions(), 1u);
  EXPECT_EQ(form->showings, 2);
}

TEST_F(FormTest, ClosingTheMainFormEndsTheLoopEvenWhenHidden) {
  host.SetMainForm(form.get());
  form->Close();
  EXPECT_TRUE(host.QuitRequested());
}

TEST_F(FormTest, KeysOnControlsReachFormKeyDownUnlessTheControlHandlesThem) {
  form->Show();
  form->InfoList.KeyDown(keys::kEnter);
  EXPECT_TRUE(form->Visible());
  form->InfoList.KeyDown(keys::kEscape);
  EXPECT_FALSE(form->Visible());
  int seen = 0;
  form->FileBox.OnKeyDown = [&seen](int key) { seen = key; };
  form->Show();
  form->FileBox.KeyDown(keys::kEscape);
  EXPECT_EQ(seen, keys::kEscape);
  EXPECT_TRUE(form->Visible());
}

TEST_F(FormTest, TheDragBandIsTheTopFortyPixels) {
  EXPECT_TRUE(form->WMNCHitTest({150, 0}));
  EXPECT_TRUE(form->WMNCHitTest({150, 39}));
  EXPECT_FALSE(form->WMNCHitTest({150, 40}));
}

TEST_F(FormTest, FormsAreCentredOnTheDesktopOrOverTheMainFormAtTheirFirstShowing) {
  host.SetScreenSize({1024, 768});
  form->Show();
  EXPECT_EQ(form->Position(), (Point{362, 284}));
  form->Hide();
  form->MovedTo({5, 6});
  form->Show();
  EXPECT_EQ(form->Position(), (Point{5, 6}));

  auto tool = MakeForm<TwoButtonForm>(host);
  tool->SetClientSize({100, 50});
  tool->SetPositionRule(FormPosition::MainFormCenter);
  host.SetMainForm(form.get());
  tool->Show();
  EXPECT_EQ(tool->Position(), (Point{5 + 100, 6 + 75}));
}

TEST_F(FormTest, ControlAtFindsTheTopmostVisibleControl) {
  EXPECT_EQ(form->ControlAt({80, 131}), &form->Button1Label);  // 3 characters of 6 pixels
  EXPECT_EQ(form->ControlAt({45, 125}), &form->Button1A);
  form->Button1.ShowHover();
  EXPECT_EQ(form->ControlAt({45, 125}), &form->Button1B);
  EXPECT_EQ(form->ControlAt({5, 190}), nullptr);
}

TEST_F(FormTest, PicturesAndLabelsDeclaredWithoutASizeSizeThemselves) {
  Picture dot(*form, "Dot", {374, 62});
  Picture bar(*form, "Bar", {167, 347, 125, 14});
  auto image = std::make_shared<const Bitmap>(7, 5);
  dot.SetBitmap(image);
  bar.SetBitmap(image);
  EXPECT_EQ(form->DisplayBounds(dot), (Rect{374, 62, 7, 5}));
  bar.SetSize(0, 14);  // a progress picture starting empty stays empty
  EXPECT_EQ(form->DisplayBounds(bar), (Rect{167, 347, 0, 14}));
  EXPECT_EQ(form->DisplayBounds(form->Button1Label), (Rect{76, 129, 18, 14}));
  form->Button1Label.SetSize(70, 14);
  form->Button1Label.SetCaption("Longer text");
  EXPECT_EQ(form->DisplayBounds(form->Button1Label).width, 70);
}

TEST_F(FormTest, ACheckBoxClickTogglesBeforeItsHandlerRuns) {
  bool seen = false;
  form->CheckBox1.OnClick = [&] { seen = form->CheckBox1.Checked(); };
  form->CheckBox1.Click();
  EXPECT_TRUE(seen);
  form->CheckBox1.SetChecked(false);
  EXPECT_TRUE(seen);  // setting it does not run the handler
}

TEST_F(FormTest, GridKeepsTheCurrentRowInsideWhenItShrinks) {
  form->InfoList.SetRowCount(10);
  form->InfoList.SetCell(0, 9, "last.exe");
  form->InfoList.SetRow(9);
  form->InfoList.SetRowCount(4);
  EXPECT_EQ(form->InfoList.Row(), 3);
  EXPECT_EQ(form->InfoList.Cell(0, 9), "");
  form->InfoList.SetCell(5, 1, "outside");
  form->InfoList.SetRow(7);
  EXPECT_EQ(form->InfoList.Row(), 3);
  form->InfoList.SetRowCount(10);
  EXPECT_EQ(form->InfoList.Cell(0, 9), "");
}

TEST_F(FormTest, ComboBoxRunsOnChangeOnlyForTheUsersChoice) {
  int changes = 0;
  form->FileBox.OnChange = [&changes] { ++changes; };
  form->FileBox.SetItems({"Quillon_Log_1.txt", "Quillon_Log_2.txt"});
  form->FileBox.SetItemIndex(1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(form->FileBox.Text(), "Quillon_Log_2.txt");
  form->FileBox.Select(0);
  EXPECT_EQ(changes, 1);
  form->FileBox.SetItemIndex(5);
  EXPECT_EQ(form->FileBox.ItemIndex(), -1);
  EXPECT_EQ(form->FileBox.Text(), "");
}

TEST_F(FormTest, MemoTextJoinsLinesWithCrLf) {
  form->Lines.SetLines({"a", "b"});
  form->Lines.AddLine("c");
  EXPECT_EQ(form->Lines.Text(), "a\r\nb\r\nc");
  form->Lines.ClearLines();
  EXPECT_EQ(form->Lines.Text(), "");
}

TEST_F(FormTest, TimersTickOnlyWhileEnabled) {
  int ticks = 0;
  form->Ticker.OnTimer = [&ticks] { ++ticks; };
  ScriptedHost::Fire(form->Ticker);
  form->Ticker.SetEnabled(true);
  ScriptedHost::Fire(form->Ticker);
  EXPECT_EQ(ticks, 1);
}

TEST_F(FormTest, TextWidthUsesTheControlsFont) {
  host.SetTextMeasure([](const Font& f, const AnsiString& t) {
    return Size{static_cast<int>(t.size()) * (f.bold ? 8 : 5), f.height};
  });
  EXPECT_EQ(form->Button1Label.TextWidth("abcd"), 32);
  form->Lines.SetFont(MakeFont("Arial", 11, false));
  EXPECT_EQ(form->Lines.TextWidth("abcd"), 20);
}

TEST(ScriptedPumpTest, RunsActionsAtTheirCall) {
  ScriptedPump pump;
  std::vector<int> seen;
  pump.At(2, [&seen] { seen.push_back(-2); });
  pump.Always([&seen](int n) { seen.push_back(n); });
  for (int i = 0; i < 3; ++i)
    pump.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<int>{1, 2, -2, 3}));
  EXPECT_EQ(pump.Count(), 3);
}

}  // namespace
}  // namespace ql::ui
