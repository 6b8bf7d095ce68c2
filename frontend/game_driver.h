#pragma once
// What the shell asks of the emulated console and of the game screen. The program's driver joins
// the session and the display; tests put a recording one in its place.

#include <string>

#include "platform/types.h"

class CGameDriver {
 public:
  virtual ~CGameDriver() = default;

  // Once per process, at main-window creation: the cartridge buffer and the code memory.
  virtual int PrepareHost(std::string& reason) = 0;

  // Whether `path` can be loaded, without touching the machine: 1, or 0 with a reason a person
  // understands (missing, empty, too large, unreadable, a folder ...).
  virtual int CheckCartridge(const char* path, std::string& reason) = 0;
  // Resets the machine and starts the cartridge, reading its save memory from `save_path` (empty:
  // the save is neither read nor written). 1, or 0 with the reason.
  virtual int StartGame(const char* path, const char* save_path, std::string& reason) = 0;
  // Runs the started game until RequestStop; the shell's frame hook runs after every presented
  // frame. Returns 1, or 0 when the game stopped by itself (code that cannot run).
  virtual int RunGame() = 0;
  virtual void RequestStop() = 0;

  virtual int SaveSnapshot(const char* path) = 0;
  // A file that cannot be read is ignored, as the core does.
  virtual int LoadSnapshot(const char* path) = 0;
  // The run restarts from the loaded state instead of finishing the old frame.
  virtual void SetSnapshotLoaded() = 0;
  // Writes the save memory when the game has any (the core decides); 1 when nothing was lost.
  virtual int WriteSave(const char* path) = 0;
  // Counts the game's writes to its save memory (any change of the count is a new write).
  virtual unsigned SaveWriteCount() = 0;
  // A flash command or EEPROM stream the game has begun and not finished.
  virtual int SaveSequenceInProgress() = 0;
  // Frames the console has completed since the game started.
  virtual unsigned FrameNumber() = 0;
  // The last completed frame as PNG.
  virtual int WriteScreenshot(const char* path) = 0;

  // The game screen: display surface on `window`, scaling table, pad layout; and its end.
  virtual int EnterScreen(WindowHandle window) = 0;
  virtual int LeaveScreen() = 0;
  virtual int OpenSound() = 0;
  virtual int CloseSound() = 0;
  // The display surface's size; 0 x 0 when there is none.
  virtual void SurfaceSize(int& width, int& height) = 0;

  // Input: the held-keys poll into the console's buttons, and the pad's buttons under a point of
  // the surface (press or release); whether the point lies on the pad's menu button.
  virtual void PollKeyboard() = 0;
  virtual void PadTouch(int x, int y, int pressed) = 0;
  virtual int HitsMenuButton(int x, int y) = 0;

  // The open-file dialog owned by `owner`: the chosen path (UTF-8), empty when cancelled.
  virtual int ChooseCartridge(WindowHandle owner, std::string& path) = 0;
};
