#pragma once
// The whole Windows vocabulary of the platform layer: include this where code is written against
// window, drawing or system calls.

#include "platform/WinTypes.h"
#include "platform/WinBase.h"
#include "platform/WinUser.h"
#include "platform/CommCtrl.h"
#include "platform/CommDlg.h"
#include "platform/WinGdi.h"
#include "platform/GdiPlus.h"
#include "platform/Resource.h"
#include "platform/Registry.h"
