#include <cstdio>

int main()
{
    std::puts("Quillmoor: the editor window is not built yet.");
    return 0;
}
