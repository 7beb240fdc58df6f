// A module that loads only when its dependency is found.
extern "C" __declspec(dllimport) int gwProbeDependencyValue();
extern "C" __declspec(dllexport) int gwProbeValue() {
  return 35 + gwProbeDependencyValue();
}
