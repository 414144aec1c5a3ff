// A DLL that carries only a version resource (version_probe.rc).
extern "C" __declspec(dllexport) int h_trelmo_version_probe() {
    return 0;
}
