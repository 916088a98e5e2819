#include "editor/dialogs/MessageWnd.h"

#include <cstdio>
#include <mutex>
#include <utility>

#include "base/StringHelpers.h"

namespace {

constexpr int kAnswerDismissed = 2;

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

}  // namespace

CMessageWnd::CMessageWnd(std::wstring message, std::wstring hiddenText, std::wstring editText,
                         std::wstring fourthText, std::wstring fifthText, int flag)
    : m_message(std::move(message))
    , m_hiddenText(std::move(hiddenText))
    , m_editText(std::move(editText))
    , m_fourthText(std::move(fourthText))
    , m_fifthText(std::move(fifthText))
    , m_flag(flag)
{
}

int CMessageWnd::ShowModal(HWND)
{
    Answerer answerer;
    {
        std::lock_guard lock(AnswererLock());
        answerer = CurrentAnswerer();
    }
    if (answerer)
        return answerer(*this);
    std::printf("message: %s\n", WideToUtf8(m_message).c_str());
    return kAnswerDismissed;
}

void CMessageWnd::SetAnswerer(Answerer answerer)
{
    std::lock_guard lock(AnswererLock());
    CurrentAnswerer() = std::move(answerer);
}
