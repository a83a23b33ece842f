#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

#include "compose_password.h"
#include "run_time_error.h"
#include "settings_store.h"
#include "strength_tip.h"
#include "support/app_routines.h"
#include "support/random.h"
#include "support/system.h"
#include "support/window_routines.h"

namespace orv::quorlet {
namespace {

constexpr wchar_t kDedication[] = L"Лизе";
// The controls a person looks at when judging a password.
constexpr std::wstring_view kStrengthTipTools[] = {L"txtPassword", L"cmdGenerate"};

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void EnsureWindowClass(WNDPROC windowProc) {
  static const ATOM atom = [windowProc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kWindowClass.data();
    return RegisterClassExW(&wc);
  }();
  if (!atom) Raise(HRESULT_FROM_WIN32(GetLastError()));
}

int ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftBit;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlBit;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltBit;
  return shift;
}

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
  return text;
}

// A control's rectangle in its container's client coordinates.
RECT RectInParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int PixelsToTwips(int pixels, int dpi) { return MulDiv(pixels, kTwipsPerInch, dpi); }

struct ControlClass {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
      // Clips its children so that erasing the frame never paints over them.
      return {WC_BUTTONW, BS_GROUPBOX | WS_CLIPCHILDREN, 0};
    case ControlKind::Label:
      // Never wraps: under another font's metrics a label loses its last pixels, not a word.
      return {WC_STATICW, SS_LEFTNOWORDWRAP, 0};
    case ControlKind::TextBox: return {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::UpDown:
      // No UDS_ARROWKEYS: the window steps the numbers itself (key preview).
      return {UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, 0};
    case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
  }
  return {WC_STATICW, 0, 0};
}

bool IsSectionRow(const ControlRow& row) {
  const NumberChoice& section = kNumberChoices[kFirstSectionLenChoice];
  return row.name == section.textBox || row.name == section.upDown;
}

// A control whose whole window is client area has no border to paint. The
// default non-client painting would still fetch a window device context for
// it, which under Wine costs three display-configuration lookups per control
// while the window first shows: 140 of the 554 requests ShowWindow made.
bool PaintsNoFrame(HWND control, UINT message) {
  if (message != WM_NCPAINT) return false;
  RECT window, client;
  GetWindowRect(control, &window);
  GetClientRect(control, &client);
  return window.right - window.left == client.right && window.bottom - window.top == client.bottom;
}

}  // namespace

MainWindow::MainWindow(ComPtr<IDispatch> appObject) : app_(std::move(appObject)) {}

