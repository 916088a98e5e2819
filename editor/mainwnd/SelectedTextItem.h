#pragma once
// The text item selected on the subtitle page's text layer: the layer's current item and the main
// window's record of the same name (the first match). Both are null while no layer is open; the
// record is null when no record carries the current name, and the default style changes instead.
// UI thread only.

#include "editor/mainwnd/EditingRecords.h"

class CMainWnd;
class CWaterFloatWnd;

struct SelectedTextItem {
    CWaterFloatWnd* layer { nullptr };
    TextItem* record { nullptr };
};

SelectedTextItem FindSelectedTextItem(CMainWnd& window);
// Marks the layer's current item to be drawn and rendered again.
void RerenderSelected(const SelectedTextItem& selected);
