// frmMain: Quorlet's only window. Its controls come from the layout table;
// its handlers carry the names of the events they answer.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <type_traits>
#include <vector>

#include "about_box_service.h"
#include "clipboard_service.h"
#include "main_window_layout.h"
#include "support/com_types.h"

namespace orv::quorlet {

class MainWindow {
 public:
  explicit MainWindow(ComPtr<IDispatch> appObject);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Loads the window (Form_Load) and shows it modeless, owned by `owner`.
  void Show(HWND owner);
  // Null once the window is unloaded.
  HWND Handle() const { return hwnd_; }

  // Key preview, called by the message loop for every message before the
  // dialog keys and the focused control see it. True: the message is done.
  bool PreviewMessage(const MSG& msg);
  // Shows the button Enter presses; called after the dialog keys moved the focus.
  void RefreshDefaultButton();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK UpDownProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Labels and buttons: only the painting of a border they do not have is left out.
  static LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Puts `proc` in front of a control's own window procedure.
  void Subclass(std::size_t row, WNDPROC proc);
  LRESULT CallControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) const;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);

  void CreateControls();
  HWND CreateControl(std::size_t row, bool visible);
  // Makes letter-section row `index` the first time the count asks for it,
  // bound and holding its length. True if it was made.
  bool EnsureSectionRow(int index);
  void KeepTabOrderAfterSections();
  HWND Control(std::wstring_view name, int index = -1) const;
  HWND TextBoxOf(const NumberChoice& choice) const { return Control(choice.textBox, choice.index); }
  HWND UpDownOf(const NumberChoice& choice) const { return Control(choice.upDown, choice.index); }
  const NumberChoice* ChoiceOfTextBox(HWND textBox) const;
  const NumberChoice* ChoiceOfUpDown(HWND upDown) const;
  bool IsTextBox(HWND hwnd) const;

  // A choice's value and range: its up-down control's, or for a letter-section
  // row not made yet, the length held for it and the designed range. Setting
  // the number of sections raises its change.
  std::int32_t Value(const NumberChoice& choice) const;
  void SetValue(const NumberChoice& choice, std::int32_t value);
  void Range(const NumberChoice& choice, std::int32_t* minimum, std::int32_t* maximum) const;

  // Form events and procedures.
  void Form_Load();
  void Form_Unload();
  void Unload();
  void InitControls();
  void BindNumberBox(const NumberChoice& choice);
  void KeepBuddyLayout(HWND textBox, HWND upDown, bool restore);
  HFONT MonoFontFrom(const LOGFONTW& windowFont);
  void LoadGeneratorSettings();
  void SaveGeneratorSettings();
  void GeneratePassword();
  void cmdCopy_Click();
  void txtPassword_GotFocus();
  void txtPassword_LostFocus();
  bool Form_KeyDown(int keyCode, int shift);
  void TextBox_KeyDown(const NumberChoice& choice, int keyCode, int shift);
  void udNumSections_Change();
  void UpDown_MouseDown(const NumberChoice& choice);
  void SetDefaultButton(int id);
  // The lengths Generate would hand to the rule now.
  std::vector<std::int32_t> SectionLengths() const;
  // The tooltip on the password box and on Create that tells the current
  // shape's strength; made once the choices are loaded, then kept current.
  void CreateStrengthTip();
  void UpdateStrengthTip();
  void SendStrengthTools(UINT message);

  // Fonts are made once per distinct description and live as long as the window.
  HFONT FontFor(const LOGFONTW& description);

  ClipboardService& Clipboard();
  AboutBoxService& AboutBox();

  ComPtr<IDispatch> app_;
  HWND hwnd_ = nullptr;
  std::array<HWND, kLayoutRows> controls_{};
  std::array<WNDPROC, kLayoutRows> controlProcs_{};  // the procedures Subclass replaced
  // Lengths of letter-section rows not made yet, once loaded or set.
  std::array<std::optional<std::int32_t>, kSectionCount> heldLengths_{};
  HFONT windowFont_ = nullptr, monoFont_ = nullptr;
  int dpiX_ = 96, dpiY_ = 96;
  int defaultButtonId_ = 0;
  bool unloading_ = false;
  HWND savedFocus_ = nullptr;
  HWND strengthTip_ = nullptr;  // owned by the window, destroyed with it
  // KeepBuddyLayout's saved up-down Left and text box Width, in twips.
  std::int32_t savedUpDownLeft_ = 0, savedTextBoxWidth_ = 0;

  struct FontEntry {
    LOGFONTW description;
    FontHandle font;
  };
  std::vector<FontEntry> fonts_;

  std::unique_ptr<ClipboardService> clipboard_;
  std::unique_ptr<AboutBoxService> aboutBox_;
};

}  // namespace orv::quorlet
