#include "ui/XcbWindowCalls.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace welcomer {
namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};

xcb_connection_t* Connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
      nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

struct NetWmState {
  xcb_atom_t property;
  xcb_atom_t skipTaskbar;
  xcb_atom_t above;
};

NetWmState Atoms(xcb_connection_t* connection) {
  return {Atom(connection, "_NET_WM_STATE"), Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
          Atom(connection, "_NET_WM_STATE_ABOVE")};
}

std::vector<xcb_atom_t> ReadState(xcb_connection_t* connection, xcb_window_t window,
                                  xcb_atom_t property) {
  std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, property, XCB_ATOM_ATOM, 0, 1024),
      nullptr));
  std::vector<xcb_atom_t> atoms;
  if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
  }
  return atoms;
}

}  // namespace

XcbWindowCalls::XcbWindowCalls(QWidget& window) : window_(window) {}

uint32_t XcbWindowCalls::ReadExtendedStyle() {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr)
    return 0;
  const NetWmState atoms = Atoms(connection);
  uint32_t style = 0;
  for (xcb_atom_t atom : ReadState(connection, window_.winId(), atoms.property)) {
    if (atom == atoms.skipTaskbar)
      style |= kToolWindowStyle;
    if (atom == atoms.above)
      style |= kTopmostStyle;
  }
  return style;
}

void XcbWindowCalls::SetExtendedStyle(uint32_t style) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr)
    return;
  const NetWmState atoms = Atoms(connection);
  const auto window = static_cast<xcb_window_t>(window_.winId());
  // Keep whatever else the state holds; Qt adds its own atoms to it when it maps the window.
  std::vector<xcb_atom_t> state;
  for (xcb_atom_t atom : ReadState(connection, window, atoms.property)) {
    if (atom != atoms.skipTaskbar && atom != atoms.above)
      state.push_back(atom);
  }
  if (style & kToolWindowStyle)
    state.push_back(atoms.skipTaskbar);
  if (style & kTopmostStyle)
    state.push_back(atoms.above);
  if (state.empty()) {
    xcb_delete_property(connection, window, atoms.property);
  } else {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms.property, XCB_ATOM_ATOM,
                        32, static_cast<uint32_t>(state.size()), state.data());
  }
  xcb_flush(connection);
}

void ClearX11WindowTitle(QWidget& window) {
  xcb_connection_t* connection = Connection();
  if (connection == nullptr)
    return;
  const auto id = static_cast<xcb_window_t>(window.winId());
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, Atom(connection, "_NET_WM_NAME"),
                      Atom(connection, "UTF8_STRING"), 8, 0, nullptr);
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      0, nullptr);
  xcb_flush(connection);
}

void XcbWindowCalls::HideWindow() {
  wasVisible_ = window_.isVisible();
  if (wasVisible_)
    window_.hide();
}

void XcbWindowCalls::ShowWindow() {
  if (wasVisible_)
    window_.show();
}

}  // namespace welcomer
