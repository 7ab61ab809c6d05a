#include "ui/ModalBox.h"

#include "ui/TextDecoding.h"

namespace welcomer {

QString DecodeMessage(const std::string& text) {
  return DecodeShortText(text);
}

BoxRequest RequestFor(BoxKind kind, const std::string& text) {
  BoxRequest request;
  request.title = QString::fromLatin1(BoxTitle(kind));
  request.text = DecodeMessage(text);
  switch (kind) {
    case BoxKind::kInformation:
      request.icon = BoxIcon::kInformation;
      request.buttons = BoxButtons::kOk;
      break;
    case BoxKind::kConfirm:
      request.icon = BoxIcon::kQuestion;
      request.buttons = BoxButtons::kYesNo;
      break;
    case BoxKind::kError:
      request.icon = BoxIcon::kStop;
      request.buttons = BoxButtons::kCancel;
      break;
  }
  return request;
}

bool KindBoxPresenter::Show(BoxKind kind, const std::string& text) {
  const bool yes = boxes_.Show(RequestFor(kind, text));
  return kind == BoxKind::kConfirm && yes;
}

}  // namespace welcomer