MainWindow::~MainWindow() {
  // Controls go before the fonts they use.
  if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::Show(HWND owner) {
  EnsureWindowClass(&MainWindow::WindowProc);
  {
    // The design is in twips; the display's own DPI turns it into pixels.
    const ScreenDcHandle screen(GetDC(nullptr));
    dpiX_ = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    dpiY_ = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  // Owned by the hidden program window, so it needs WS_EX_APPWINDOW for its task bar button.
  constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
  RECT frame{0, 0, TwipsToPixels(kClientWidthTwips, dpiX_), TwipsToPixels(kClientHeightTwips, dpiY_)};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  if (!CreateWindowExW(kExStyle, kWindowClass.data(), kWindowCaption.data(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                       frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, Instance(), this)) {
    Raise(HRESULT_FROM_WIN32(GetLastError()));
  }
  CreateControls();
  Form_Load();
  CreateStrengthTip();
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  // The first control in tab order that can take the focus gets it.
  if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
}

// The letter-section rows are made when the count first asks for them
// (udNumSections_Change): most of them are hidden at the usual counts, and
// each control costs time before the window can show.
void MainWindow::CreateControls() {
  LOGFONTW windowFont{};
  windowFont.lfHeight = -MulDiv(kWindowFont.points, dpiY_, 72);
  windowFont.lfWeight = kWindowFont.weight;
  windowFont.lfCharSet = static_cast<BYTE>(kWindowFont.charset);
  wcsncpy_s(windowFont.lfFaceName, kWindowFont.face.data(), _TRUNCATE);
  windowFont_ = FontFor(windowFont);  // the window's font: every control starts with it
  monoFont_ = windowFont_ ? MonoFontFrom(windowFont) : nullptr;
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    if (!IsSectionRow(kLayout[i])) CreateControl(i, true);
  }
  if (windowFont_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_), FALSE);
  SetDefaultButton(ControlIdOf(kLayout[*FindRow(L"cmdGenerate")]));
}

HWND MainWindow::CreateControl(std::size_t i, bool visible) {
  const ControlRow& row = kLayout[i];
  HWND parent = hwnd_;
  if (!row.container.empty()) {
    const auto container = FindRow(row.container);
    if (!container || !controls_[*container]) Raise(E_UNEXPECTED);
    parent = controls_[*container];
  }
  const ControlClass cls = ClassOf(row.kind);
  HWND control =
      CreateWindowExW(cls.exStyle, cls.className, std::wstring(row.caption).c_str(),
                      WS_CHILD | (visible ? WS_VISIBLE : 0) | cls.style, TwipsToPixels(row.left, dpiX_),
                      TwipsToPixels(row.top, dpiY_), TwipsToPixels(row.width, dpiX_), TwipsToPixels(row.height, dpiY_),
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlIdOf(row))), Instance(), nullptr);
  if (!control) Raise(HRESULT_FROM_WIN32(GetLastError()));
  controls_[i] = control;
  // Text boxes get their monospaced font at once instead of the window's first.
  const HFONT font = row.kind == ControlKind::TextBox && monoFont_ ? monoFont_ : windowFont_;
  if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  switch (row.kind) {
    case ControlKind::Frame: Subclass(i, &MainWindow::FrameProc); break;
    case ControlKind::UpDown: Subclass(i, &MainWindow::UpDownProc); break;
    case ControlKind::Label:
    case ControlKind::Button: Subclass(i, &MainWindow::PlainProc); break;
    case ControlKind::TextBox: break;  // its border is painted as non-client area
  }
  return control;
}

bool MainWindow::EnsureSectionRow(int index) {
  const NumberChoice& choice = kNumberChoices[kFirstSectionLenChoice + static_cast<std::size_t>(index)];
  if (UpDownOf(choice)) return false;
  // The count shows the row. In a window not shown yet the row can be made
  // visible at once; in a shown one it appears only when bound and in place.
  const bool visible = !IsWindowVisible(hwnd_);
  CreateControl(*FindRow(choice.textBox, index), visible);
  CreateControl(*FindRow(choice.upDown, index), visible);
  BindNumberBox(choice);
  std::optional<std::int32_t>& held = heldLengths_[static_cast<std::size_t>(index)];
  if (held) SendMessageW(UpDownOf(choice), UDM_SETPOS32, 0, *held);
  held.reset();
  return true;
}

// A new control goes last in its container's tab order. Rows are made in
// order, so after new ones only the controls the design puts after every
// row have to go back to the end.
void MainWindow::KeepTabOrderAfterSections() {
  const ControlRow& lastRow = kLayout[*FindRow(L"udSectionLen", kSectionCount - 1)];
  bool after = false;
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    if (after && kLayout[i].container == lastRow.container && controls_[i]) {
      SetWindowPos(controls_[i], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    after = after || &kLayout[i] == &lastRow;
  }
}

// Not SetWindowSubclass: it looks its chain up as a window property on every
// message, and under Wine each lookup is a round trip to the window server,
// hundreds of them before the window first shows. The controls are the
// window's own, so no other subclass has to share them.
void MainWindow::Subclass(std::size_t row, WNDPROC proc) {
  HWND control = controls_[row];
  SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  controlProcs_[row] =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

LRESULT MainWindow::CallControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == control && controlProcs_[i]) {
      return CallWindowProcW(controlProcs_[i], control, message, wParam, lParam);
    }
  }
  return DefWindowProcW(control, message, wParam, lParam);
}

HWND MainWindow::Control(std::wstring_view name, int index) const {
  const auto row = FindRow(name, index);
  return row ? controls_[*row] : nullptr;
}

const NumberChoice* MainWindow::ChoiceOfTextBox(HWND textBox) const {
  for (const NumberChoice& c : kNumberChoices) {
    if (TextBoxOf(c) == textBox) return &c;
  }
  return nullptr;
}

