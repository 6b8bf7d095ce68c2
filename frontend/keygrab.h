#pragma once
// The shell's keyboard grab: while installed, every key goes to the program, even those the
// window system would act on itself. The game screen installs it when `use_kb_hook` is set; the
// key setup dialog forces it while it waits for a key.

class CKeyboardGrab {
 public:
  virtual ~CKeyboardGrab() = default;
  virtual int Install() = 0;
  virtual int Remove() = 0;
  virtual int IsInstalled() const = 0;
};

// The grab the shell's wrappers use (null: none, the wrappers then do nothing but answer).
void SetKeyboardGrab(CKeyboardGrab* grab);
CKeyboardGrab* GetKeyboardGrab();

// Installs the grab when the live settings ask for it; returns 1 when it is installed now.
int InstallKbHook();
// Installs it whatever the settings say.
int InstallKbHookForced();
int RemoveKbHook();
int KbHookInstalled();
