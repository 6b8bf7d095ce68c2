#include "frontend/keygrab.h"

#include "frontend/gbaconfig.h"

namespace {

CKeyboardGrab* keyboard_grab = nullptr;

}  // namespace

void SetKeyboardGrab(CKeyboardGrab* grab) { keyboard_grab = grab; }
CKeyboardGrab* GetKeyboardGrab() { return keyboard_grab; }

int InstallKbHook() {
  if (g_config.use_kb_hook == 0) return 0;
  return InstallKbHookForced();
}

int InstallKbHookForced() {
  if (keyboard_grab == nullptr) return 0;
  if (keyboard_grab->IsInstalled()) return 1;
  return keyboard_grab->Install();
}

int RemoveKbHook() {
  if (keyboard_grab == nullptr) return 1;
  return keyboard_grab->Remove();
}

int KbHookInstalled() { return keyboard_grab != nullptr && keyboard_grab->IsInstalled(); }
