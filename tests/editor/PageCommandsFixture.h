#pragma once
// The main window on the headless display for the list, split and screenshot pages' commands:
// clicks by control, the settings dialog and the file chooser answered by hooks, notices recorded
// (and answered "no" to every question), clips made with the real encoder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "IncomingFilesFixture.h"
#include "editor/mainwnd/ListRowViews.h"
#include "platform/CommDlg.h"

namespace pagecmd {

// What ffprobe says of a file: its duration, its first video stream's codec and size, whether it
// has sound.
struct Probed {
    double seconds = 0;
    std::string videoCodec;
    int width = 0, height = 0;
    bool sound = false;
};

inline Probed FfProbe(const std::string& path)
{
    Probed out;
    std::string quoted;
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    const std::string command = "ffprobe -v error -show_entries stream=codec_type,codec_name,width,height "
                                "-show_entries format=duration -of default=nw=1 '" + quoted + "' 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return out;
    char line[512];
    std::string codec;
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const size_t eq = text.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = text.substr(0, eq), value = text.substr(eq + 1);
        if (key == "codec_name")
            codec = value;
        else if (key == "codec_type" && value == "audio")
            out.sound = true;
        else if (key == "codec_type" && value == "video" && out.videoCodec.empty())
            out.videoCodec = codec;
        else if (key == "width" && out.width == 0)
            out.width = std::atoi(value.c_str());
        else if (key == "height" && out.height == 0)
            out.height = std::atoi(value.c_str());
        else if (key == "duration")
            out.seconds = std::atof(value.c_str());
    }
    ::pclose(pipe);
    return out;
}

// An encoder that runs at the input's own speed, so an export lasts as long as its material.
inline std::wstring RealTimeEncoderScript()
{
    const std::string path = EditorScratchFolder() + "/realtime-encoder.sh";
    WriteFileText(path, "#!/bin/sh\nexec ffmpeg -re \"$@\"\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return L"\"" + AnsiToWide(path) + L"\"";
}

class PageCommandsFixture : public incoming::MainWindowFixture {
protected:
    void SetUp() override
    {
        incoming::MainWindowFixture::SetUp();
        CMessageWnd::SetAnswerer([this](const CMessageWnd& box) {
            std::lock_guard lock(m_lock);
            notices.push_back(box.GetMessageText());
            return 2;  // "no" to "open it now?", so nothing is opened
        });
    }
    void TearDown() override
    {
        CMainWnd::SetSettingsDialogHook(nullptr);
        platform::SetDesktopDialogHook(nullptr);
        incoming::MainWindowFixture::TearDown();
    }

    SkinUI::CControlUI* Find(const wchar_t* name) { return window->GetPaintManager().FindControl(name); }
    void Click(SkinUI::CControlUI* sender)
    {
        ASSERT_NE(sender, nullptr);
        SkinUI::TNotifyUI msg;
        msg.sType = L"click";
        msg.pSender = sender;
        window->OnClick(msg);
    }
    void Click(const wchar_t* name)
    {
        SkinUI::CControlUI* control = Find(name);
        ASSERT_NE(control, nullptr) << WideToUtf8(name);
        Click(control);
    }
    // The settings dialog answers `result`; an export writes into `folder`.
    void AnswerSettings(int result, const std::string& folder = {})
    {
        CMainWnd::SetSettingsDialogHook([this, result, folder](CMainWnd& main, const std::wstring& mode) {
            {
                std::lock_guard lock(m_lock);
                modes.push_back(mode);
            }
            if (result == 0) {
                main.m_exportInfo.folder = AnsiToWide(folder).c_str();
                main.m_exportInfo.format = L"mp4";
            }
            return result;
        });
    }
    // The open-file dialog answers these paths (joined as the desktop dialog gives them).
    void AnswerChooser(const std::vector<std::wstring>& paths)
    {
        std::string output;
        for (const std::wstring& path : paths)
            output += (output.empty() ? "" : "//") + WideToUtf8(path);  // the dialog separates paths with "//"
        platform::SetDesktopDialogHook([output](const std::vector<std::string>&, std::string& out) {
            out = output + "\n";
            return output.empty() ? 1 : 0;
        });
    }
    std::vector<std::wstring> Notices()
    {
        std::lock_guard lock(m_lock);
        return notices;
    }
    int Count(SkinUI::CControlUI* list)
    {
        SkinUI::IContainerUI* rows = RowsOf(list);
        return rows ? rows->GetCount() : -1;
    }
    SkinUI::CControlUI* Row(SkinUI::CControlUI* list, int index) { return RowsOf(list)->GetItemAt(index); }
    static std::vector<std::string> FilesIn(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::mutex m_lock;
    std::vector<std::wstring> modes;  // guarded by m_lock
};

}  // namespace pagecmd
