// Linked as the plug-in is, this must fail: throwing needs the exception
// runtime, which the DLL's link leaves out.
extern "C" __declspec(dllexport) int probe(int value) {
    if (value < 0) throw value;
    return value;
}
