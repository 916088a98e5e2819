#pragma once
// tagTDrawInfo: the parsed form of an image attribute such as
//   "file='14-1.png' source='0,0,10,10' corner='2,2,2,2' hole='true'"
// plus the modify string a control adds at run time. Rectangles are stored already scaled by the
// window's DPI, and the image name already carries the window's DPI variant, so a window parses
// each attribute once (CPaintManagerUI::GetDrawInfo) and drops its records when its DPI changes.

#include "platform/WinTypes.h"
#include "ui/core/UIString.h"

namespace SkinUI {

class CPaintManagerUI;

struct tagTDrawInfo {
    tagTDrawInfo();

    void Parse(const wchar_t* pStrImage, const wchar_t* pStrModify, CPaintManagerUI* pManager);
    void Clear();

    CUIString sDrawString;
    CUIString sDrawModify;
    CUIString sImageName;
    CUIString sResType;
    RECT rcDest {};
    RECT rcSource {};
    RECT rcCorner {};
    DWORD dwMask = 0;
    BYTE uFade = 255;
    bool bHole = false;
    bool bTiledX = false;
    bool bTiledY = false;
    bool bHSL = false;
};
using TDrawInfo = tagTDrawInfo;

// Reads key='value' pairs in the image attribute grammar, calling visit(key, value) for each pair
// with a non-empty value; stops at the first malformed pair.
void ForEachImageAttribute(const wchar_t* text, void (*visit)(void* context, const CUIString& key,
                                                              const CUIString& value), void* context);

}  // namespace SkinUI
