#pragma once
// The editor's modal message and confirmation dialog: a message line or a read-only message box,
// up to two buttons with the caller's texts, and a close button. Skin "message.xml", or
// "MessageWnd2.xml" for the exit question "您确定".
//
// Results: "closebtn" 2, Escape 0, and the buttons by the words of the message (ResultOf): for
// the four confirmation phrases "btn_ok" answers 1 and "btn_cancel" 2; for every other message
// the other way round, so a job's question (message, "", "", fourth, fifth) answers 1 for the
// button with the fifth text.
//
// Threads: the window lives on the thread of its owner, the UI thread. A caller made with `new`
// creates it, centres it and runs ShowModal there; the object deletes itself when its window is
// gone, so callers keep no pointer. A job never shows it itself: Ask sends the question to the
// owner's thread (kMsgAsk, which the owner's window procedure hands to AnswerAskMessage) and
// waits for the answer. Tests install an answerer, which answers every box in place of the user.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/WinTypes.h"
#include "ui/core/WindowImplBase.h"

class CMessageWnd : public SkinUI::WindowImplBase {
public:
    using Answerer = std::function<int(const CMessageWnd&)>;
    // Sent to the owner by a job's Ask; lParam points to the question.
    static constexpr UINT kMsgAsk = WM_USER + 520;
    static constexpr int kNotAnswered = 2;  // the box was closed, or could not be shown

    CMessageWnd(std::wstring message, std::wstring secondText, std::wstring editText, std::wstring okText,
                std::wstring cancelText, uint8_t flag);

    // The whole dialog for a caller on any thread: (message, "", edit text, OK text, cancel
    // text, 1), owned by `owner` and shown on the owner's thread. Without an owner window, and
    // without an answerer, nothing can be shown: the message goes to standard output and the
    // answer is 2, the one that acts on nothing.
    static int Ask(HWND owner, const std::wstring& message, const std::wstring& editText, const std::wstring& okText,
                   const std::wstring& cancelText);
    // The owner's side of kMsgAsk: shows the question modally and returns its result.
    static LRESULT AnswerAskMessage(HWND owner, LPARAM lParam);

    // Creates the window as every caller does: owned by `owner`, no title, popup tool window.
    HWND CreateOwned(HWND owner);
    // Runs the box modally (or lets the answerer answer); the object is gone when this returns.
    UINT ShowModal();

    // The result of a click by the sender's name on a box with this message; -1: not a closing click.
    static int ResultOf(const std::wstring& message, const std::wstring& sender);

    const std::wstring& GetMessageText() const { return m_message; }
    const std::wstring& GetEditText() const { return m_editText; }
    const std::wstring& GetFourthText() const { return m_okText; }
    const std::wstring& GetFifthText() const { return m_cancelText; }

    // Replaces the answerer for every later dialog; an empty one restores the window.
    static void SetAnswerer(Answerer answerer);

    const wchar_t* GetWindowClassName() const override;
    void InitWindow() override;
    void OnClick(SkinUI::TNotifyUI& msg) override;
    SkinUI::CControlUI* CreateControl(const wchar_t* pstrClass) override;

protected:
    SkinUI::CUIString GetSkinFileName() override;
    LRESULT ResponseDefaultKeyEvent(WPARAM wParam) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void SetButtonText(SkinUI::CControlUI* control, const std::wstring& text);
    void RestyleButtons();

    uint8_t m_flag;
    bool m_bRunningModal { false };  // ShowModal deletes the object once its loop has ended
    SkinUI::CControlUI* m_pTitle { nullptr };
    SkinUI::CControlUI* m_pMessageLine { nullptr };
    SkinUI::CControlUI* m_pMessageBox { nullptr };
    SkinUI::CControlUI* m_pOkButton { nullptr };
    SkinUI::CControlUI* m_pCancelButton { nullptr };
    std::wstring m_message;
    std::wstring m_secondText;
    std::wstring m_editText;
    std::wstring m_okText;
    std::wstring m_cancelText;
};
