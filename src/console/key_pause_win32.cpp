#include <windows.h>

#include "console/console_key_event.h"
#include "console/key_pause.h"
#include "console/pending_key.h"

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

HANDLE openConsoleDevice(const char* name) {
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0, nullptr);
}

bool haveConsoleInput() {
  if (!gConsole.tried) {
    gConsole.tried = true;
    gConsole.input = openConsoleDevice("CONIN$");
    gConsole.output = openConsoleDevice("CONOUT$");
  }
  return gConsole.input != INVALID_HANDLE_VALUE;
}

ConsoleKeyEvent keyEventOf(const KEY_EVENT_RECORD& key) {
  return ConsoleKeyEvent{key.bKeyDown != FALSE, key.wVirtualKeyCode, key.wVirtualScanCode,
                         static_cast<unsigned char>(key.uChar.AsciiChar),
                         static_cast<uint32_t>(key.dwControlKeyState)};
}

// Reads records until a key press ends the wait; -1 when a read fails.
KeyDecision readKeyDecision(HANDLE input) {
  for (;;) {
    INPUT_RECORD record;
    DWORD count = 0;
    if (!ReadConsoleInputA(input, &record, 1, &count) || count != 1) {
      return KeyDecision{true, -1, -1};
    }
    if (record.EventType != KEY_EVENT) {
      continue;
    }
    const KeyDecision decision = decideKeyEvent(keyEventOf(record.Event.KeyEvent));
    if (decision.endsWait) {
      return decision;
    }
  }
}

}  // namespace

int waitForKey() {
  const int pending = takePendingCode();
  if (pending >= 0) {
    return pending;
  }
  if (!haveConsoleInput()) {
    return -1;
  }
  DWORD savedMode = 0;
  if (!GetConsoleMode(gConsole.input, &savedMode)) {
    return -1;  // not a console after all: nothing could be restored
  }
  // Mode 0: single keys, no console echo, Ctrl-C read as a key rather than a break.
  SetConsoleMode(gConsole.input, 0);
  const KeyDecision decision = readKeyDecision(gConsole.input);
  SetConsoleMode(gConsole.input, savedMode);

  if (decision.result < 0) {
    return -1;
  }
  if (decision.pendingCode >= 0) {
    holdPendingCode(decision.pendingCode);
  }
  if (gConsole.output != INVALID_HANDLE_VALUE) {
    const char echo = static_cast<char>(decision.result);
    DWORD written = 0;
    WriteConsoleA(gConsole.output, &echo, 1, &written, nullptr);  // a lost echo loses nothing else
  }
  return decision.result;
}
