// A module with one export, for the loader tests.
extern "C" __declspec(dllexport) int gwProbeValue() {
  return 42;
}
