// Imported by the importer module; lives in a folder of its own.
extern "C" __declspec(dllexport) int gwProbeDependencyValue() {
  return 7;
}
