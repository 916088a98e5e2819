#pragma once
// Value records in which the main window keeps the state of its pages. Plain values: copying one
// copies every field, and each starts empty.

#include <string>

#include "ui/core/UIString.h"

// One finished export, as the history window lists it.
struct HistoryRecord {
    std::wstring date;        // "%d-%d-%d": year, month, day
    std::wstring sourceName;  // source file name with its extension
    std::wstring outputName;  // output file name with its extension
    std::wstring sourcePath;  // the source file
    std::wstring outputPath;  // the output file
};

// Media details of one file. The main window's first record doubles as the export settings that
// the export settings dialog fills: output name, size ("" keeps the source's), format and folder.
struct MediaFileInfo {
    std::wstring name;           // file name without folder and extension; for an export, the output name
    std::wstring frameRate;      // frame rate text
    SkinUI::CUIString width;     // picture width as decimal text
    SkinUI::CUIString height;    // picture height as decimal text
    SkinUI::CUIString format;    // container or extension, lower case, without the dot
    SkinUI::CUIString folder;    // output folder of this export
    SkinUI::CUIString duration;  // duration text of a clip row
    SkinUI::CUIString path;      // full path of the file
};

// One row of the GIF list; the copies in the GIF export queue carry the output name.
struct GifListItem {
    SkinUI::CUIString filePath;    // the source video
    SkinUI::CUIString outputName;  // base name of the GIF file
    SkinUI::CUIString frameRate;   // output frame rate; empty keeps the source's
    SkinUI::CUIString rowName;     // "Gif%d": finds the row of this item
    SkinUI::CUIString width;       // output width as decimal text
    SkinUI::CUIString height;      // output height; empty keeps the source size
    std::wstring duration;         // the source's duration in milliseconds, as decimal text
};
