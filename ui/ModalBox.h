#pragma once

#include <QString>

#include "netware/MessageBox.h"

namespace welcomer {

/// The icon a modal box shows beside its text.
enum class BoxIcon { kNone, kInformation, kQuestion, kStop };

/// The buttons of a modal box.
enum class BoxButtons {
  kOk,      ///< one "OK" button
  kYesNo,   ///< "&Yes" and "&No"; Escape and closing the box answer No
  kCancel,  ///< one "Cancel" button
};

/// One modal box as the program wants it shown.
struct BoxRequest {
  QString title;
  /// Line breaks are "\r\n", "\n" or "\r"; "&" marks the next character, "&&" shows "&", tabs
  /// advance to the next stop.
  QString text;
  BoxIcon icon = BoxIcon::kNone;
  BoxButtons buttons = BoxButtons::kOk;
  /// False to show every "&" as it stands, for texts that carry no mnemonics (file names).
  bool mnemonics = true;
  bool operator==(const BoxRequest&) const = default;
};

/// Shows modal boxes and waits for the user; tests answer in its place.
class BoxPresenter {
 public:
  virtual ~BoxPresenter() = default;
  /// True only when a Yes/No box was answered with Yes.
  virtual bool Show(const BoxRequest& request) = 0;
};

/// Decodes an 8-bit message of the program: UTF-8 when it is valid UTF-8, otherwise
/// Windows-1252.
QString DecodeMessage(const std::string& text);

/// The box that stands for one of the program's three message-box kinds.
BoxRequest RequestFor(BoxKind kind, const std::string& text);

/// The program's three message-box kinds, shown through a BoxPresenter.
class KindBoxPresenter : public MessageBoxPresenter {
 public:
  explicit KindBoxPresenter(BoxPresenter& boxes) : boxes_(boxes) {}
  bool Show(BoxKind kind, const std::string& text) override;

 private:
  BoxPresenter& boxes_;
};

}  // namespace welcomer
