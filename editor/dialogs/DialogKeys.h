#pragma once
// The editor dialogs' default keys: Return is taken and does nothing (a stray Return never picks
// for the user), Escape closes the dialog with the dialog's cancel result. UI thread only.

#include "platform/WinTypes.h"

namespace SkinUI {
class CWindowWnd;
}

// TRUE when the key was one of the two and has been answered.
LRESULT AnswerDialogKey(SkinUI::CWindowWnd& dialog, WPARAM key, UINT cancelResult);
