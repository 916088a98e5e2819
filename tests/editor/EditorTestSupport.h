#pragma once
// Helpers of the editor tests: the scratch folder that HOME, TMPDIR and XDG_DATA_HOME point to.

#include <fstream>
#include <iterator>
#include <string>

std::string EditorScratchFolder();
// An empty folder of that name inside the scratch folder (emptied when it exists).
std::string FreshFolder(const std::string& name);

inline std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}