const NumberChoice* MainWindow::ChoiceOfUpDown(HWND upDown) const {
  for (const NumberChoice& c : kNumberChoices) {
    if (UpDownOf(c) == upDown) return &c;
  }
  return nullptr;
}

bool MainWindow::IsTextBox(HWND hwnd) const {
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    if (controls_[i] == hwnd) return kLayout[i].kind == ControlKind::TextBox;
  }
  return false;
}

std::int32_t MainWindow::Value(const NumberChoice& choice) const {
  HWND upDown = UpDownOf(choice);
  if (!upDown) return choice.index >= 0 ? heldLengths_[static_cast<std::size_t>(choice.index)].value_or(0) : 0;
  BOOL invalidBuddyText = FALSE;  // the read-only boxes always show the value
  return static_cast<std::int32_t>(SendMessageW(upDown, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&invalidBuddyText)));
}

void MainWindow::SetValue(const NumberChoice& choice, std::int32_t value) {
  HWND upDown = UpDownOf(choice);
  if (!upDown) {
    if (choice.index >= 0) heldLengths_[static_cast<std::size_t>(choice.index)] = value;
  } else {
    SendMessageW(upDown, UDM_SETPOS32, 0, value);
    // The control does not notify a value set by the program; the change is
    // raised here, also for an unchanged value, so the rows always follow it.
    if (choice.valueName == kNumberChoices[kNumSectionsChoice].valueName) udNumSections_Change();
  }
  UpdateStrengthTip();
}

void MainWindow::Range(const NumberChoice& choice, std::int32_t* minimum, std::int32_t* maximum) const {
  HWND upDown = UpDownOf(choice);
  if (!upDown) {
    *minimum = choice.minimum;
    *maximum = choice.maximum;
    return;
  }
  int low = 0, high = 0;
  SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  *minimum = low;
  *maximum = high;
}

// ---- Loading and unloading

void MainWindow::Form_Load() {
  RECT placed;
  ThrowIfFailed(esCenterFormEx(hwnd_, nullptr, &placed));
  VbBool inIde = kVbFalse;
  ThrowIfFailed(esIsInIDE(&inIde));
  if (!inIde) ThrowIfFailed(asSetWindowResIconAll(hwnd_, L"A_MAIN"));
  std::int32_t fixed = 0;
  ThrowIfFailed(esFixUserControlsContainerWindow(&fixed));
  InitControls();
  LoadGeneratorSettings();
}

void MainWindow::InitControls() {
  for (const NumberChoice& choice : kNumberChoices) {
    if (UpDownOf(choice)) BindNumberBox(choice);
  }
}

void MainWindow::BindNumberBox(const NumberChoice& choice) {
  HWND text = TextBoxOf(choice), upDown = UpDownOf(choice);
  KeepBuddyLayout(text, upDown, false);
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(text), 0);
  SendMessageW(upDown, UDM_SETRANGE32, choice.minimum, choice.maximum);
  KeepBuddyLayout(text, upDown, true);
}

