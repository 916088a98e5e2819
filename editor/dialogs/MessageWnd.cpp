#include "editor/dialogs/MessageWnd.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "base/StringHelpers.h"
#include "editor/dialogs/DialogDpi.h"
#include "editor/dialogs/DialogKeys.h"
#include "editor/dialogs/TimelineHandleUI.h"
#include "platform/Windows.h"
#include "ui/core/DPI.h"

namespace {

const wchar_t kFileNotice[] = L"当前文件为";

std::mutex& AnswererLock()
{
    static std::mutex lock;
    return lock;
}

CMessageWnd::Answerer& CurrentAnswerer()
{
    static CMessageWnd::Answerer answerer;
    return answerer;
}

CMessageWnd::Answerer AnswererCopy()
{
    std::lock_guard lock(AnswererLock());
    return CurrentAnswerer();
}

bool Contains(const std::wstring& text, const wchar_t* words)
{
    return text.find(words) != std::wstring::npos;
}

bool IsConfirmation(const std::wstring& message)
{
    return Contains(message, L"清空列表") || Contains(message, L"确定删除吗?");
}

// A job's question on its way to the owner's thread.
struct AskRequest {
    const std::wstring& message;
    const std::wstring& editText;
    const std::wstring& okText;
    const std::wstring& cancelText;
};

CDialogDpiDebounce g_dpiDebounce;

}  // namespace

CMessageWnd::CMessageWnd(std::wstring message, std::wstring secondText, std::wstring editText, std::wstring okText,
                         std::wstring cancelText, uint8_t flag)
    : m_flag(flag)
    , m_message(std::move(message))
    , m_secondText(std::move(secondText))
    , m_editText(std::move(editText))
    , m_okText(std::move(okText))
    , m_cancelText(std::move(cancelText))
{
}

int CMessageWnd::Ask(HWND owner, const std::wstring& message, const std::wstring& editText, const std::wstring& okText,
                     const std::wstring& cancelText)
{
    if (Answerer answerer = AnswererCopy()) {
        const CMessageWnd question(message, L"", editText, okText, cancelText, 1);
        return answerer(question);
    }
    if (!owner || !::IsWindow(owner)) {
        std::printf("message: %s\n", WideToUtf8(message).c_str());
        return kNotAnswered;
    }
    AskRequest request { message, editText, okText, cancelText };
    if (::GetWindowThreadProcessId(owner, nullptr) == ::GetCurrentThreadId())
        return static_cast<int>(AnswerAskMessage(owner, reinterpret_cast<LPARAM>(&request)));
    // The owner's thread shows the box; this thread waits, serving nothing of the UI.
    return static_cast<int>(::SendMessage(owner, kMsgAsk, 0, reinterpret_cast<LPARAM>(&request)));
}

LRESULT CMessageWnd::AnswerAskMessage(HWND owner, LPARAM lParam)
{
    const AskRequest& request = *reinterpret_cast<const AskRequest*>(lParam);
    auto* box = new CMessageWnd(request.message, L"", request.editText, request.okText, request.cancelText, 1);
    if (!box->CreateOwned(owner))
        return kNotAnswered;  // a window that got as far as its final message deleted the box
    box->CenterWindow();
    return static_cast<LRESULT>(box->ShowModal());
}

HWND CMessageWnd::CreateOwned(HWND owner)
{
    return Create(owner, L"", WS_POPUP | WS_VISIBLE, WS_EX_TOOLWINDOW, 0, 0, 350, 300);
}

UINT CMessageWnd::ShowModal()
{
    if (Answerer answerer = AnswererCopy()) {
        const UINT answer = static_cast<UINT>(answerer(*this));
        ::DestroyWindow(m_hWnd);  // deletes this object
        return answer;
    }
    // The modal loop reads the object until the window is gone, so the object outlives the run.
    m_bRunningModal = true;
    const UINT result = WindowImplBase::ShowModal();
    delete this;
    return result;
}

int CMessageWnd::ResultOf(const std::wstring& message, const std::wstring& sender)
{
    if (sender == L"closebtn")
        return 2;
    if (sender == L"btn_ok")
        return IsConfirmation(message) || Contains(message, kFileNotice) || Contains(message, L"原视频和已剪切的片段将同时删除")
            ? 1
            : 2;
    if (sender == L"btn_cancel")
        return IsConfirmation(message) ? 2 : 1;
    return -1;
}

void CMessageWnd::SetAnswerer(Answerer answerer)
{
    std::lock_guard lock(AnswererLock());
    CurrentAnswerer() = std::move(answerer);
}

const wchar_t* CMessageWnd::GetWindowClassName() const
{
    return L"message_wnd";
}

