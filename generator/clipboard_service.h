// The clipboard service: empties the clipboard and places a password on it
// as Unicode text, marked so that clipboard history, cloud clipboard and
// clipboard monitors leave it alone.
#pragma once
#include <windows.h>

#include <string_view>

#include "support/status.h"
#include "support/system.h"

namespace orv::quorlet {

class ClipboardService {
 public:
  // The clipboard is opened on behalf of `owner`.
  explicit ClipboardService(HWND owner) : owner_(owner) {}

  // Output: True when the clipboard was emptied.
  Status Clear(VbBool* out);
  // Replaces the clipboard's contents with `text`. Output: True when placed.
  Status SetText(std::wstring_view text, VbBool* out);

 private:
  HWND owner_;
};

}  // namespace orv::quorlet
