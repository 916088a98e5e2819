// A tiny run-time library for the loader tests: one exported function with C linkage.
extern "C" __attribute__((visibility("default"))) int quill_test_answer()
{
    return 42;
}
