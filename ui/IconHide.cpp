#include "ui/IconHide.h"

namespace welcomer {
namespace {

struct UnitState {
  ApplicationWindowCalls* calls = nullptr;
  bool hidden = false;
  uint32_t savedStyle = 0;
};

UnitState& Unit() {
  static UnitState state;
  return state;
}

}  // namespace

void TIconHide::StartUnit(ApplicationWindowCalls* calls) {
  UnitState& unit = Unit();
  unit.calls = calls;
  unit.hidden = false;
  unit.savedStyle = calls ? calls->ReadExtendedStyle() : 0;
}

void TIconHide::StopUnit() {
  Unit().calls = nullptr;
}

TIconHide::TIconHide(QObject* owner) : QObject(owner) {
  SetHidden(true);
}

bool TIconHide::Hidden() const {
  return Unit().hidden;
}

void TIconHide::SetHidden(bool value) {
  UnitState& unit = Unit();
  if (value == unit.hidden)
    return;
  unit.hidden = value;
  if (unit.calls == nullptr)
    return;
  unit.calls->HideWindow();
  unit.calls->SetExtendedStyle(value ? unit.savedStyle | kToolWindowStyle | kTopmostStyle
                                     : unit.savedStyle);
  unit.calls->ShowWindow();
}

}  // namespace welcomer