// Binding moves the up-down control onto the text box and narrows the box;
// the design already places them side by side, so both are put back.
void MainWindow::KeepBuddyLayout(HWND textBox, HWND upDown, bool restore) {
  const RECT text = RectInParent(textBox), arrows = RectInParent(upDown);
  if (!restore) {
    savedUpDownLeft_ = PixelsToTwips(arrows.left, dpiX_);
    savedTextBoxWidth_ = PixelsToTwips(text.right - text.left, dpiX_);
    return;
  }
  SetWindowPos(upDown, nullptr, TwipsToPixels(savedUpDownLeft_, dpiX_), arrows.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(textBox, nullptr, 0, 0, TwipsToPixels(savedTextBoxWidth_, dpiX_), text.bottom - text.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT MainWindow::FontFor(const LOGFONTW& description) {
  for (const FontEntry& entry : fonts_) {
    if (std::memcmp(&entry.description, &description, sizeof(LOGFONTW)) == 0) return entry.font.Get();
  }
  HFONT font = CreateFontIndirectW(&description);
  if (!font) return nullptr;
  fonts_.push_back(FontEntry{description, FontHandle(font)});
  return font;
}

// The number and password boxes' font: the window's font with the monospaced
// face, size and character set set one property at a time, as the form
// runtime's font object sets them. Each step makes the font with that
// property changed, or keeps the previous font when that one cannot be made.
HFONT MainWindow::MonoFontFrom(const LOGFONTW& windowFont) {
  LOGFONTW description = windowFont;
  HFONT font = FontFor(description);
  auto step = [&](auto change) {
    LOGFONTW next = description;
    // Bytes after the face name's terminator would make equal fonts look different.
    wchar_t face[LF_FACESIZE]{};
    wcsncpy_s(face, next.lfFaceName, _TRUNCATE);
    std::memcpy(next.lfFaceName, face, sizeof(face));
    change(next);
    if (const HFONT made = FontFor(next)) {
      description = next;
      font = made;
    }
  };
  step([](LOGFONTW& f) { wcsncpy_s(f.lfFaceName, kMonoFont.face.data(), _TRUNCATE); });
  step([this](LOGFONTW& f) { f.lfHeight = -MulDiv(kMonoFont.points, dpiY_, 72); });
  step([](LOGFONTW& f) { f.lfCharSet = static_cast<BYTE>(kMonoFont.charset); });
  return font;
}

void MainWindow::LoadGeneratorSettings() {
  SettingsSession settings(app_.Get());
  for (const NumberChoice& choice : kNumberChoices) {
    const std::int32_t stored = settings.LoadLong(choice.valueName, choice.defaultValue);
    std::int32_t minimum = 0, maximum = 0;
    Range(choice, &minimum, &maximum);
    SetValue(choice, FitRange(stored, choice.defaultValue, minimum, maximum));
  }
}

void MainWindow::SaveGeneratorSettings() {
  SettingsSession settings(app_.Get());
  // Hidden rows too: their lengths come back when the count rises again.
  for (const NumberChoice& choice : kNumberChoices) settings.SaveLong(choice.valueName, Value(choice));
}

void MainWindow::Form_Unload() { SaveGeneratorSettings(); }

void MainWindow::Unload() {
  if (unloading_ || !hwnd_) return;
  unloading_ = true;
  Form_Unload();
  DestroyWindow(hwnd_);
}

// ---- Actions

void MainWindow::GeneratePassword() {
  // The hourglass for as long as the work takes.
  struct WaitCursor {
    HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ~WaitCursor() { SetCursor(previous); }
  } wait;
  const std::vector<std::int32_t> lengths = SectionLengths();
  std::wstring password;
  ThrowIfFailed(ComposePassword(
      lengths, [](std::int32_t lower, std::int32_t upper, std::int32_t* out) { return esGetRnd(lower, upper, 0, out); },
      &password));
  SetWindowTextW(Control(L"txtPassword"), password.c_str());
}

// Lengths come from the up-down controls, not from the boxes beside them.
std::vector<std::int32_t> MainWindow::SectionLengths() const {
  const std::int32_t sections = Value(kNumberChoices[kNumSectionsChoice]);
  std::vector<std::int32_t> lengths;
  for (std::int32_t i = 0; i < sections && i < kSectionCount; ++i) {
    lengths.push_back(Value(kNumberChoices[kFirstSectionLenChoice + static_cast<std::size_t>(i)]));
  }
  lengths.push_back(Value(kNumberChoices[kNumSectionLenChoice]));
  return lengths;
}

// One standard tooltip control, so screen readers read the figure too. Made
// after the load, it starts with the loaded shape's text and no update runs
// before it exists. The window works on without it if it cannot be made.
void MainWindow::CreateStrengthTip() {
  strengthTip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, Instance(), nullptr);
  if (!strengthTip_) return;
  // A maximum width makes the tip keep its line break; half as wide again
  // as the window, the longest second line still needs no other.
  SendMessageW(strengthTip_, TTM_SETMAXTIPWIDTH, 0, TwipsToPixels(kClientWidthTwips * 3 / 2, dpiX_));
  SendStrengthTools(TTM_ADDTOOLW);
}

void MainWindow::UpdateStrengthTip() {
  if (strengthTip_) SendStrengthTools(TTM_UPDATETIPTEXTW);
}

// Adds or updates each tool with the current shape's text.
void MainWindow::SendStrengthTools(UINT message) {
  std::int32_t bits = 0;
  ThrowIfFailed(PasswordStrength(SectionLengths(), &bits));
  std::wstring text = StrengthTip(bits);
  for (std::wstring_view name : kStrengthTipTools) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(name));
    tool.lpszText = text.data();
    SendMessageW(strengthTip_, message, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void MainWindow::cmdCopy_Click() {
  HWND box = Control(L"txtPassword");
  if (WindowText(box).empty()) return;  // the clipboard keeps what it had
  ClipboardService& clipboard = Clipboard();
  VbBool done = kVbFalse;
  ThrowIfFailed(clipboard.Clear(&done));
  ThrowIfFailed(clipboard.SetText(WindowText(box), &done));
}

void MainWindow::txtPassword_GotFocus() {
  ThrowIfFailed(esTextBox_SelectAll(GetFocus()));
  SetDefaultButton(ControlIdOf(kLayout[*FindRow(L"cmdCopy")]));
}

void MainWindow::txtPassword_LostFocus() { SetDefaultButton(ControlIdOf(kLayout[*FindRow(L"cmdGenerate")])); }

void MainWindow::SetDefaultButton(int id) { SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0); }

// A focused button shows itself as the one Enter presses, as in any dialog;
// otherwise the default button does. The dialog keys' focus moves reset
// the styles of buttons they do not see as the window's, so they are set
// again after each of those moves.
void MainWindow::RefreshDefaultButton() {
  if (!hwnd_) return;
  HWND focus = GetFocus();
  bool focusOnButton = false;
  for (std::wstring_view name : {L"cmdGenerate", L"cmdCopy"}) focusOnButton |= Control(name) == focus;
  for (std::wstring_view name : {L"cmdGenerate", L"cmdCopy"}) {
    HWND button = Control(name);
    const bool isDefault = focusOnButton ? button == focus : ControlIdOf(kLayout[*FindRow(name)]) == defaultButtonId_;
    const DWORD style = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongW(button, GWL_STYLE) & 0x0F) != static_cast<LONG>(style)) {
      SendMessageW(button, BM_SETSTYLE, style, TRUE);
    }
  }
}

