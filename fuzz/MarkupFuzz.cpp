// Feeds arbitrary bytes to the skin parser in each encoding it reads, then walks every element
// and reads every attribute the way the dialog builder does. Nothing may crash, leak or hang.

#include "ui/core/Markup.h"

#include <cstddef>
#include <cstdint>

using namespace SkinUI;

namespace {

constexpr int kMaxVisited = 100000;

void Walk(CMarkupNode node, int& visited)
{
    for (; node.IsValid() && visited < kMaxVisited; node = node.GetSibling()) {
        ++visited;
        (void)node.GetName();
        (void)node.GetValue();
        wchar_t buffer[16];
        const int count = node.GetAttributeCount();
        for (int i = 0; i < count; ++i) {
            (void)node.GetAttributeValue(node.GetAttributeName(i));
            node.GetAttributeValue(i, buffer, sizeof(buffer) / sizeof(buffer[0]));
        }
        (void)node.GetChild(L"Control");
        (void)node.GetParent();
        Walk(node.GetChild(), visited);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 0x400000)
        return 0;
    // The first byte picks the encoding, so the corpus covers UTF-8, UTF-16 and GBK documents.
    const int encoding = data[0] % 3;
    CMarkup doc;
    if (doc.LoadFromMem(data + 1, static_cast<DWORD>(size - 1), encoding)) {
        int visited = 0;
        Walk(doc.GetRoot(), visited);
    }
    wchar_t message[100];
    wchar_t location[50];
    doc.GetLastErrorMessage(message, 100);
    doc.GetLastErrorLocation(location, 50);
    return 0;
}
