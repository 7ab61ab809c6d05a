#pragma once

#include "ui/ModalBox.h"

namespace welcomer {

/// The real modal boxes: a dialog centred on the screen with the icon of its kind, the text
/// drawn with tab stops and mnemonic underlines, and its buttons. While a box is up the mouse
/// shows the normal arrow, whatever cursor the caller had set.
class QtBoxPresenter : public BoxPresenter {
 public:
  bool Show(const BoxRequest& request) override;
};

}  // namespace welcomer