bool MainWindow::Form_KeyDown(int keyCode, int shift) {
  bool handled = false;
  if (IsCopyKey(keyCode, shift)) {
    cmdCopy_Click();
    handled = true;  // the focused box must not copy its own selection over the password
  }
  switch (WindowKeyActionFor(keyCode, shift)) {
    case WindowKeyAction::ShowAbout:
      ThrowIfFailed(AboutBox().Show(hwnd_, app_.Get(), L"", nullptr, kDedication));
      return true;
    case WindowKeyAction::OpenReadMe: {
      std::wstring readMe;
      if (const Status s = esOpenReadMeFile(hwnd_, &readMe); Failed(s))
        throw RunTimeError(s, SystemErrorText(s, readMe));
      return true;
    }
    case WindowKeyAction::Unload: Unload(); return true;
    case WindowKeyAction::None: break;
  }
  return handled;
}

void MainWindow::TextBox_KeyDown(const NumberChoice& choice, int keyCode, int shift) {
  std::int32_t minimum = 0, maximum = 0;
  Range(choice, &minimum, &maximum);
  if (const auto next = SteppedValue(keyCode, shift, Value(choice), minimum, maximum)) SetValue(choice, *next);
}

void MainWindow::udNumSections_Change() {
  const std::int32_t n = Value(kNumberChoices[kNumSectionsChoice]);
  bool made = false;
  for (int i = 0; i < kSectionCount && i < n; ++i) made = EnsureSectionRow(i) || made;
  if (made) KeepTabOrderAfterSections();
  for (int i = 0; i < kSectionCount; ++i) {
    const bool shown = i <= n - 1;
    for (std::wstring_view name : {L"txtSectionLen", L"udSectionLen"}) {
      if (HWND control = Control(name, i)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
    }
  }
}

void MainWindow::UpDown_MouseDown(const NumberChoice& choice) { SetFocus(TextBoxOf(choice)); }

ClipboardService& MainWindow::Clipboard() {
  if (!clipboard_) clipboard_ = std::make_unique<ClipboardService>(hwnd_);
  return *clipboard_;
}

AboutBoxService& MainWindow::AboutBox() {
  if (!aboutBox_) aboutBox_ = std::make_unique<AboutBoxService>();
  return *aboutBox_;
}

// ---- Messages

bool MainWindow::PreviewMessage(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  const int keyCode = static_cast<int>(msg.wParam);
  const int shift = ShiftState();
  bool handled = false;
  RunGuarded([&] { handled = Form_KeyDown(keyCode, shift); });
  if (handled || !hwnd_) return true;
  if (const NumberChoice* choice = ChoiceOfTextBox(msg.hwnd)) {
    RunGuarded([&] { TextBox_KeyDown(*choice, keyCode, shift); });  // the box still gets the key
  }
  // Enter on a focused button presses that button, not the default one.
  if (msg.message == WM_KEYDOWN && keyCode == VK_RETURN && shift == 0 &&
      (SendMessageW(msg.hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) ==
          (DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON)) {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(msg.hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(msg.hwnd));
    return true;
  }
  return false;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = reinterpret_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    self->hwnd_ = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  LRESULT result = 0;
  RunGuarded([&] { result = self->HandleMessage(message, wParam, lParam); });
  return result;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_VSCROLL:
      // An arrow clicked: the control has already changed its value.
      if (reinterpret_cast<HWND>(lParam) == UpDownOf(kNumberChoices[kNumSectionsChoice])) udNumSections_Change();
      if (ChoiceOfUpDown(reinterpret_cast<HWND>(lParam))) UpdateStrengthTip();
      return 0;
    case WM_CTLCOLORSTATIC:
      // Read-only boxes keep the window colour of a text box.
      if (IsTextBox(reinterpret_cast<HWND>(lParam))) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case DM_GETDEFID: return MAKELRESULT(defaultButtonId_, DC_HASDEFID);
    case DM_SETDEFID:
      defaultButtonId_ = static_cast<int>(wParam);
      RefreshDefaultButton();
      return TRUE;
    case WM_NEXTDLGCTL: {
      HWND focus = GetFocus();
      HWND next =
          LOWORD(lParam) ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(hwnd_, focus, wParam != 0 ? TRUE : FALSE);
      if (next) SetFocus(next);
      return 0;
    }
    case WM_ACTIVATE:
      // A window that is not a dialog keeps its focused control itself.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
      } else if (savedFocus_ && IsWindow(savedFocus_) && IsWindowVisible(savedFocus_)) {
        SetFocus(savedFocus_);
      } else if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) {
        SetFocus(first);
      }
      return 0;
    case WM_CLOSE: Unload(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
  auto is = [&](std::wstring_view name) { return id == ControlIdOf(kLayout[*FindRow(name)]); };
  if (is(L"cmdGenerate") && code == BN_CLICKED) {
    GeneratePassword();
  } else if (is(L"cmdCopy") && code == BN_CLICKED) {
    cmdCopy_Click();
  } else if (is(L"txtPassword") && code == EN_SETFOCUS) {
    txtPassword_GotFocus();
  } else if (is(L"txtPassword") && code == EN_KILLFOCUS) {
    txtPassword_LostFocus();
  }
  // IDOK and IDCANCEL from the dialog keys (Enter without a default, Shift+Escape) do nothing.
}

// Frames hold controls: what the controls tell their parent goes on to the window.
LRESULT CALLBACK MainWindow::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (PaintsNoFrame(hwnd, message)) return 0;
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      if (window->hwnd_) return SendMessageW(window->hwnd_, message, wParam, lParam);
      break;
    case WM_ERASEBKGND: {
      // A group box paints only its border; a hidden row must not leave its picture behind.
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
      return TRUE;
    }
    default: break;
  }
  return window->CallControlProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (PaintsNoFrame(hwnd, message)) return 0;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // Any button: the focus goes to the box beside it; the control still steps.
      if (const NumberChoice* choice = window->ChoiceOfUpDown(hwnd)) {
        RunGuarded([&] { window->UpDown_MouseDown(*choice); });
      }
      break;
    default: break;
  }
  return window->CallControlProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PaintsNoFrame(hwnd, message)) return 0;
  return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))
      ->CallControlProc(hwnd, message, wParam, lParam);
}

}  // namespace orv::quorlet