SkinUI::CUIString CMessageWnd::GetSkinFileName()
{
    return m_message == L"您确定" ? L"MessageWnd2.xml" : L"message.xml";
}

SkinUI::CControlUI* CMessageWnd::CreateControl(const wchar_t* pstrClass)
{
    if (pstrClass && SkinUI::CUIString(pstrClass).CompareNoCase(L"MoveButton") == 0)
        return new CMoveButtonUI();
    return nullptr;
}

void CMessageWnd::InitWindow()
{
    CenterWindow();
    m_pTitle = m_pm.FindControl(L"title");
    m_pMessageLine = m_pm.FindControl(L"msg_text");
    m_pMessageBox = m_pm.FindControl(L"msg_edit");
    m_pOkButton = m_pm.FindControl(L"btn_ok");
    m_pCancelButton = m_pm.FindControl(L"btn_cancel");
    SetButtonText(m_pMessageLine, m_message);
    SetButtonText(m_pMessageBox, m_editText);
    SetButtonText(m_pOkButton, m_okText);
    SetButtonText(m_pCancelButton, m_cancelText);
    if (m_pMessageBox)
        RestyleButtons();
    m_pm.SetDPI(SkinUI::CDPI::GetMainMonitorDPI());
}

void CMessageWnd::SetButtonText(SkinUI::CControlUI* control, const std::wstring& text)
{
    if (!control)
        return;
    if (text.empty()) {
        control->SetVisible(false);
        return;
    }
    if (Contains(text, kFileNotice)) {
        control->SetPadding(RECT { 15, 0, 15, 0 });
        control->SetAttribute(L"align", L"left");
        control->SetAttribute(L"textcolor", L"#FF454545");
        control->SetAttribute(L"font", L"2");
    }
    control->SetVisible(true);
    control->SetText(text.c_str());
    control->SetToolTip(text.c_str());
}

void CMessageWnd::RestyleButtons()
{
    for (SkinUI::CControlUI* button : { m_pCancelButton, m_pOkButton }) {
        if (!button)
            continue;
        for (const wchar_t* image : { L"normalimage", L"hotimage", L"pushedimage" })
            button->SetAttribute(image, L"");
        button->SetAttribute(L"bkcolor", L"#FF347AEB");
        button->SetAttribute(L"hotbkcolor", L"#FF3488EB");
        button->SetAttribute(L"pushedbkcolor", L"#FF3488EB");
        button->SetAttribute(L"textcolor", L"#FFFFFFFF");
    }
    if (m_pCancelButton && m_pCancelButton->GetParent())
        m_pCancelButton->GetParent()->SetPadding(RECT { 0, 17, 0, 0 });
    if (!Contains(m_message, kFileNotice))
        return;
    if (m_pCancelButton) {
        m_pCancelButton->SetAttribute(L"normalimage", L"file='Caccel.png' source='0,0,97,34'");
        m_pCancelButton->SetAttribute(L"hotimage", L"file='Caccel.png' source='0,34,97,68'");
        m_pCancelButton->SetAttribute(L"pushedimage", L"file='Caccel.png' source='0,34,97,68'");
        m_pCancelButton->SetAttribute(L"textcolor", L"#FF454545");
        m_pCancelButton->SetFixedHeight(34);
        m_pCancelButton->SetFixedWidth(97);
        m_pCancelButton->SetBorderRound(SIZE { 0, 0 });
        for (const wchar_t* colour : { L"bkcolor", L"hotbkcolor", L"pushedbkcolor" })
            m_pCancelButton->SetAttribute(colour, L"");
    }
    if (m_pOkButton) {
        m_pOkButton->SetFixedWidth(120);
        m_pOkButton->SetBorderRound(SIZE { 3, 3 });
        m_pOkButton->SetFixedHeight(34);
    }
}

void CMessageWnd::OnClick(SkinUI::TNotifyUI& msg)
{
    if (!msg.pSender)
        return;
    const std::wstring sender = msg.pSender->GetName().GetData();
    const int result = ResultOf(m_message, sender);
    if (result < 0)
        return;
    if (sender == L"btn_cancel" && result == 1 && Contains(m_message, L"联系客服"))
        ::Sleep(200);
    Close(static_cast<UINT>(result));
}

LRESULT CMessageWnd::ResponseDefaultKeyEvent(WPARAM wParam)
{
    return AnswerDialogKey(*this, wParam, 0);
}

LRESULT CMessageWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_DPICHANGED)
        g_dpiDebounce.Rescale(m_pm, m_hWnd, wParam, lParam);
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CMessageWnd::OnFinalMessage(HWND hWnd)
{
    WindowImplBase::OnFinalMessage(hWnd);
    if (!m_bRunningModal)
        delete this;
}
