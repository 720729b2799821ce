// Tests of the Win32 renderer on real windows: what a driver outside the program sees (texts by
// control ID, the window region, visibility of pictures) and what messages do to the model.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <utility>

#include "ui/Bitmap.h"
#include "ui/FormWindow.win32.h"
#include "ui/MessageWindows.h"
#include "ui/Skin.h"
#include "ui/Win32Host.win32.h"

namespace ql::ui::win32 {
namespace {

class TickingForm : public Form {
 public:
  explicit TickingForm(FormHost& host) : Form(host) {
    SetCaption("Ticking");
    SetClientSize({200, 120});
    Ticker.OnTimer = [this] { ++ticks; };
    Link.SetCursor(Cursor::Hand);
    Box.OnClick = [this] { ++boxClicks; };
  }
  Label Link{*this, "Link", {10, 50}, "What is this?"};
  CheckBox Box{*this, "Box", {10, 80, 120, 16}, "Include"};
  Grid List{*this, "List", {140, 50, 50, 60}};
  ComboBox Files{*this, "Files", {10, 100, 120, 20}};
  Memo Log{*this, "Log", {0, 0, 60, 40}};
  Timer Ticker{*this, "Ticker", 10, false};
  int ticks = 0;
  int boxClicks = 0;
};

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kKey = Rgb(0, 255, 0);

// A red square whose bottom-left pixel gives the key colour, which is left out when drawn.
std::shared_ptr<const Bitmap> RedSquare(int size) {
  auto square = std::make_shared<Bitmap>(size, size, kRed);
  square->SetPixel(0, size - 1, kKey);
  return square;
}

// A moving picture drawn by the form, a picture with a window of its own above it and a label.
class OrbitForm : public Form {
 public:
  explicit OrbitForm(FormHost& host) : Form(host) {
    SetCaption("Orbit");
    SetClientSize({120, 80});
    Dot.SetDrawnByForm(true).SetTransparentImage(true);
    Dot.SetBitmap(RedSquare(6));
    Cover.SetBitmap(std::make_shared<Bitmap>(20, 20, colors::kBlue));
  }
  Picture Dot{*this, "Dot", {10, 10, 6, 6}};
  Picture Cover{*this, "Cover", {60, 10, 20, 20}};
  Label Note{*this, "Note", {10, 50, 80, 16}, "1"};
};

COLORREF PixelOf(HWND window, int x, int y) {
  HDC dc = ::GetDC(window);
  const COLORREF pixel = ::GetPixel(dc, x, y);
  ::ReleaseDC(window, dc);
  return pixel;
}

COLORREF ToColorRef(Color c) {
  return RGB(c.r, c.g, c.b);
}

AnsiString TextOf(HWND window) {
  char buffer[256] = {};
  ::SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

struct FormWindowTest : ::testing::Test {
  Win32Host host;
  MessageWindows windows{host};
  HWND Confirmation() { return host.HandleOf(&windows.Confirmation()); }
  HWND Child(const Form& form, const char* name) {
    return ::GetDlgItem(host.HandleOf(&form), form.FindControl(name)->Id());
  }
};

TEST_F(FormWindowTest, EveryTextIsAChildWindowWithAStableId) {
  HWND form = Confirmation();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(TextOf(form), "Confirmation");
  windows.Confirmation().InfoLabel.SetCaption("Delete undo file?");
  EXPECT_EQ(TextOf(::GetDlgItem(form, ControlIdFor("InfoLabel"))), "Delete undo file?");
  EXPECT_EQ(TextOf(::GetDlgItem(form, ControlIdFor("Button1Label"))), "Yes");
  EXPECT_EQ(TextOf(::GetDlgItem(form, ControlIdFor("Button2Label"))), "No");
}

TEST_F(FormWindowTest, TheWindowRegionIsTheSkinRegion) {
  HWND form = Confirmation();
  UniqueHRgn region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(form, region.get()), ERROR);
  const Region expected = CreateSkinRegion(*windows.Confirmation().WndImage.GetBitmap());
  EXPECT_EQ(FromHrgn(region.get()), expected);
  EXPECT_EQ(expected.Area(), 300 * 200 - 4706);
  RECT bounds;
  ::GetWindowRect(form, &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 300);
  EXPECT_EQ(GetWindowLongA(form, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
}

TEST_F(FormWindowTest, AClickPostedByControlIdAnswersTheModalQuestion) {
  // The show runs its own loop, which finds the click already waiting.
  ::PostMessageA(Confirmation(), WM_COMMAND, MAKEWPARAM(ControlIdFor("Button1Label"), STN_CLICKED),
                 0);
  EXPECT_TRUE(windows.AskConfirmation("Unload program?"));
  EXPECT_FALSE(::IsWindowVisible(Confirmation()));
  ::PostMessageA(Confirmation(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(windows.AskConfirmation("Unload program?"));
}

TEST_F(FormWindowTest, AMousePressAndReleaseOnAButtonClicksIt) {
  HWND form = Confirmation();
  const LPARAM onNo = MAKELPARAM(200, 135);  // on Button2A, beside its label
  ::PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, onNo);
  ::PostMessageA(form, WM_LBUTTONUP, 0, onNo);
  windows.Confirmation().Answer = 1;
  EXPECT_FALSE(windows.AskConfirmation("Cancel scanning?"));
}

TEST_F(FormWindowTest, APressOnOnePictureOfAButtonAndAReleaseOnTheOtherStillClicks) {
  HWND form = Confirmation();
  const LPARAM onYes = MAKELPARAM(50, 125);
  ::PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, onYes);  // on Button1A, at rest
  ::PostMessageA(form, WM_MOUSEMOVE, MK_LBUTTON, onYes);    // the hover shows Button1B
  ::PostMessageA(form, WM_LBUTTONUP, 0, onYes);
  EXPECT_TRUE(windows.AskConfirmation("Unload program?"));
}

TEST_F(FormWindowTest, MovingOverAButtonShowsItsHoveredPicture) {
  ConfirmationWindow& model = windows.Confirmation();
  model.Show();
  ::SendMessageA(Confirmation(), WM_MOUSEMOVE, 0, MAKELPARAM(50, 125));
  EXPECT_TRUE(::IsWindowVisible(Child(model, "Button1B")));
  EXPECT_FALSE(::IsWindowVisible(Child(model, "Button1A")));
  ::SendMessageA(Confirmation(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 20));
  EXPECT_TRUE(::IsWindowVisible(Child(model, "Button1A")));
  EXPECT_EQ(model.Button1Label.TextColor(), colors::kBlack);
  model.Close();
}

// The spots the picture leaves and enters show the change at once, without a paint message.
TEST_F(FormWindowTest, APictureDrawnByTheFormHasNoWindowAndShowsWhereItMoves) {
  auto form = MakeForm<OrbitForm>(host);
  form->SetPosition({0, 0});
  form->Show();
  HWND window = host.HandleOf(form.get());
  ::UpdateWindow(window);
  EXPECT_EQ(Child(*form, "Dot"), nullptr);
  ASSERT_NE(Child(*form, "Cover"), nullptr);
  const COLORREF background = ToColorRef(colors::kSkin);
  EXPECT_EQ(PixelOf(window, 12, 12), ToColorRef(kRed));
  EXPECT_EQ(PixelOf(window, 10, 15), background) << "the key colour is left out";

  form->Dot.SetPosition(30, 10);
  EXPECT_EQ(PixelOf(window, 12, 12), background);
  EXPECT_EQ(PixelOf(window, 32, 12), ToColorRef(kRed));

  // Under a control with a window of its own the picture lies below it.
  form->Dot.SetPosition(57, 12);
  host.GetPump().ProcessMessages();
  ::UpdateWindow(window);
  EXPECT_EQ(PixelOf(window, 32, 12), background);
  EXPECT_EQ(PixelOf(window, 58, 14), ToColorRef(kRed));
  EXPECT_EQ(PixelOf(window, 61, 14), ToColorRef(colors::kBlue));

  form->Dot.SetVisible(false);
  host.GetPump().ProcessMessages();
  ::UpdateWindow(window);
  EXPECT_EQ(PixelOf(window, 58, 14), background);
  form->Close();
}

// Pixels of a window that differ from the given colour.
int InkOf(HWND window, COLORREF paper) {
  RECT r;
  ::GetClientRect(window, &r);
  int ink = 0;
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x)
      ink += PixelOf(window, x, y) != paper ? 1 : 0;
  }
  return ink;
}

TEST_F(FormWindowTest, ALabelGivenNewTextInPlaceShowsItAtOnce) {
  auto form = MakeForm<OrbitForm>(host);
  form->Show();
  HWND note = Child(*form, "Note");
  ::UpdateWindow(host.HandleOf(form.get()));
  ::UpdateWindow(note);
  const COLORREF paper = ToColorRef(colors::kSkin);
  const int one = InkOf(note, paper);
  EXPECT_GT(one, 0);
  form->Note.SetCaption("88888");
  const int eights = InkOf(note, paper);
  EXPECT_GT(eights, 3 * one);
  form->Note.SetCaption("");
  EXPECT_EQ(InkOf(note, paper), 0);
  EXPECT_EQ(TextOf(note), "");
  form->Close();
}

// The first and last rows of a child window that hold a pixel other than the panel colour.
std::pair<int, int> InkRows(HWND child) {
  ::UpdateWindow(::GetParent(child));
  ::UpdateWindow(child);
  RECT r;
  ::GetClientRect(child, &r);
  HDC dc = ::GetDC(child);
  int first = -1;
  int last = -1;
  for (int y = 0; y < r.bottom; ++y) {
    for (int x = 0; x < r.right; ++x) {
      if (::GetPixel(dc, x, y) != RGB(250, 238, 201)) {
        first = first < 0 ? y : first;
        last = y;
        break;
      }
    }
  }
  ::ReleaseDC(child, dc);
  return {first, last};
}

TEST_F(FormWindowTest, MessagesAreCentredAsABlockAndCutAtBothEdges) {
  InformationWindow& model = windows.Information();
  model.SetPosition({0, 0});
  model.Show();
  HWND info = Child(model, "InfoLabel");
  model.InfoLabel.SetCaption("A first line of the message\r\nand a second one");
  const auto [top, bottom] = InkRows(info);
  ASSERT_GE(top, 0) << "no text drawn";
  EXPECT_LE(std::abs(top - (39 - bottom)), 3) << top << " " << bottom;
  EXPECT_GT(top, 0);
  model.InfoLabel.SetCaption(
      "A message far too long for its box, which wraps at word boundaries over many lines, more "
      "than the forty pixels of the label can hold, so it is cut at the top and at the bottom.");
  const auto [cutTop, cutBottom] = InkRows(info);
  EXPECT_LE(cutTop, 1);
  EXPECT_GE(cutBottom, 38);
  model.Close();
}

TEST_F(FormWindowTest, TheTopFortyPixelsDragTheWindow) {
  ConfirmationWindow& model = windows.Confirmation();
  model.SetPosition({100, 100});
  EXPECT_EQ(::SendMessageA(Confirmation(), WM_NCHITTEST, 0, MAKELPARAM(250, 139)), HTCAPTION);
  EXPECT_EQ(::SendMessageA(Confirmation(), WM_NCHITTEST, 0, MAKELPARAM(250, 140)), HTCLIENT);
}

TEST_F(FormWindowTest, LabelsSizeThemselvesToTheirText) {
  auto form = MakeForm<TickingForm>(host);
  RECT r;
  ::GetWindowRect(Child(*form, "Link"), &r);
  EXPECT_EQ(r.right - r.left, form->Link.TextWidth("What is this?"));
  EXPECT_GT(r.right - r.left, 40);
  form->Link.SetCaption("Details");
  ::GetWindowRect(Child(*form, "Link"), &r);
  EXPECT_EQ(r.right - r.left, form->Link.TextWidth("Details"));
}

TEST_F(FormWindowTest, TimersTickThroughTheMessageLoopWhileEnabled) {
  auto form = MakeForm<TickingForm>(host);
  form->Ticker.SetEnabled(true);
  const DWORD start = ::GetTickCount();
  host.Loop().RunUntil([&] { return form->ticks >= 3 || ::GetTickCount() - start > 5000; });
  EXPECT_GE(form->ticks, 3);
  form->Ticker.SetEnabled(false);
  const int ticks = form->ticks;
  ::Sleep(50);
  host.Loop().ProcessPending();
  EXPECT_EQ(form->ticks, ticks);
}

TEST_F(FormWindowTest, NativeControlsFollowTheModelAndReportTheUser) {
  auto form = MakeForm<TickingForm>(host);
  HWND box = Child(*form, "Box");
  EXPECT_EQ(TextOf(box), "Include");
  ::SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_TRUE(form->Box.Checked());
  EXPECT_EQ(form->boxClicks, 1);
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  form->Box.SetChecked(false);
  EXPECT_EQ(::SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  form->List.SetRowCount(3);
  form->List.SetCell(0, 2, "notepad.exe");
  HWND list = Child(*form, "List");
  EXPECT_EQ(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
  char buffer[64] = {};
  LVITEMA item{};
  item.pszText = buffer;
  item.cchTextMax = sizeof(buffer);
  ::SendMessageA(list, LVM_GETITEMTEXTA, 2, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(buffer, "notepad.exe");
  LVITEMA select{};
  select.stateMask = select.state = LVIS_SELECTED;
  ::SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
  EXPECT_EQ(form->List.Row(), 1);
}

TEST_F(FormWindowTest, ComboBoxesAndMemosShowTheModel) {
  auto form = MakeForm<TickingForm>(host);
  int changes = 0;
  form->Files.OnChange = [&changes] { ++changes; };
  form->Files.SetItems({"Quillon_Log_1.txt", "Quillon_Log_2.txt"});
  form->Files.SetItems({"Quillon_Log_3.txt", "Quillon_Log_4.txt"});
  form->Files.SetItemIndex(0);
  HWND box = Child(*form, "Files");
  EXPECT_EQ(TextOf(box), "Quillon_Log_3.txt");
  ::SendMessageA(box, CB_SETCURSEL, 1, 0);
  ::SendMessageA(host.HandleOf(form.get()), WM_COMMAND, MAKEWPARAM(form->Files.Id(), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(box));
  EXPECT_EQ(form->Files.ItemIndex(), 1);
  EXPECT_EQ(changes, 1);

  form->Log.SetLines({"[HKEY_CURRENT_USER\\Software\\Old]", "\"Path\"=\"C:\\\\gone.exe\""});
  EXPECT_EQ(TextOf(Child(*form, "Log")), form->Log.Text());
  ::PostMessageA(Child(*form, "Log"), WM_KEYDOWN, VK_ESCAPE, 0);
  form->Show();
  host.GetPump().ProcessMessages();
  EXPECT_FALSE(form->Visible()) << "Escape on a control reaches the form";
}

TEST_F(FormWindowTest, EveryMessageIsOfferedToTheHookFirst) {
  const UINT restore = ::RegisterWindowMessageA("QuillonUiTestRestore");
  std::vector<WPARAM> seen;
  host.SetMessageHook([&](const QueuedMessage& m) {
    if (m.message != restore)
      return false;
    seen.push_back(m.wParam);
    return true;
  });
  ::PostMessageA(Confirmation(), restore, 1034, 0);
  host.GetPump().ProcessMessages();
  EXPECT_EQ(seen, (std::vector<WPARAM>{1034}));
  ::PostMessageA(Confirmation(), restore, 7, 0);
  ::PostMessageA(Confirmation(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_FALSE(windows.AskConfirmation("Are you sure to unload the program?"));
  EXPECT_EQ(seen, (std::vector<WPARAM>{1034, 7}));
}

TEST_F(FormWindowTest, AnExceptionInAHandlerReachesTheCallerOfTheLoop) {
  auto form = MakeForm<TickingForm>(host);
  form->Link.OnClick = [] { throw std::runtime_error("handler failed"); };
  ::PostMessageA(host.HandleOf(form.get()), WM_COMMAND, MAKEWPARAM(form->Link.Id(), STN_CLICKED),
                 0);
  EXPECT_THROW(host.GetPump().ProcessMessages(), std::runtime_error);
  host.GetPump().ProcessMessages();  // nothing is left over
}

TEST_F(FormWindowTest, ClosingTheMainFormEndsTheMainLoop) {
  auto form = MakeForm<TickingForm>(host);
  host.SetMainForm(form.get());
  form->Show();
  ::PostMessageA(host.HandleOf(form.get()), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(host.Run(), 0);
  EXPECT_FALSE(form->Visible());
  host.SetMainForm(nullptr);
}

}  // namespace
}  // namespace ql::ui::win32
