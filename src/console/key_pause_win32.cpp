// The key pause's reading and echo on the Windows console: key records from CONIN$ in
// mode 0, the echo written to CONOUT$.
#include <windows.h>

#include "console/console_key_event.h"
#include "console/key_pause_platform.h"

namespace trb2asc {

// The key decision is written against its own copies of these values.
static_assert(kRightAltPressed == RIGHT_ALT_PRESSED && kLeftAltPressed == LEFT_ALT_PRESSED &&
              kRightCtrlPressed == RIGHT_CTRL_PRESSED && kLeftCtrlPressed == LEFT_CTRL_PRESSED &&
              kShiftPressed == SHIFT_PRESSED && kNumLockOn == NUMLOCK_ON &&
              kScrollLockOn == SCROLLLOCK_ON && kCapsLockOn == CAPSLOCK_ON &&
              kEnhancedKey == ENHANCED_KEY);
static_assert(kVirtualTab == VK_TAB && kVirtualPageUp == VK_PRIOR && kVirtualPageDown == VK_NEXT &&
              kVirtualEnd == VK_END && kVirtualHome == VK_HOME && kVirtualLeft == VK_LEFT &&
              kVirtualUp == VK_UP && kVirtualRight == VK_RIGHT && kVirtualDown == VK_DOWN &&
              kVirtualInsert == VK_INSERT && kVirtualDelete == VK_DELETE && kVirtualF1 == VK_F1 &&
              kVirtualF10 == VK_F10 && kVirtualF11 == VK_F11 && kVirtualF12 == VK_F12);

namespace {

// The console's keyboard and screen, whatever standard input and output are redirected
// to. Opened on first use and kept; a console that is not there is not looked for again.
struct Console {
  bool tried;
  HANDLE input;
  HANDLE output;
};

Console gConsole = {false, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};

DWORD gSavedMode = 0;

HANDLE openConsoleDevice(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

ConsoleKeyEvent keyEventOf(const KEY_EVENT_RECORD& key) {
  return ConsoleKeyEvent{key.bKeyDown != FALSE, key.wVirtualKeyCode, key.wVirtualScanCode,
                         static_cast<unsigned char>(key.uChar.AsciiChar),
                         static_cast<uint32_t>(key.dwControlKeyState)};
}

}  // namespace

bool openKeyInput() {
  if (!gConsole.tried) {
    gConsole.tried = true;
    gConsole.input = openConsoleDevice("CONIN$");
    gConsole.output = openConsoleDevice("CONOUT$");
  }
  return gConsole.input != INVALID_HANDLE_VALUE;
}

bool saveInputMode() {
  return GetConsoleMode(gConsole.input, &gSavedMode) != FALSE;  // false: not a console after all
}

// Mode 0: single keys, no console echo, Ctrl-C read as a key rather than a break. A
// console that refuses it is read in the mode it has.
bool setSingleKeyMode() {
  SetConsoleMode(gConsole.input, 0);
  return true;
}

// Reads records until a key press ends the wait.
bool readPauseKey(PauseKey* key) {
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputA(gConsole.input, &record, 1, &count) || count != 1) {
      return false;
    }
    if (record.EventType != KEY_EVENT) {
      continue;
    }
    *key = decideKeyEvent(keyEventOf(record.Event.KeyEvent));
    if (key->status == KeyStatus::kKey) {
      return true;
    }
  }
}

void restoreInputMode() {
  SetConsoleMode(gConsole.input, gSavedMode);
}

void echoKey(const PauseKey& key) {
  if (gConsole.output != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    // A lost echo loses nothing else.
    WriteConsoleA(gConsole.output, key.echo, static_cast<DWORD>(key.echoLength), &written, nullptr);
  }
}

}  // namespace trb2asc
