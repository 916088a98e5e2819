#pragma once
// The editor's modal message dialog: a message and up to two buttons. Jobs build it as
// (message, "", "", fourth text, fifth text, 1) and run it modally on their own thread, owned by
// the main window; the button with the fifth text answers 1, the fourth text's button and the
// close button answer 2. An empty button text hides that button.
//
// Until the skinned window exists, ShowModal hands the dialog to an answerer that the program
// (or a test) installs; without one it logs the message and answers 2, the answer that acts on
// nothing.

#include <functional>
#include <string>

#include "platform/WinTypes.h"

class CMessageWnd {
public:
    using Answerer = std::function<int(const CMessageWnd&)>;

    CMessageWnd(std::wstring message, std::wstring hiddenText, std::wstring editText,
                std::wstring fourthText, std::wstring fifthText, int flag);

    // Runs the dialog modally on the calling thread; returns 1 or 2 as described above.
    int ShowModal(HWND owner);

    const std::wstring& GetMessageText() const { return m_message; }
    const std::wstring& GetFourthText() const { return m_fourthText; }
    const std::wstring& GetFifthText() const { return m_fifthText; }

    // Replaces the answerer for every later dialog; an empty one restores the default.
    static void SetAnswerer(Answerer answerer);

private:
    std::wstring m_message;
    std::wstring m_hiddenText;
    std::wstring m_editText;
    std::wstring m_fourthText;
    std::wstring m_fifthText;
    int m_flag;
};
